"""What the benchmark scripts share.

Every script runs as `bench/<name>.py [BUILD_BIN_DIR] [WORK_DIR]`; Python puts the script's own
folder on the module path, so `import benchsupport` finds this file. It gives:

  TOP                   the top of the repository
  from_command_line()   the build's bin folder, its korvel-cli and the work folder (made)
  library_env()         the environment that finds the build's engines first
  wall_time(), best_of(), wall_and_cpu(), interleaved()   timing runs of a command
  verdict(), report()   the "ours against the peer" line: times, ratio, target, verdict
  write_many_member_zip()   the 100,000-member archive the archive benchmarks read
"""
import collections
import os
import random
import resource
import subprocess
import sys
import tempfile
import time
import zipfile

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

Setup = collections.namedtuple("Setup", "bin_dir cli work temporary")


def from_command_line(work_default=None, temp_prefix="korvel-bench-"):
    """BUILD_BIN_DIR (default build/bin), its korvel-cli and WORK_DIR from the command line.

    Without WORK_DIR the work folder is build/<work_default>, or a new temporary folder when
    there is no default (then `temporary` is true and the script may remove it at the end).
    Both folders are absolute; the work folder exists on return.
    """
    bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build", "bin"))
    temporary = len(sys.argv) <= 2 and work_default is None
    if len(sys.argv) > 2:
        work = sys.argv[2]
    elif temporary:
        work = tempfile.mkdtemp(prefix=temp_prefix)
    else:
        work = os.path.join(TOP, "build", work_default)
    work = os.path.abspath(work)
    os.makedirs(work, exist_ok=True)
    return Setup(bin_dir, os.path.join(bin_dir, "korvel-cli"), work, temporary)


def library_env(bin_dir):
    """This process's environment with the build's bin folder searched first for libraries."""
    return dict(os.environ, LD_LIBRARY_PATH=bin_dir)


def wall_time(cmd, **kw):
    """Wall time of one run that must succeed; output discarded unless `kw` says otherwise
    (cwd, env, shell, stdout, stderr go to subprocess.run)."""
    kw = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL, **kw}
    t = time.perf_counter()
    subprocess.run(cmd, check=True, **kw)
    return time.perf_counter() - t


def best_of(cmd, runs, before=None, **kw):
    """Fastest wall time of `runs` runs of wall_time(cmd, **kw); `before` is called ahead of each
    run, outside the time."""
    times = []
    for _ in range(runs):
        if before:
            before()
        times.append(wall_time(cmd, **kw))
    return min(times)


def wall_and_cpu(cmd, **kw):
    """Wall time and CPU time (user + system) of one run, output discarded, exit status ignored."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)
    wall = time.perf_counter() - t
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def interleaved(ours, peer, runs, **kw):
    """`runs` (wall, cpu) pairs of each command, alternating ours and the peer so that neither
    finds the machine quieter."""
    a, b = [], []
    for _ in range(runs):
        a.append(wall_and_cpu(ours, **kw))
        b.append(wall_and_cpu(peer, **kw))
    return a, b


def verdict(ratio, target, over="OVER TARGET"):
    """"ok" when the ratio is at most the target, else `over`; empty without a target."""
    if target is None:
        return ""
    return "ok" if ratio <= target else over


def report(label, ours, peer, target):
    """One line: both times in ms, their ratio, the target and the verdict."""
    ratio = ours / peer
    print(f"{label:48s} ours {ours*1000:9.1f} ms  peer {peer*1000:9.1f} ms  ratio {ratio:5.2f}  "
          f"(<= {target}) {verdict(ratio, target)}")


def write_many_member_zip(path, last_name):
    """Unless `path` exists: 100,000 small deflated members in folders of 1,000, then a
    description named `last_name` as the last entry (a search for it reads the whole directory)."""
    if os.path.exists(path):
        return
    rnd = random.Random(1)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(100000):
            z.writestr(f"dir{i // 1000:03d}/member{i:06d}.txt", f"member {i} " * rnd.randint(1, 20))
        z.writestr(last_name, "the description\r\n" * 20)
