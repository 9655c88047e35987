#!/usr/bin/env python3
"""Makes the contents of the game-definition library from gamedef/ and data/.

    gamedef.py --source gamedef --data data --version 1.0.0.0 --output build/test/gamedef

Writes, into the output folder, what gamedef/WoppleGameDef.rc names:
"GameDefinition.<language id>.xml" for every language (the document of
GameDefinition.xml with that language's description, UTF-16 with a byte-order
mark and Windows line ends), "Thumbnail.png" (256 by 256, drawn from the
menu's art) and "WoppleGameDef.ico" (the window icon's picture, 48, 32 and 16
pixels in 16 colours, 256 colours and 32-bit colour with alpha).
"""

import argparse
import io
import os
import struct
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape

# The neutral language (1024) shares the English text.
LANGUAGES = (1024, 1031, 1033, 1034, 1036, 1040, 1043)
NEUTRAL, ENGLISH = 1024, 1033
THUMBNAIL_SIZE = 256
ICON_SIZES = (48, 32, 16)
ICON_DEPTHS = (4, 8, 32)


class GameDefError(Exception):
    pass


def run(cmd):
    result = subprocess.run(cmd, capture_output=True, text=True)
    if result.returncode != 0:
        raise GameDefError("command failed: %s\n%s" % (" ".join(cmd), result.stderr.strip()))


def read_descriptions(path):
    """Language id -> description, from lines "<id> <text>"; '#' starts a comment line."""
    texts = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            language, _, text = line.partition(" ")
            if not language.isdigit() or not text.strip():
                raise GameDefError("%s:%d: expected a language id and a text" % (path, number))
            if int(language) in texts:
                raise GameDefError("%s:%d: language %s given twice" % (path, number, language))
            texts[int(language)] = text.strip()
    texts.setdefault(NEUTRAL, texts.get(ENGLISH))
    missing = [str(lang) for lang in LANGUAGES if not texts.get(lang)]
    if missing:
        raise GameDefError("%s: no description for language %s" % (path, ", ".join(missing)))
    return texts


def game_definition(template, description, version):
    """The document for one language, as the bytes the library holds."""
    for key in ("@DESCRIPTION@", "@VERSION@"):
        if template.count(key) != 1:
            raise GameDefError("the template must hold %s exactly once" % key)
    # The version stands in an attribute, the description in an element.
    text = (template.replace("@DESCRIPTION@", escape(description))
            .replace("@VERSION@", escape(version, {'"': "&quot;"})))
    return "\ufeff".encode("utf-16-le") + text.replace("\n", "\r\n").encode("utf-16-le")


def render(svg, width, height, folder):
    png = os.path.join(folder, "%s-%dx%d.png" % (os.path.basename(svg), width, height))
    run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", png, svg])
    from PIL import Image

    with Image.open(png) as im:
        return im.convert("RGBA")


def thumbnail(data, folder):
    """The menu's beach with the game's name and the icon's bingo ball."""
    from PIL import Image

    size = THUMBNAIL_SIZE
    beach = render(os.path.join(data, "images", "menu", "bg_menu.jpg.svg"), size * 4 // 3, size, folder)
    left = (beach.width - size) // 2
    picture = beach.crop((left, 0, left + size, size))
    ball = render(os.path.join(data, "icon", "Icon101.svg"), 128, 128, folder)
    picture.alpha_composite(ball, ((size - ball.width) // 2, 104))
    logo = render(os.path.join(data, "images", "menu", "menu_logo.svg"), 238, 84, folder)
    picture.alpha_composite(logo, ((size - logo.width) // 2, 14))
    out = io.BytesIO()
    picture.convert("RGB").save(out, "PNG", optimize=True)
    return out.getvalue()


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def pack_rows(rows, bits):
    """Bottom-up rows of values of `bits` bits each, every row padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        packed = bytearray()
        if bits == 8:
            packed += bytes(row)
        else:
            per_byte = 8 // bits
            for i in range(0, len(row), per_byte):
                value = 0
                for j in range(per_byte):
                    v = row[i + j] if i + j < len(row) else 0
                    value |= v << (8 - bits * (j + 1))
                packed.append(value)
        packed += bytes(row_bytes(len(row) * bits) - len(packed))
        out += packed
    return bytes(out)


def icon_image(picture, depth):
    """One icon image: a device-independent bitmap of twice the height (colour,
    then the transparency mask), as icon resources keep it."""
    from PIL import Image

    width, height = picture.size
    alpha = picture.getchannel("A")
    opaque = [[alpha.getpixel((x, y)) >= 128 for x in range(width)] for y in range(height)]
    mask = pack_rows([[0 if o else 1 for o in row] for row in opaque], 1)
    if depth == 32:
        palette = b""
        colour = bytearray()
        for y in reversed(range(height)):
            for x in range(width):
                r, g, b, a = picture.getpixel((x, y))
                colour += bytes((b, g, r, a))
        colour = bytes(colour)
    else:
        # The colour under a masked pixel is drawn XOR onto the screen, so it
        # must be black: the last palette entry is kept for it.
        colours = 1 << depth
        flat = Image.new("RGB", picture.size)
        flat.paste(picture.convert("RGB"), mask=Image.eval(alpha, lambda a: 255 if a >= 128 else 0))
        quantised = flat.quantize(colors=colours - 1, method=Image.Quantize.MAXCOVERAGE, dither=Image.Dither.NONE)
        rgb = (quantised.getpalette() or [])[: (colours - 1) * 3]
        rgb += [0] * ((colours - 1) * 3 - len(rgb)) + [0, 0, 0]
        palette = b"".join(bytes((rgb[i + 2], rgb[i + 1], rgb[i], 0)) for i in range(0, len(rgb), 3))
        rows = [[quantised.getpixel((x, y)) if opaque[y][x] else colours - 1 for x in range(width)]
                for y in range(height)]
        colour = pack_rows(rows, depth)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, depth, 0, len(colour) + len(mask),
                         0, 0, len(palette) // 4, 0)
    return header + palette + colour + mask


def icon_file(svg, folder):
    """An icon file with every size in every depth, largest first."""
    entries = []
    for size in ICON_SIZES:
        picture = render(svg, size, size, folder)
        for depth in ICON_DEPTHS:
            entries.append((size, depth, icon_image(picture, depth)))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    for size, depth, image in entries:
        colours = 1 << depth if depth < 8 else 0
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(image), offset)
        offset += len(image)
    return directory + b"".join(image for _size, _depth, image in entries)


def write_if_changed(path, content):
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == content:
                return
    with open(path, "wb") as f:
        f.write(content)


def build(source, data, version, output):
    with open(os.path.join(source, "GameDefinition.xml"), encoding="utf-8") as f:
        template = f.read()
    texts = read_descriptions(os.path.join(source, "descriptions.txt"))
    files = {"GameDefinition.%d.xml" % lang: game_definition(template, texts[lang], version)
             for lang in LANGUAGES}
    with tempfile.TemporaryDirectory() as folder:
        files["Thumbnail.png"] = thumbnail(data, folder)
        files["WoppleGameDef.ico"] = icon_file(os.path.join(data, "icon", "Icon101.svg"), folder)
    os.makedirs(output, exist_ok=True)
    for name, content in files.items():
        write_if_changed(os.path.join(output, name), content)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True, help="the gamedef/ folder")
    parser.add_argument("--data", required=True, help="the data/ folder (the art)")
    parser.add_argument("--version", required=True, help="the program's version, such as 1.0.0.0")
    parser.add_argument("--output", required=True, help="the folder to write into")
    args = parser.parse_args()
    try:
        build(args.source, args.data, args.version, args.output)
    except (GameDefError, OSError) as e:
        print("gamedef: error: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
