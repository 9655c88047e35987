#!/usr/bin/env python3
"""Plays rounds of a game mode with the automated player in one process, headless.

Starts the program on a temporary home with the console, names a player and
has the automated player play the rounds from the menu (replaying between
them, quitting to the menu after the last) on the fast clock, so the rounds
take no longer than their computing. It then reports the rounds played, the
time, the peak resident memory and every warning and assertion of the log,
and compares the live objects, timers and memory of a middle round with the
last one.

    tools/soak.py --program build/play/Wopple2 --rounds 1000 --from-round 100
    tools/soak.py --program build/play/Wopple2 --mode pirates-fortune --rounds 5

The mode is Classic unless --mode names another (see MODES).

Exits with 1 when a round is missing, the player got stuck, an assertion, a
script error or a sanitizer report shows, or the objects, timers or memory grew between the
middle round and the last.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

ROUND = re.compile(
    r"AutoPlay: the round is over in \w+ after spin (\d+) with (-?\d+) points; round (\d+), (\d+) objects, "
    r"(\d+) timers, (\d+) KB resident, (\d+) KB at most, (\d+) KB of Lua")
# The resident size of a long run wanders a little with the allocator; more
# than this much between the middle round and the last is growth.
MEMORY_SLACK_KB = 8 * 1024

# How a round of each mode starts: console lines run once the player is named
# (each line is one chunk), and the automated player's start button (empty: the
# lines started the round). A quest mode's level table is set up here and
# started directly, on a level the game made its score lists for (1 to 60).
QUEST_LEVEL = 10
MODES = {
    "classic": {"setup": ["SwitchToScreen('MenuScreen')"], "startButton": "playClassicButton"},
    "pirates-fortune": {
        "setup": [
            # A quest round is the quest mode's: its results go to that mode's records.
            "Players[1].Options['game.mode'] = 'Vevev'",
            "WoppleQuestLevels[%d] = { class = 'WopplePiratesFortuneGameLogic', mapName = 'Pirate Port', "
            "cellFreeSpins = 4, levelIntroTitle = WopplePiratesFortuneLevel.levelIntroTitle, "
            "levelIntroDialog = WopplePiratesFortuneLevel.levelIntroDialog }" % QUEST_LEVEL,
            "Debug_StartQuestGame(%d)" % QUEST_LEVEL,
        ],
        "startButton": "",
    },
}


def run(args):
    mode = MODES[args.mode]
    start = ("startButton = '%s', " % mode["startButton"]) if mode["startButton"] else ""
    console = "\n".join([
        "Players[1].Name = 'Soak'",
        "SetCurrentPlayerFromIndex(1, 1)",
    ] + mode["setup"] + [
        "Debug_AutoPlay(%d, { %srounds = %d, quitWhenOver = true, "
        "fastClock = true, stallPasses = 900, maxPasses = %d })" % (args.seed, start, args.rounds, 6000 * args.rounds),
        "",
    ])
    with tempfile.TemporaryDirectory(prefix="wopple-soak-") as home:
        env = dict(os.environ)
        env.update({
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_RUNTIME_DIR": os.path.join(home, "run"),
            "SDL_VIDEODRIVER": "dummy",
            "SDL_AUDIODRIVER": "dummy",
        })
        env.pop("DISPLAY", None)
        # Sanitizer builds: SDL is built without frame pointers, and its
        # screen wrapper outlives SDL_Quit.
        env.setdefault("ASAN_OPTIONS", "fast_unwind_on_malloc=0")
        env.setdefault("LSAN_OPTIONS", "suppressions=" + os.path.join(
            os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "support", "sdl.supp"))
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        started = time.monotonic()
        done = subprocess.run([args.program, "--console", "-w", "--log2"], input=console, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                              errors="replace", timeout=args.timeout)
        return done.returncode, done.stdout, time.monotonic() - started


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build/play/Wopple2")
    parser.add_argument("--mode", choices=sorted(MODES), default="classic", help="the game mode to play")
    parser.add_argument("--rounds", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--from-round", type=int, default=0,
                        help="the round whose objects, timers and memory the last round may not exceed "
                             "(default: a tenth of the rounds, at least 1)")
    parser.add_argument("--timeout", type=float, default=None, help="seconds before the run counts as hung")
    parser.add_argument("--memory-slack", type=int, default=MEMORY_SLACK_KB // 1024,
                        help="megabytes the resident memory may wander after the middle round "
                             "(a sanitizer build holds freed memory back for a while)")
    args = parser.parse_args()
    base = args.from_round or max(1, args.rounds // 10)

    code, log, seconds = run(args)
    rounds = {}
    for match in ROUND.finditer(log):
        spin, points, number, objects, timers, resident, peak, lua = map(int, match.groups())
        rounds[number] = dict(points=points, objects=objects, timers=timers, resident=resident, peak=peak, lua=lua)
    # The start-up's own findings (the display falling back to software) come
    # before the player starts; the soak judges the rounds.
    playing = log.find("AutoPlay: playing with seed")
    lines = log[playing:].splitlines() if playing >= 0 else log.splitlines()
    warnings = [line for line in lines if "WARNING" in line]
    failures = [line for line in lines
                if "Assertion failed" in line or "Exception thrown in Script" in line
                or "ERROR: AddressSanitizer" in line or "runtime error:" in line
                or "ERROR: LeakSanitizer" in line or "AutoPlay: stuck" in line or "AutoPlay: stopped after" in line]

    print("rounds played: %d of %d" % (len(rounds), args.rounds))
    print("time: %.1f s (%.2f s a round)" % (seconds, seconds / max(1, len(rounds))))
    if rounds:
        last = rounds[max(rounds)]
        print("peak resident memory: %d KB" % last["peak"])
        print("scores: lowest %d, highest %d" % (min(r["points"] for r in rounds.values()),
                                                 max(r["points"] for r in rounds.values())))
        for number in sorted({1, base, max(rounds)}):
            if number in rounds:
                r = rounds[number]
                print("round %d: %d objects, %d timers, %d KB resident, %d KB of Lua"
                      % (number, r["objects"], r["timers"], r["resident"], r["lua"]))
    print("warnings: %d" % len(warnings))
    for line in sorted(set(warnings))[:20]:
        print("  " + line)
    print("assertions, script errors, sanitizer reports and stalls: %d" % len(failures))
    for line in failures[:20]:
        print("  " + line)

    ok = code == 0 and len(rounds) == args.rounds and not failures
    if code != 0:
        print("the program exited with %d" % code)
    if ok and base in rounds and base < max(rounds):
        # Counted as a round ends, they wander with what is still on screen
        # (flashes, bursts, the girl's speech): the most of the rounds after
        # the middle one may not pass the most up to it by more than that.
        early = [r for n, r in rounds.items() if n <= base]
        late = [r for n, r in rounds.items() if n > base]
        for key, slack in (("objects", lambda v: max(50, v // 50)), ("timers", lambda v: 3),
                           ("resident", lambda v: args.memory_slack * 1024)):
            before, after = max(r[key] for r in early), max(r[key] for r in late)
            if after > before + slack(before):
                print("%s grew: at most %d up to round %d, %d after it" % (key, before, base, after))
                ok = False
    print("soak: %s" % ("passed" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
