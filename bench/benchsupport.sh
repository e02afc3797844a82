# shellcheck shell=bash
# What the shell benchmarks share; each sources it after `set -euo pipefail`:
#   . "$(dirname "$0")/benchsupport.sh"
# It sets top (the top of the repository) and gives:
#   bench_cli BUILD_DIR     sets cli to BUILD_DIR/bin/korvel-cli; stops when it is not built
#   bench_need TOOL...      stops when a tool is missing
#   bench_work NAME         sets work to a new temporary folder, removed when the script ends
#   now                     the time in seconds
#   bench_best RUNS CMD...  the best wall time of RUNS runs of CMD (output discarded), in seconds

# shellcheck disable=SC2034  # read by the scripts that source this file
top=$(cd "$(dirname "$0")/.." && pwd)

bench_cli() {
    cli=$1/bin/korvel-cli
    [ -x "$cli" ] || { echo "build korvel-cli first ($cli)"; exit 1; }
}

bench_need() {
    local t
    for t in "$@"; do
        command -v "$t" >/dev/null || { echo "$t is missing (scripts/setup installs it)"; exit 1; }
    done
}

bench_work() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-bench-$1.XXXXXX")
    trap 'rm -rf "$work"' EXIT
}

now() { date +%s.%N; }

bench_best() {
    local runs=$1 b=999 s e
    shift
    for _ in $(seq "$runs"); do
        s=$(now)
        "$@" >/dev/null
        e=$(now)
        b=$(echo "if ($e - $s < $b) $e - $s else $b" | bc -l)
    done
    echo "$b"
}
