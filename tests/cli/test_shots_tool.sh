#!/usr/bin/env bash
# The help page's and the benchmarks' hooks live in korvel-shots, not in the shipped program:
# korvel reads no KORVEL_ variable, and korvel-shots answers --help, refuses a wrong option and
# still drives the program (a folder shown for the benchmark, a packer page stored as a picture).
#   test_shots_tool.sh <build bin folder>
set -uo pipefail
bin=${1:?usage: test_shots_tool.sh <bin folder>}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() { # check <what> <command...>: the command must succeed
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

names=$(strings -a "$bin/korvel" | grep -o 'KORVEL_[A-Z_]*' | sort -u)
check "korvel holds no KORVEL_ name${names:+ (found: $names)}" test -z "$names"

check "--help" bash -c "'$bin/korvel-shots' --help | grep -q -- '--screenshot PNG'"
for wrong in "--wide" "--show" "--show a --open b" "--bench-folder d --screenshot x.png" "--frobnicate"; do
    # shellcheck disable=SC2086 # the options are split on purpose
    "$bin/korvel-shots" $wrong >/dev/null 2>&1
    check "refused: $wrong" test $? -eq 2
done

mkdir -p "$work/start" "$work/dir/sub"
touch "$work/dir/a.zip" "$work/dir/b.zip"
cd "$work/start" || exit 1
out=$(QT_QPA_PLATFORM=offscreen "$bin/korvel-shots" --bench-folder "$work/dir" --report)
check "--bench-folder: rows and peak memory (got: $(echo "$out" | tr '\n' ' '))" \
    bash -c "grep -q '^rows 3$' <<<'$out' && grep -q '^VmHWM:' <<<'$out'"
QT_QPA_PLATFORM=offscreen "$bin/korvel-shots" --demo-packer "$work/dir" --screenshot "$work/packer.png"
check "--demo-packer --screenshot: a PNG" bash -c "file '$work/packer.png' | grep -q 'PNG image data'"
QT_QPA_PLATFORM=offscreen "$bin/korvel-shots" --show "$work/dir/none.txt" 2>/dev/null
check "--show of a file not listed ends with 1" test $? -eq 1
exit $failed
