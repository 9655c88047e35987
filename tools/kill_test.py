#!/usr/bin/env python3
"""The kill test: kills the real program with SIGKILL while it saves the player
cards and the settings, again and again, and checks after each kill that the
next start loads every card and setting.

    kill_test.py --program build/play/Wopple2 --kills 1000 --seed 1000

The program runs headless (SDL's dummy drivers) with its XDG folders in a
temporary directory that all the starts share. Each start reads the cards and
the settings as a player's start does, prints through its console what it
loaded, then saves without pause: a sequence number and a block of notes
derived from it go into the settings and onto each of the four cards, then
"WriteConfig" and "SaveData" write them, and the program reports the number
once both returned. After a seeded random delay the script kills it.

A start after a kill passes when no ".bad" file exists, nothing failed to load,
each card keeps its guid and name, and the settings and every card hold a
sequence number from the last save the program reported complete up to the
one it was writing, with the notes of that same number. The test
`endurance.kill` runs 50 kills of the test build; exits 1 on the first fault,
keeping the folder for a look when --keep names where.
"""

import argparse
import os
import queue
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

MARK = "KILLTEST "
NOTES = 64
# Seconds a start may take to read its files and answer.
START_TIMEOUT = 120

# Sent once per start: the notes of a save number, the loaded values in one
# line (each sequence number with whether its notes are those of that number),
# then the save loop.
NOTES_FUNCTION = (
    "function KillTestNotes(n) local t = {} for k = 1, %(notes)d do t[k] = 'save ' .. n .. ' note ' .. k .. "
    "' \"quoted\"\\n\\\\ tab\\t' end return t end "
    "function KillTestNotesMatch(n, t) if type(t) ~= 'table' or table.getn(t) ~= %(notes)d then return false end "
    "local e = KillTestNotes(n) for k = 1, %(notes)d do if t[k] ~= e[k] then return false end end return true end\n"
    % {"notes": NOTES})

REPORT = (
    "local s = {} for i = 1, 4 do local p = Players[i] or {} "
    "table.insert(s, tostring(p.kill_test_sequence) .. ',' .. tostring(KillTestNotesMatch(p.kill_test_sequence, "
    "p.kill_test_notes)) .. ',' .. tostring(p.guid) .. ',' .. tostring(p.Name)) end "
    "io.stdout:write('%(mark)sloaded ', tostring(Config.kill_test_sequence), ',', "
    "tostring(KillTestNotesMatch(Config.kill_test_sequence, Config.kill_test_notes)), ';', table.concat(s, ';'), "
    "'\\n') io.stdout:flush()\n" % {"mark": MARK})

SAVE_LOOP = (
    "function KillTestSaves(n) for i = 1, 4 do Players[i].Name = 'Killed ' .. i end while true do "
    "Config.kill_test_sequence = n Config.kill_test_notes = KillTestNotes(n) "
    "for i = 1, 4 do Players[i].kill_test_sequence = n Players[i].kill_test_notes = KillTestNotes(n) end "
    "WriteConfig() SaveData() io.stdout:write('%(mark)ssaved ', n, '\\n') io.stdout:flush() n = n + 1 end end\n"
    % {"mark": MARK})


class Fault(Exception):
    pass


class Program:
    """One start of the program, its output read line by line in the background."""

    def __init__(self, program, home):
        env = dict(os.environ)
        env.update({
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_RUNTIME_DIR": os.path.join(home, "run"),
            "SDL_VIDEODRIVER": "dummy",
            "SDL_AUDIODRIVER": "dummy",
            # The sanitizer build: a killed process has no leaks to report.
            "ASAN_OPTIONS": "detect_leaks=0",
        })
        env.pop("DISPLAY", None)
        os.makedirs(env["XDG_RUNTIME_DIR"], exist_ok=True)
        self.process = subprocess.Popen([program, "--console", "-w", "--nosound", "--nomusic"], env=env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.lines = queue.Queue()
        self.log = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.process.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            self.log.append(line)
            self.lines.put(line)
        self.lines.put(None)

    def send(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def wait_for(self, prefix, timeout):
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise Fault("no line starting %r within %d s" % (prefix, timeout))
            if line is None:
                raise Fault("the program ended (code %s) before a line starting %r"
                            % (self.process.wait(), prefix))
            if line.startswith(prefix):
                return line[len(prefix):]

    def kill(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait()
        self.close()

    def close(self):
        self.reader.join()
        self.process.stdin.close()
        self.process.stdout.close()

    def saved_numbers(self):
        """Every save the program reported complete, in order; read to its end."""
        return [int(line[len(MARK + "saved "):]) for line in self.log if line.startswith(MARK + "saved ")]


def files_with(home, part, since=None):
    found = []
    for folder, _, names in os.walk(home):
        found += [os.path.join(folder, name) for name in names if part in name]
    return sorted(path for path in found if since is None or os.path.getmtime(path) >= since)


def check_loaded(report, low, high, guids):
    """The loaded values against the last save reported complete (low) and the last one begun (high)."""
    config, *cards = report.split(";")
    if len(cards) != 4:
        raise Fault("the report names %d cards: %s" % (len(cards), report))

    def check_number(what, text):
        sequence, notes_match = text.split(",")[:2]
        if sequence == "nil" and low is None:
            return None
        if sequence == "nil" or not (low or 0) <= int(sequence) <= high:
            raise Fault("%s holds save %s; expected %s to %s" % (what, sequence, low, high))
        if notes_match != "true":
            raise Fault("%s holds save %s with notes that are not all of that save" % (what, sequence))
        return sequence

    if high is None:
        return
    check_number("the settings", config)
    for index, card in enumerate(cards, 1):
        if check_number("card %d" % index, card) is None:
            continue
        guid, name = card.split(",", 3)[2:]
        if name != "Killed %d" % index:
            raise Fault("card %d is named %r" % (index, name))
        if guids.setdefault(index, guid) != guid:
            raise Fault("card %d has the guid %s, not %s: a fresh player replaced it" % (index, guid, guids[index]))


def check_start(start, cards_before):
    """No file was kept aside, and each card that was there before the start loaded."""
    problems = [line for line in start.log if "Could not load" in line]
    for index in range(1, 5):
        if "Player%d.card" % index in cards_before:
            problems += [line for line in start.log if line.startswith("Couldn't load player %d," % index)]
    if problems:
        raise Fault("the start did not load everything:\n  " + "\n  ".join(problems))


def run(args, home):
    rng = random.Random(args.seed)
    low = None       # the last save the program reported complete
    high = None      # the last save it began
    guids = {}
    torn = 0         # kills that left a temporary file behind: the kill landed inside a write
    started = time.monotonic()
    for cycle in range(args.kills + 1):
        if cycle:
            torn += 1 if files_with(home, ".tmp", since=started_at) else 0
        bad = files_with(home, ".bad")
        if bad:
            raise Fault("a .bad file exists before start %d: %s" % (cycle, bad))
        cards_before = {os.path.basename(path) for path in files_with(home, ".card")}
        started_at = time.time()
        start = Program(args.program, home)
        try:
            start.send(NOTES_FUNCTION + REPORT)
            report = start.wait_for(MARK + "loaded ", START_TIMEOUT)
            check_loaded(report, low, high, guids)
            check_start(start, cards_before)
            bad = files_with(home, ".bad")
            if bad:
                raise Fault("start %d kept files aside: %s" % (cycle, bad))
            if cycle == args.kills:
                start.send("AppQuit()\n")
                code = start.process.wait(timeout=START_TIMEOUT)
                start.close()
                if code != 0:
                    raise Fault("the last start quit with code %d" % code)
                break
            first = (high or 0) + 1
            start.send(SAVE_LOOP + "KillTestSaves(%d)\n" % first)
            time.sleep(rng.uniform(0.0, args.window))
            start.kill()
        except BaseException:
            if start.process.poll() is None:
                start.kill()
            sys.stderr.write("\n".join(start.log[-60:]) + "\n")
            raise
        saved = start.saved_numbers()
        if saved:
            if saved != list(range(first, saved[-1] + 1)):
                raise Fault("the saves were reported out of order: %s" % saved)
            low, high = saved[-1], saved[-1] + 1
        else:
            high = first
        if args.verbose:
            print("kill %d: saves %s" % (cycle + 1, "%d to %d" % (saved[0], saved[-1]) if saved else "none"))
    elapsed = time.monotonic() - started
    print("kill_test: %d kills, %d inside a write, last save %s, every start loaded everything (%.0f s)"
          % (args.kills, torn, low, elapsed))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--program", required=True, help="the built Wopple2")
    parser.add_argument("--kills", type=int, default=50, help="how many times to kill it")
    parser.add_argument("--seed", type=int, default=1, help="seed of the kill moments")
    parser.add_argument("--window", type=float, default=0.3,
                        help="seconds after the save loop is sent within which the kill falls")
    parser.add_argument("--keep", help="on a fault, copy the program's folders here")
    parser.add_argument("--verbose", action="store_true", help="a line per kill")
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    with tempfile.TemporaryDirectory(prefix="wopple-kill-") as home:
        try:
            run(args, home)
        except Fault as fault:
            sys.stderr.write("kill_test: %s\n" % fault)
            if args.keep:
                shutil.copytree(home, args.keep, dirs_exist_ok=True, ignore=shutil.ignore_patterns("run"))
                sys.stderr.write("kill_test: the folders are in %s\n" % args.keep)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
