#!/usr/bin/env python3
"""Builds the game's data folder and the package from the sources in data/.

    build_data.py --source data --output build/play/data --package build/play/WoppleQuest.qil

Pictures come from SVG (rsvg-convert; JPEG where the name says so), button
families from their table, sounds from sox recipes, music from our score format,
fonts from Debian's font folders. Every folder that needs one gets a
"metadata.cfg". Outputs that are newer than their sources are kept, so a second
run only redoes what changed; files no source makes any more are removed.
"""

import argparse
import collections
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import buttons  # noqa: E402
import score2midi  # noqa: E402
import soundrecipes  # noqa: E402

TOOLS_DIR = os.path.dirname(os.path.abspath(__file__))
KINDS = ("images", "sounds", "music", "fonts")  # the data folder's top level


class BuildError(Exception):
    pass


def up_to_date(output, inputs):
    if not os.path.exists(output):
        return False
    mtime = os.path.getmtime(output)
    return all(os.path.getmtime(i) <= mtime for i in inputs)


def run(cmd):
    result = subprocess.run(cmd, capture_output=True, text=True)
    if result.returncode != 0:
        raise BuildError("command failed: %s\n%s" % (" ".join(cmd), result.stderr.strip()))
    return result


def write_if_changed(path, text):
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def lua_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def lua_key(k):
    """A table key: plain when it is a Lua name, else quoted ("Wopple Theme Intro")."""
    return k if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", k) else "[%s]" % lua_string(k)


def lua_value(v):
    if isinstance(v, bool):
        return "true" if v else "false"
    if isinstance(v, (int, float)):
        return str(v)
    if isinstance(v, str):
        return lua_string(v)
    if isinstance(v, (list, tuple)):
        return "{ " + ", ".join(lua_value(x) for x in v) + " }"
    if isinstance(v, dict):
        return "{ " + ", ".join("%s = %s" % (lua_key(k), lua_value(v[k])) for k in sorted(v)) + " }"
    raise TypeError(v)


def metadata_chunk(entries, comment):
    """One Metadata call giving each file name its settings table."""
    lines = ["-- " + comment, "Metadata {"]
    for name in sorted(entries):
        lines.append("    [%s] = %s," % (lua_string(name), lua_value(entries[name])))
    lines.append("}")
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------- pictures

def picture_name(svg_file):
    """'Button.small.svg' -> 'Button.small.png'; 'female_hs.jpg.svg' -> 'female_hs.jpg'."""
    stem = svg_file[: -len(".svg")]
    return stem if stem.endswith(".jpg") else stem + ".png"


class Job:
    """One output file, its inputs and how to make it."""

    def __init__(self, output, inputs, make):
        self.output, self.inputs, self.make = output, inputs, make


def render_svg(svg, output):
    if output.endswith(".jpg"):
        with tempfile.TemporaryDirectory() as tmp:
            png = os.path.join(tmp, "picture.png")
            run(["rsvg-convert", "-o", png, svg])
            from PIL import Image  # only JPEG pictures need it

            with Image.open(png) as im:
                im.convert("RGB").save(output, "JPEG", quality=92, optimize=True)
    else:
        run(["rsvg-convert", "-o", output, svg])


def picture_jobs(src_dir, out_dir, gen_dir):
    """Jobs for one picture folder, plus its Metadata: the hand-written text
    (or None) and the generated entries (file name -> settings)."""
    jobs, frames = [], {}
    hand = None
    hand_metadata = os.path.join(src_dir, "metadata.cfg")
    if os.path.exists(hand_metadata):
        with open(hand_metadata, encoding="utf-8") as f:
            hand = f.read().rstrip("\n") + "\n"

    for name in sorted(os.listdir(src_dir)):
        path = os.path.join(src_dir, name)
        if name.endswith(".svg"):
            out = os.path.join(out_dir, picture_name(name))
            jobs.append(Job(out, [path], lambda svg=path, out=out: render_svg(svg, out)))

    family_file = os.path.join(src_dir, "buttons.txt")
    if os.path.exists(family_file):
        families = buttons.parse(family_file)
        os.makedirs(gen_dir, exist_ok=True)
        for fam in families:
            svg = os.path.join(gen_dir, fam.name + ".svg")
            write_if_changed(svg, buttons.strip_svg(fam))
            out = os.path.join(out_dir, fam.name + ".png")
            jobs.append(Job(out, [svg], lambda svg=svg, out=out: render_svg(svg, out)))
            frames[fam.name + ".png"] = {
                "numFrames": len(buttons.STATES),
                "width": fam.width,
                "height": fam.height,
            }

    return jobs, hand, frames


# ---------------------------------------------------------------- sounds

def sound_jobs(recipe_file, out_dir):
    jobs = []
    for recipe in soundrecipes.parse(recipe_file):
        out = os.path.join(out_dir, recipe.name)
        jobs.append(Job(out, [recipe_file], lambda r=recipe, out=out: soundrecipes.render(r, out)))
    return jobs


# ---------------------------------------------------------------- fonts

def font_jobs(list_file, out_dir):
    jobs = []
    for name, path in parse_font_list(list_file):
        if not os.path.exists(path):
            raise BuildError("%s: font %s not found at %s (is its Debian package installed?)" % (list_file, name, path))
        out = os.path.join(out_dir, name)
        jobs.append(Job(out, [list_file, path], lambda path=path, out=out: shutil.copyfile(path, out)))
    return jobs


def parse_font_list(list_file):
    fonts = []
    with open(list_file, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) != 3:
                raise BuildError("%s:%d: expected '<file name> <package> <path>'" % (list_file, number))
            name, _package, path = parts
            if os.path.basename(path) != name:
                raise BuildError("%s:%d: fonts keep their own file names (%s)" % (list_file, number, name))
            fonts.append((name, path))
    return fonts


# ---------------------------------------------------------------- music

def music_jobs(src_dir, out_dir):
    jobs, parts = [], {}
    for name in sorted(os.listdir(src_dir)):
        if not name.endswith(".score"):
            continue
        path = os.path.join(src_dir, name)
        song = score2midi.parse_file(path)
        out = os.path.join(out_dir, song.file_name)
        jobs.append(Job(out, [path], lambda song=song, out=out: score2midi.write_midi(song, out)))
        parts[song.file_name] = {"parts": {s.name: [s.first_measure, s.measures] for s in song.sections}}
    return jobs, parts


# ---------------------------------------------------------------- package

def write_package(data_dir, package):
    """A zip of the data folder, as PhysFS reads it; same content, same dates."""
    tmp = package + ".tmp"
    with zipfile.ZipFile(tmp, "w") as zf:
        for root, dirs, files in os.walk(data_dir):
            dirs.sort()
            rel_root = os.path.relpath(root, data_dir)
            if rel_root != ".":
                info = zipfile.ZipInfo(rel_root.replace(os.sep, "/") + "/", (2000, 1, 1, 0, 0, 0))
                info.external_attr = 0o40755 << 16
                zf.writestr(info, b"")
            for name in sorted(files):
                rel = os.path.normpath(os.path.join(rel_root, name)).replace(os.sep, "/")
                info = zipfile.ZipInfo(rel, (2000, 1, 1, 0, 0, 0))
                info.external_attr = 0o644 << 16
                # Already-compressed formats are stored as they are.
                packed = name.endswith((".png", ".jpg", ".ogg"))
                info.compress_type = zipfile.ZIP_STORED if packed else zipfile.ZIP_DEFLATED
                with open(os.path.join(root, name), "rb") as f:
                    zf.writestr(info, f.read())
    os.replace(tmp, package)


# ---------------------------------------------------------------- metadata

# What the splash loads ahead, one resource a tick: only the sounds of the
# splash and the menu's first clicks. The screens are built at start, so their
# pictures are loaded by then; anything else loads on first use in a couple of
# milliseconds, where a tick apiece would hold the player on the splash.
ADVANCE_LOADED = {
    "sparkle_little.ogg", "C_wopple_1.ogg", "C_match_1.ogg", "C_match_2.ogg", "C_match_3.ogg",
    "C_match_4.ogg", "C_match_5.ogg", "click.ogg", "TinyClick.ogg",
}
EXCLUDED = "excludeFromAdvanceLoad"


def hand_entries(text):
    """File name -> the text of its settings table, in a hand-written Metadata file."""
    entries = {}
    for match in re.finditer(r'\[\s*"([^"]+)"\s*\]\s*=\s*\{', text):
        depth, end = 0, match.end() - 1
        for end in range(match.end() - 1, len(text)):
            depth += {"{": 1, "}": -1}.get(text[end], 0)
            if depth == 0:
                break
        entries[match.group(1)] = text[match.end() - 1:end + 1]
    return entries


def folder_metadata(folder, files, hand, generated, comment):
    """The metadata.cfg text of one output folder (or None): the hand-written
    settings, the generated ones, and every file but those loaded ahead marked
    as not loaded ahead. Hand entries carry the mark themselves, as a later
    entry for a file replaces an earlier one."""
    hand_named = hand_entries(hand) if hand else {}
    generated = {name: dict(settings) for name, settings in generated.items()}
    excluded_only = {}
    for name in sorted(files):
        if name in ADVANCE_LOADED:
            continue
        if name in generated:
            generated[name][EXCLUDED] = True
        elif name in hand_named:
            if EXCLUDED not in hand_named[name]:
                raise BuildError("%s/metadata.cfg: %s needs %s = true (only %s are loaded ahead)"
                                 % (folder, name, EXCLUDED, ", ".join(sorted(ADVANCE_LOADED))))
        else:
            excluded_only[name] = {EXCLUDED: True}
    chunks = [hand] if hand else []
    if generated:
        chunks.append(metadata_chunk(generated, comment))
    if excluded_only:
        chunks.append(metadata_chunk(excluded_only, "Loaded on first use, not ahead at start."))
    return "\n".join(chunks) if chunks else None


# ---------------------------------------------------------------- main

def build(source, output, package, gen_dir, jobs_count):
    all_jobs, folders = [], {}  # output folder -> (hand text, generated entries, comment)

    images_src = os.path.join(source, "images")
    for folder in sorted(os.listdir(images_src)):
        src = os.path.join(images_src, folder)
        if not os.path.isdir(src):
            continue
        out = os.path.join(output, "images", folder)
        jobs, hand, frames = picture_jobs(src, out, os.path.join(gen_dir, "images", folder))
        all_jobs += jobs
        folders[out] = (hand, frames, "Button families: frames Active, Disabled, Highlighted, Pressed.")

    all_jobs += sound_jobs(os.path.join(source, "sounds", "sounds.txt"), os.path.join(output, "sounds"))
    all_jobs += font_jobs(os.path.join(source, "fonts", "fonts.txt"), os.path.join(output, "fonts"))
    jobs, parts = music_jobs(os.path.join(source, "music"), os.path.join(output, "music"))
    all_jobs += jobs
    folders[os.path.join(output, "music")] = (None, parts, "Named parts: first measure and number of measures.")

    outputs = [j.output for j in all_jobs]
    counts = collections.Counter(os.path.basename(o) for o in outputs)
    duplicates = sorted(name for name, count in counts.items() if count > 1)
    if duplicates:
        raise BuildError("one flat name space: these names are made twice: " + ", ".join(duplicates))

    for j in all_jobs:
        os.makedirs(os.path.dirname(j.output), exist_ok=True)
    tool_sources = [os.path.join(TOOLS_DIR, f) for f in os.listdir(TOOLS_DIR) if f.endswith(".py")]
    pending = [j for j in all_jobs if not up_to_date(j.output, j.inputs + tool_sources)]

    def make(job):
        try:
            job.make()
        except Exception:
            # A half-written output must not look up to date next time.
            if os.path.exists(job.output):
                os.remove(job.output)
            raise

    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs_count) as pool:
        futures = [pool.submit(make, j) for j in pending]
        errors = [str(f.exception()) for f in futures if f.exception()]
    if errors:
        raise BuildError("\n".join(errors))

    in_folder = collections.defaultdict(list)
    for o in outputs:
        in_folder[os.path.dirname(o)].append(os.path.basename(o))
    metadata = {}
    for folder in sorted(set(in_folder) | set(folders)):
        hand, generated, comment = folders.get(folder, (None, {}, ""))
        text = folder_metadata(folder, in_folder[folder], hand, generated, comment)
        if text:
            metadata[folder] = text

    expected = set(outputs)
    for folder, text in metadata.items():
        path = os.path.join(folder, "metadata.cfg")
        write_if_changed(path, text)
        expected.add(path)

    # Drop what no source makes any more, in the folders this tool fills.
    for kind in KINDS:
        for root, _dirs, files in os.walk(os.path.join(output, kind)):
            for name in files:
                path = os.path.join(root, name)
                if path not in expected:
                    os.remove(path)

    write_package(output, package)
    return len(pending)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True, help="the data/ folder")
    parser.add_argument("--output", required=True, help="the data folder to make")
    parser.add_argument("--package", required=True, help="the package file to make")
    parser.add_argument("--work", help="folder for generated sources (default: beside the output)")
    parser.add_argument("--stamp", help="file to touch when done")
    parser.add_argument("-j", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args()
    output = os.path.abspath(args.output)
    gen_dir = os.path.abspath(args.work or output + "-sources")
    try:
        made = build(os.path.abspath(args.source), output, os.path.abspath(args.package), gen_dir, args.j)
    except (BuildError, score2midi.ScoreError, soundrecipes.RecipeError, buttons.FamilyError) as e:
        print("build_data: error: %s" % e, file=sys.stderr)
        return 1
    print("build_data: %d file(s) made, data in %s, package %s" % (made, output, args.package))
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("done\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
