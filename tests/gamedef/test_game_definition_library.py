"""WoppleGameDef.dll read back as the Game Explorer would find it, with icoutils' wrestool.

The build passes the library, its sources, the folder of the files it was made
from, the program's version and wrestool through the environment.
"""

import io
import os
import re
import struct
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree
from xml.sax.saxutils import escape

from PIL import IcoImagePlugin, Image

DLL = os.environ.get("WOPPLE_GAMEDEF_DLL", "")
SOURCE = os.environ.get("WOPPLE_GAMEDEF_SOURCE", "")
RESOURCES = os.environ.get("WOPPLE_GAMEDEF_RESOURCES", "")
VERSION = os.environ.get("WOPPLE_VERSION", "")
WRESTOOL = os.environ.get("WOPPLE_WRESTOOL", "wrestool")

LANGUAGES = [1024, 1031, 1033, 1034, 1036, 1040, 1043]
GDF = "{urn:schemas-microsoft-com:GameDescription.v1}"
GUID = re.compile(r"^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$")


def wrestool(*args):
    return subprocess.run([WRESTOOL, *args, DLL], capture_output=True, check=True).stdout


def listing(*filters):
    """(type, language) of every resource wrestool lists. Its listing prints a
    named resource of a named type under the type's name, so names are asked
    for with --name, never read from here."""
    lines = wrestool("-l", *filters).decode().splitlines()
    return [(re.search(r"--type='?(\w+)", line).group(1), int(re.search(r"--language=(\d+)", line).group(1)))
            for line in lines]


def extract(kind, name, language):
    return wrestool("-x", "--raw", "--type=" + kind, "--name=" + name, "--language=%d" % language)


def descriptions():
    texts = {}
    with open(os.path.join(SOURCE, "descriptions.txt"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                language, text = line.strip().split(" ", 1)
                texts[int(language)] = text
    texts[1024] = texts[1033]
    return texts


@unittest.skipUnless(DLL and os.path.exists(DLL), "the library is not built here")
class GameDefinitionLibraryTest(unittest.TestCase):
    def test_each_language_has_its_document_thumbnail_and_icon_and_there_is_nothing_else(self):
        for name in ("__GDF_XML", "__GDF_THUMBNAIL"):
            self.assertEqual(listing("--type=DATA", "--name=" + name),
                             [("DATA", language) for language in LANGUAGES], name)
        resources = listing()
        self.assertEqual(sorted(language for kind, language in resources if kind == "14"), LANGUAGES)
        self.assertEqual(listing("--type=14", "--name=101"), [("14", language) for language in LANGUAGES])
        self.assertEqual(sum(1 for kind, _ in resources if kind == "3"), 9 * len(LANGUAGES))
        self.assertEqual(sum(1 for kind, _ in resources if kind == "DATA"), 2 * len(LANGUAGES))
        self.assertEqual({kind for kind, _ in resources}, {"DATA", "3", "14"})

    def test_documents_are_the_source_in_utf16_with_each_language_description(self):
        with open(os.path.join(SOURCE, "GameDefinition.xml"), encoding="utf-8") as f:
            template = f.read()
        texts = descriptions()
        for language in LANGUAGES:
            with self.subTest(language=language):
                held = extract("DATA", "__GDF_XML", language)
                with open(os.path.join(RESOURCES, "GameDefinition.%d.xml" % language), "rb") as f:
                    self.assertEqual(held, f.read())
                self.assertEqual(held[:2], b"\xff\xfe")
                expected = template.replace("@DESCRIPTION@", escape(texts[language])).replace("@VERSION@", VERSION)
                self.assertEqual(held[2:].decode("utf-16-le"), expected.replace("\n", "\r\n"))

    def test_documents_say_what_the_game_explorer_shows(self):
        roots = {language: ElementTree.fromstring(extract("DATA", "__GDF_XML", language)) for language in LANGUAGES}
        for language, root in roots.items():
            with self.subTest(language=language):
                self.assertEqual(root.tag, GDF + "GameDefinitionFile")
                game = root.find(GDF + "GameDefinition")
                self.assertRegex(game.get("gameID"), GUID)
                self.assertEqual(game.findtext(GDF + "Name"), "Wopple Vevev - English")
                self.assertRegex(game.findtext(GDF + "ReleaseDate"), r"^\d{4}-\d{2}-\d{2}$")
                self.assertEqual([g.text for g in game.iter(GDF + "Genre")], ["Puzzle"])
                ratings = list(game.iter(GDF + "Rating"))
                self.assertEqual(len(ratings), 2)
                for rating in ratings:
                    self.assertRegex(rating.get("ratingSystemID"), GUID)
                    self.assertRegex(rating.get("ratingID"), GUID)
                # The same version as the program's own.
                self.assertEqual(game.find(f"{GDF}Version/{GDF}VersionNumber").get("versionNumber"), VERSION)
                performance = game.find(GDF + "WindowsSystemPerformanceRating")
                self.assertEqual((performance.get("minimum"), performance.get("recommended")), ("1", "2"))
                developer = game.find(f"{GDF}Developers/{GDF}Developer")
                self.assertEqual((developer.text, developer.get("URI")), ("Quillfen, Inc.", ""))
                publisher = game.find(f"{GDF}Publishers/{GDF}Publisher")
                self.assertTrue(publisher.text and publisher.get("URI").startswith("https://"))

        def without_description(root):
            root.find(f"{GDF}GameDefinition/{GDF}Description").text = ""
            return ElementTree.tostring(root)

        described = {language: root.findtext(f"{GDF}GameDefinition/{GDF}Description")
                     for language, root in roots.items()}
        self.assertEqual(described[1024], described[1033])
        self.assertEqual(len(set(described.values())), len(LANGUAGES) - 1)
        self.assertEqual(len({without_description(root) for root in roots.values()}), 1)

    def test_every_language_holds_the_same_256_pixel_png_thumbnail(self):
        with open(os.path.join(RESOURCES, "Thumbnail.png"), "rb") as f:
            made = f.read()
        for language in LANGUAGES:
            with self.subTest(language=language):
                held = extract("DATA", "__GDF_THUMBNAIL", language)
                self.assertEqual(held, made)
                with Image.open(io.BytesIO(held)) as picture:
                    self.assertEqual((picture.format, picture.size), ("PNG", (256, 256)))

    def test_icons_have_three_sizes_in_three_depths_transparent_around_the_tile(self):
        for language in LANGUAGES:
            with self.subTest(language=language):
                icon = IcoImagePlugin.IcoFile(io.BytesIO(wrestool("-x", "--type=14", "--name=101",
                                                                  "--language=%d" % language)))
                frames = {(e["width"], e["height"], e["bpp"]): icon.frame(i).convert("RGBA")
                          for i, e in enumerate(icon.entry)}
                self.assertEqual(sorted(frames), sorted((s, s, d) for s in (16, 32, 48) for d in (4, 8, 32)))
                for (size, _, depth), frame in frames.items():
                    true_colour = frames[(size, size, 32)]
                    centre = (size // 2, size // 2)
                    # Masked out, and black beneath: Windows draws the colour XOR onto the screen.
                    self.assertEqual(frame.getpixel((0, 0)), (0, 0, 0, 0), (size, depth))
                    self.assertEqual(frame.getpixel(centre)[3], 255, (size, depth))
                    # Fewer colours, but the same colours in the same places (red stays red).
                    difference = max(abs(a - b) for a, b in zip(frame.getpixel(centre), true_colour.getpixel(centre)))
                    self.assertLess(difference, 48, (size, depth))

    def test_library_is_a_32_bit_dll_that_exports_nothing(self):
        with open(DLL, "rb") as f:
            image = f.read()
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        self.assertEqual(image[pe:pe + 4], b"PE\0\0")
        machine, sections, _, _, _, optional_size, characteristics = struct.unpack_from("<HHIIIHH", image, pe + 4)
        self.assertEqual(machine, 0x14C)  # i386
        self.assertTrue(characteristics & 0x2000, "not a DLL")
        optional = pe + 24
        self.assertEqual(struct.unpack_from("<H", image, optional)[0], 0x10B)  # PE32
        self.assertNotEqual(struct.unpack_from("<I", image, optional + 16)[0], 0, "no entry point")
        export_rva, export_size = struct.unpack_from("<II", image, optional + 96)
        if export_size:
            for i in range(sections):
                _, _, _, address, raw_size, raw_offset = struct.unpack_from("<8sIIIII", image,
                                                                            optional + optional_size + 40 * i)
                if address <= export_rva < address + raw_size:
                    functions, names = struct.unpack_from("<II", image, export_rva - address + raw_offset + 20)
                    self.assertEqual((functions, names), (0, 0))


if __name__ == "__main__":
    unittest.main()
