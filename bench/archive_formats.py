#!/usr/bin/env python3
"""Description lookup in archives other than ZIP, against the peer tools in the same run.

A 7z (solid LZMA2, as 7z makes it by default) and a tar.xz, each of MEMBERS members (10,000)
with FILE_ID.DIZ stored last, so that every tool must go through the whole archive:
`korvel-cli diz` (automatic mode: file_id.diz is the first candidate) against `7z e -so` and
`bsdtar -xOf` of that member. Also the worst case for the lookup: no description at all (three
candidates missed, one pass through the archive) against one `bsdtar -xOf` of a missing name.
Target: not slower than the peers.

Usage: bench/archive_formats.py [BIN_DIR] [WORK_DIR]   (defaults: build/bin, build/bench-formats)
Environment: MEMBERS (10000), ROUNDS (5).
"""
import os
import subprocess

from benchsupport import TOP, from_command_line, interleaved, library_env

setup = from_command_line("bench-formats")
bin_dir, cli, work = setup.bin_dir, setup.cli, setup.work
members = int(os.environ.get("MEMBERS", "10000"))
rounds = int(os.environ.get("ROUNDS", "5"))
env = library_env(bin_dir)
diz = b"\xc9\xcd\xbb benchmark description \xc8\xcd\xbc\r\n"


def compare(label, ours_cmd, peer_cmd, peer_name, target=""):
    ours, theirs = interleaved(ours_cmd, peer_cmd, rounds, env=env)
    ow, oc = min(w for w, _ in ours), min(c for _, c in ours)
    tw, tc = min(w for w, _ in theirs), min(c for _, c in theirs)
    print(f"{label}: korvel-cli diz {ow * 1000:.1f} ms (cpu {oc * 1000:.1f} ms), {peer_name} {tw * 1000:.1f} ms "
          f"(cpu {tc * 1000:.1f} ms), ratio {ow / tw:.2f}x wall, {oc / max(tc, 1e-9):.2f}x cpu{target}")


src = os.path.join(work, "src")
if not os.path.isdir(src):
    for i in range(members - 1):
        d = os.path.join(src, f"D{i // 500:03d}")  # sorts before FILE_ID.DIZ in every tool
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, f"member{i:06d}.txt"), "w") as f:
            f.write(f"member {i} " * (1 + i % 40) + "\n")
    with open(os.path.join(src, "FILE_ID.DIZ"), "wb") as f:
        f.write(diz)
# Every file named in order, the description last (7z would otherwise put the top folder's files
# before the subfolders' and reach it at once).
names = sorted(os.path.relpath(os.path.join(d, f), src) for d, _, fs in os.walk(src) for f in fs
               if f != "FILE_ID.DIZ") + ["FILE_ID.DIZ"]
with open(os.path.join(work, "names.txt"), "w") as f:
    f.write("\n".join(names) + "\n")
seven = os.path.join(work, "many.7z")
txz = os.path.join(work, "many.tar.xz")
empty7 = os.path.join(work, "nodesc.7z")
if not os.path.exists(seven):
    subprocess.run(["7z", "a", "-bd", "-mqs=off", seven, "@" + os.path.join(work, "names.txt")], cwd=src, check=True,
                   stdout=subprocess.DEVNULL)
if not os.path.exists(txz):
    subprocess.run(["bsdtar", "-Jcf", txz, "-T", os.path.join(work, "names.txt")], cwd=src, check=True)
if not os.path.exists(empty7):
    subprocess.run(["7z", "a", "-bd", "-mqs=off", empty7] + names[:-1], cwd=src, check=True, stdout=subprocess.DEVNULL)

for archive, peer in ((seven, ["7z", "e", "-so", seven, "FILE_ID.DIZ"]),
                      (txz, ["bsdtar", "-xOf", txz, "FILE_ID.DIZ"])):
    ours_out = subprocess.run([cli, "diz", archive], capture_output=True, env=env)
    peer_out = subprocess.run(peer, capture_output=True)
    assert ours_out.returncode == 0 and ours_out.stdout == diz == peer_out.stdout, (ours_out, peer_out.stdout)
    compare(f"{os.path.basename(archive)} ({members} members, description last)", [cli, "diz", archive], peer,
            " ".join(peer[:2]), " (target 1.0x)")

# The same lookups inside one process, as the window makes them (no process start).
helper = os.path.join(work, "lookup_in_process")
build_dir = os.path.dirname(bin_dir)
core_libs = [os.path.join(build_dir, "src", "libkorvel_core.a"), os.path.join(build_dir, "engines", "libkorvel_posix.a")]
subprocess.run(["c++", "-O2", "-std=c++20", "-I", os.path.join(TOP, "src"), os.path.join(TOP, "bench", "lookup_in_process.cpp"),
                *core_libs, "-lz", "-ldl", "-o", helper], check=True)
for archive in (seven, txz, empty7):
    ms, cpu, caption, size = subprocess.run([helper, archive, str(rounds)], capture_output=True, text=True,
                                            check=True).stdout.split()
    print(f"in process: {os.path.basename(archive)}: lookup {float(ms):.1f} ms (cpu {float(cpu):.1f} ms; "
          f"{caption}, {size} bytes)")

compare(f"{os.path.basename(empty7)} without a description (3 misses, one pass)", [cli, "diz", empty7],
        ["bsdtar", "-xOf", empty7, "file_id.diz"], "bsdtar -xOf")
