#!/bin/bash
# The game pauses and resumes with what the player sees of its window on a
# virtual X display: another client takes the keyboard focus and gives it
# back, then the window is unmapped (iconified) and mapped again; afterwards
# F10 still ends the game.
# Usage: focus_under_xvfb.sh WOPPLE2 FOCUS_WINDOW
set -euo pipefail
if [ -z "${VELK_INSIDE_XVFB:-}" ]; then
    exec env VELK_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"
fi
program=$1
focus=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

mkfifo "$work/in" "$work/commands"
"$program" --console -w --log3 < "$work/in" > "$work/out.txt" 2>&1 &
pid=$!
exec 3> "$work/in"

# Waits until the program's output holds the text at least COUNT times.
wait_for() {
    local text=$1 count=${2:-1}
    for _ in $(seq 200); do
        [ "$(grep -cF -- "$text" "$work/out.txt" || true)" -ge "$count" ] && return 0
        sleep 0.1
    done
    echo "not $count times in the program's output: $text"
    cat "$work/out.txt"
    exit 1
}

wait_for "Application::Run, First screen draw complete."
id=$(xwininfo -name "Wopple Vevev" | awk '/Window id:/ {print $4}')
"$focus" "$id" < "$work/commands" > "$work/focus.txt" 2>&1 &
exec 4> "$work/commands"

echo give >&4
# Another window takes the focus: the game pauses.
echo take >&4
wait_for "FOCUS LOST"
wait_for "Pausing app: true" 1
# Given back, without iconifying anything: it resumes.
echo give >&4
wait_for "FOCUS GAIN"
wait_for "Pausing app: false" 1

# Iconified and restored.
echo hide >&4
wait_for "Pausing app: true" 2
echo show >&4
wait_for "Pausing app: false" 2

# Keys reach the game again.
echo give >&4
echo "key F10" >&4
for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "F10 did not end the game:"
    cat "$work/out.txt"
    exit 1
fi
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ] || grep -q "WARNING" "$work/out.txt"; then
    echo "the program ended with $status:"
    cat "$work/out.txt"
    exit 1
fi
grep -qF "writing cfg to: " "$work/out.txt" || { echo "the settings were not written:"; cat "$work/out.txt"; exit 1; }
