#!/bin/bash
# A new player's first run, played by hand on a virtual X display: on a fresh
# home the splash leads to the sign-in, the player types a name and finishes,
# the menu shows the player's card, the choose-player dialog shows the four
# slots, Alt+O opens the options, and Escape ends the game with exit code 0
# and the card on disk. Every step is a real key or click; the console only
# looks.
# Usage: first_run_under_xvfb.sh WOPPLE2 PLAYER_HAND
set -euo pipefail
if [ -z "${VELK_INSIDE_XVFB:-}" ]; then
    exec env VELK_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"
fi
program=$1
hand_program=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

mkfifo "$work/in" "$work/hand"
"$program" --console -w < "$work/in" > "$work/out.txt" 2>&1 &
pid=$!
exec 3> "$work/in"

fail() {
    echo "$1"
    echo "---- the program's output:"
    cat "$work/out.txt"
    exit 1
}

# Waits until the program's output holds the text at least COUNT times.
wait_for() {
    local text=$1 count=${2:-1}
    for _ in $(seq 300); do
        [ "$(grep -acF -- "$text" "$work/out.txt" || true)" -ge "$count" ] && return 0
        sleep 0.1
    done
    fail "not $count times in the program's output: $text"
}

# Waits for the console's answer number N: a line that starts "ASKED N ".
wait_answer() {
    for _ in $(seq 300); do
        grep -aq "^ASKED $1 " "$work/out.txt" && return 0
        sleep 0.1
    done
    fail "no answer $1"
}

# Asks the program, through the console, where the centre of the named actor
# of the menu screen (its dialogs included) is, once it is shown and still;
# sets $x and $y.
asked=0
locate() {
    local name=$1
    x=none
    y=
    for _ in $(seq 100); do
        asked=$((asked + 1))
        echo "local a = Screens.MenuScreen:RecursiveFind(\"$name\"); local p, s = nil, nil; if a ~= nil and a.visible then p = a.globalPosition; s = a.size end; if p ~= nil then logprint(string.format(\"ASKED $asked %d %d\\n\", p.x + s.x / 2, p.y + s.y / 2)) else logprint(\"ASKED $asked none\\n\") end" >&3
        wait_answer "$asked"
        local was="$x $y"
        read -r x y < <(grep -a "^ASKED $asked " "$work/out.txt" | awk '{print $3, $4}')
        # Dialogs slide in: the place counts once it stays put.
        [ "$x" != "none" ] && [ "$x $y" = "$was" ] && return 0
        sleep 0.2
    done
    fail "$name never showed"
}

# Sets $answer to what the console's Lua expression gives.
ask() {
    asked=$((asked + 1))
    echo "logprint(\"ASKED $asked \" .. tostring($1) .. \"\\n\")" >&3
    wait_answer "$asked"
    answer=$(grep -a "^ASKED $asked " "$work/out.txt" | head -1 | cut -d' ' -f3-)
}

# Asks until the expression gives the value.
wait_until() {
    for _ in $(seq 100); do
        ask "$1"
        [ "$answer" = "$2" ] && return 0
        sleep 0.2
    done
    fail "$1 stays $answer, not $2"
}

hand() {
    echo "$*" >&4
    wait_for_hand "done $*"
}
wait_for_hand() {
    for _ in $(seq 300); do
        grep -qF -- "$1" "$work/hand.txt" && return 0
        sleep 0.1
    done
    fail "the hand did not finish: $1"
}

click() {
    locate "$1"
    hand click "$x" "$y"
}

wait_for "Application::Run, First screen draw complete."
id=$(xwininfo -name "Wopple Vevev" | awk '/Window id:/ {print $4}')
"$hand_program" "$id" < "$work/hand" > "$work/hand.txt" 2>&1 &
exec 4> "$work/hand"

# The splash goes on by itself to the menu, which asks the new player to sign
# in: a name in the box, the picture, then the pages of how to play, page by
# page, and Play on the last.
locate TextBox
hand click "$x" "$y"
hand type Ann
click NextButton
wait_until 'Screens.MenuScreen:RecursiveFind("SetupNewPlayerWizard"):RecursiveFind("ChoosePicturePage").visible' true
click male
wait_until 'Players[1].Options["player.picture"]' male_hs.jpg
for page in HowToPlayPage1 HowToPlayPage2 HowToPlayPage3 ReadyToPlayPage; do
    click NextButton
    wait_until "Screens.MenuScreen:RecursiveFind(\"SetupNewPlayerWizard\"):RecursiveFind(\"$page\").visible" true
done
click OkayButton

# The menu shows the player's card.
wait_until 'Screens.MenuScreen:RecursiveFind("playerNameLabel").text' Ann

# The choose-player dialog shows the four slots: Ann and three empty ones.
click changePlayerButton
locate ChooseActivePlayerDialog
echo 'PrintActorInfo()' >&3
wait_for 'class = "WoppleCardView"' 5
wait_for '"Click To Add Player"' 3
click OkayButton
wait_until 'Screens.MenuScreen:RecursiveFind("ChooseActivePlayerDialog")' nil

# The menu's shortcuts go with Alt, as their key tips show.
hand key alt+o
locate OptionsDialog
click OkayButton
wait_until 'Screens.MenuScreen:RecursiveFind("OptionsDialog")' nil

# Escape is the menu's Quit: the menu leaves at once (the game screen asks first).
hand key Escape

for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Escape did not end the game"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with $status"
card="$XDG_DATA_HOME/Wopple Vevev Documents/Player Cards/Player1.card"
grep -q '"Ann"' "$card" || fail "the card on disk has no name: $(cat "$card")"
echo "first run played through"
