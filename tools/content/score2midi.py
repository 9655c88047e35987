#!/usr/bin/env python3
"""Turns a score of ours into a standard MIDI file with named sections.

    score2midi.py Wopple.score Wopple.mid

The score (see data/music/*.score):

    file Wopple.mid                      # the resource name it becomes
    tempo 124                            # quarter notes per minute
    time 4/4                             # beats per bar, counted in quarters
    instrument lead 13 volume=100 pan=64 velocity=90   # General MIDI program 1-128
    instrument beat drums                # the percussion channel
    section Intro                        # a named part (blanks allowed); a marker in the file
    lead: E5:e G5:e C6:q G5:e E5:e G5:q | ...
    beat: [kick shaker]:e shaker:e ...

A '#' after a blank starts a comment; a trailing backslash continues a line.
A note is a pitch (C4 is middle C, sharps '#', flats 'b') or, on a drum
track, a drum name; a rest is "r"; several at once go in brackets. Durations
are w, h, q, e, s (whole to sixteenth), with '.' for dotted. Bars are
separated by '|' and must each fill the time signature. Every section starts a
new bar; a track that a section leaves out rests through it. Each section
becomes a marker meta-event at its first tick, and a part {first measure,
number of measures} for the music metadata.
"""

import re
import struct
import sys

TICKS_PER_QUARTER = 480
DURATIONS = {"w": 4.0, "h": 2.0, "q": 1.0, "e": 0.5, "s": 0.25}
DRUMS = {
    "kick": 36, "rim": 37, "snare": 38, "clap": 39, "hat": 42, "pedalhat": 44, "openhat": 46,
    "tom": 45, "crash": 49, "ride": 51, "tambourine": 54, "cowbell": 56, "bongo": 60,
    "conga": 63, "lowconga": 64, "timbale": 65, "cabasa": 69, "shaker": 70, "whistle": 71,
    "guiro": 73, "claves": 75, "woodblock": 76, "triangle": 81,
}
NOTE_BASE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
DRUM_CHANNEL = 9


class ScoreError(Exception):
    pass


class Instrument:
    def __init__(self, name, program, channel, volume, pan, velocity):
        self.name, self.program, self.channel = name, program, channel
        self.volume, self.pan, self.velocity = volume, pan, velocity
        self.events = []  # (tick, pitches or None, length)

    @property
    def is_drums(self):
        return self.program is None


class Section:
    def __init__(self, name, where):
        self.name, self.where = name, where
        self.bars = {}  # instrument name -> list of bars (each a list of (pitches, beats))
        self.first_measure = 0
        self.measures = 0


class Song:
    def __init__(self):
        self.file_name = None
        self.tempo = 120.0
        self.beats_per_bar = 4
        self.instruments = {}
        self.sections = []


def parse_pitch(text, drums, where):
    if drums:
        if text not in DRUMS:
            raise ScoreError("%s: unknown drum %r (known: %s)" % (where, text, ", ".join(sorted(DRUMS))))
        return DRUMS[text]
    m = re.fullmatch(r"([A-G])([#b]?)(-?\d)", text)
    if not m:
        raise ScoreError("%s: not a pitch: %r" % (where, text))
    letter, accidental, octave = m.groups()
    value = 12 * (int(octave) + 1) + NOTE_BASE[letter] + {"": 0, "#": 1, "b": -1}[accidental]
    if not 0 <= value <= 127:
        raise ScoreError("%s: pitch out of range: %r" % (where, text))
    return value


def parse_duration(text, where):
    m = re.fullmatch(r"([whqes])(\.?)", text)
    if not m:
        raise ScoreError("%s: not a duration: %r" % (where, text))
    beats = DURATIONS[m.group(1)]
    return beats * 1.5 if m.group(2) else beats


TOKEN = re.compile(r"\s*(\||\[[^\]]*\]:\S+|\S+)")


def parse_bars(text, instrument, where):
    """'a b | c d' -> a list of bars, each a list of (pitches or None, beats)."""
    bars, current = [], []
    for token in TOKEN.findall(text):
        if token == "|":
            bars.append(current)
            current = []
            continue
        head, sep, duration = token.rpartition(":")
        if not sep or not head:
            raise ScoreError("%s: expected <note>:<duration>, got %r" % (where, token))
        beats = parse_duration(duration, where)
        if head == "r":
            current.append((None, beats))
            continue
        names = head[1:-1].split() if head.startswith("[") else [head]
        if not names:
            raise ScoreError("%s: empty chord" % where)
        current.append(([parse_pitch(n, instrument.is_drums, where) for n in names], beats))
    if current:
        bars.append(current)
    return bars


def logical_lines(text):
    """Lines without comments ('#' after a blank: F#4 is a note), joined at trailing backslashes."""
    pending, start = "", 0
    for number, raw in enumerate(text.splitlines(), 1):
        line = re.sub(r"(^|\s)#.*$", "", raw).rstrip()
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


def parse(text, source="<score>"):
    song = Song()
    section = None
    channels = iter([c for c in range(16) if c != DRUM_CHANNEL])
    for number, line in logical_lines(text):
        where = "%s:%d" % (source, number)
        track, colon, rest = line.partition(":")
        if colon and track.strip() in song.instruments and " " not in track.strip():
            if section is None:
                raise ScoreError("%s: notes before the first section" % where)
            instrument = song.instruments[track.strip()]
            section.bars.setdefault(instrument.name, [])
            section.bars[instrument.name].append((parse_bars(rest, instrument, where), where))
            continue
        words = line.split()
        keyword, args = words[0], words[1:]
        if keyword == "file" and len(args) == 1 and args[0].endswith(".mid"):
            song.file_name = args[0]
        elif keyword == "tempo" and len(args) == 1:
            try:
                song.tempo = float(args[0])
            except ValueError:
                raise ScoreError("%s: tempo is a number" % where) from None
        elif keyword == "time" and len(args) == 1 and re.fullmatch(r"\d+/4", args[0]):
            song.beats_per_bar = int(args[0].split("/")[0])
        elif keyword == "instrument" and len(args) >= 2:
            name, program = args[0], args[1]
            options = dict(a.split("=", 1) for a in args[2:] if "=" in a)
            if len(options) != len(args) - 2 or set(options) - {"volume", "pan", "velocity"}:
                raise ScoreError("%s: options are volume=, pan= and velocity=" % where)
            if name in song.instruments:
                raise ScoreError("%s: instrument %s given twice" % (where, name))
            try:
                values = {k: int(v) for k, v in options.items()}
                prog = None if program == "drums" else int(program) - 1
            except ValueError:
                raise ScoreError("%s: programs and options are numbers" % where) from None
            if prog is not None and not 0 <= prog <= 127:
                raise ScoreError("%s: General MIDI programs run from 1 to 128" % where)
            try:
                channel = DRUM_CHANNEL if prog is None else next(channels)
            except StopIteration:
                raise ScoreError("%s: too many instruments" % where) from None
            song.instruments[name] = Instrument(name, prog, channel, values.get("volume", 100),
                                                values.get("pan", 64), values.get("velocity", 90))
        elif keyword == "section" and args:
            # A name may have blanks: the levels' parts are "<level music> <part>".
            name = " ".join(args)
            if any(s.name == name for s in song.sections):
                raise ScoreError("%s: section %s given twice" % (where, name))
            section = Section(name, where)
            song.sections.append(section)
        elif colon:
            raise ScoreError("%s: unknown instrument %r" % (where, track.strip()))
        else:
            raise ScoreError("%s: cannot read %r" % (where, line))

    if not song.file_name:
        raise ScoreError("%s: the score names no file (file <name>.mid)" % source)
    if not song.sections:
        raise ScoreError("%s: the score has no section" % source)
    _lay_out(song)
    return song


def _lay_out(song):
    """Checks the bars and turns them into timed events."""
    bar_ticks = song.beats_per_bar * TICKS_PER_QUARTER
    measure = 1
    for section in song.sections:
        counts = {}
        for name, chunks in section.bars.items():
            bars = []
            for chunk, where in chunks:
                for index, bar in enumerate(chunk, 1):
                    beats = sum(b for _p, b in bar)
                    if abs(beats - song.beats_per_bar) > 1e-9:
                        raise ScoreError("%s: %s, bar %d of this line holds %g beats, not %d"
                                         % (where, name, index, beats, song.beats_per_bar))
                bars += chunk
            counts[name] = len(bars)
            start = (measure - 1) * bar_ticks
            tick = float(start)
            for bar in bars:
                for pitches, beats in bar:
                    length = beats * TICKS_PER_QUARTER
                    if pitches:
                        song.instruments[name].events.append((round(tick), pitches, round(length)))
                    tick += length
        lengths = set(counts.values())
        if not lengths:
            raise ScoreError("%s: section %s has no notes" % (section.where, section.name))
        if len(lengths) != 1:
            detail = ", ".join("%s %d" % (n, c) for n, c in sorted(counts.items()))
            raise ScoreError("%s: the tracks of section %s differ in bars (%s)" % (section.where, section.name, detail))
        section.first_measure = measure
        section.measures = lengths.pop()
        measure += section.measures
    song.total_ticks = (measure - 1) * bar_ticks


def _vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def _track(events, end_tick):
    """events: (tick, order, bytes); order keeps note-offs before note-ons at one tick."""
    data, last = bytearray(), 0
    for tick, _order, payload in sorted(events, key=lambda e: (e[0], e[1])):
        data += _vlq(tick - last) + payload
        last = tick
    # Every track ends with the last bar, so the file is as long as its bars.
    data += _vlq(max(0, end_tick - last)) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def _meta(kind, payload):
    return bytes([0xFF, kind]) + _vlq(len(payload)) + payload


def midi_bytes(song):
    tempo = round(60_000_000 / song.tempo)
    conductor = [
        (0, 0, _meta(0x03, song.file_name.encode("ascii", "replace"))),
        (0, 1, _meta(0x58, bytes([song.beats_per_bar, 2, 24, 8]))),
        (0, 2, _meta(0x51, tempo.to_bytes(3, "big"))),
    ]
    bar_ticks = song.beats_per_bar * TICKS_PER_QUARTER
    for section in song.sections:
        conductor.append(((section.first_measure - 1) * bar_ticks, 3, _meta(0x06, section.name.encode("ascii", "replace"))))
    tracks = [_track(conductor, song.total_ticks)]
    for inst in song.instruments.values():
        ch = inst.channel
        events = [(0, 0, _meta(0x03, inst.name.encode("ascii", "replace"))),
                  (0, 1, bytes([0xB0 | ch, 7, inst.volume])),
                  (0, 2, bytes([0xB0 | ch, 10, inst.pan]))]
        if inst.program is not None:
            events.append((0, 3, bytes([0xC0 | ch, inst.program])))
        for tick, pitches, length in inst.events:
            # Drums are struck: a short note whatever the written length.
            off = tick + (min(length, TICKS_PER_QUARTER // 4) if inst.is_drums else max(1, length - 8))
            for p in pitches:
                events.append((tick, 5, bytes([0x90 | ch, p, inst.velocity])))
                events.append((off, 4, bytes([0x80 | ch, p, 0])))
        tracks.append(_track(events, song.total_ticks))
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TICKS_PER_QUARTER)
    return header + b"".join(tracks)


def parse_file(path):
    with open(path, encoding="utf-8") as f:
        return parse(f.read(), path)


def write_midi(song, path):
    with open(path, "wb") as f:
        f.write(midi_bytes(song))


def main(argv):
    if len(argv) != 3:
        print("usage: score2midi.py <score> <midi file>", file=sys.stderr)
        return 2
    try:
        write_midi(parse_file(argv[1]), argv[2])
    except ScoreError as e:
        print("score2midi: error: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
