#!/usr/bin/env bash
# The CPU each thread of the game uses at rest, start-up left out.
# Usage: tools/idle_threads.sh PROGRAM [dummy|x11] [WARM-UP SECONDS] [SECONDS] [LUA LINE...]
# Starts PROGRAM --console --windowed in a private home (as a first start: the
# menu with its sign-in dialog), feeds each LUA LINE one second apart (for
# example 'SwitchToScreen("MapScreen")'), waits out the warm-up, counts each
# thread's CPU time with perf for SECONDS, quits, and prints each thread's
# share of one core and their total. With x11 it runs under Xvfb.
set -euo pipefail
program=$(readlink -f "$1"); driver=${2:-dummy}; warm=${3:-8}; seconds=${4:-30}
if [ "$driver" = x11 ] && [ -z "${VELK_INSIDE_XVFB:-}" ]; then
  exec env VELK_INSIDE_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24 -noreset' "$0" "$@"
fi
home=$(mktemp -d); trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run HOME=$home
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=$driver
mkfifo "$home/console"
"$program" --console --windowed <"$home/console" >/dev/null 2>&1 &
pid=$!
exec 9>"$home/console"
for line in "${@:5}"; do sleep 1; printf '%s\n' "$line" >&9; done
sleep "$warm"
perf stat --per-thread -e task-clock -p "$pid" -- sleep "$seconds" 2>&1 |
  awk -v s="$seconds" '/task-clock/ { gsub(",", "", $2); total += $2; printf "%-24s %.2f %%\n", $1, $2 / s / 10 }
                       END { printf "%-24s %.2f %%\n", "total", total / s / 10 }'
echo 'AppQuit()' >&9; exec 9>&-
wait "$pid"
