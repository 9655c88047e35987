#!/usr/bin/env python3
"""Plays rounds of a mode (Classic unless --mode) with the automated player in one process, headless.

Starts the program on a temporary home with the console, names a player and
has the automated player play the rounds from the menu (replaying between
them, quitting to the menu after the last) on the fast clock, so the rounds
take no longer than their computing. It then reports the rounds played, the
time, the peak resident memory and every warning and assertion of the log,
and compares the live objects, timers and memory of a middle round with the
last one.

    tools/soak.py --program build/play/Wopple2 --rounds 1000 --from-round 100
    tools/soak.py --program build/play/Wopple2 --rounds 50 --mode patterns
    tools/soak.py --program build/play/Wopple2 --quest-levels 1-60 --rounds 3 --jobs 2

The modes: classic, patterns, seven-by-seven, two-board, three-board,
four-board, extras (frogs, the bonus timer and treasure boxes) and
pirates-fortune (the duel against the computer's pirate). Classic
rounds start from the menu; the others make a quest level a level of that
mode at the console (a plain one, without the shipped level's extras) and
replay it from its results.

With --quest-levels the quest's own levels are played as they ship, each
in a process of its own (a new player, so the level's intro shows), the
rounds given by --rounds for each level (one when not given). It reports
every level's rounds won and its best score, spins and time, and the levels
that were not won once, so that their tables can be tuned.

Exits with 1 when a round is missing, the player got stuck, an assertion, a
script error or a sanitizer report shows, or the objects, timers or memory grew between the
middle round and the last (a quest run: when a round is missing, the player
got stuck, or an assertion, a script error or a sanitizer report shows; a
level not won is reported, not failed).
"""

import argparse
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile
import time

ROUND = re.compile(
    r"AutoPlay: the round is over in \w+ after spin (\d+) with (-?\d+) points; round (\d+), (\d+) objects, "
    r"(\d+) timers, (\d+) KB resident, (\d+) KB at most, (\d+) KB of Lua; level (\d+) (won|lost)")
# The resident size of a long run wanders a little with the allocator; more
# than this much between the middle round and the last is growth.
MEMORY_SLACK_KB = 8 * 1024


# The modes a soak can play: the console lines that set the round up (a quest
# level's table is replaced here, as the shipped levels may be of any mode; a
# level the table did not have at start has no top-score lists) and the menu
# button that starts it, empty when the lines start it.
MODES = {
    "classic": ([], "playClassicButton"),
    "patterns": (["Players[1].Options['game.mode'] = 'Vevev'",
                  "WoppleQuestLevels[12] = { number = 12, class = 'WopplePatternsGameLogic', patternIndex = 4, "
                  "mapName = 'Soak Lagoon' }",
                  "Debug_StartQuestGame(12)"], ""),
    "seven-by-seven": (["Players[1].Options['game.mode'] = 'Vevev'",
                        "WoppleQuestLevels[22] = { number = 22, class = 'WoppleSevenBySevenLogic', patternIndex = 55, "
                        "mapName = 'Soak Atoll' }",
                        "Debug_StartQuestGame(22)"], ""),
}


def multi_board(logic, wopples, supers):
    """A multi-board level on level 46, with its goal of ordinary and super lines."""
    return (["Players[1].Options['game.mode'] = 'Vevev'",
             "WoppleQuestLevels[46] = { number = 46, class = '%s', mapName = 'Soak Boards', "
             "numberOfWopplesRequired = %d, numberOfSuperWopplesRequired = %d }" % (logic, wopples, supers),
             "Debug_StartQuestGame(46)"], "")


MODES.update({
    "two-board": multi_board("WoppleTwoBoardGameLogic", 15, 1),
    "three-board": multi_board("WoppleThreeBoardGameLogic", 25, 3),
    "four-board": multi_board("WoppleFourBoardGameLogic", 30, 6),
    # A quest level on the Classic board with the frogs, the bonus timer and
    # treasure boxes beside most lines.
    "extras": (["Players[1].Options['game.mode'] = 'Vevev'",
                "WoppleQuestLevels[7] = { number = 7, class = 'WoppleClassicGameLogic', mapName = 'Extras', "
                "enableBonusTimer = true, bonusSquares = { resource = 'BonusSquaresDefaults', numSquares = 3 }, "
                "treasureBoxManagerDetails = { boxSpecifics = IncludeBoxes{ 'row 1', 'row 3', 'row 5', "
                "'column 2', 'column 4', 'downward', 'upward' } } }",
                "Debug_StartQuestGame(7)"], ""),
    # The duel: the automated player against the pirate's own decisions.
    "pirates-fortune": (["Players[1].Options['game.mode'] = 'Vevev'",
                         "WoppleQuestLevels[10] = { number = 10, class = 'WopplePiratesFortuneGameLogic', "
                         "mapName = 'Pirate Port', cellFreeSpins = 4, "
                         "levelIntroTitle = WopplePiratesFortuneLevel.levelIntroTitle, "
                         "levelIntroDialog = WopplePiratesFortuneLevel.levelIntroDialog }",
                         "Debug_StartQuestGame(10)"], ""),
})


# The islands for a build without the map's own table: the end of a level
# asks whether the next (a bonus level) is open.
ISLANDS = ("if Resources.WoppleIslands == nil then local islands = {} for n = 1, 10 do "
           "islands[n] = { islandName = 'Island ' .. n, bonusLevel = 50 + n, "
           "islandLevels = { 5 * n - 4, 5 * n - 3, 5 * n - 2, 5 * n - 1, 5 * n } } end "
           "Resources.WoppleIslands = islands end")


def quest_level(number):
    """A quest level as the table ships it, started from the console."""
    return (["Players[1].Options['game.mode'] = 'Vevev'", ISLANDS, "Debug_StartQuestGame(%d)" % number], "")


def run(args, setup, start_button, seed):
    console = "\n".join([
        "Players[1].Name = 'Soak'",
        "SetCurrentPlayerFromIndex(1, 1)",
        "SwitchToScreen('MenuScreen')",
    ] + setup + [
        "Debug_AutoPlay(%d, { startButton = '%s', rounds = %d, quitWhenOver = true, "
        "fastClock = true, stallPasses = 900, maxPasses = %d })"
        % (seed, start_button, args.rounds, 6000 * args.rounds),
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


def level_numbers(text):
    """"1-60", "1,5,51" or "3": the levels named, in order, each once."""
    numbers = []
    for part in text.split(","):
        first, _, last = part.strip().partition("-")
        try:
            low, high = int(first), int(last or first)
        except ValueError:
            raise argparse.ArgumentTypeError("not a list of levels: %r" % text)
        if low < 1 or high < low:
            raise argparse.ArgumentTypeError("not a range of levels: %r" % part)
        numbers += [n for n in range(low, high + 1) if n not in numbers]
    return numbers


def failures_of(log):
    """The log's findings after the player started: warnings, and what fails a soak."""
    # The start-up's own findings (the display falling back to software) come
    # before the player starts; the soak judges the rounds.
    playing = log.find("AutoPlay: playing with seed")
    lines = log[playing:].splitlines() if playing >= 0 else log.splitlines()
    warnings = [line for line in lines if "WARNING" in line]
    failures = [line for line in lines
                if "Assertion failed" in line or "Exception thrown in Script" in line
                or "ERROR: AddressSanitizer" in line or "runtime error:" in line
                or "ERROR: LeakSanitizer" in line or "AutoPlay: stuck" in line or "AutoPlay: stopped after" in line]
    return warnings, failures


def play_quest_level(args, number):
    setup, start_button = quest_level(number)
    # Each level its own seed, so that levels do not all draw the same reels.
    try:
        code, log, seconds = run(args, setup, start_button, args.seed + number)
    except subprocess.TimeoutExpired as timeout:
        code, seconds = "a timeout", args.timeout
        log = timeout.output or ""
        log = log if isinstance(log, str) else log.decode(errors="replace")
    rounds = [m for m in ROUND.finditer(log) if int(m.group(9)) == number]
    warnings, failures = failures_of(log)
    if code != 0:
        failures.append("the program exited with %s" % code)
    return dict(number=number, seconds=seconds, warnings=warnings, failures=failures,
                rounds=len(rounds), won=sum(1 for m in rounds if m.group(10) == "won"),
                best=max((int(m.group(2)) for m in rounds), default=0),
                spins=max((int(m.group(1)) for m in rounds), default=0))


def main_quest(args):
    started = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        results = list(pool.map(lambda n: play_quest_level(args, n), args.quest_levels))
    seconds = time.monotonic() - started
    print("level  won  best score  spins  seconds")
    for r in results:
        print("%5d  %d/%d  %10d  %5d  %7.1f%s" % (r["number"], r["won"], r["rounds"], r["best"], r["spins"],
                                                  r["seconds"], "  FAILED" if r["failures"] else ""))
    played = sum(r["rounds"] for r in results)
    print("levels played: %d; rounds played: %d of %d" % (len(results), played, len(results) * args.rounds))
    print("time: %.1f s (%.2f s a round)" % (seconds, seconds / max(1, played)))
    not_won = [r["number"] for r in results if r["won"] == 0]
    print("levels not won: %s" % (", ".join(map(str, not_won)) or "none"))
    warnings = sorted({w for r in results for w in r["warnings"]})
    print("warnings: %d" % len(warnings))
    for line in warnings[:20]:
        print("  " + line)
    failures = [(r["number"], f) for r in results for f in r["failures"]]
    print("assertions, script errors, sanitizer reports and stalls: %d" % len(failures))
    for number, line in failures[:20]:
        print("  level %d: %s" % (number, line))
    ok = not failures and played == len(results) * args.rounds
    print("soak: %s" % ("passed" if ok else "FAILED"))
    return 0 if ok else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build/play/Wopple2")
    parser.add_argument("--rounds", type=int, default=None,
                        help="rounds to play (default 1000; with --quest-levels, rounds of each level, default 1)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--mode", choices=sorted(MODES), default="classic", help="the kind of round to play")
    parser.add_argument("--quest-levels", type=level_numbers, default=None, metavar="LEVELS",
                        help="play the quest's own levels instead, e.g. 1-60 or 1,51")
    parser.add_argument("--jobs", type=int, default=1, help="quest levels played at once, each in its own program")
    parser.add_argument("--from-round", type=int, default=0,
                        help="the round whose objects, timers and memory the last round may not exceed "
                             "(default: a tenth of the rounds, at least 1)")
    parser.add_argument("--timeout", type=float, default=None, help="seconds before the run counts as hung")
    parser.add_argument("--memory-slack", type=int, default=MEMORY_SLACK_KB // 1024,
                        help="megabytes the resident memory may wander after the middle round "
                             "(a sanitizer build holds freed memory back for a while)")
    args = parser.parse_args()
    if args.quest_levels:
        args.rounds = args.rounds or 1
        return main_quest(args)
    args.rounds = args.rounds or 1000
    base = args.from_round or max(1, args.rounds // 10)

    setup, start_button = MODES[args.mode]
    code, log, seconds = run(args, setup, start_button, args.seed)
    rounds = {}
    for match in ROUND.finditer(log):
        spin, points, number, objects, timers, resident, peak, lua = map(int, match.groups()[:8])
        rounds[number] = dict(points=points, objects=objects, timers=timers, resident=resident, peak=peak, lua=lua)
    warnings, failures = failures_of(log)

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
