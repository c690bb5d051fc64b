#!/usr/bin/env python3
"""Kills mirtun-convert with SIGKILL at random moments while it replaces an
existing target, and counts what each kill left: the target as the old or
the new listing, damaged (with or without a copy of its old content in the
copy folder), and files left beside it.

Two kinds of target: a plain one (replaced by a rename) and one with a
second hard link (written in place from the copy folder); for the second,
also kills only within the in-place write, at random moments after the run
passed the stop point MIRTUN_TEST_STOP=saved:1. A damaged
in-place target is checked against its kept copy, and the next run must
name that copy.

  bench/kill_loop.py [KILLS [SOURCE]]

KILLS per kind of target (default 50); SOURCE a long list (default the PLS
list of 200,000 entries that gen_sources.py writes). CONV names the
program (default build/mirtun-convert); NOSTOP=1 leaves out the kills
within the in-place write (for a build without the stop point)."""
import filecmp
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
conv = os.environ.get("CONV", os.path.join(root, "build", "mirtun-convert"))
kills = int(sys.argv[1]) if len(sys.argv) > 1 else 50
source = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "bench", "data", "list.pls")
if not os.path.exists(source):
    subprocess.run([sys.executable, os.path.join(root, "bench", "gen_sources.py"),
                    os.path.dirname(source)], check=True)

work = tempfile.mkdtemp(prefix="mirtun-kill-")
cache = os.path.join(work, "cache")
env = dict(os.environ, XDG_CACHE_HOME=cache, XDG_CONFIG_HOME=os.path.join(work, "config"))
folder = os.path.join(work, "t")
target = os.path.join(folder, "out.htm")
old = os.path.join(work, "old.txt")
new = os.path.join(work, "new.htm")
args = [conv, "--defaults", "--html", "-f", source]

# The old content: another style of the same list, so that old and new
# differ everywhere. The new one, and how long a run takes.
subprocess.run([conv, "--defaults", "--import", "-f", source, old], env=env, check=True)
subprocess.run(args + [new], env=env, check=True)
times = []
for _ in range(3):
    start = time.monotonic()
    subprocess.run(args + [new], env=env, check=True)
    times.append(time.monotonic() - start)
took = max(times)
print(f"source {source}: old {os.path.getsize(old):,} B, new {os.path.getsize(new):,} B, "
      f"a run {took * 1000:.0f} ms")

def fresh_target(linked):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copyfile(old, target)
    if linked:
        os.link(target, os.path.join(folder, "other.htm"))


def start_run(stop=None):
    """A run over the target; with stop, one that has reached that stop
    point (MIRTUN_TEST_STOP) and goes on from there."""
    p = subprocess.Popen(args + [target], env=dict(env, MIRTUN_TEST_STOP=stop or ""),
                         stderr=subprocess.DEVNULL)
    if stop:
        _, status = os.waitpid(p.pid, os.WUNTRACED)
        if not os.WIFSTOPPED(status):
            sys.exit(f"{conv} has no stop point {stop}")
        p.send_signal(signal.SIGCONT)
    return p


def run_time(linked, stop=None):
    """Seconds a run over the target takes, from its start or its stop point."""
    fresh_target(linked)
    p = start_run(stop)
    start = time.monotonic()
    p.wait()
    return time.monotonic() - start


# The in-place copy into the target itself: from the moment the old
# content's copy is kept (stop point "saved") to the end of the run.
# A build without the stop point (NOSTOP=1) is killed at random moments only.
end = max(run_time(True) for _ in range(3))
windows = {"plain": (None, took * 1.3), "hard link": (None, end * 1.3)}
if not os.environ.get("NOSTOP"):
    rest = max(run_time(True, "saved:1") for _ in range(3))
    print(f"hard link: a run {end * 1000:.0f} ms, the in-place write {rest * 1000:.0f} ms of it")
    windows["hard link, in-place write"] = ("saved:1", rest)
shutil.rmtree(cache, ignore_errors=True)

rnd = random.Random(int(os.environ.get("SEED", "19")))
for kind, (stop, last) in windows.items():
    counts = dict(old=0, new=0, damaged_kept=0, damaged_lost=0, finished=0,
                  leftovers=0, leftover_bytes=0, copies_named=0, copies_left=0)
    for _ in range(kills):
        fresh_target(kind != "plain")
        p = start_run(stop)
        time.sleep(rnd.uniform(0, last))
        p.send_signal(signal.SIGKILL)
        if p.wait() == 0:
            counts["finished"] += 1
        for name in os.listdir(folder):
            if name not in ("out.htm", "other.htm"):
                counts["leftovers"] += 1
                counts["leftover_bytes"] += os.path.getsize(os.path.join(folder, name))
        if filecmp.cmp(target, old, shallow=False):
            counts["old"] += 1
        elif filecmp.cmp(target, new, shallow=False):
            counts["new"] += 1
        else:
            copies = os.listdir(os.path.join(cache, "mirtun")) if os.path.isdir(cache) else []
            kept = [c for c in copies
                    if filecmp.cmp(os.path.join(cache, "mirtun", c), old, shallow=False)]
            counts["damaged_kept" if kept else "damaged_lost"] += 1
            # The next run names the copy.
            r = subprocess.run(args + [target], env=env, stderr=subprocess.PIPE, text=True)
            if "Eine Kopie des alten Inhalts von out.htm liegt in" in r.stderr:
                counts["copies_named"] += 1
        # The copy folder: copies of old content (each named by the next
        # run) and anything else, which nothing would name.
        if os.path.isdir(cache):
            for c in os.listdir(os.path.join(cache, "mirtun")):
                counts["copies_left" if c.startswith("old-") else "leftovers"] += 1
            shutil.rmtree(cache)
    print(f"{kind}: {kills} kills; " + ", ".join(f"{k} {v}" for k, v in counts.items()))
shutil.rmtree(work)
