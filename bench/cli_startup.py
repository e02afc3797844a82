#!/usr/bin/env python3
"""korvel-cli against the peer tools, one process per call as a script would run them.

Each pair runs interleaved (ours, peer, ours, peer, ...) so both see the same machine load;
the table gives the median of RUNS runs (default 15) of each, wall time and CPU time (user +
system, which a busy machine disturbs less).

  print one member of a one-member archive        korvel-cli print  vs  unzip -p    (goal <= 1.3x)
  print one member of a 100,000-member archive    korvel-cli print  vs  unzip -p    (goal <= 1.3x)
  diz (automatic lookup), one-member archive      korvel-cli diz    vs  unzip -p    (goal <= 1.3x)
  diz (automatic lookup), 100,000-member archive  korvel-cli diz    vs  unzip -p    (goal <= 1.3x)
  list the 100,000-member archive                 korvel-cli list   vs  unzip -v    (goal < 1x)
  mp3 of a tagged MP3 file                        korvel-cli mp3    vs  mediainfo   (goal < 1x)
  ls of a folder of 100,000 files                 korvel-cli ls     vs  ls -l       (goal < 1x)
  help (process start alone)                      korvel-cli help   vs  unzip -v    (no goal; start-up cost)

Usage: bench/cli_startup.py [BUILD_BIN_DIR] [WORK_DIR]   (defaults: build/bin, a temporary folder)
"""
import os
import statistics
import subprocess
import zipfile

from benchsupport import from_command_line, interleaved, verdict, wall_and_cpu, write_many_member_zip

setup = from_command_line(temp_prefix="korvel-bench-cli-")
cli, work = setup.cli, setup.work
runs = int(os.environ.get("RUNS", "15"))


def pair(label, ours, peer, goal):
    wall_and_cpu(ours), wall_and_cpu(peer)  # warm the cache
    a, b = interleaved(ours, peer, runs)
    wa, wb = statistics.median(x[0] for x in a), statistics.median(x[0] for x in b)
    ca, cb = statistics.median(x[1] for x in a), statistics.median(x[1] for x in b)
    ratio = wa / wb
    goal_text = "" if goal is None else f"<= {goal}"
    print(f"| {label} | {wa * 1000:.1f} ms | {wb * 1000:.1f} ms | {ratio:.2f}x | {ca * 1000:.1f} ms | "
          f"{cb * 1000:.1f} ms | {ca / cb if cb else 0:.2f}x | {goal_text} {verdict(ratio, goal, 'over goal')} |",
          flush=True)


one = os.path.join(work, "one.zip")
with zipfile.ZipFile(one, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("file_id.diz", "the description\r\n" * 20)

big = os.path.join(work, "many.zip")
write_many_member_zip(big, "file_id.diz")

mp3 = os.path.join(work, "song.mp3")
if not os.path.exists(mp3):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=30",
                    "-b:a", "192k", "-metadata", "title=Bench", "-metadata", "artist=Korvel", mp3], check=True)

folder = os.path.join(work, "files")
if not os.path.exists(folder):
    os.makedirs(folder)
    exts = ["zip", "mp3", "txt", "diz", "png", "c", "nfo", "exe"]
    for i in range(100000):
        open(os.path.join(folder, f"file{i:06d}.{exts[i % len(exts)]}"), "w").close()

print(f"korvel-cli: {cli}; median of {runs} runs each, interleaved; "
      f"load average {os.getloadavg()[0]:.1f} at the start\n")
print("| What | korvel-cli wall | peer wall | ratio | korvel-cli CPU | peer CPU | CPU ratio | goal (wall) |")
print("|---|---|---|---|---|---|---|---|")
pair("print, one-member archive (vs `unzip -p`)", [cli, "print", one, "file_id.diz"], ["unzip", "-p", one, "file_id.diz"], 1.3)
pair("print, 100,000-member archive (vs `unzip -p`)", [cli, "print", big, "file_id.diz"], ["unzip", "-p", big, "file_id.diz"], 1.3)
pair("diz, one-member archive (vs `unzip -p`)", [cli, "diz", one], ["unzip", "-p", one, "file_id.diz"], 1.3)
pair("diz, 100,000-member archive (vs `unzip -p`)", [cli, "diz", big], ["unzip", "-p", big, "file_id.diz"], 1.3)
pair("list, 100,000 members (vs `unzip -v`)", [cli, "list", big], ["unzip", "-v", big], 1.0)
pair("mp3 (vs `mediainfo`)", [cli, "mp3", mp3], ["mediainfo", mp3], 1.0)
pair("ls, 100,000 files (vs `ls -l`)", [cli, "ls", folder], ["ls", "-l", folder], 1.0)
pair("help: process start alone (vs `unzip -v` of the one-member archive)", [cli, "help"], ["unzip", "-v", one], None)
print(f"\nload average {os.getloadavg()[0]:.1f} at the end")
