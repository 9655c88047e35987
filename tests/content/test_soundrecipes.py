import array
import os
import tempfile
import unittest
import wave

import toolpath  # noqa: F401

import soundrecipes


class SoundRecipesTest(unittest.TestCase):
    def parse(self, text):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write(text)
        try:
            return soundrecipes.parse(f.name)
        finally:
            os.remove(f.name)

    def test_layers_options_and_continued_lines(self):
        recipes = self.parse("# effects\n"
                             "a.ogg = synth 0.1 sine 440 ; synth 0.1 sine 880 \\\n"
                             "        gain -6 | norm -1\n"
                             "b.ogg loop=1.5 = synth 4 pinknoise\n")
        self.assertEqual([r.name for r in recipes], ["a.ogg", "b.ogg"])
        self.assertEqual(recipes[0].layers, [["synth", "0.1", "sine", "440"],
                                             ["synth", "0.1", "sine", "880", "gain", "-6"]])
        self.assertEqual(recipes[0].post, ["norm", "-1"])
        self.assertFalse(recipes[0].is_loop)
        self.assertEqual(recipes[1].crossfade, 1.5)

    def test_bad_recipes_name_their_line(self):
        for text, message in [("a.wav = synth 1 sine 440", "ends in .ogg"),
                              ("a.ogg fade=1 = synth 1 sine 440", "unknown option"),
                              ("a.ogg synth 1 sine 440", "expected"),
                              ("a.ogg = synth 1 sine 1\na.ogg = synth 1 sine 2", "made twice")]:
            with self.subTest(text=text):
                with self.assertRaises(soundrecipes.RecipeError) as caught:
                    self.parse(text)
                self.assertRegex(str(caught.exception), r"\.txt:\d+: .*" + message)

    def test_a_loop_runs_from_its_end_into_its_start_without_a_jump(self):
        rate, length, fade = soundrecipes.RATE, soundrecipes.RATE * 2, 0.5
        ramp = array.array("h", (int(-20000 + 40000 * i / length) for i in range(length)))
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "loop.wav")
            with wave.open(path, "wb") as w:
                w.setnchannels(1)
                w.setsampwidth(2)
                w.setframerate(rate)
                w.writeframes(ramp.tobytes())
            soundrecipes.crossfade_loop(path, fade, "test")
            with wave.open(path, "rb") as w:
                out = array.array("h", w.readframes(w.getnframes()))
        self.assertEqual(len(out), length - int(fade * rate))
        step = 40000 / length
        # Played in a loop, the last sample leads into the first as any two neighbours do.
        self.assertLess(abs(out[0] - out[-1]), 3 * step)
        self.assertEqual(out[len(out) // 2], ramp[len(out) // 2])


if __name__ == "__main__":
    unittest.main()
