#!/usr/bin/env python3
"""Archive engines against the Info-ZIP tools, in the same run.

  print one member of a 100,000-member archive   korvel-cli print   vs  unzip -p   (target <= 1.5x)
  list that archive                              korvel-cli list    vs  unzip -v   (target <= 1.5x)
  pack 200 MB of mixed files at level 6          korvel-cli zip     vs  zip -r -6  (target <= 1.2x, size within 2%)

Usage: bench/archive_engines.py [BUILD_BIN_DIR] [WORK_DIR]   (defaults: build/bin, a temporary folder)
"""
import os
import random
import shutil
import subprocess

from benchsupport import best_of, from_command_line, report, write_many_member_zip

setup = from_command_line()
cli, work = setup.cli, setup.work


# 1, 2: an archive of 100,000 small members, written directly (the zip tool would need the files).
big = os.path.join(work, "many.zip")
write_many_member_zip(big, "FILE_ID.DIZ")
target_member = "FILE_ID.DIZ"  # the last entry: the whole directory is searched
assert subprocess.run([cli, "print", big, target_member], capture_output=True).stdout == \
    subprocess.run(["unzip", "-p", big, target_member], capture_output=True).stdout
report("print one member of 100,000 (vs unzip -p)", best_of([cli, "print", big, target_member], 7),
       best_of(["unzip", "-p", big, target_member], 7), 1.5)
report("list 100,000 members (vs unzip -v)", best_of([cli, "list", big], 5), best_of(["unzip", "-v", big], 5), 1.5)

# 3: 200 MB of mixed files: text-like, binary-like with structure, and incompressible.
data = os.path.join(work, "data")
if not os.path.exists(data):
    rnd = random.Random(2)
    words = ["".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9))) for _ in range(3000)]
    total = 0
    i = 0
    while total < 200 * 1024 * 1024:
        kind = i % 3
        sub = os.path.join(data, f"d{i % 17}")
        os.makedirs(sub, exist_ok=True)
        size = rnd.randint(100_000, 3_000_000)
        if kind == 0:
            body = " ".join(rnd.choice(words) for _ in range(size // 6)).encode()[:size]
            name = f"text{i}.txt"
        elif kind == 1:
            rec = bytes(rnd.getrandbits(8) for _ in range(64))
            body = b"".join(rec[: rnd.randint(8, 64)] + i.to_bytes(4, "little") for i in range(size // 40))[:size]
            name = f"table{i}.dat"
        else:
            body = os.urandom(size)
            name = f"noise{i}.bin"
        with open(os.path.join(sub, name), "wb") as f:
            f.write(body)
        total += len(body)
        i += 1

ours_zip = os.path.join(work, "ours.zip")
peer_zip = os.path.join(work, "peer.zip")


def remove(path):
    if os.path.exists(path):
        os.remove(path)


pack_ours = best_of([cli, "zip", "--fLevel=6", ours_zip, "data"], 3, lambda: remove(ours_zip), cwd=work, stderr=None)
pack_peer = best_of(["zip", "-q", "-r", "-6", peer_zip, "data"], 3, lambda: remove(peer_zip), cwd=work, stdout=None,
                    stderr=None)
report("pack 200 MB mixed at level 6 (vs zip -r -6)", pack_ours, pack_peer, 1.2)
so, sp = os.path.getsize(ours_zip), os.path.getsize(peer_zip)
print(f"{'archive size':48s} ours {so:,} bytes  peer {sp:,} bytes  difference {100.0 * (so - sp) / sp:+.2f}% (within 2%)")
assert subprocess.run(["unzip", "-tq", ours_zip], stdout=subprocess.DEVNULL).returncode == 0

if setup.temporary:
    shutil.rmtree(work)
