#!/usr/bin/env python3
"""Times commands against each other on a shared, noisy machine: each
command runs ROUNDS times, the commands taking turns, so that a busy spell
falls on all of them alike. Prints the minimum, the lower quartile and the
median of each in milliseconds, and each one's median over the first's;
then the same of the processor time (user and system) each run took, which
the other load on the machine sways less than the time on the clock.

    floor.py ROUNDS 'label=command args...' ...

Commands run with their output to /dev/null, through posix_spawn (no
shell), so that the time is the program's own. An environment variable may
stand before the command ("MIRTUN_THREADS=1 ./mirtun-convert ..."). With
COLD=LIST in the environment, every file of the M3U list LIST is evicted
from the page cache before each run (posix_fadvise DONTNEED).
"""
import os
import shlex
import sys
import time


def evict(lst):
    base = os.path.dirname(lst)
    for line in open(lst):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        fd = os.open(os.path.join(base, line), os.O_RDONLY)
        os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        os.close(fd)


def main():
    rounds = int(sys.argv[1])
    cmds = []
    for spec in sys.argv[2:]:
        label, _, cmd = spec.partition("=")
        words = shlex.split(cmd)
        env = dict(os.environ)
        while words and "=" in words[0] and not words[0].startswith(("/", ".")):
            k, _, v = words.pop(0).partition("=")
            env[k] = v
        cmds.append((label, words, env))
    cold = os.environ.get("COLD")
    devnull = os.open(os.devnull, os.O_WRONLY)
    times = {label: [] for label, _, _ in cmds}
    cpu = {label: [] for label, _, _ in cmds}
    for _ in range(rounds):
        for label, words, env in cmds:
            if cold:
                evict(cold)
            t = time.perf_counter()
            pid = os.posix_spawn(words[0], words, env,
                                 file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1)])
            _, status, usage = os.wait4(pid, 0)
            times[label].append(time.perf_counter() - t)
            cpu[label].append(usage.ru_utime + usage.ru_stime)
            if status != 0:
                sys.exit("%s failed" % label)
    for what, table in (("clock", times), ("cpu", cpu)):
        first = None
        for label, _, _ in cmds:
            t = sorted(table[label])
            med = t[len(t) // 2] * 1e3
            first = first or med
            print("%-5s %-12s min %7.1f  q1 %7.1f  median %7.1f ms  x%.2f"
                  % (what, label, t[0] * 1e3, t[len(t) // 4] * 1e3, med, med / first))


if __name__ == "__main__":
    main()
