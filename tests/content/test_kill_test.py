import os
import sys
import unittest

from toolpath import TOOLS

sys.path.insert(0, os.path.dirname(os.path.abspath(TOOLS)))

import kill_test  # noqa: E402


def report(config, *cards):
    """A start's report line: the settings' save and each card's (save, notes, guid, name)."""
    return ";".join(["%s,%s" % config] + ["%s,%s,%s,%s" % card for card in cards])


def card(index, sequence, notes="true", guid=None):
    return (sequence, notes, guid or 1000 + index, "Killed %d" % index)


class CheckLoadedTest(unittest.TestCase):
    """The checks that decide whether a start after a kill lost anything."""

    def test_values_from_the_last_completed_save_to_the_one_in_progress_pass(self):
        guids = {}
        kill_test.check_loaded(report((7, "true"), card(1, 7), card(2, 8), card(3, 8), card(4, 7)), 7, 8, guids)
        self.assertEqual(guids, {1: "1001", 2: "1002", 3: "1003", 4: "1004"})
        # Before any save completed, a card not yet written holds nothing.
        kill_test.check_loaded(report(("nil", "false"), card(1, 1), ("nil", "false", 5, "nil"), ("nil", "false", 6, "nil"),
                                      ("nil", "false", 7, "nil")), None, 1, {})

    def test_a_lost_torn_or_replaced_card_is_a_fault(self):
        cases = [
            ("older than the last completed save", report((7, "true"), card(1, 6), card(2, 7), card(3, 7),
                                                         card(4, 7)), "card 1 holds save 6"),
            ("newer than any begun", report((9, "true"), card(1, 7), card(2, 7), card(3, 7), card(4, 7)),
             "the settings holds save 9"),
            ("lost after a completed save", report((7, "true"), card(1, 7), ("nil", "false", 5, "nil"), card(3, 7),
                                                   card(4, 7)), "card 2 holds save nil"),
            ("notes of another save", report((7, "true"), card(1, 7), card(2, 7), card(3, 7, notes="false"),
                                             card(4, 7)), "card 3 holds save 7 with notes"),
            ("a fresh player", report((7, "true"), card(1, 7), card(2, 7), card(3, 7), card(4, 7, guid=99)),
             "card 4 has the guid 99"),
        ]
        for name, line, message in cases:
            with self.subTest(name):
                with self.assertRaises(kill_test.Fault) as raised:
                    kill_test.check_loaded(line, 7, 8, {4: "1004"})
                self.assertIn(message, str(raised.exception))


class CheckStartTest(unittest.TestCase):
    class Start:
        def __init__(self, log):
            self.log = log

    def test_a_card_that_was_there_must_load_and_nothing_may_be_kept_aside(self):
        missing = "Couldn't load player 2, err=\"cannot open /x/Player2.card\""
        kill_test.check_start(self.Start([missing]), {"Player1.card"})
        with self.assertRaises(kill_test.Fault):
            kill_test.check_start(self.Start([missing]), {"Player1.card", "Player2.card"})
        with self.assertRaises(kill_test.Fault):
            kill_test.check_start(self.Start(["WARNING: Could not load \"x.cfg\" (y); it was kept as \"x.cfg.bad\"."]),
                                  set())


if __name__ == "__main__":
    unittest.main()
