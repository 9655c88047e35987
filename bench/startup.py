#!/usr/bin/env python3
"""Times the program's start, launch to menu, as a player starts it.

Each run starts the program on the same temporary home (a player named once,
before the first timed run, so the menu greets them), headless, and notes the
wall time and the CPU time the process has used when the splash screen's first
frame is on the screen and when the menu is shown; then it quits the program.
Prints the median, lowest and highest of each over the runs.

    bench/startup.py --program build/play/Wopple2 --runs 7
    bench/startup.py --program build/play/Wopple2 --runs 7 -- --noprecache
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

FIRST_FRAME = "Application::Run, First screen draw complete."
MENU = "OnScreenTransition -> WoppleMenuScreen"
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime are the 14th and 15th fields of the whole line.
    return (int(fields[11]) + int(fields[12])) / TICKS


def start(program, extra, env):
    return subprocess.Popen([program, "--console", "-w"] + extra, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, env=env, text=True, errors="replace", bufsize=1)


def timed_run(program, extra, env, timeout):
    launched = time.monotonic()
    process = start(program, extra, env)
    marks = {}
    try:
        for line in process.stdout:
            now = time.monotonic() - launched
            # With --noprecache the menu comes before the first frame is drawn.
            if FIRST_FRAME in line and "frame" not in marks:
                marks["frame"] = (now, cpu_seconds(process.pid))
            if MENU in line:
                marks["menu"] = (now, cpu_seconds(process.pid))
                process.stdin.write("AppQuit()\n")
                process.stdin.flush()
                break
            if now > timeout:
                break
        process.stdin.close()
        process.wait(timeout=30)
    finally:
        if process.poll() is None:
            process.kill()
    if "menu" not in marks:
        raise SystemExit("startup: the menu did not show within %.0f s" % timeout)
    return marks


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build/play/Wopple2")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--timeout", type=float, default=120.0)
    parser.add_argument("extra", nargs="*", help="more switches for the program (after --)")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    with tempfile.TemporaryDirectory(prefix="wopple-startup-") as home:
        env = dict(os.environ)
        env.update({
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_RUNTIME_DIR": os.path.join(home, "run"),
            "HOME": home,
            "SDL_VIDEODRIVER": env.get("SDL_VIDEODRIVER", "dummy"),
            "SDL_AUDIODRIVER": env.get("SDL_AUDIODRIVER", "dummy"),
        })
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        # A player of the home's own, as after a first evening of play.
        subprocess.run([program, "--console", "-w", "--noprecache"], env=env, text=True, timeout=120,
                       input="Players[1].Name = 'Ann'\nSetCurrentPlayerFromIndex(1, 1)\nAppQuit()\n",
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        runs = [timed_run(program, args.extra, env, args.timeout) for _ in range(args.runs)]
    for mark, what in (("frame", "launch to the splash's first frame"), ("menu", "launch to the menu")):
        walls = [run[mark][0] * 1000 for run in runs if mark in run]
        cpus = [run[mark][1] * 1000 for run in runs if mark in run]
        if not walls:
            continue
        print("%s: median %.0f ms (lowest %.0f, highest %.0f) wall, %.0f ms of CPU, over %d runs" %
              (what, statistics.median(walls), min(walls), max(walls), statistics.median(cpus), len(walls)))


if __name__ == "__main__":
    sys.exit(main())
