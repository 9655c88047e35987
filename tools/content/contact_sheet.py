#!/usr/bin/env python3
"""Composes one PNG of every picture in a data folder, on a neutral grey.

    contact_sheet.py build/play/data build/play/contact-sheet.png

Each picture is shown at its real size with its name, its size and, for frame
strips, the frame count from the folder's metadata; thin marks show where
frames meet.
"""

import os
import re
import sys

from PIL import Image, ImageDraw, ImageFont

SHEET_WIDTH = 1180
GAP = 18
BACKGROUND = (138, 143, 150)
TILE = (156, 161, 168)
TEXT = (24, 26, 30)
FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def frames_of(folder):
    """file name -> (numFrames, width, height) from the folder's metadata.cfg."""
    path = os.path.join(folder, "metadata.cfg")
    frames = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            # An entry may run over several lines (frame animations), so each
            # one reaches to the start of the next.
            text = f.read()
            starts = list(re.finditer(r'\["([^"]+)"\]\s*=\s*\{', text))
            for k, start in enumerate(starts):
                name = start.group(1)
                body = text[start.end() : starts[k + 1].start() if k + 1 < len(starts) else len(text)]
                values = dict(reversed(re.findall(r"(\w+)\s*=\s*(\d+)", body)))
                if "numFrames" in values:
                    frames[name] = (int(values["numFrames"]), int(values["width"]), int(values["height"]))
    return frames


def pictures(data_dir):
    found = []
    for root, dirs, files in os.walk(data_dir):
        dirs.sort()
        meta = frames_of(root)
        for name in sorted(files):
            if name.lower().endswith((".png", ".jpg", ".jpeg", ".bmp")):
                found.append((os.path.join(root, name), name, meta.get(name)))
    return found


def compose(data_dir, output):
    font = ImageFont.truetype(FONT_PATH, 12) if os.path.exists(FONT_PATH) else ImageFont.load_default()
    tiles = []
    for path, name, frames in pictures(data_dir):
        im = Image.open(path).convert("RGBA")
        caption = "%s  %dx%d" % (name, im.width, im.height)
        if frames:
            caption += "  (%d frames of %dx%d)" % frames
        text_w = int(font.getlength(caption))
        tiles.append((im, caption, frames, max(im.width, text_w) + 16, im.height + 36))

    # Flow the tiles into rows, tall ones first, so rows waste little room.
    tiles.sort(key=lambda t: -t[4])
    rows, row, x = [], [], GAP
    for tile in tiles:
        if row and x + tile[3] > SHEET_WIDTH - GAP:
            rows.append(row)
            row, x = [], GAP
        row.append(tile)
        x += tile[3] + GAP
    if row:
        rows.append(row)
    height = GAP + sum(max(t[4] for t in r) + GAP for r in rows)
    sheet = Image.new("RGBA", (SHEET_WIDTH, max(height, 2 * GAP)), BACKGROUND + (255,))
    draw = ImageDraw.Draw(sheet)

    y = GAP
    for r in rows:
        x = GAP
        row_h = max(t[4] for t in r)
        for im, caption, frames, w, h in r:
            draw.rounded_rectangle((x, y, x + w, y + row_h), radius=8, fill=TILE)
            px, py = x + 8, y + 8
            layer = Image.new("RGBA", sheet.size, (0, 0, 0, 0))
            layer.paste(im, (px, py))
            sheet.alpha_composite(layer)
            if frames:
                count, fw, fh = frames
                for i in range(1, count):
                    fx = px + (i * fw) % max(im.width, 1)
                    fy = py + (i * fw // max(im.width, 1)) * fh
                    draw.line((fx, fy - 5, fx, fy - 1), fill=TEXT, width=1)
                    draw.line((fx, fy + fh + 1, fx, fy + fh + 5), fill=TEXT, width=1)
            draw.text((x + 8, y + row_h - 22), caption, font=font, fill=TEXT)
            x += w + GAP
        y += row_h + GAP
    sheet.convert("RGB").save(output)
    return len(tiles)


def main(argv):
    if len(argv) != 3:
        print("usage: contact_sheet.py <data folder> <output.png>", file=sys.stderr)
        return 2
    count = compose(argv[1], argv[2])
    print("contact sheet of %d pictures: %s" % (count, argv[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
