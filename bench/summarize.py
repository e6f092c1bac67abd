#!/usr/bin/env python3
"""Each target with its figure, from the exports of one bench/run.sh run.

    summarize.py <results folder>
"""
import glob
import json
import os
import statistics
import sys

results = sys.argv[1]


def medians(pattern):
    """Median milliseconds of each command over the hyperfine exports that match."""
    times = {}
    for path in glob.glob(os.path.join(results, pattern + ".json")):
        with open(path) as export:
            for run in json.load(export)["results"]:
                times.setdefault(run["command"], []).extend(run["times"])
    return {command: 1000 * statistics.median(values) for command, values in times.items()}


removal, starts, startup = medians("removal-*"), medians("absent-*"), medians("startup-*")
with open(os.path.join(results, "wait.json")) as export:
    wait = json.load(export)
size, imports = open(os.path.join(results, "size.txt")).read().split()
size = int(size)


def net(name):
    return removal[name] - starts[name]


latency = sorted(wait["latency_ms"])


def share(phase, key):
    """Percent of one core in the window of that phase."""
    return 100 * wait[phase][key] / wait["hz"] / wait[phase]["wall_s"]


cpu = share("wait", "program") + share("wait", "server") - share("idle", "server")
added = startup["program-two-processes"] - startup["box"]
rows = [
    ("pass by hand within 1.2 x `rd /s /q`", "%.2f x (with the process starts %.2f x)"
     % (net("manual") / net("rd"), removal["manual"] / removal["rd"]), net("manual") <= 1.2 * net("rd")),
    ("shell delete path no slower than `rd /s /q`", "%.2f x (with the process starts %.2f x)"
     % (net("shell") / net("rd"), removal["shell"] / removal["rd"]), net("shell") <= net("rd")),
    ("removal starts within 600 ms of the host's exit", "max %.0f ms, median %.0f ms, %d samples"
     % (latency[-1], statistics.median(latency), len(latency)), latency[-1] <= 600),
    ("the wait uses under 1 % of one core", "%.2f %% (program %.2f %%, wine server %.2f %% less %.2f %% with the host alone)"
     % (cpu, share("wait", "program"), share("wait", "server"), share("idle", "server")), cpu < 1),
    ("two-process start adds at most 50 ms", "+%.0f ms (%.0f against %.0f ms); a second process alone +%.0f ms"
     % (added, startup["program-two-processes"], startup["box"], startup["box-two-processes"] - startup["box"]),
     added <= 50),
    ("release .exe at most 262,144 bytes", "{:,} bytes; imports {}".format(size, imports), size <= 262144),
]

print(open(os.path.join(results, "machine.txt")).read().strip().replace("\n", "  \n"))
print("\n| Target | Figure | Verdict |\n|---|---|---|")
for target, figure, met in rows:
    print("| %s | %s | %s |" % (target, figure, "met" if met else "**missed**"))
print("\nMedians (ms): removal %s; the same on an absent folder %s; start-up %s"
      % tuple(", ".join("%s %.0f" % item for item in table.items()) for table in (removal, starts, startup)))
print("Latency (ms): " + " ".join("%.0f" % value for value in latency))
