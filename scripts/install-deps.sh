#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, and nothing
# when it is all there already.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64 wine wine64 xvfb googletest clang
          zip imagemagick x11-apps)
missing=()
# The sanitizer and fuzzer runtime must be the one of the clang that builds.
clang_major() { clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1; }
major=$(clang_major)
[ -n "$major" ] && packages+=("libclang-rt-$major-dev")
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# Without clang before, its runtime is known only now.
if [ -z "$major" ] && major=$(clang_major) && [ -n "$major" ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "libclang-rt-$major-dev" >/dev/null
fi
