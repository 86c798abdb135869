#!/usr/bin/env bash
# run-fuzzers.sh BIN_DIR SECONDS: runs every *_fuzz executable in BIN_DIR for
# SECONDS each, starting from its seed folder fuzz/seeds/NAME when there is one.
# As many run at once as the machine has cores: each is one process on one core.
set -euo pipefail
bin=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
fuzzers=("$bin"/*_fuzz)
[ ${#fuzzers[@]} -gt 0 ] || { echo "no fuzzers in $bin" >&2; exit 1; }

fuzz_one() {
    local f=$1 name corpus seeds
    name=$(basename "$f")
    corpus=$(mktemp -d)
    seeds=("$root/fuzz/seeds/$name")
    [ -d "${seeds[0]}" ] || seeds=()
    if "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
        "$corpus" "${seeds[@]}" 2>"$corpus.log"; then
        echo "fuzzed $name for ${seconds}s: $(grep -E "^Done|#[0-9]+ *DONE" "$corpus.log" | tail -1)"
        rm -rf "$corpus" "$corpus.log"
    else
        echo "FAILED: $name"
        tail -50 "$corpus.log"
        rm -rf "$corpus" "$corpus.log"
        return 1
    fi
}
export -f fuzz_one
export root seconds
printf '%s\0' "${fuzzers[@]}" | xargs -0 -n 1 -P "$(nproc)" bash -c 'fuzz_one "$0"' ||
    { echo "fuzzers: a fuzzer failed" >&2; exit 1; }
echo "fuzzers: ${#fuzzers[@]} passed, 0 failed"
