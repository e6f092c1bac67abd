#!/usr/bin/env python3
"""What hyperfine cannot time: how soon the removal starts once the host has
exited, and the processor time of the wait for the host. Run by bench/run.sh
(WINEPREFIX set, working folder T:\\bench); writes <results>/wait.json.
Wine starts through the words of BENCH_WINE (a JSON list: the user and the
variables Wine runs with, see tools/wine/user.sh), the prefix's %TEMP% is
BENCH_TEMP. Run as root, it hands what it makes for Wine to the prefix's owner.

    wait.py <results> <latency samples> <seconds of processor time>
"""
import glob
import json
import os
import random
import shutil
import subprocess
import sys
import time

results, samples, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
prefix = os.environ["WINEPREFIX"]
wine = json.loads(os.environ.get("BENCH_WINE", "[]")) + ["wine"]
temp = os.environ.get("BENCH_TEMP") or glob.glob(prefix + "/drive_c/users/*/Temp")[0]
log = temp + "/PexloPlayAiUninstall.log"
owner = os.stat(prefix)  # the user that runs Wine
files = ["wait/com.pexlo.play.ai/" + name for name in ("CSXS/manifest.xml", "index.html", "js/main.js")]
quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def read(path):
    try:
        with open(path, "rb") as source:
            return source.read()
    except OSError:
        return b""  # the process has ended meanwhile


def pids(test):
    return [int(pid) for pid in os.listdir("/proc") if pid.isdigit() and test("/proc/" + pid)]


def wine_user(proc):
    """Whether the process runs as the prefix's owner (not, for one, the runuser
    that started it as root, whose command line is the same)."""
    try:
        return os.stat(proc).st_uid == owner.st_uid
    except OSError:
        return False


def program_pids():
    return pids(lambda proc: rb"T:\bench\wait\com.pexlo.play.ai" in read(proc + "/cmdline") and wine_user(proc))


def running(pid):
    """Whether a Linux process has not yet ended (a zombie has)."""
    stat = read("/proc/%d/stat" % pid).rsplit(b")", 1)
    return len(stat) == 2 and stat[1].split()[0] not in (b"Z", b"X")


def hand_over(folder):
    """Everything in folder to the prefix's owner, so that Wine may delete it."""
    if os.geteuid() != 0 or owner.st_uid == 0:
        return
    for path, folders, names in os.walk(folder):
        for item in [path] + [os.path.join(path, name) for name in folders + names]:
            os.chown(item, owner.st_uid, owner.st_gid)


def ticks(pid):
    """utime + stime of a Linux process, in clock ticks."""
    fields = read("/proc/%d/stat" % pid).rsplit(b")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def start(with_program):
    """The stand-in Illustrator.exe, running until wait/host-exit exists, and
    the program's unattended run on an installed extension (T:\\bench\\wait\\
    com.pexlo.play.ai), back once its copy is waiting for the host."""
    shutil.rmtree("wait", ignore_errors=True)
    for name in files + ["wait/launch/"]:
        os.makedirs(os.path.dirname(name), exist_ok=True)
    hand_over("wait")
    host = subprocess.Popen(wine + [r"B:\Illustrator.exe", r"T:\bench\wait\host-exit"], **quiet)
    time.sleep(1)  # listed in the process table long before the program looks
    if not with_program:
        return host, None
    for name in files:
        with open(name, "w") as out:
            out.write('<ExtensionManifest ExtensionBundleId="com.pexlo.play.ai"/>\n')
    shutil.copy(os.path.dirname(prefix) + "/bin/pexloplay-ai-uninstaller.exe", "wait/launch")
    hand_over("wait")
    if os.path.exists(log):
        os.remove(log)
    program = subprocess.Popen(wine + [r"T:\bench\wait\launch\pexloplay-ai-uninstaller.exe",
                                r"extdir=T:\bench\wait\com.pexlo.play.ai", "silent=1", "wait=1"], **quiet)
    limit = time.monotonic() + 30
    while read(log).decode("utf-16-le", "replace").count("extdir:") < 2:  # the copy's line is the second
        if time.monotonic() > limit:
            sys.exit("wait.py: the program's copy did not start")
        time.sleep(0.005)
    return host, program


def end(host, program):
    """Lets the host exit; the program's exit code, once its copy has ended too."""
    open("wait/host-exit", "w").close()
    host.wait(20)
    code = program.wait(60) if program else 0
    while program_pids():
        time.sleep(0.01)
    return code


def latency(rng):
    """Milliseconds from the host's exit to the first file of the extension gone."""
    host, program = start(True)
    # The stand-in's own Linux process: the one started, or its child when
    # runuser started it.
    stand_in = pids(lambda proc: rb"T:\bench\wait\host-exit" in read(proc + "/cmdline") and wine_user(proc))
    if len(stand_in) != 1:
        sys.exit("wait.py: the stand-in's process not found: %s" % stand_in)
    time.sleep(rng.uniform(0, 1))  # the host exits at any point of the 500 ms polling cycle
    if not all(map(os.path.exists, files)):
        sys.exit("wait.py: the removal started before the host exited")
    exited = gone = None
    limit = time.monotonic() + 20
    open("wait/host-exit", "w").close()
    while (exited is None or gone is None) and time.monotonic() < limit:
        now = time.monotonic()
        if exited is None and not running(stand_in[0]):
            exited = now
        if gone is None and not all(map(os.path.exists, files)):
            gone = now
        time.sleep(0.001)
    if exited is None or gone is None or end(host, program) != 0:
        sys.exit("wait.py: a latency sample did not complete")
    return 1000 * (gone - exited)


def processor_time(with_program):
    """Ticks of the program's two processes and of this prefix's wine server
    (whose working folder is named after the prefix) over the window."""
    host, program = start(with_program)
    stat = os.stat(prefix)
    server = pids(lambda proc: read(proc + "/comm").startswith(b"wineserver") and
                  os.path.realpath(proc + "/cwd").endswith("/server-%x-%x" % (stat.st_dev, stat.st_ino)))
    watched = {"program": program_pids(), "server": server}
    if len(server) != 1 or len(watched["program"]) != (2 if with_program else 0):
        sys.exit("wait.py: processes not found: %s" % watched)
    before = {key: sum(map(ticks, value)) for key, value in watched.items()}
    started = time.monotonic()
    time.sleep(seconds)
    figures = {key: sum(map(ticks, value)) - before[key] for key, value in watched.items()}
    figures["wall_s"] = time.monotonic() - started
    if end(host, program) != 0:
        sys.exit("wait.py: the program did not remove the extension")
    return figures


rng = random.Random(2024)  # the same phases in every run
figures = {"latency_ms": [], "hz": os.sysconf("SC_CLK_TCK")}
for sample in range(samples):
    figures["latency_ms"].append(latency(rng))
    print("latency %d: %.0f ms" % (sample + 1, figures["latency_ms"][-1]), flush=True)
figures["idle"] = processor_time(False)
figures["wait"] = processor_time(True)
print("processor time (ticks): host alone %s; program waiting %s" % (figures["idle"], figures["wait"]))
with open(os.path.join(results, "wait.json"), "w") as out:
    json.dump(figures, out, indent=1)
