#!/usr/bin/env bash
# Lists a folder of 100,000 empty files with `korvel-cli ls` and with `ls -l` in the same run
# (best of 5 each), then shows that folder in the main window (offscreen, through korvel-shots,
# which starts the program as korvel does) and reports the program's peak memory. Targets: at
# most 2x the time of ls -l; under 150 MB.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/benchsupport.sh"
bin=${KORVEL_BUILD_DIR:-$top/build}/bin
count=${COUNT:-100000}
dir=$(mktemp -d /tmp/korvel-bench-XXXXXX)
trap 'rm -rf "$dir"' EXIT

echo "making $count empty files in $dir"
(cd "$dir" && seq -f "file%06g.zip" 1 "$count" | xargs touch)

ls -l "$dir" >/dev/null # warm the cache
t_ls=$(bench_best 5 ls -l "$dir")
t_kv=$(bench_best 5 "$bin/korvel-cli" ls "$dir")
t_kvm=$(bench_best 5 "$bin/korvel-cli" ls --mask '*.zip;*.mp3' "$dir")
printf 'ls -l                         %.3f s\n' "$t_ls"
printf 'korvel-cli ls                 %.3f s  (%.2fx ls -l)\n' "$t_kv" "$(echo "$t_kv / $t_ls" | bc -l)"
printf 'korvel-cli ls --mask zip;mp3  %.3f s  (%.2fx ls -l)\n' "$t_kvm" "$(echo "$t_kvm / $t_ls" | bc -l)"

for style in smallicons report; do
    report=()
    [ "$style" = report ] && report=(--report)
    out=$(cd "$dir/.." && QT_QPA_PLATFORM=offscreen \
        /usr/bin/time -f "wall %e s" "$bin/korvel-shots" --bench-folder "$dir" "${report[@]}" 2>&1 |
        grep -E "^(VmHWM|rows|wall)")
    echo "korvel showing the folder ($style): $(echo "$out" | tr '\n' ' ')"
done
