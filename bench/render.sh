#!/usr/bin/env bash
# Description picture benchmark (run by hand): a 500-line ANSI file (colours, bold, blink, cursor
# moves, line drawing, a SAUCE record) drawn to PNG by `korvel-cli diz --file --png` and by
# `ansilove` in the same run, best of ROUNDS each (default 10). Needs ansilove and a built
# korvel-cli.
#   bench/render.sh [build-dir]      (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$top/build}/bin/korvel-cli
rounds=${ROUNDS:-10}
[ -x "$cli" ] || { echo "build korvel-cli first ($cli)"; exit 1; }
command -v ansilove >/dev/null || { echo "ansilove is missing (scripts/setup installs it)"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-bench-render.XXXXXX")
trap 'rm -rf "$work"' EXIT

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

best() { # best wall time in ms of "$@", $rounds runs
  local best=999999 t0 t1 ms
  for _ in $(seq "$rounds"); do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N)
    ms=$(( (t1 - t0) / 1000000 )); [ "$ms" -lt "$best" ] && best=$ms
  done
  echo "$best"
}
ours=$(best "$cli" diz --file --png "$work/ours.png" "$work/art.ans")
theirs=$(best ansilove -q -S -o "$work/theirs.png" "$work/art.ans")
echo "500-line ANSI file ($(stat -c %s "$work/art.ans") bytes) to PNG, best of $rounds:"
echo "  korvel-cli diz --png  ${ours} ms  ($(stat -c %s "$work/ours.png") bytes)"
echo "  ansilove              ${theirs} ms  ($(stat -c %s "$work/theirs.png") bytes)"
python3 -c "import sys; o,t=int(sys.argv[1]),int(sys.argv[2]); print('  ratio %.2fx' % (o/max(t,1)))" "$ours" "$theirs"
