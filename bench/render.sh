#!/usr/bin/env bash
# Description picture benchmark (run by hand): a 500-line ANSI file (colours, bold, blink, cursor
# moves, line drawing, a SAUCE record) drawn to PNG by `korvel-cli diz --file --png` and by
# `ansilove` in the same run, best of ROUNDS each (default 10). Needs ansilove and a built
# korvel-cli.
#   bench/render.sh [build-dir]      (default: build)
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/benchsupport.sh"
bench_cli "${1:-$top/build}"
rounds=${ROUNDS:-10}
bench_need ansilove

bench_work render

python3 - "$work/art.ans" <<'PY'
import random, struct, sys
random.seed(500)
out = bytearray()
for line in range(500):
    col = 0
    while col < 78:
        fg, bg = random.randrange(30, 38), random.randrange(40, 48)
        attrs = [str(fg), str(bg)]
        if random.random() < 0.3: attrs.insert(0, "1")
        if random.random() < 0.1: attrs.insert(0, "5")
        out += b"\x1b[" + ";".join(attrs).encode() + b"m"
        run = random.randrange(1, 12)
        run = min(run, 78 - col)
        out += bytes(random.choice(b"\xb0\xb1\xb2\xdb\xc4\xcd\xba\xc9\xbb ABCxyz.:") for _ in range(run))
        col += run
        if random.random() < 0.05:
            out += b"\x1b[2C"; col += 2
    out += b"\x1b[0m\r\n"
text_size = len(out)
sauce = b"\x1aSAUCE00" + b"Bench".ljust(35) + b"Korvel".ljust(20) + b"".ljust(20) + b"20261208"
sauce += struct.pack("<IBBHHHHBB", text_size, 1, 1, 80, 500, 0, 0, 0, 1) + b"IBM VGA".ljust(22, b"\0")
open(sys.argv[1], "wb").write(out + sauce)
PY

# Best wall time and best CPU time (user + system) in ms over $rounds runs of "$@".
best() {
  python3 - "$rounds" "$@" <<'PY'
import resource, subprocess, sys, time
rounds, cmd = int(sys.argv[1]), sys.argv[2:]
wall = cpu = float("inf")
for _ in range(rounds):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    t1 = time.perf_counter()
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    wall = min(wall, (t1 - t0) * 1000)
    cpu = min(cpu, (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000)
print(f"{wall:.0f} {cpu:.0f}")
PY
}
read -r ours_wall ours_cpu < <(best "$cli" diz --file --png "$work/ours.png" "$work/art.ans")
read -r theirs_wall theirs_cpu < <(best ansilove -q -S -o "$work/theirs.png" "$work/art.ans")
echo "500-line ANSI file ($(stat -c %s "$work/art.ans") bytes) to PNG, best of $rounds (wall / CPU):"
echo "  korvel-cli diz --png  ${ours_wall} ms / ${ours_cpu} ms  ($(stat -c %s "$work/ours.png") bytes)"
echo "  ansilove              ${theirs_wall} ms / ${theirs_cpu} ms  ($(stat -c %s "$work/theirs.png") bytes)"
python3 -c "import sys; a,b,c,d=map(float,sys.argv[1:]); print('  ratio wall %.2fx, CPU %.2fx' % (a/max(b,1), c/max(d,1)))" \
  "$ours_wall" "$theirs_wall" "$ours_cpu" "$theirs_cpu"
