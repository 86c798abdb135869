#!/usr/bin/env bash
# demo.sh BUILD_DIR: runs the release in dist/Tolvane/ under Wine against a
# demo IDE settings folder, BUILD_DIR/demo/, and shows what it changed.
#
# On a usable display (and DEMO_AUTO unset) you click through Tolvane
# yourself. Otherwise, or with DEMO_AUTO=1, it runs under Xvfb: a driver
# clicks through the default installation and takes pictures of the windows,
# then the stand-in IDE (testing/host_ide) runs the installed tools by their
# shortcuts. Exit code non-zero when a step fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "$1")
bin=$build/win/bin
dist=$root/dist/Tolvane
demo=$build/demo

# The Windows name of a Unix path: Wine's drive Z: is the Unix root.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# And back, for drives Z: and C:.
unixpath() {
    local path=${1//\\//}
    case $path in
    [Zz]:*) printf '%s' "${path:2}" ;;
    [Cc]:*) printf '%s' "${WINEPREFIX:-$build/wineprefix}/drive_c${path:2}" ;;
    *) printf '%s' "$path" ;;
    esac
}

appdata=$demo/AppData
ide=$appdata/PureBasic
base=$demo/Tools/
installed=${base}Tolvane/
shots=$demo/screenshots

# A preference file as the IDE writes it: UTF-8 with the byte-order mark,
# "Key = Value" lines ending in CR LF, a blank line between groups.
write_prefs() {
    { printf '\xef\xbb\xbf'; sed 's/$/\r/'; } >"$1"
}

make_demo_folder() {
    rm -rf "$demo"
    mkdir -p "$ide" "$base" "$shots" "$demo/Sources" "$demo/before"
    for f in Demo.pb Helpers.pb; do
        sed 's/$/\r/' "$root/testing/demo/$f" >"$demo/Sources/$f"
    done
    # Tolvane proposes the folder three levels above the IDE's language file:
    # here the demo folder, as C:\ for C:\Program Files\PureBasic\Catalogs\.
    write_prefs "$ide/PureBasic.prefs" <<EOF
[Global]
LanguageFile = $(winpath "$demo")\\Programs\\PureBasic\\Catalogs\\Deutsch.catalog
RunOnce = 1
LastProject = 
SourcePath = $(winpath "$demo")\\Sources\\

[Editor]
TabLength = 2
RealTab = 0

[Toolbar]
ItemCount = 6
Icon_1 = Standard:New
Action_1 = Menu:New
Icon_2 = Standard:Open
Action_2 = Menu:Open
Icon_3 = Standard:Save
Action_3 = Menu:Save
Icon_4 = Separator
Action_4 = 
Icon_5 = Standard:Compile
Action_5 = Menu:Compile/Run
Icon_6 = Standard:Debugger
Action_6 = Menu:Debugger
EOF
    write_prefs "$ide/Tools.prefs" <<'EOF'
[ToolsInfo]
ToolCount = 2

[Tool_0]
Command = C:\Tools\Zeilenzähler\Zeilen.exe
Arguments = "%FILE"
WorkingDir = C:\Tools\Zeilenzähler\
MenuItemName = Zeilen zählen
Shortcut = 196684
ConfigLine = 
Trigger = 0
Flags = 0
ReloadSource = 0
HideEditor = 0
HideFromMenu = 0
SourceSpecific = 0
Deactivate = 0

[Tool_1]
Command = C:\Windows\notepad.exe
Arguments = "%FILE"
WorkingDir = 
MenuItemName = Open in Notepad
Shortcut = 0
ConfigLine = 
Trigger = 0
Flags = 0
ReloadSource = 0
HideEditor = 0
HideFromMenu = 0
SourceSpecific = 0
Deactivate = 0
EOF
    cp "$ide/PureBasic.prefs" "$ide/Tools.prefs" "$demo/before/"
}

describe() {
    local what="no byte-order mark"
    [ "$(head -c3 "$1" | od -An -tx1 | tr -d ' ')" = efbbbf ] && what="UTF-8 with byte-order mark"
    grep -q $'\r$' "$1" && what+=", CR LF line ends"
    echo "$what"
}

# The file's lines to compare: without the byte-order mark, the CRs and the
# blank lines, which Tolvane's write-back drops.
plain() { sed '1s/^\xef\xbb\xbf//; s/\r$//; /^[ \t]*$/d' "$1"; }

show_change() {
    local name=$1 before=$demo/before/$1 after=$ide/$1
    local was is
    was=$(describe "$before") is=$(describe "$after")
    echo
    if [ "$was" = "$is" ]; then echo "$name: $was, before and after"; else echo "$name: $was before, $is after"; fi
    if cmp -s "$before" "$after"; then
        echo "    unchanged"
    else
        diff -u --label "$name before" --label "$name after" <(plain "$before") <(plain "$after") || true
    fi
}

show_changes() {
    echo
    echo "== What changed in the IDE's settings, $ide/"
    echo "   Tolvane writes both files back normalised: \"Key = Value\" lines, no blank lines"
    echo "   (blank lines are left out of the comparison below)."
    show_change Tools.prefs
    show_change PureBasic.prefs
    echo
    for backup in Tools2.prefs:Tools.prefs PureBasic1.prefs:PureBasic.prefs; do
        local copy=${backup%%:*} of=${backup##*:}
        if cmp -s "$ide/$copy" "$demo/before/$of"; then
            echo "backup $copy holds $of as it was before"
        else
            echo "backup $copy: missing or not the old $of"
        fi
    done
    echo
    if cmp -s "$ide/Tools.prefs" "$demo/before/Tools.prefs"; then
        echo "== Nothing installed"
        return
    fi
    # Every tool entry added names the installation folder as its working folder.
    local folder
    folder=$(plain "$ide/Tools.prefs" | sed -n 's/^WorkingDir = //p' | tail -1)
    echo "== Installation folder $folder"
    ls -l "$(unixpath "$folder")" | tail -n +2 || true
}

# Whatever went wrong, the installation must have left these behind.
check_installation() {
    local problems=()
    for f in Quillet.exe Brannow.exe Zemrick.exe Velmont.exe Lisarde.exe Tolvane.exe Anker.ico Back.ico Forward.ico Recent.ico Tolvane.ico; do
        [ -f "$installed$f" ] || problems+=("$f not in the installation folder")
    done
    grep -qx 'ToolCount = 12' <(plain "$ide/Tools.prefs") || problems+=("Tools.prefs: ToolCount is not 12")
    grep -qx 'ItemCount = 13' <(plain "$ide/PureBasic.prefs") || problems+=("PureBasic.prefs: ItemCount is not 13")
    cmp -s "$ide/Tools2.prefs" "$demo/before/Tools.prefs" || problems+=("Tools2.prefs is not the old Tools.prefs")
    cmp -s "$ide/PureBasic1.prefs" "$demo/before/PureBasic.prefs" || problems+=("PureBasic1.prefs is not the old PureBasic.prefs")
    [ ${#problems[@]} -eq 0 ] && { echo "installation complete"; return 0; }
    printf 'FAILED: %s\n' "${problems[@]}"
    return 1
}

# Console output of Windows programs ends its lines in CR LF.
demo_exe() { wine "$bin/tolvane_demo.exe" "$@" | tr -d '\r'; }

driven() {
    local failed=0
    echo
    echo "== 1. Tolvane.exe, driven like a user: English, the tools as offered, Install"
    demo_exe install "$(winpath "$appdata")" "$(winpath "$dist/Tolvane.exe")" "$(winpath "$base")" \
        "$shots" || failed=1
    show_changes
    echo
    check_installation || failed=1
    if [ $failed -eq 0 ]; then
        echo
        echo "== 2. The stand-in IDE runs the installed tools from Tools.prefs by their shortcuts"
        demo_exe ide "$(winpath "$appdata")" "$(winpath "$installed")" "$shots" \
            "$(winpath "$demo/Sources/Demo.pb")" "$(winpath "$demo/Sources/Helpers.pb")" || failed=1
    fi
    echo
    echo "== Pictures in $shots/"
    ls "$shots" 2>/dev/null | sed 's/^/    /'
    echo
    [ $failed -eq 0 ] && echo "demo: every step done" || echo "demo: FAILED (see above)"
    return $failed
}

by_hand() {
    export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
    echo
    echo "== Tolvane.exe opens in a Wine desktop window: choose the language and the tools,"
    echo "   and press Install (or Close to change nothing). It edits the demo IDE settings"
    echo "   above and proposes the demo folder as base folder ($(winpath "$base") is there too)."
    [ -d "$WINEPREFIX/drive_c" ] || echo "   (the first start prepares the Wine prefix: about a minute)"
    # A virtual desktop: the window manager then need not get along with Wine.
    wine explorer /desktop=Tolvane,1024x768 "$bin/tolvane_demo.exe" launch "$(winpath "$appdata")" \
        "$(winpath "$dist/Tolvane.exe")" </dev/null >/dev/null 2>&1 || true
    show_changes
    echo
    echo "DEMO_AUTO=1 make demo also lets the stand-in IDE run the installed tools."
}

if [ "${2:-}" = --driven ]; then
    driven
    exit
fi
[ -x "$dist/Tolvane.exe" ] || { echo "no $dist/Tolvane.exe: run make dist first" >&2; exit 1; }
[ -f "$bin/tolvane_demo.exe" ] || { echo "no $bin/tolvane_demo.exe: run make win first" >&2; exit 1; }
make_demo_folder
echo "Demo IDE settings: $ide/ (Tools.prefs with 2 tools, PureBasic.prefs with 6 toolbar items)"
echo "Demo sources:      $demo/Sources/"
if [ -z "${DEMO_AUTO:-}" ] && [ -n "${DISPLAY:-}" ] && timeout 10 xwd -root -silent >/dev/null 2>&1; then
    by_hand
else
    echo "No display to use (or DEMO_AUTO set): Tolvane is driven under Xvfb."
    "$root/scripts/with-wine.sh" "$build" "$0" "$build" --driven
fi
