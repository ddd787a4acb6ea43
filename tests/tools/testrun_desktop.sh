#!/bin/bash
# A test run's desktop is on its display whichever program of the run starts first: a run
# of its own is started and left idle, a program without a display makes a window first (as
# a test without windows does), and then a program with the display must still be able to
# make one. Wine starts the desktop from the first program that needs it, with that program's
# environment.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/env.sh"
export PYRAXIS_TEST_RUN="$BUILD_DIR/runs/run-desktop-$$"
testrun="$ROOT/tools/lib/testrun"
trap '"$testrun" stop' EXIT
check="$BUILD_DIR/tests/desktop_check.exe"
failures=0

"$testrun" start || { echo "FAILED: the test run did not start"; exit 1; }
join_test_run
display="$(cat "$PYRAXIS_TEST_RUN/display")"

# The run's desktop process has the run's display in its environment.
desktop_display=""
for pid in $(pgrep -f 'explorer.exe /desktop'); do
    environment="$(tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null)"
    grep -qx "WINEPREFIX=$WINEPREFIX" <<<"$environment" || continue
    desktop_display="$(sed -n 's/^DISPLAY=//p' <<<"$environment")"
done
if [[ "$desktop_display" == "$display" ]]; then
    echo "ok: the run's desktop is up on $display"
else
    echo "FAILED: the run's desktop is not up on $display (its display: '${desktop_display:-none}')"
    failures=$((failures + 1))
fi

# The run is idle longer than Wine keeps a desktop that no program uses (a second), as
# when the tests that are left need no window. Then a program without a display comes
# first; it may or may not get a window, but it must not take the desktop away from the
# display.
sleep 5
env -u DISPLAY timeout 120 "$WINE" "$check" 1280 1024 </dev/null >/dev/null 2>&1
if DISPLAY="$display" timeout 120 "$WINE" "$check" 1280 1024 </dev/null; then
    echo "ok: a window on the display after a program without one"
else
    echo "FAILED: no window on the display after a program without one"
    failures=$((failures + 1))
fi

echo "$((2 - failures)) passed, $failures failed"
exit $((failures > 0))
