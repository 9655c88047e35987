#!/usr/bin/env python3
"""Lists the resource names that the scripts use and no data file provides.

    check_resource_names.py --scripts scripts --data build/play/data

Every string literal in the embedded Lua scripts and configuration files
(*.lua, *.cfg) that is a bare file name of a picture, sound, music or font
counts as a use; names inside comments do not, nor do pieces of names that a
script glues together (".Top.png"). A name is provided by a file of that exact
name anywhere under the data folder; a name with positional fields ("%1%"),
which a program formats, by a file that fills them with numbers. Exits 1 with
the list when any is missing.
"""

import argparse
import os
import re
import sys

RESOURCE_NAME = re.compile(
    r"[A-Za-z0-9_][^\s/\\\"':]*\.(png|jpe?g|bmp|ogg|wav|mp3|mid|sgt|ttf|otf)", re.IGNORECASE)
SCRIPT_SUFFIXES = (".lua", ".cfg")


def lua_strings(text):
    """Yields (line, value) for each string literal of a Lua chunk, skipping comments."""
    i, line, n = 0, 1, len(text)

    def long_bracket(at):
        m = re.match(r"\[(=*)\[", text[at:])
        return len(m.group(1)) if m else None

    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
        elif text.startswith("--", i):
            level = long_bracket(i + 2)
            if level is not None:
                close = "]" + "=" * level + "]"
                end = text.find(close, i)
                end = n if end < 0 else end + len(close)
            else:
                end = text.find("\n", i)
                end = n if end < 0 else end
            line += text.count("\n", i, end)
            i = end
        elif c == "[" and long_bracket(i) is not None:
            level = long_bracket(i)
            start = i + level + 2
            close = "]" + "=" * level + "]"
            end = text.find(close, start)
            end = n if end < 0 else end
            value = text[start:end]
            if value.startswith("\n"):
                value = value[1:]
            yield line, value
            line += text.count("\n", i, end)
            i = end + len(close)
        elif c in "\"'":
            j, value = i + 1, []
            while j < n and text[j] != c and text[j] != "\n":
                if text[j] == "\\" and j + 1 < n:
                    escaped = text[j + 1]
                    value.append({"n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'"}.get(escaped, escaped))
                    j += 2
                else:
                    value.append(text[j])
                    j += 1
            yield line, "".join(value)
            i = j + 1
        else:
            i += 1


def used_names(scripts_dir):
    """name -> list of 'file:line' where a script names it."""
    uses = {}
    if not os.path.isdir(scripts_dir):
        return uses
    for root, dirs, files in os.walk(scripts_dir):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith(SCRIPT_SUFFIXES):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            rel = os.path.relpath(path, scripts_dir)
            for line, value in lua_strings(text):
                if RESOURCE_NAME.fullmatch(value):
                    uses.setdefault(value, []).append("%s:%d" % (rel, line))
    return uses


def provided_names(data_dir):
    names = set()
    for _root, _dirs, files in os.walk(data_dir):
        names.update(files)
    return names


POSITIONAL_FIELD = re.compile(r"%\d+%")


def is_provided(name, have):
    """Whether a file provides the name; positional fields stand for numbers."""
    if name in have:
        return True
    if not POSITIONAL_FIELD.search(name):
        return False
    pattern = re.compile(r"\d+".join(re.escape(part) for part in POSITIONAL_FIELD.split(name)))
    return any(pattern.fullmatch(file) for file in have)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scripts", required=True, help="folder of the embedded scripts and configuration")
    parser.add_argument("--data", required=True, help="the built data folder")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.data):
        print("check_resource_names: no data folder at %s" % args.data, file=sys.stderr)
        return 2
    uses = used_names(args.scripts)
    have = provided_names(args.data)
    missing = sorted(name for name in uses if not is_provided(name, have))
    if missing:
        print("Resource names that the scripts use and no data file provides (%d):" % len(missing))
        for name in missing:
            print("  %s  (%s)" % (name, ", ".join(uses[name])))
        return 1
    print("All %d resource names that the scripts use are provided." % len(uses))
    return 0


if __name__ == "__main__":
    sys.exit(main())
