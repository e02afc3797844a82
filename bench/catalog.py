#!/usr/bin/env python3
"""Catalogue benchmark against a peer in the same run.

A tree of ZIP archives, each with a file_id.diz (a few hundred bytes of CP437 text) and a data
member, in folders of 100. For 1,000 and for 10,000 archives:
  - `korvel-cli catalog --recursive` (FILES.BBS) with no cache file yet (every archive looked up),
  - the same command again: the second, incremental run answered from the cache,
  - a shell loop of `unzip -C -p ARCHIVE file_id.diz` (names matched without regard to case, as
    the lookup does) over the same archives, one process each,
alternating which runs first, best of ROUNDS. Target: the first catalogue run at least 5x faster
than the loop.

Usage: bench/catalog.py [BIN_DIR] [WORK_DIR]   (defaults: build/bin, build/bench-catalog)
Environment: SIZES ("1000,10000"), ROUNDS (3).
"""
import os
import random
import shutil
import zipfile

from benchsupport import from_command_line, library_env, wall_time

setup = from_command_line("bench-catalog")
bin_dir, cli, work = setup.bin_dir, setup.cli, setup.work
sizes = [int(s) for s in os.environ.get("SIZES", "1000,10000").split(",")]
rounds = int(os.environ.get("ROUNDS", "3"))
env = library_env(bin_dir)


def make_tree(root, count):
    if os.path.isdir(root) and len(os.listdir(root)) == (count + 99) // 100:
        return
    shutil.rmtree(root, ignore_errors=True)
    rng = random.Random(count)
    for i in range(count):
        folder = os.path.join(root, "area%03d" % (i // 100))
        os.makedirs(folder, exist_ok=True)
        lines = [b"\xc9" + b"\xcd" * 40 + b"\xbb", b"\xba  PROGRAM %05d  v%d.%d" % (i, i % 7, i % 10) + b" " * 14 + b"\xba"]
        for _ in range(rng.randint(3, 12)):
            lines.append(b"\xba " + bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz ") for _ in range(38)) + b" \xba")
        lines.append(b"\xc8" + b"\xcd" * 40 + b"\xbc")
        with zipfile.ZipFile(os.path.join(folder, "PRG%05d.ZIP" % i), "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("FILE_ID.DIZ", b"\r\n".join(lines) + b"\r\n")
            z.writestr("PROGRAM.EXE", os.urandom(rng.randint(2000, 20000)))


def timed_shell(cmd):
    return wall_time(cmd, shell=True, env=env)


def main():
    print("catalogue: korvel-cli catalog against a loop of unzip -p (best of %d)" % rounds)
    results = []
    for count in sizes:
        tree = os.path.join(work, "tree%d" % count)
        make_tree(tree, count)
        out = os.path.join(work, "FILES%d.BBS" % count)
        cache = out + ".korvel-cache"
        catalog = "%s catalog --recursive --output %s %s" % (cli, out, tree)
        loop = ("find %s -name '*.ZIP' | sort | while IFS= read -r f; do unzip -C -p \"$f\" file_id.diz; done"
                % tree)
        timed_shell("cat %s/*/*.ZIP > /dev/null" % tree)  # both start from a warm page cache
        first, again, peer = [], [], []
        for r in range(rounds):
            def ours():
                if os.path.exists(cache):
                    os.remove(cache)
                first.append(timed_shell(catalog))
                again.append(timed_shell(catalog))
            if r % 2:
                ours()
                peer.append(timed_shell(loop))
            else:
                peer.append(timed_shell(loop))
                ours()
        f, a, p = min(first), min(again), min(peer)
        results.append((count, f, a, p))
        print("  %6d archives: catalog %.3f s (%.0f/s), incremental %.3f s, unzip -p loop %.3f s: %.1fx faster"
              % (count, f, count / f, a, p, p / f))
    if len(results) > 1:
        (c0, f0, a0, p0), (c1, f1, a1, p1) = results[0], results[-1]
        print("  growth %dx archives: catalog %.1fx time, incremental %.1fx, loop %.1fx"
              % (c1 // c0, f1 / f0, a1 / a0, p1 / p0))


main()
