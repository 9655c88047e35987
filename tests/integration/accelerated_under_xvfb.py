#!/usr/bin/env python3
"""The accelerated display on a virtual X display with Mesa's software OpenGL.

    accelerated_under_xvfb.py WOPPLE2 PLAYER_HAND [--pictures DIR]

The program starts accelerated ("DisplayBackendD3D", 3daccel=ON), shows the
menu and then a Classic game; each is taken as a picture, Ctrl+7 switches to
software drawing (the window made again), the same screen is taken again, and
the two pictures must match within a small per-pixel tolerance. Ctrl+7 once
more brings acceleration back. Then a start with SDL's dummy driver asked for
falls back to software with the logged block.

Exits 77 (skipped) when OpenGL cannot be brought up on the virtual display.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

SKIP = 77
# Channels may differ this much (blending rounds its own way) ...
TOLERANCE = 24
# ... and this share of pixels more (the text cursor blinks, sprites move).
MAX_DIFFERENT_SHARE = 0.01
TITLE = "Wopple Vevev"


def fail(message, log=None):
    print(message)
    if log:
        print("---- the program's output:")
        print(open(log, errors="replace").read())
    sys.exit(1)


class Program:
    def __init__(self, program, work, name, args, env_extra=None):
        self.log = os.path.join(work, name + ".txt")
        env = dict(os.environ)
        env.update({
            "XDG_DATA_HOME": os.path.join(work, name, "data"),
            "XDG_CONFIG_HOME": os.path.join(work, name, "config"),
            "XDG_RUNTIME_DIR": work,
            "SDL_AUDIODRIVER": "dummy",
            "ASAN_OPTIONS": "detect_leaks=0",
        })
        env.pop("SDL_VIDEODRIVER", None)
        env.update(env_extra or {})
        self.out = open(self.log, "w")
        self.process = subprocess.Popen([program, "--console", "-w"] + args, text=True, stdin=subprocess.PIPE,
                                        stdout=self.out, stderr=subprocess.STDOUT, env=env)
        self.console = self.process.stdin
        self.asked = 0

    def text(self):
        return open(self.log, errors="replace").read()

    def wait_for(self, text, count=1, seconds=60):
        end = time.time() + seconds
        while time.time() < end:
            if self.text().count(text) >= count:
                return
            if self.process.poll() is not None:
                break
            time.sleep(0.1)
        fail("not %d times in the program's output: %s" % (count, text), self.log)

    def lua(self, line):
        self.console.write(line + "\n")
        self.console.flush()

    # Runs the Lua and waits until it has run.
    def run(self, line):
        self.asked += 1
        self.lua(line)
        self.lua('logprint("ASKED %d\\n")' % self.asked)
        self.wait_for("ASKED %d\n" % self.asked)

    def quit(self):
        self.lua("AppQuit()")
        self.console.close()
        try:
            status = self.process.wait(60)
        except subprocess.TimeoutExpired:
            self.process.kill()
            fail("the program did not quit", self.log)
        self.out.close()
        if status != 0:
            fail("the program ended with %d" % status, self.log)


def window_id():
    info = subprocess.run(["xwininfo", "-name", TITLE], capture_output=True, text=True).stdout
    for line in info.splitlines():
        if "Window id:" in line:
            return line.split()[3]
    return None


def picture(path):
    xwd = subprocess.run(["xwd", "-name", TITLE], capture_output=True, check=True).stdout
    subprocess.run(["/usr/bin/convert", "xwd:-", path], input=xwd, check=True)
    return Image.open(path).convert("RGB")


def different_share(first, second):
    difference = ImageChops.difference(first, second).convert("L")
    different = sum(difference.histogram()[TOLERANCE + 1:])
    return different, different / (first.size[0] * first.size[1]), difference.getbbox()


# The screen once it has come to rest: on a loaded machine a fixed wait can run
# out while a character still speaks. Pictures are taken further apart than a
# line stays up (3 s) until two agree.
def settled_picture(path, gap=4, seconds=90):
    end = time.time() + seconds
    last = picture(path)
    while time.time() < end:
        time.sleep(gap)
        now = picture(path)
        if now.size == last.size and different_share(last, now)[1] <= MAX_DIFFERENT_SHARE / 4:
            return now
        last = now
    return last


def compare(name, accelerated, software, log):
    if accelerated.size != software.size:
        fail("%s: the pictures differ in size: %s and %s" % (name, accelerated.size, software.size), log)
    different, share, box = different_share(accelerated, software)
    print("%s: %d pixels differ by more than %d (%.3f%%)" % (name, different, TOLERANCE, share * 100))
    if share > MAX_DIFFERENT_SHARE:
        fail("%s: the two back ends draw different pictures (box %s)" % (name, box), log)


def press_ctrl_7(hand_path):
    hand = subprocess.Popen([hand_path, window_id()], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
    hand.communicate("key ctrl+7\n", timeout=30)


# Ctrl+7, then waits for the other back end in a new window.
def toggle(program, hand_path, want_accelerated):
    before = window_id()
    on = "ON" if want_accelerated else "OFF"
    backend = 'Success, backend="%s", 3daccel=%s' % ("DisplayBackendD3D" if want_accelerated else "DisplayBackendSDL", on)
    recreated = "Application::Run, Recreating window."
    text = program.text()
    press_ctrl_7(hand_path)
    program.wait_for("Manually setting HW acceleration to: " + on, text.count("Manually setting HW acceleration to: " + on) + 1)
    program.wait_for(backend, text.count(backend) + 1)
    program.wait_for(recreated, text.count(recreated) + 1)
    # A few passes to draw into the new window.
    time.sleep(1.5)
    program.run("local settled = true")
    after = window_id()
    if after is None or after == before:
        fail("the window was not made again (%s, then %s)" % (before, after), program.log)


def main():
    if not os.environ.get("VELK_INSIDE_XVFB"):
        env = dict(os.environ, VELK_INSIDE_XVFB="1")
        os.execvpe("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset",
                                sys.executable, "-B"] + sys.argv, env)
    program_path, hand_path = sys.argv[1], sys.argv[2]
    keep = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == "--pictures" else None
    work = tempfile.mkdtemp(prefix="wopple-gl-")
    try:
        shots = keep or work
        os.makedirs(shots, exist_ok=True)
        # Xvfb has no graphics card: Mesa draws in software, which the game
        # takes for no hardware unless told otherwise.
        program = Program(program_path, work, "accelerated", [], {"VELK_ALLOW_SOFTWARE_OPENGL": "1"})
        program.wait_for("Application::Run, First screen draw complete.")
        if "DirectX not detected." in program.text():
            program.quit()
            print("SKIPPED: OpenGL cannot be brought up on this X display")
            sys.exit(SKIP)
        program.wait_for('Success, backend="DisplayBackendD3D", 3daccel=ON')

        # The menu with named players: no sign-in dialog in front.
        program.run('for index, name in ipairs{ "Marina", "Kai", "Lani" } do Players[index].Name = name end '
                    'Players[1].Options["game.mode"] = "Classic" SetCurrentPlayerFromIndex(1, 1) '
                    'SwitchToScreen("MenuScreen")')
        menu_hw = settled_picture(os.path.join(shots, "menu-accelerated.png"))
        toggle(program, hand_path, False)
        menu_sw = settled_picture(os.path.join(shots, "menu-software.png"))
        compare("menu", menu_hw, menu_sw, program.log)

        # Back to acceleration, and a Classic game.
        toggle(program, hand_path, True)
        program.run('Players[1].Options["ClassicGame.levelIntroDialog.shown"] = true Debug_StartClassicGame()')
        game_hw = settled_picture(os.path.join(shots, "game-accelerated.png"))
        toggle(program, hand_path, False)
        game_sw = settled_picture(os.path.join(shots, "game-software.png"))
        compare("game", game_hw, game_sw, program.log)
        program.quit()
        if "WARNING" in program.text():
            fail("a warning in the log", program.log)

        fallback = ("DisplayManager::ApplyDisplayParams: Error initializing display:\n"
                    "PARAMS: 3daccel=ON, fullscreen=OFF",
                    "DisplayManager::ApplyDisplayParams: Trying to reinitialize display without 3D acceleration.",
                    'Success, backend="DisplayBackendSDL", 3daccel=OFF')

        # SDL told to run without a display: software, after the logged block.
        dummy = Program(program_path, work, "dummy", [], {"SDL_VIDEODRIVER": "dummy"})
        dummy.wait_for("Application::Run, First screen draw complete.")
        for expected in ("DirectX not detected.",) + fallback:
            if expected not in dummy.text():
                fail("missing from the dummy start: " + expected, dummy.log)
        dummy.quit()

        # As a player starts it here: OpenGL comes up, but on the processor.
        plain = Program(program_path, work, "plain", [])
        plain.wait_for("Application::Run, First screen draw complete.")
        for expected in ("Could not create Direct3D device with clsid=IID_IDirect3DHALDevice: DDERR_NO3D",) + fallback:
            if expected not in plain.text():
                fail("missing from the start on software OpenGL: " + expected, plain.log)
        plain.quit()
        print("both back ends draw the same pictures")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
