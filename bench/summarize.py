#!/usr/bin/env python3
"""Turns the raw lines of bench/run.sh into a Markdown summary: medians,
ratios and each target with its verdict.

    summarize.py <raw.txt>
"""
import re
import statistics
import sys
from collections import defaultdict


def fields(line):
    """Words of the form key=value, as a dict."""
    return dict(word.split("=", 1) for word in line.split() if "=" in word)


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    lines = [line.rstrip("\n") for line in open(sys.argv[1], encoding="utf-8", errors="replace")]
    info = {}
    removal = defaultdict(list)   # contender -> wall milliseconds
    by_round = defaultdict(dict)  # round -> contender -> wall milliseconds
    inproc = defaultdict(list)    # manual|shell -> milliseconds inside the process
    gone = defaultdict(list)
    startup = defaultdict(list)
    latency, host_reaction = [], []
    cpu = {}
    calls = {}
    errors = []
    pending_inproc = None  # printed by bench_remove.exe just before the runner's line for it
    for line in lines:
        words = line.split()
        if not words:
            continue
        if words[0] in ("mode", "machine", "load", "size", "tree", "calls-tree"):
            info.setdefault(words[0], []).append(" ".join(words[1:]))
        if words[0].startswith("round=") and len(words) > 3 and words[1] == "remove":
            removal[words[2]].append(float(words[3]))
            by_round[words[0]][words[2]] = float(words[3])
            gone[words[2]].append(fields(line).get("gone") == "1" and fields(line).get("exit") == "0")
            if pending_inproc is not None:
                inproc[words[2]].append(pending_inproc)
            pending_inproc = None
        elif words[0].startswith("round=") and len(words) > 3 and words[1] == "inproc":
            pending_inproc = float(words[3])
        elif words[0] == "startup":
            startup[words[1]].append(float(words[2]))
        elif words[0] == "latency":
            latency.append(float(words[1]))
            host_reaction.append(float(fields(line)["host_exit_after_trigger"]))
        elif words[0] == "calls":
            calls[words[1]] = {key: int(value) for key, value in fields(line).items()}
        elif words[0] == "cpu":
            cpu[words[1]] = {key: float(value) for key, value in fields(line).items() if key != "found_program"}
            cpu[words[1]]["found"] = fields(line).get("found_program") == "yes"
        elif words[0] == "error" or " error " in line:
            errors.append(line)

    out = []
    say = out.append
    verdicts = []

    def verdict(name, figure, met):
        verdicts.append("| %s | %s | %s |" % (name, figure, "met" if met else "**missed**"))

    say("# Benchmark summary")
    say("")
    for key in ("mode", "machine", "load", "tree"):
        for value in info.get(key, []):
            say("- %s: %s" % (key, value))
    say("- the machine's cores are shared with other work: figures are medians over "
        "alternated runs, and the load averages above show how busy it was")
    say("")

    # Removal.
    if removal:
        say("## Removal of identical trees (wall time from process start to exit, ms)")
        say("")
        say("| contender | runs | median | min | max | median inside the process |")
        say("|---|---|---|---|---|---|")
        names = [("manual", "pass by hand (RemoveFolderByHand)"), ("shell", "shell delete path (RemoveExtensionDir)"),
                 ("rd", "cmd /c rd /s /q"), ("manual_start", "start only: bench_remove.exe, absent folder"),
                 ("rd_start", "start only: cmd /c rd /s /q, absent folder")]
        for key, label in names:
            values = removal.get(key, [])
            if not values:
                continue
            inside = median(inproc.get(key, [])) if key in inproc else None
            say("| %s | %d | %.0f | %.0f | %.0f | %s |" % (label, len(values), median(values), min(values), max(values),
                                                       "%.0f" % inside if inside is not None else "-"))
        rd = median(removal["rd"])
        manual, shell = median(removal["manual"]), median(removal["shell"])
        start_ours, start_rd = median(removal.get("manual_start", [])), median(removal.get("rd_start", []))
        say("")
        say("- manual / rd: %.3f (without the start of each process: %.3f)" %
            (manual / rd, (manual - start_ours) / (rd - start_rd)))
        say("- shell / rd: %.3f (without the start of each process: %.3f)" %
            (shell / rd, (shell - start_ours) / (rd - start_rd)))
        for key in ("manual", "shell"):
            paired = sorted(r[key] / r["rd"] for r in by_round.values() if key in r and "rd" in r)
            if paired:
                say("- %s / rd within each round: median %.3f, from %.3f to %.3f" %
                    (key, median(paired), paired[0], paired[-1]))
        bad = [key for key, values in gone.items() if not all(values)]
        say("- every tree gone afterwards: %s" % ("yes" if not bad else "NO: " + ", ".join(bad)))
        say("")
        verdict("pass by hand within 1.2 x rd /s /q", "%.2f x" % (manual / rd), manual / rd <= 1.2)
        verdict("shell delete path no slower than rd /s /q", "%.2f x" % (shell / rd), shell / rd <= 1.0)

    # Calls.
    if calls and all(name in calls for name in ("manual", "shell", "rd", "manual_start", "rd_start")):
        items = int(fields(info["calls-tree"][0])["items"])
        start_of = {"manual": "manual_start", "shell": "manual_start", "rd": "rd_start"}
        net = {name: {key: calls[name].get(key, 0) - calls[start_of[name]].get(key, 0)
                      for key in set(calls[name]) | set(calls[start_of[name]])} for name in start_of}
        keys = sorted((key for key in net["rd"] if key != "total"), key=lambda key: -net["rd"][key])
        keys = [key for key in keys if max(abs(net[name].get(key, 0)) for name in net) >= items // 2][:10]
        say("## Calls into ntdll per removed entry (relay trace, %d entries, start of the process deducted)" % items)
        say("")
        say("| call | " + " | ".join(name for name in ("manual", "shell", "rd")) + " |")
        say("|---|---|---|---|")
        for key in ["total"] + keys:
            say("| %s | %s |" % (key, " | ".join("%.1f" % (net[name].get(key, 0) / items) for name in ("manual", "shell", "rd"))))
        say("")

    # Start-up.
    if startup:
        say("## Start-up: from starting the .exe to its first box (ms)")
        say("")
        say("| contender | runs | median | min | max |")
        say("|---|---|---|---|---|")
        labels = [("program_two_process", "the program: stage 1, copy, relaunch, the copy's confirmation"),
                  ("program_one_process", "the program started as the copy (stage=2): one process"),
                  ("box_one_process", "one-box console program"),
                  ("box_two_process", "one-box program that copies itself to %TEMP% and starts the copy")]
        for key, label in labels:
            values = startup.get(key, [])
            if values:
                say("| %s | %d | %.1f | %.1f | %.1f |" % (label, len(values), median(values), min(values), max(values)))
        two, one = median(startup["program_two_process"]), median(startup["program_one_process"])
        box, box_two = median(startup["box_one_process"]), median(startup["box_two_process"])
        say("")
        say("- added by the program's two-process start over the one-box program: %.1f ms" % (two - box))
        say("  - of which a second process costs under Wine at the least (one-box program, two processes): %.1f ms"
            % (box_two - box))
        say("  - the program in one process over the one-box program: %.1f ms" % (one - box))
        say("  - the program's two-process start over the one-box program's: %.1f ms" % (two - box_two))
        say("")
        verdict("two-process start adds at most 50 ms", "%+.0f ms (floor under Wine: %+.0f ms)" % (two - box, box_two - box),
                two - box <= 50)

    # Latency.
    if latency:
        ordered = sorted(latency)
        p90 = ordered[min(len(ordered) - 1, int(round(0.9 * (len(ordered) - 1))))]
        say("## From the host's exit to the start of the removal (ms)")
        say("")
        say("- samples: %d, median %.0f, 90th percentile %.0f, max %.0f, min %.0f" %
            (len(latency), median(latency), p90, max(latency), min(latency)))
        say("- the stand-in host ended %.0f ms (median) after it was told to" % median(host_reaction))
        say("")
        verdict("removal starts at most 600 ms after the host exits", "max %.0f ms, median %.0f ms" %
                (max(latency), median(latency)), max(latency) <= 600)

    # Processor time.
    if "wait" in cpu:
        wait, idle = cpu["wait"], cpu.get("idle")
        hz, wall = wait["hz"], wait["wall_ms"] / 1000.0
        program_seconds = wait["program_ticks"] / hz
        server_seconds = wait["server_ticks"] / hz
        idle_server = idle["server_ticks"] / idle["hz"] / (idle["wall_ms"] / 1000.0) * wall if idle else 0.0
        share = 100.0 * program_seconds / wall
        server_share = 100.0 * max(0.0, server_seconds - idle_server) / wall
        say("## Processor time of the wait for the host")
        say("")
        say("- window: %.1f s; clock ticks of %d per second (%.0f ms resolution)" % (wall, hz, 1000.0 / hz))
        say("- the waiting copy: %.2f s = %.1f ms per minute = %.3f %% of one core%s" %
            (program_seconds, 60000.0 * program_seconds / wall, share, "" if wait["found"] else " (process NOT FOUND)"))
        say("- the prefix's wine server: %.2f s while the program waited, %.2f s in as long with the host alone: "
            "%.3f %% of one core on the program's behalf" % (server_seconds, idle_server, server_share))
        if "snapshots" in cpu:
            shots = cpu["snapshots"]
            per_call = (shots["program_ticks"] + shots["server_ticks"]) / shots["hz"] / shots["count"] * 1000.0
            say("- one process snapshot and its walk, taken %d times back to back: %.2f ms of wall time and "
                "%.2f ms of processor time each (%.2f in the process, %.2f in the wine server); at two a second "
                "that is %.2f %% of one core" % (shots["count"], shots["loop_ms"] / shots["count"], per_call,
                                                 shots["program_ticks"] / shots["hz"] / shots["count"] * 1000.0,
                                                 shots["server_ticks"] / shots["hz"] / shots["count"] * 1000.0,
                                                 per_call * 2 / 10.0))
        say("")
        verdict("the wait uses under 1 % of one core", "%.3f %% (+ %.3f %% in the wine server)" % (share, server_share),
                wait["found"] and share + server_share < 1.0)

    # Size.
    for value in info.get("size", []):
        size = fields("size " + value)
        size_bytes = int(size["bytes"])
        imported = size["imports"].split(",")
        runtime = [name for name in imported if re.match(r"(?i)lib(stdc\+\+|gcc|winpthread)", name)]
        say("## The release .exe")
        say("")
        say("- %d bytes (%.1f KiB); imports %s" % (size_bytes, size_bytes / 1024.0, ", ".join(imported)))
        say("- runtime libraries needed beside it: %s" % (", ".join(runtime) if runtime else "none"))
        say("")
        verdict("release .exe at most 200 KB, static, nothing beside it", "%d bytes, %s" %
                (size_bytes, "static" if not runtime else "needs " + ", ".join(runtime)),
                size_bytes <= 200 * 1000 and not runtime)

    say("## Targets")
    say("")
    say("| target | figure | verdict |")
    say("|---|---|---|")
    out.extend(verdicts)
    if errors:
        say("")
        say("## Errors")
        say("")
        out.extend("- " + line for line in errors)
    print("\n".join(out))


if __name__ == "__main__":
    main()
