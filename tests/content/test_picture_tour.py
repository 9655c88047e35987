import os
import sys
import tempfile
import unittest

from toolpath import TOOLS

sys.path.insert(0, os.path.dirname(os.path.abspath(TOOLS)))

from PIL import Image, ImageDraw  # noqa: E402

import picture_tour as tour  # noqa: E402

SKY, SEA, SAND = (139, 227, 247), (47, 169, 210), (244, 207, 148)


def backdrop():
    image = Image.new("RGB", (800, 600), SKY)
    draw = ImageDraw.Draw(image)
    draw.rectangle((0, 390, 799, 509), fill=SEA)
    draw.rectangle((0, 500, 799, 599), fill=SAND)
    return image


class PictureTourCheckTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def save(self, name, image):
        path = os.path.join(self.folder.name, name + ".png")
        image.save(path)
        return path

    def test_a_picture_is_blank_when_it_shows_one_colour_or_only_the_backdrop(self):
        dialog = backdrop()
        ImageDraw.Draw(dialog).rectangle((200, 150, 599, 449), fill=(255, 255, 255))
        # One per cent of the window (4800 pixels) shows something; a column less does not.
        sliver = backdrop()
        ImageDraw.Draw(sliver).rectangle((0, 0, 46, 99), fill=(255, 255, 255))
        strip = backdrop()
        ImageDraw.Draw(strip).rectangle((0, 0, 47, 99), fill=(255, 255, 255))
        cases = [
            ("black", Image.new("RGB", (800, 600), (0, 0, 0)), "one colour only"),
            ("backdrop", backdrop(), "nothing but the backdrop"),
            ("sliver", sliver, "nothing but the backdrop"),
            ("strip", strip, None),
            ("dialog", dialog, None),
        ]
        for name, image, reason in cases:
            with self.subTest(name):
                self.assertEqual(tour.blank_reason(self.save(name, image)), reason)

    def test_a_skipped_stop_a_missing_picture_and_a_blank_one_are_each_reported(self):
        shown = backdrop()
        ImageDraw.Draw(shown).rectangle((200, 150, 599, 449), fill=(250, 250, 240))
        pictures = [self.save("01-options", shown), self.save("03-quit", backdrop())]
        lines = ["TOUR: 01-options", "TOUR: 02-name-entry", "TOUR: 03-quit",
                 "TOUR: skipped credits: nothing to show", "TOUR: done"]
        self.assertEqual(tour.check(pictures, lines), [
            "TOUR: skipped credits: nothing to show",
            "02-name-entry: no picture was written",
            "03-quit.png: blank (nothing but the backdrop)",
        ])
        self.assertEqual(tour.check(pictures[:1], ["TOUR: 01-options", "TOUR: done"]), [])

    def test_the_contact_sheet_holds_every_stop(self):
        pictures = [self.save("%02d-stop" % n, backdrop()) for n in range(1, 5)]
        sheet = os.path.join(self.folder.name, "sheet.png")
        tour.compose_sheet(pictures, sheet)
        with Image.open(sheet) as image:
            # Three to a row, a third of the size each: two rows.
            self.assertEqual(image.size, (16 + 3 * (266 + 16), 16 + 2 * (200 + 22 + 16)))
            second_row = 16 + 200 + 22 + 16 + 10
            self.assertEqual(image.getpixel((16 + 10, second_row)), SKY)
            self.assertEqual(image.getpixel((16 + 266 + 16 + 10, second_row)), tour.SHEET_BACKGROUND)


if __name__ == "__main__":
    unittest.main()
