import os
import sys
import tempfile
import unittest

from toolpath import TOOLS

sys.path.insert(0, TOOLS)

import contact_sheet  # noqa: E402


class ContactSheetFramesTest(unittest.TestCase):
    def frames(self, text):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "metadata.cfg"), "w", encoding="utf-8") as f:
                f.write(text)
            return contact_sheet.frames_of(folder)

    def test_entries_on_one_line_and_entries_with_animations_over_several_lines_are_both_read(self):
        frames = self.frames(
            'Metadata {\n'
            '    ["boxCheck.png"] = { numFrames = 2, width = 28, height = 28 },\n'
            '    ["mouth.png"] = {\n'
            '        numFrames = 7, width = 152, height = 225,\n'
            '        Animations = { babble = { 1, 2, 0 }, blink = { 6, { "delay", 120 }, 2 } },\n'
            '    },\n'
            '    ["pirate.png"] = { numFrames = 6, width = 120, height = 160,\n'
            '        Animations = { calm = { 0 } } },\n'
            '    ["plain.png"] = { scale = 2 },\n'
            '}\n')
        self.assertEqual({"boxCheck.png": (2, 28, 28), "mouth.png": (7, 152, 225), "pirate.png": (6, 120, 160)},
                         frames)


if __name__ == "__main__":
    unittest.main()
