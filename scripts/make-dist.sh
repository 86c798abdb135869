#!/usr/bin/env bash
# make-dist.sh BIN_DIR OUT_DIR: lays out the release folder exactly as a user
# unzips it, OUT_DIR/Tolvane/, and zips it to OUT_DIR/Tolvane-VERSION.zip, the
# name the build beside BIN_DIR gives the release (release-name.txt, from the
# project's version). Stops with an error, and no zip, when anything the
# release needs is missing.
set -euo pipefail
bin=$(realpath "$1")
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
name_file=$bin/../release-name.txt
[ -s "$name_file" ] || { echo "make-dist: missing $name_file: configure the build first" >&2; exit 1; }
zip_name=$(head -n1 "$name_file").zip
programs=(Quillet.exe Zemrick.exe Brannow.exe Velmont.exe Lisarde.exe Tolvane.exe)
needed=("$root/data/Sprachen/English.txt" "$root/data/Sprachen/Deutsch.txt"
        "$root/data/Icons/Anker.ico" "$root/data/Icons/Back.ico"
        "$root/data/Icons/Forward.ico" "$root/data/Icons/Tolvane.ico"
        "$root/data/Icons/Recent.ico"
        "$root/data/Uninstall.cmd")
for exe in "${programs[@]}"; do needed+=("$bin/$exe"); done
missing=0
for file in "${needed[@]}"; do
    if [ ! -f "$file" ]; then
        echo "make-dist: missing $file" >&2
        missing=1
    fi
done
[ "$missing" -eq 0 ] || exit 1

rm -rf "$out/Tolvane" "$out"/Tolvane*.zip
mkdir -p "$out/Tolvane/Plugins"
cp -r "$root/data/Sprachen" "$root/data/Icons" "$out/Tolvane/"
# The installer copies every tool, itself included, from Plugins.
for exe in "${programs[@]}"; do
    cp "$bin/$exe" "$out/Tolvane/Plugins/"
done
cp "$bin/Tolvane.exe" "$root/data/Uninstall.cmd" "$out/Tolvane/"
find "$out/Tolvane" -name .gitkeep -delete
(cd "$out" && zip -qr "$zip_name" Tolvane)
echo "$out/$zip_name"
