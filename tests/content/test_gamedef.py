import os
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from toolpath import TOOLS  # noqa: F401 (puts the tools on the path)

import gamedef  # noqa: E402

TEMPLATE = '<?xml version="1.0" encoding="utf-16"?>\n<G v="@VERSION@">\n  <D>@DESCRIPTION@</D>\n</G>\n'
ALL = "".join("%d text of %d\n" % (lang, lang) for lang in gamedef.LANGUAGES if lang != gamedef.NEUTRAL)


class GameDefinitionTest(unittest.TestCase):
    def read(self, text):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "descriptions.txt")
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            return gamedef.read_descriptions(path)

    def test_the_neutral_language_takes_the_english_text_unless_it_has_its_own(self):
        self.assertEqual(self.read("# comment\n\n" + ALL)[1024], "text of 1033")
        self.assertEqual(self.read(ALL + "1024 neutral\n")[1024], "neutral")

    def test_descriptions_that_would_leave_a_language_without_a_document_are_refused(self):
        cases = {
            "a language missing": ALL.replace("1040 text of 1040\n", ""),
            "a language twice": ALL + "1031 noch einmal\n",
            "no text": ALL + "1024\n",
            "no language id": ALL + "German text\n",
        }
        for case, text in cases.items():
            with self.subTest(case), self.assertRaises(gamedef.GameDefError):
                self.read(text)

    def test_document_is_utf16_with_a_byte_order_mark_windows_line_ends_and_escaped_texts(self):
        held = gamedef.game_definition(TEMPLATE, 'Tips & tricks <for "everyone">', '1.0"')
        self.assertEqual(held[:2], b"\xff\xfe")
        self.assertIn("\r\n  <D>", held.decode("utf-16"))
        root = ElementTree.fromstring(held)
        self.assertEqual((root.get("v"), root.findtext("D")), ('1.0"', 'Tips & tricks <for "everyone">'))

    def test_a_template_without_its_places_is_refused(self):
        for template in (TEMPLATE.replace("@VERSION@", ""), TEMPLATE + "@DESCRIPTION@"):
            with self.subTest(template=template), self.assertRaises(gamedef.GameDefError):
                gamedef.game_definition(template, "text", "1.0")


if __name__ == "__main__":
    unittest.main()
