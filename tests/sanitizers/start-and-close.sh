#!/usr/bin/env bash
# Runs the given command (the main window's program) on the X display of the environment, waits
# for its window, closes it with the Exit tool button as a user would, and fails when the window
# does not come or does not close in time, on a non-zero exit status or on any sanitizer report.
# Never waits more than about 40 seconds in all.
set -uo pipefail

log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$@" >"$log" 2>&1 &
pid=$!

running() { kill -0 "$pid" 2>/dev/null; }
closed() { ! running; }

# Runs the given command every 0.2 s until it succeeds, at most `tries` times.
poll() {
    local tries=$1
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

window=
windowShown() {
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    [ -n "$window" ] || ! running
}

# The centre of the Exit tool button in the main window.
clickExit() { xdotool mousemove --window "$window" 464 20 click 1 2>/dev/null; }

failure=
poll 100 windowShown
if [ -z "$window" ] && running; then
    failure="no window within 20 s"
elif [ -z "$window" ]; then
    failure="ended before it showed a window"
else
    # A click that arrives before the window takes input is lost, so it is repeated.
    for _ in 1 2 3; do
        running || break
        clickExit
        poll 25 closed && break
    done
    running && failure="still running 15 s after the Exit button was clicked"
fi
if running; then
    kill -KILL "$pid"
fi
wait "$pid"
status=$?

if [ -z "$failure" ] && [ "$status" -ne 0 ]; then
    failure="exit status $status"
fi
if [ -z "$failure" ] && grep -qE '(ERROR|WARNING): [A-Za-z]+Sanitizer|runtime error:' "$log"; then
    failure="a sanitizer report"
fi
if [ -n "$failure" ]; then
    cat "$log"
    echo "$1 failed under X: $failure"
    exit 1
fi
echo "$* started, shown and closed under X: exit status 0, no sanitizer report"
