#!/usr/bin/env python3
"""Start-up time, resident memory and idle CPU of the editor beside a bare Qt main window.

Runs both programs under a private Xvfb display, alternating, and reports medians and the
editor's ratios to the bare window measured in the same run.
Usage: bench/startup.py [BUILD_DIR] [RUNS]   (BUILD_DIR built with -DKORRIN_BENCH=ON)
"""

import os
import statistics
import subprocess
import sys
import time

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build-bench"
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
IDLE_SECONDS = 20
DISPLAY = ":77"
TICKS = os.sysconf("SC_CLK_TCK")

PROGRAMS = {
    "editor": ([os.path.join(BUILD, "editor", "korrin-editor")], "Korrin Editor"),
    "bare window": ([os.path.join(BUILD, "bench", "barewindow")], "Bare Window"),
}


def viewable(title):
    # Qt also makes an unmapped leader window with the same title: ask for visible ones only.
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                            env={"DISPLAY": DISPLAY}, capture_output=True, text=True)
    return result.returncode == 0 and result.stdout.strip() != ""


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def launch(name):
    command, title = PROGRAMS[name]
    env = dict(os.environ, DISPLAY=DISPLAY)
    env.pop("QT_QPA_PLATFORM", None)
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    while not viewable(title):
        if time.monotonic() - start > 30:
            process.kill()
            raise RuntimeError(f"{name} did not show its window")
        time.sleep(0.002)
    return process, time.monotonic() - start


def main():
    xvfb = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", "1280x1024x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    try:
        startup = {name: [] for name in PROGRAMS}
        memory = {name: [] for name in PROGRAMS}
        for _ in range(RUNS):
            for name in PROGRAMS:
                process, seconds = launch(name)
                time.sleep(1)
                startup[name].append(seconds)
                memory[name].append(rss_kib(process.pid))
                process.kill()
                process.wait()
        idle = {}
        for name in PROGRAMS:
            process, _ = launch(name)
            time.sleep(2)
            before = cpu_seconds(process.pid)
            time.sleep(IDLE_SECONDS)
            idle[name] = 100 * (cpu_seconds(process.pid) - before) / IDLE_SECONDS
            process.kill()
            process.wait()
    finally:
        xvfb.kill()

    for name in PROGRAMS:
        print(f"{name:12} start-up {1000 * statistics.median(startup[name]):6.1f} ms   "
              f"resident {statistics.median(memory[name]) / 1024:6.1f} MiB   "
              f"idle CPU {idle[name]:.2f} % of one core")
    ratio_time = statistics.median(startup["editor"]) / statistics.median(startup["bare window"])
    ratio_rss = statistics.median(memory["editor"]) / statistics.median(memory["bare window"])
    print(f"editor / bare window: start-up {ratio_time:.2f}x, resident memory {ratio_rss:.2f}x "
          f"(targets: 1.15x each; idle CPU under 1 %)")


if __name__ == "__main__":
    main()
