#!/usr/bin/env bash
# make-dist.sh BIN_DIR OUT_DIR: lays out the release folder exactly as a user
# unzips it, OUT_DIR/Tolvane/, and zips it to OUT_DIR/Tolvane.zip.
set -euo pipefail
bin=$(realpath "$1")
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$out/Tolvane" "$out/Tolvane.zip"
mkdir -p "$out/Tolvane/Plugins"
cp -r "$root/data/Sprachen" "$root/data/Icons" "$out/Tolvane/"
# The installer copies every tool, itself included, from Plugins.
for exe in Quillet.exe Zemrick.exe Brannow.exe Tolvane.exe; do
    [ -f "$bin/$exe" ] && cp "$bin/$exe" "$out/Tolvane/Plugins/"
done
[ -f "$bin/Tolvane.exe" ] && cp "$bin/Tolvane.exe" "$out/Tolvane/"
find "$out/Tolvane" -name .gitkeep -delete
(cd "$out" && zip -qr Tolvane.zip Tolvane)
echo "$out/Tolvane.zip"
