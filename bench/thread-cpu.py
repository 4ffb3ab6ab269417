#!/usr/bin/env python3
"""Runs a command and reports its wall time, its CPU time and the CPU time of its busiest
reading thread.

    bench/thread-cpu.py COMMAND [ARG...]

Prints one line: "wall_s cpu_s reader_cpu_s reader_read_bytes threads". The command's own
output goes to a temporary file, shown only when the command fails.

The threads carry no names, so the reader is found by what it does: the thread that read the
most bytes (/proc/PID/task/TID/io, rchar) is the one that reads the source files, i.e. the
read-ahead cache thread. Each thread's CPU time (utime + stime of /proc/PID/task/TID/stat) is
sampled every 20 ms and the last sample before the thread ends is kept, so a thread's figure
can fall short by at most one interval. The process's own CPU time comes from wait4 and is
exact. With THREAD_CPU_ALL set, every thread's figures go to standard error as well.
"""
import os
import sys
import tempfile
import time

INTERVAL = 0.02
TICKS = os.sysconf("SC_CLK_TCK")


def sample(pid, seen):
    try:
        tids = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return
    for tid in tids:
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                stat = f.read()
            with open(f"/proc/{pid}/task/{tid}/io") as f:
                io = dict(line.split(": ") for line in f.read().splitlines())
        except OSError:
            continue  # the thread ended between listing and reading
        # Fields after the command name (which may hold blanks) start at field 3.
        fields = stat[stat.rindex(")") + 2:].split()
        cpu = (int(fields[11]) + int(fields[12])) / TICKS
        seen[tid] = (cpu, int(io["rchar"]))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    log = tempfile.TemporaryFile()
    start = time.monotonic()
    pid = os.fork()
    if pid == 0:
        try:
            os.dup2(log.fileno(), 1)
            os.dup2(log.fileno(), 2)
            os.execvp(sys.argv[1], sys.argv[1:])
        finally:
            os._exit(127)
    seen = {}
    while True:
        done, status, usage = os.wait4(pid, os.WNOHANG)
        if done:
            break
        sample(pid, seen)
        time.sleep(INTERVAL)
    wall = time.monotonic() - start
    if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
        log.seek(0)
        sys.stderr.write(log.read()[-4000:].decode(errors="replace"))
        sys.exit(f"thread-cpu: {sys.argv[1]} failed (status {status})")
    if os.environ.get("THREAD_CPU_ALL"):
        for tid, (cpu, rchar) in sorted(seen.items(), key=lambda item: int(item[0])):
            sys.stderr.write(f"  thread {tid}: cpu {cpu:.2f} s, read {rchar} bytes\n")
    reader_cpu, reader_bytes = max(seen.values(), key=lambda v: v[1]) if seen else (0.0, 0)
    print(f"{wall:.3f} {usage.ru_utime + usage.ru_stime:.3f} {reader_cpu:.3f} {reader_bytes} {len(seen)}")


if __name__ == "__main__":
    main()
