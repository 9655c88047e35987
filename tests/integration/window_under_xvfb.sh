#!/bin/bash
# Opens the program's window on a virtual X display: checks its title and
# size, writes a picture of it, restarts it as a second instance, and
# maximises it through the window manager's state to see it go full screen.
# Usage: window_under_xvfb.sh WOPPLE2 MAXIMIZE_WINDOW PICTURE.png
set -euo pipefail
if [ -z "${VELK_INSIDE_XVFB:-}" ]; then
    exec env VELK_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"
fi
program=$1
maximize=$2
picture=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

mkfifo "$work/in"
"$program" --console -w --log3 < "$work/in" > "$work/out.txt" 2>&1 &
pid=$!
exec 3> "$work/in"

wait_for() {
    for _ in $(seq 200); do
        grep -qF -- "$1" "$work/out.txt" && return 0
        sleep 0.1
    done
    echo "missing from the program's output: $1"
    cat "$work/out.txt"
    exit 1
}

# A real window, accelerated where OpenGL comes up, else drawn by SDL on x11.
wait_for "DisplayManager::ApplyDisplayParams: Success, backend="
if grep -qF "SDL's dummy driver was successfully loaded." "$work/out.txt"; then
    echo "the window is on SDL's dummy driver"
    cat "$work/out.txt"
    exit 1
fi
wait_for "Application::Run, First screen draw complete."
info=$(xwininfo -name "Wopple Vevev")
if ! grep -q "Width: 800" <<< "$info" || ! grep -q "Height: 600" <<< "$info"; then
    echo "the window is not 800 by 600:"
    echo "$info"
    exit 1
fi
xwd -name "Wopple Vevev" | /usr/bin/convert xwd:- "$picture"

# A second start is refused and brings the first to the front.
status=0
"$program" -w > "$work/second.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] || { echo "second instance exited with $status"; cat "$work/second.txt"; exit 1; }
wait_for "another instance was started; restoring the window."

# The window manager's maximise comes back as a switch to full screen.
id=$(awk '/Window id:/ {print $4}' <<< "$info")
"$maximize" "$id"
wait_for "Application::WindowProc, WM_SYSCOMMAND+SC_MAXIMIZE received, APP->IsFullScreen() == false"
wait_for "Application::UseFullScreen FINISHED."

echo 'AppQuit()' >&3
exec 3>&-
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ] || grep -q "WARNING" "$work/out.txt"; then
    echo "the program ended with $status:"
    cat "$work/out.txt"
    exit 1
fi
