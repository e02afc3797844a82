#!/usr/bin/env bash
# Audio formats benchmark (run by hand): the stream analysis reads at most three small windows,
# so a 1 GB file costs what a 1 MB file costs; and korvel-cli mp3 against mediainfo over a
# folder of 1,000 MP3 files, in the same run. Needs lame, mediainfo and a built korvel-cli.
#   bench/audio.sh [build-dir]      (default: build)
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/benchsupport.sh"
bench_cli "${1:-$top/build}"
bench_need lame mediainfo

bench_work audio
secs() { echo "$2 - $1" | bc -l; }

# Sines written by python's wave module: 64 seconds (about 1 MB at 128 kbit/s) and 3 seconds.
python3 - "$work/src.wav" 64 "$work/short.wav" 3 <<'PY'
import math, struct, sys, wave
rate = 44100
for name, seconds in ((sys.argv[1], int(sys.argv[2])), (sys.argv[3], int(sys.argv[4]))):
    with wave.open(name, "wb") as w:
        w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate)
        frames = bytearray()
        for i in range(rate * seconds):
            v = int(12000 * math.sin(2 * math.pi * 440 * i / rate))
            frames += struct.pack("<hh", v, v // 2)
        w.writeframes(bytes(frames))
PY
lame --quiet -b 128 "$work/src.wav" "$work/1mb.mp3"
# 1 GB: the same frames over and over.
for i in $(seq 1024); do cat "$work/1mb.mp3"; done > "$work/1gb.mp3"
echo "files: 1mb.mp3 $(stat -c %s "$work/1mb.mp3") bytes, 1gb.mp3 $(stat -c %s "$work/1gb.mp3") bytes"

runs=300
for f in 1mb 1gb; do
  t0=$(now); for i in $(seq $runs); do "$cli" mp3 "$work/$f.mp3" >/dev/null; done; t1=$(now)
  printf 'korvel-cli mp3 %s: %.2f ms per file (%d runs)\n' $f "$(echo "($t1 - $t0) * 1000 / $runs" | bc -l)" $runs
done
"$cli" mp3 "$work/1gb.mp3" | head -7

# 1,000 files with tags.
small="$work/small"; mkdir "$small"
lame --quiet -b 128 --tt "Bench" --ta "Korvel" --tl "Album" --ty 2024 --tn 1 --tg Rock --add-id3v2 \
  "$work/short.wav" "$work/seed.mp3"
for i in $(seq -w 1000); do cp "$work/seed.mp3" "$small/track$i.mp3"; done
t0=$(now); for f in "$small"/*.mp3; do "$cli" mp3 "$f" >/dev/null; done; t1=$(now)
k=$(secs $t0 $t1)
t0=$(now); for f in "$small"/*.mp3; do mediainfo "$f" >/dev/null; done; t1=$(now)
m=$(secs $t0 $t1)
t0=$(now); mediainfo "$small" >/dev/null; t1=$(now)
m1=$(secs $t0 $t1)
printf '1000 files, one process per file: korvel-cli mp3 %.2f s, mediainfo %.2f s: mediainfo/korvel = %.1f\n' $k $m "$(echo "$m / $k" | bc -l)"
printf '1000 files, mediainfo given the folder (one process): %.2f s: that/korvel = %.1f\n' $m1 "$(echo "$m1 / $k" | bc -l)"
