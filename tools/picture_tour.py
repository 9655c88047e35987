#!/usr/bin/env python3
"""The picture tour: runs the real program headless and writes a PNG of every
stop of tools/tour/stops.lua.

    picture_tour.py --program build/play/Wopple2 --output build/play/tour

The program runs on SDL's dummy video and audio drivers with its XDG folders in
a temporary directory, reads tools/tour/stops.lua and tools/tour/tour.lua
through its console, and saves each stop as a bitmap, which this script turns
into <output>/NN-name.png, and composes them all, smaller and named, into
<output>/contact-sheet.png. The CMake target `picture_tour` builds the program
and its data first and runs this. Exits 1 when the program fails or shows
nothing.

    picture_tour.py --program build/test/Wopple2 --check

With --check (the test `tour.pictures`), the pictures go to a temporary folder
unless --output names one, and the run fails unless every stop was taken and
every picture shows more than the tour's bare backdrop.
"""

import argparse
import glob
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

TOUR_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tour")
SHEET_NAME = "contact-sheet.png"
# The sky, sea and sand of tour.lua's screen: a picture of nothing else is blank.
BACKDROP = {(139, 227, 247), (47, 169, 210), (244, 207, 148)}
# A stop shows something when at least this share of its pixels is not backdrop.
MIN_SHOWN = 0.01
THUMB_SCALE = 3
SHEET_COLUMNS = 3
SHEET_GAP = 16
SHEET_BACKGROUND = (138, 143, 150)
SHEET_TEXT = (24, 26, 30)
FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


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


def compose_sheet(pictures, path):
    """One picture of every stop, a third of its size, under its name."""
    font = ImageFont.truetype(FONT_PATH, 13) if os.path.exists(FONT_PATH) else ImageFont.load_default()
    thumbs = []
    for png in pictures:
        with Image.open(png) as image:
            thumb = image.convert("RGB")
            thumb = thumb.resize((max(1, thumb.width // THUMB_SCALE), max(1, thumb.height // THUMB_SCALE)),
                                 Image.LANCZOS)
        thumbs.append((os.path.splitext(os.path.basename(png))[0], thumb))
    cell_w = max(t.width for _, t in thumbs)
    cell_h = max(t.height for _, t in thumbs) + 22
    columns = min(SHEET_COLUMNS, len(thumbs))
    rows = (len(thumbs) + columns - 1) // columns
    sheet = Image.new("RGB", (SHEET_GAP + columns * (cell_w + SHEET_GAP), SHEET_GAP + rows * (cell_h + SHEET_GAP)),
                      SHEET_BACKGROUND)
    draw = ImageDraw.Draw(sheet)
    for index, (name, thumb) in enumerate(thumbs):
        x = SHEET_GAP + (index % columns) * (cell_w + SHEET_GAP)
        y = SHEET_GAP + (index // columns) * (cell_h + SHEET_GAP)
        sheet.paste(thumb, (x, y))
        draw.text((x, y + thumb.height + 4), name, font=font, fill=SHEET_TEXT)
    sheet.save(path)


def blank_reason(png):
    """Why a picture shows nothing, or None when it shows something."""
    with Image.open(png) as image:
        rgb = image.convert("RGB")
    colours = rgb.getcolors(maxcolors=1 << 16)
    if colours is not None and len(colours) == 1:
        return "one colour only"
    total = rgb.width * rgb.height
    if colours is not None:
        shown = sum(count for count, colour in colours if colour not in BACKDROP)
    else:
        shown = total - sum(1 for pixel in rgb.getdata() if pixel in BACKDROP)
    if shown < total * MIN_SHOWN:
        return "nothing but the backdrop"
    return None


def check(pictures, tour_lines):
    """The problems of a tour: skipped stops, missing or blank pictures."""
    problems = [line for line in tour_lines if line.startswith("TOUR: skipped")]
    taken = [line[len("TOUR: "):] for line in tour_lines
             if line.startswith("TOUR: ") and line[len("TOUR: "):][:2].isdigit()]
    names = {os.path.splitext(os.path.basename(png))[0] for png in pictures}
    for stop in taken:
        if stop not in names:
            problems.append("%s: no picture was written" % stop)
    for png in pictures:
        reason = blank_reason(png)
        if reason:
            problems.append("%s: blank (%s)" % (os.path.basename(png), reason))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True, help="the built Wopple2")
    parser.add_argument("--output", help="folder of the pictures (with --check: a temporary one by default)")
    parser.add_argument("--timeout", type=int, default=300, help="seconds the program may take")
    parser.add_argument("--check", action="store_true", help="fail unless every stop shows something")
    args = parser.parse_args()
    if args.output:
        return take_tour(args, os.path.abspath(args.output))
    if not args.check:
        parser.error("--output is needed without --check")
    with tempfile.TemporaryDirectory(prefix="wopple-tour-pictures-") as output:
        return take_tour(args, output)


def take_tour(args, output):
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
    sheet = os.path.join(output, SHEET_NAME)
    compose_sheet(pictures, sheet)
    print(sheet)
    if args.check:
        problems = check(pictures, tour_lines)
        for problem in problems:
            sys.stderr.write("picture_tour: %s\n" % problem)
        if problems:
            return 1
        print("picture_tour: %d stops, each showing something" % len(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main())
