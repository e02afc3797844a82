#!/usr/bin/env bash
# Tag writing benchmark (run by hand): korvel-cli tag against mid3v2 (mutagen) on the same 1,000
# tagged MP3 files in the same run, one process per file for both, as a script over a music folder
# would run them. The files carry an ID3v2.4 tag with a cover picture, several comments and a
# Unicode title, as mutagen writes it. Needs lame, mid3v2 and a built korvel-cli.
#   bench/tags.sh [build-dir]      (default: build)
#   COUNT=... changes the number of files (default 1000), ROUNDS=... the rounds (default 2; the
#   order of the tools alternates, the best round of each counts)
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/benchsupport.sh"
bench_cli "${1:-$top/build}"
count=${COUNT:-1000}
rounds=${ROUNDS:-2}
bench_need lame mid3v2
py=/usr/bin/python3
"$py" -c 'import mutagen' 2>/dev/null || py=python3

bench_work tags

# One 5-second MP3 (about 80 kB) with a rich tag, copied $count times for each tool.
"$py" - "$work/src.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<hh", int(9000 * math.sin(i / 9)), 0) for i in range(44100 * 5)))
PY
lame --quiet -b 128 "$work/src.wav" "$work/seed.mp3"
"$py" - "$work/seed.mp3" <<'PY'
import sys
from mutagen.id3 import ID3, APIC, TIT2, TPE1, TALB, COMM, TXXX
t = ID3()
t.add(TIT2(encoding=3, text="Τίτλος 标题")); t.add(TPE1(encoding=3, text="Artist")); t.add(TALB(encoding=3, text="Album"))
t.add(COMM(encoding=3, lang="eng", desc="", text="Main")); t.add(COMM(encoding=3, lang="eng", desc="iTunNORM", text=" 0A 0B"))
t.add(TXXX(encoding=3, desc="mood", text="calm")); t.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=b"\xff" * 30000))
t.save(sys.argv[1], v2_version=4)
PY
for tool in korvel mutagen; do
  mkdir "$work/$tool"
  for i in $(seq -w "$count"); do cp "$work/seed.mp3" "$work/$tool/track$i.mp3"; done
done
sync

# Alternate the order over two rounds; the best round of each counts.
best_k=; best_m=
for round in $(seq "$rounds"); do
  for tool in korvel mutagen; do
    [ $((round % 2)) = 0 ] && tool=$([ $tool = korvel ] && echo mutagen || echo korvel)
    t0=$(now)
    if [ $tool = korvel ]; then
      for f in "$work/korvel"/*.mp3; do "$cli" tag --v2 --title "Round $round" --artist "Бенч" "$f"; done
    else
      for f in "$work/mutagen"/*.mp3; do mid3v2 -t "Round $round" -a "Бенч" "$f" >/dev/null; done
    fi
    t1=$(now)
    s=$(echo "$t1 - $t0" | bc -l)
    printf 'round %d %-8s %.2f s\n' $round $tool "$s"
    if [ $tool = korvel ]; then
      [ -z "$best_k" ] || [ "$(echo "$s < $best_k" | bc -l)" = 1 ] && best_k=$s
    else
      [ -z "$best_m" ] || [ "$(echo "$s < $best_m" | bc -l)" = 1 ] && best_m=$s
    fi
  done
done
printf '%d files: korvel-cli tag %.2f s (%.1f ms per file), mid3v2 %.2f s (%.1f ms per file): korvel/mid3v2 = %.2f\n' \
  "$count" "$best_k" "$(echo "$best_k * 1000 / $count" | bc -l)" "$best_m" "$(echo "$best_m * 1000 / $count" | bc -l)" \
  "$(echo "$best_k / $best_m" | bc -l)"
# Both wrote the same texts, and every other frame is still there (as mutagen reads it).
"$py" - "$work/korvel/track$(printf '%0*d' ${#count} 1).mp3" "$work/mutagen/track$(printf '%0*d' ${#count} 1).mp3" <<'PY'
import sys
from mutagen.id3 import ID3
a, b = (ID3(p) for p in sys.argv[1:3])
keys = lambda t: sorted(k for k in t.keys())
print("same frames:", keys(a) == keys(b), "| title:", a["TIT2"].text, b["TIT2"].text, "| versions:", a.version, b.version)
PY
