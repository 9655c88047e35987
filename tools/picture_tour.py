#!/usr/bin/env python3
"""The picture tour: runs the real program headless and writes a PNG of every
stop of tools/tour/stops.lua.

    picture_tour.py --program build/play/Wopple2 --output build/play/tour

The program runs on SDL's dummy video and audio drivers with its XDG folders in
a temporary directory, reads tools/tour/stops.lua and tools/tour/tour.lua
through its console, and saves each stop as a bitmap, which this script turns
into <output>/NN-name.png. The CMake target `picture_tour` builds the program
and its data first and runs this. Exits 1 when the program fails or shows
nothing.
"""

import argparse
import glob
import os
import subprocess
import sys
import tempfile

from PIL import Image

TOUR_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tour")


def lua_string(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def run_program(program, output, timeout):
    with tempfile.TemporaryDirectory(prefix="wopple-tour-") as home:
        env = dict(os.environ)
        env.update({
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_RUNTIME_DIR": home,
            "SDL_VIDEODRIVER": "dummy",
            "SDL_AUDIODRIVER": "dummy",
            # The sanitizer build: SDL keeps a little memory past its own exit.
            "ASAN_OPTIONS": "detect_leaks=0",
        })
        env.pop("DISPLAY", None)
        script = "".join([
            "TourOutput = %s\n" % lua_string(output),
            "dofile(%s)\n" % lua_string(os.path.join(TOUR_DIR, "stops.lua")),
            "dofile(%s)\n" % lua_string(os.path.join(TOUR_DIR, "tour.lua")),
        ])
        run = subprocess.run([program, "--console", "-w", "--multiapp"], input=script, env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=timeout)
        return run.returncode, run.stdout


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True, help="the built Wopple2")
    parser.add_argument("--output", required=True, help="folder of the pictures")
    parser.add_argument("--timeout", type=int, default=300, help="seconds the program may take")
    args = parser.parse_args()

    output = os.path.abspath(args.output)
    os.makedirs(output, exist_ok=True)
    for old in glob.glob(os.path.join(output, "*.png")) + glob.glob(os.path.join(output, "*.bmp")):
        os.remove(old)

    code, log = run_program(os.path.abspath(args.program), output, args.timeout)
    tour_lines = [line for line in log.splitlines() if line.startswith("TOUR:")]
    if code != 0 or "TOUR: done" not in tour_lines:
        sys.stderr.write(log)
        sys.stderr.write("picture_tour: the program ended with code %d before the tour was done\n" % code)
        return 1

    pictures = []
    for bitmap in sorted(glob.glob(os.path.join(output, "*.bmp"))):
        png = bitmap[:-4] + ".png"
        with Image.open(bitmap) as image:
            image.convert("RGB").save(png)
        os.remove(bitmap)
        pictures.append(png)
    for line in tour_lines:
        if line.startswith("TOUR: skipped"):
            print(line)
    if not pictures:
        sys.stderr.write("picture_tour: no pictures were taken\n")
        return 1
    for png in pictures:
        print(png)
    return 0


if __name__ == "__main__":
    sys.exit(main())
