#!/usr/bin/env bash
# Copy speed of the file operation engine (korvel-cli copy) against cp -r, in the same run:
# 10,000 small files, and one 1 GB file. Usage: bench/fileop/bench_copy.sh [WORK-FOLDER] [ROUNDS]
# WORK-FOLDER (default: a new folder under the build folder) must hold about 4 GB.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cli=${KORVEL_CLI:-$top/build/bin/korvel-cli}
work=${1:-$top/build/bench-fileop}
rounds=${2:-3}
[ -x "$cli" ] || { echo "build korvel-cli first (scripts/build)"; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
trap 'rm -rf "$work/out-cp" "$work/out-korvel" "$work"/time-* "$work"/runs-*' EXIT

if [ ! -d "$work/small" ]; then
  echo "making 10,000 small files..."
  python3 - "$work/small" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(1)
for d in range(100):
    os.makedirs(f"{root}/d{d:03}", exist_ok=True)
    for f in range(100):
        with open(f"{root}/d{d:03}/f{f:03}.dat", "wb") as out:
            out.write(os.urandom(random.randint(100, 16000)))
PY
fi
if [ ! -f "$work/big/one.bin" ]; then
  echo "making a 1 GB file..."
  mkdir -p "$work/big"
  head -c 1073741824 /dev/urandom > "$work/big/one.bin"
fi
sync

# time_one NAME SOURCE COMMAND...: prints "wall cpu" seconds (cpu = user + system); the copy lands
# in $work/out-NAME.
time_one() {
  local name=$1 srcdir=$2; shift 2
  rm -rf "$work/out-$name"; mkdir -p "$work/out-$name"; sync
  /usr/bin/time -f '%e %U %S' -o "$work/time-$name" "$@" "$srcdir" "$work/out-$name"
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time-$name"
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
best() { sort -n | head -1; }

for set in ${SETS:-small big}; do
  : > "$work/runs-cp"; : > "$work/runs-korvel"
  for ((r = 1; r <= rounds; r++)); do
    # Alternate which goes first, so neither always inherits the other's write-back.
    if ((r % 2)); then
      read -r cw cc < <(time_one cp "$work/$set" cp -r)
      read -r kw kc < <(time_one korvel "$work/$set" "$cli" copy -y)
    else
      read -r kw kc < <(time_one korvel "$work/$set" "$cli" copy -y)
      read -r cw cc < <(time_one cp "$work/$set" cp -r)
    fi
    diff -r "$work/out-cp/$set" "$work/out-korvel/$set" >/dev/null || { echo "copies differ!"; exit 1; }
    printf '%-5s round %d: cp -r %7.3f s (cpu %.3f)   korvel-cli copy %7.3f s (cpu %.3f)\n' "$set" "$r" \
      "$cw" "$cc" "$kw" "$kc"
    echo "$cw $cc" >> "$work/runs-cp"; echo "$kw $kc" >> "$work/runs-korvel"
  done
  # On a busy machine other work only ever adds time: the best round is the steadiest figure.
  for stat in median best; do
    for what in wall cpu; do
      col=1; [ "$what" = cpu ] && col=2
      c=$(awk -v c=$col '{ print $c }' "$work/runs-cp" | $stat)
      k=$(awk -v c=$col '{ print $c }' "$work/runs-korvel" | $stat)
      printf '%-5s %-6s %-4s: cp -r %.3f s, korvel-cli copy %.3f s, ratio %.2f\n' "$set" "$stat" "$what" \
        "$c" "$k" "$(echo "scale=4; $k / $c" | bc)"
    done
  done
done
