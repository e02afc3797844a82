#!/usr/bin/env bash
# Decoding speed of libmpegdll (korvel-cli play --pcm) against mpg123 -s on the same file: a
# 5-minute 44.1 kHz stereo 192 kbit/s tone made by lame. Run by hand from the top of the tree
# after scripts/build.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
. "$(dirname "$0")/benchsupport.sh"
cli=${KORVEL_BUILD_DIR:-$top/build}/bin/korvel-cli
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ffmpeg -loglevel error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=300" -ac 2 "$tmp/in.wav"
lame --quiet -b 192 "$tmp/in.wav" "$tmp/in.mp3"
k=$(printf '%.3f' "$(bench_best 3 "$cli" play "$tmp/in.mp3" --pcm "$tmp/k.pcm")")
m=$(printf '%.3f' "$(bench_best 3 sh -c "mpg123 -q -s '$tmp/in.mp3' > '$tmp/m.pcm'")")
cmp -s "$tmp/k.pcm" "$tmp/m.pcm" && same=identical || same=DIFFERENT
echo "300 s of MP3: korvel-cli play --pcm ${k} s, mpg123 -s ${m} s; output ${same}"
