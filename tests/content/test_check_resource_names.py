import contextlib
import io
import os
import tempfile
import unittest

from toolpath import FIXTURES

import check_resource_names as check

SCRIPTS = os.path.join(FIXTURES, "scripts")


def run_check(scripts, provided):
    """Runs the check against a data folder holding empty files of the given names."""
    with tempfile.TemporaryDirectory() as data:
        os.makedirs(os.path.join(data, "images"))
        for name in provided:
            open(os.path.join(data, "images", name), "w").close()
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            code = check.main(["--scripts", scripts, "--data", data])
        return code, out.getvalue()


class ResourceNameCheckTest(unittest.TestCase):
    def test_names_in_strings_count_and_comments_and_pieces_do_not(self):
        uses = check.used_names(SCRIPTS)
        self.assertEqual(sorted(uses), sorted([
            "Button.png", "click.ogg", "Dosis-ExtraBold.otf", "btnArrow.png", "bkgQuit.png",
            "Water_OceanLoop.ogg", "Wave1.ogg", "Wave2.ogg", "helpPage.jpg", "Tune.mid"]))
        self.assertEqual(uses["Button.png"], ["Buttons.lua:4", "Game_Const.cfg:2"])
        self.assertEqual(uses["helpPage.jpg"], ["dialogs/Dialogs.lua:4"])

    def test_fails_with_the_missing_names_and_where_they_are_used(self):
        code, out = run_check(SCRIPTS, ["Button.png", "click.ogg", "Dosis-ExtraBold.otf", "bkgQuit.png",
                                        "Water_OceanLoop.ogg", "Wave1.ogg", "Wave2.ogg"])
        self.assertEqual(code, 1)
        self.assertEqual(out.splitlines()[1:], [
            "  Tune.mid  (Game_Const.cfg:2)",
            "  btnArrow.png  (Buttons.lua:11)",
            "  helpPage.jpg  (dialogs/Dialogs.lua:4)",
        ])

    def test_passes_when_every_name_is_provided_or_there_are_no_scripts(self):
        everything = list(check.used_names(SCRIPTS))
        self.assertEqual(run_check(SCRIPTS, everything)[0], 0)
        with tempfile.TemporaryDirectory() as empty:
            self.assertEqual(run_check(os.path.join(empty, "scripts"), [])[0], 0)

    def test_lua_strings_follow_escapes_and_long_brackets(self):
        text = 'a = "x\\"y.png" -- "c.png"\nb = [=[ q ]] ]=] c = \'d.ogg\'\n--[==[\n"e.png"\n]==] f = "g.png"'
        self.assertEqual(list(check.lua_strings(text)),
                         [(1, 'x"y.png'), (2, " q ]] "), (2, "d.ogg"), (5, "g.png")])

    def test_a_formatted_name_is_provided_by_a_file_with_numbers_in_its_fields(self):
        with tempfile.TemporaryDirectory() as scripts:
            with open(os.path.join(scripts, "Reels.lua"), "w") as f:
                f.write('Resources.Reel = { cover = "wheelBackground%1%.png", frame = "reel%1%x%2%.png" }\n')
            self.assertEqual(run_check(scripts, ["wheelBackground3.png", "reel1x12.png"])[0], 0)
            code, out = run_check(scripts, ["wheelBackgroundA.png", "wheelBackground.png", "reel1x.png"])
            self.assertEqual(code, 1)
            self.assertEqual(out.splitlines()[1:], [
                "  reel%1%x%2%.png  (Reels.lua:1)",
                "  wheelBackground%1%.png  (Reels.lua:1)",
            ])


if __name__ == "__main__":
    unittest.main()
