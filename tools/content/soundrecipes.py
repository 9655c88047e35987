"""Sound effects from sox recipes.

A recipe file holds one sound per line (a trailing backslash continues a line):

    <file name> [loop=<seconds>] = <layer> ; <layer> ... [| <effects on the mix>]

A layer is a sox effect chain that starts from silence (`sox -n`), normally
with `synth`; the layers are mixed at full level, then the effects after "|"
run on the mix. "loop=X" makes a seamless loop: the last X seconds are
cross-faded over the first X, so the sound comes out X seconds shorter than its
layers and its end runs straight into its start.
"""

import array
import math
import os
import re
import shlex
import subprocess
import tempfile
import wave

RATE = 44100
# Half the device's 44100 Hz that the game mixes at: files made at that rate
# decode in half the time, and the game doubles them as they load. Layers are
# still synthesised at RATE.
OUTPUT_RATE = 22050


class RecipeError(Exception):
    pass


class Recipe:
    def __init__(self, name, layers, post, crossfade, where):
        self.name, self.layers, self.post, self.crossfade, self.where = name, layers, post, crossfade, where

    @property
    def is_loop(self):
        return self.crossfade is not None


def logical_lines(path):
    with open(path, encoding="utf-8") as f:
        pending, start = "", 0
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].rstrip()
            if not pending:
                start = number
            if line.endswith("\\"):
                pending += line[:-1] + " "
                continue
            pending += line
            if pending.strip():
                yield start, pending.strip()
            pending = ""
        if pending.strip():
            yield start, pending.strip()


def parse(path):
    recipes, seen = [], set()
    for number, line in logical_lines(path):
        where = "%s:%d" % (path, number)
        pieces = re.split(r"\s=\s", line, maxsplit=1)
        if len(pieces) != 2:
            raise RecipeError("%s: expected '<name> = <layers>'" % where)
        head, body = pieces
        words = head.split()
        if not words or not words[0].endswith(".ogg"):
            raise RecipeError("%s: a sound's name ends in .ogg" % where)
        name, crossfade = words[0], None
        for option in words[1:]:
            key, _, value = option.partition("=")
            if key != "loop" or not value:
                raise RecipeError("%s: unknown option %r" % (where, option))
            try:
                crossfade = float(value)
            except ValueError:
                raise RecipeError("%s: loop needs seconds, not %r" % (where, value)) from None
        if name in seen:
            raise RecipeError("%s: %s is made twice" % (where, name))
        seen.add(name)
        mix, _, post = body.partition("|")
        layers = [shlex.split(layer) for layer in mix.split(";")]
        if not all(layers):
            raise RecipeError("%s: empty layer" % where)
        recipes.append(Recipe(name, layers, shlex.split(post), crossfade, where))
    return recipes


def sox(args, where):
    result = subprocess.run(["sox", "-V1", "-R"] + args, capture_output=True, text=True)
    if result.returncode != 0:
        raise RecipeError("%s: sox %s\n%s" % (where, " ".join(args), result.stderr.strip()))


def crossfade_loop(path, seconds, where):
    """Cross-fades the tail over the head (equal power), in place."""
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2 or w.getnchannels() != 1:
            raise RecipeError("%s: loops are made as 16-bit mono" % where)
        samples = array.array("h", w.readframes(w.getnframes()))
    n = int(seconds * RATE)
    if n <= 0 or 2 * n > len(samples):
        raise RecipeError("%s: the cross-fade must be shorter than half the sound" % where)
    body_len = len(samples) - n
    out = samples[:body_len]
    for i in range(n):
        t = (i + 0.5) / n
        head = samples[i] * math.sin(t * math.pi / 2)
        tail = samples[body_len + i] * math.cos(t * math.pi / 2)
        out[i] = max(-32768, min(32767, int(round(head + tail))))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(out.tobytes())


def render(recipe, output):
    with tempfile.TemporaryDirectory() as tmp:
        layer_files = []
        for index, chain in enumerate(recipe.layers):
            layer = os.path.join(tmp, "layer%d.wav" % index)
            sox(["-n", "-r", str(RATE), "-c", "1", "-b", "16", layer] + chain, recipe.where)
            layer_files.append(layer)
        mix = os.path.join(tmp, "mix.wav")
        if len(layer_files) == 1:
            inputs = layer_files
        else:
            inputs = ["-m"]
            for layer in layer_files:
                inputs += ["-v", "1", layer]
        sox(inputs + ["-b", "16", mix] + recipe.post, recipe.where)
        if recipe.is_loop:
            crossfade_loop(mix, recipe.crossfade, recipe.where)
        sox([mix, "-C", "5", output, "rate", "-h", str(OUTPUT_RATE)], recipe.where)
