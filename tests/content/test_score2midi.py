import struct
import unittest

import toolpath  # noqa: F401

import score2midi

SCORE = """
file Tune.mid   # a comment
tempo 120
instrument lead 1 velocity=80
instrument beat drums
section Intro
lead: C4:h F#4:q r:q
beat: [kick hat]:q hat:q snare:h
section Loop
lead: [C4 E4 G4]:w | \\
      G4:q. A4:e B4:h
"""


def read_midi(data):
    """A small SMF reader: the tracks as lists of (tick, event bytes)."""
    assert data[:4] == b"MThd"
    _length, fmt, count, division = struct.unpack(">IHHH", data[4:14])
    pos, tracks = 14, []
    for _ in range(count):
        assert data[pos:pos + 4] == b"MTrk"
        (length,) = struct.unpack(">I", data[pos + 4:pos + 8])
        body, pos = data[pos + 8:pos + 8 + length], pos + 8 + length
        i, tick, events = 0, 0, []
        while i < len(body):
            delta = 0
            while True:
                delta = (delta << 7) | (body[i] & 0x7F)
                i += 1
                if not body[i - 1] & 0x80:
                    break
            tick += delta
            if body[i] == 0xFF:
                n = body[i + 2]
                events.append((tick, body[i:i + 3 + n]))
                i += 3 + n
            else:
                n = 2 if body[i] >> 4 in (0xC, 0xD) else 3
                events.append((tick, body[i:i + n]))
                i += n
        tracks.append(events)
    return fmt, division, tracks


class ScoreToMidiTest(unittest.TestCase):
    def test_sections_become_markers_and_parts(self):
        song = score2midi.parse(SCORE)
        self.assertEqual([(s.name, s.first_measure, s.measures) for s in song.sections],
                         [("Intro", 1, 1), ("Loop", 2, 2)])
        fmt, division, tracks = read_midi(score2midi.midi_bytes(song))
        self.assertEqual((fmt, division, len(tracks)), (1, 480, 3))
        markers = [(t, e[3:].decode()) for t, e in tracks[0] if e[:2] == b"\xff\x06"]
        self.assertEqual(markers, [(0, "Intro"), (1920, "Loop")])
        tempo = [e for _t, e in tracks[0] if e[:2] == b"\xff\x51"][0]
        self.assertEqual(int.from_bytes(tempo[3:], "big"), 500000)
        # Every track lasts exactly to the end of the last bar.
        self.assertTrue(all(track[-1] == (3 * 1920, b"\xff\x2f\x00") for track in tracks))

    def test_notes_land_on_their_ticks_with_pitch_and_channel(self):
        _fmt, _div, tracks = read_midi(score2midi.midi_bytes(score2midi.parse(SCORE)))
        lead_on = [(t, e[1]) for t, e in tracks[1] if e[0] == 0x90]
        self.assertEqual(lead_on, [(0, 60), (960, 66), (1920, 60), (1920, 64), (1920, 67),
                                   (3840, 67), (4560, 69), (4800, 71)])
        drum_on = [(t, e[0], e[1]) for t, e in tracks[2] if e[0] & 0xF0 == 0x90]
        self.assertEqual(drum_on, [(0, 0x99, 36), (0, 0x99, 42), (480, 0x99, 42), (960, 0x99, 38)])
        program = [e for _t, e in tracks[1] if e[0] & 0xF0 == 0xC0]
        self.assertEqual(program, [bytes([0xC0, 0])])

    def test_a_section_name_may_have_blanks(self):
        song = score2midi.parse(SCORE.replace("section Loop", "section Wopple Theme Part 1"))
        self.assertEqual([s.name for s in song.sections], ["Intro", "Wopple Theme Part 1"])
        _fmt, _div, tracks = read_midi(score2midi.midi_bytes(song))
        markers = [e[3:].decode() for _t, e in tracks[0] if e[:2] == b"\xff\x06"]
        self.assertEqual(markers, ["Intro", "Wopple Theme Part 1"])
        with self.assertRaises(score2midi.ScoreError):
            score2midi.parse(SCORE.replace("section Loop", "section Intro"))

    def test_mistakes_are_reported_with_their_place(self):
        cases = [
            ("lead: C4:q C4:q C4:q | C4:w", "t.score:5: lead, bar 1 of this line holds 3 beats"),
            ("lead: C4:w\nbeat: kick:w | kick:w", "t.score:4: the tracks of section A differ in bars (beat 2, lead 1)"),
            ("beat: bell:w", "t.score:5: unknown drum 'bell'"),
            ("lead: H4:w", "t.score:5: not a pitch"),
            ("bass: C2:w", "t.score:5: unknown instrument 'bass'"),
        ]
        head = "file T.mid\ninstrument lead 1\ninstrument beat drums\nsection A\n"
        for body, message in cases:
            with self.subTest(body=body):
                with self.assertRaises(score2midi.ScoreError) as caught:
                    score2midi.parse(head + body, "t.score")
                self.assertIn(message, str(caught.exception))


if __name__ == "__main__":
    unittest.main()
