#!/usr/bin/env bash
# with-wine.sh BUILD_DIR COMMAND...
# Runs COMMAND with a private Wine prefix under BUILD_DIR, a persistent
# wineserver and an Xvfb display of its own, and stops both afterwards.
# The server and the prefix boot are detached from our output: Wine's
# background services keep inherited pipes open, which would hang ctest.
set -euo pipefail
build=$(realpath -m "$1")
shift
mkdir -p "$build"
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
mkdir -p "$WINEPREFIX"
export WINEDEBUG=-all
# No Mono or Gecko download prompts: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
    rm -f "$displayfile"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"

wineserver -p </dev/null >/dev/null 2>&1
# Boots the prefix. Windows unmanaged: with no window manager on the display,
# Wine would otherwise wait two seconds for every closed window to withdraw.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
"$@"
