#!/usr/bin/env bash
# run-fuzzers.sh BIN_DIR SECONDS: runs every *_fuzz executable in BIN_DIR for
# SECONDS each, starting from its seed folder fuzz/seeds/NAME when there is one.
set -euo pipefail
bin=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
fuzzers=("$bin"/*_fuzz)
[ ${#fuzzers[@]} -gt 0 ] || { echo "no fuzzers in $bin" >&2; exit 1; }
for f in "${fuzzers[@]}"; do
    name=$(basename "$f")
    corpus=$(mktemp -d)
    seeds=("$root/fuzz/seeds/$name")
    [ -d "${seeds[0]}" ] || seeds=()
    echo "fuzzing $name for ${seconds}s"
    "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
        "$corpus" "${seeds[@]}" 2>"$corpus.log" || { tail -50 "$corpus.log"; exit 1; }
    grep -E "^Done|#[0-9]+ *DONE" "$corpus.log" | tail -1 || true
    rm -rf "$corpus" "$corpus.log"
done
echo "fuzzers: ${#fuzzers[@]} passed, 0 failed"
