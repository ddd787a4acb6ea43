# Shared settings of the tools: where the build, the dependencies and the Wine prefix
# live, and the environment every Wine command of ours runs with. Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# A second build tree (PYRAXIS_BUILD_DIR) may borrow the dependencies and the Wine
# prefix of the first one.
BUILD_DIR="${PYRAXIS_BUILD_DIR:-$ROOT/build}"
DEPS_DIR="${PYRAXIS_DEPS_DIR:-$BUILD_DIR/deps}"
BASE_WINEPREFIX="${PYRAXIS_WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEPREFIX="$BASE_WINEPREFIX"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG--all}"
export LANG="${PYRAXIS_LANG:-C}"
export LC_ALL="$LANG"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[[ -x "$WINE" ]] || WINE="$(command -v wine64 || command -v wine || echo wine)"
[[ -x "$WINESERVER" ]] || WINESERVER="$(command -v wineserver || echo wineserver)"
export WINE WINESERVER

# The directory of the test run a command belongs to (tools/lib/testrun): the one named
# by whoever started the run for its children, else its parent's, since ctest runs the
# fixtures and the test programs as its own children.
test_run_dir() {
    echo "${PYRAXIS_TEST_RUN:-$BUILD_DIR/runs/run-$PPID}"
}

# Joins the test run when one is up: its Wine prefix, and its peer host for the test
# programs. Children (also those started through timeout or a namespace) find the same
# run. Returns false when no run is up.
join_test_run() {
    local run_dir
    run_dir="$(test_run_dir)"
    [[ -f "$run_dir/ready" ]] || return 1
    export PYRAXIS_TEST_RUN="$run_dir"
    export WINEPREFIX="$run_dir/prefix"
    export PYRAXIS_PEERHOST_PORT="$(cat "$run_dir/peerhost/port")"
    export PYRAXIS_PEERHOST_TOKEN="$(cat "$run_dir/peerhost/token")"
}

# Makes DIR a Wine prefix of its own that shares drive_c with the build's prefix: the
# registry is copied, so what a run changes there (and its COM port links) stays in it.
make_prefix_copy() {
    local dir="$1"
    if [[ ! -f "$BASE_WINEPREFIX/system.reg" ]]; then
        echo "no Wine prefix in $BASE_WINEPREFIX; run tools/setup" >&2
        return 1
    fi
    mkdir -p "$dir/dosdevices"
    cp -a "$BASE_WINEPREFIX"/*.reg "$BASE_WINEPREFIX/.update-timestamp" "$dir/"
    ln -s "$BASE_WINEPREFIX/drive_c" "$dir/drive_c"
    ln -s ../drive_c "$dir/dosdevices/c:"
    ln -s / "$dir/dosdevices/z:"
    # A copy runs on a display of its own (Xvfb), where no window manager runs; a launcher
    # on the user's display (tools/pyraxis) sets the mode again for its display.
    set_window_mode_in_file "$dir/user.reg" N
}

# Wine waits up to 2 s for a window manager whenever a window that it lets one manage is
# hidden (a box answered, a dialog or the program closed). The programs' windows are
# managed (and decorated by the manager) only where one runs; elsewhere Wine draws their
# frames itself, as it does for every other program of the prefix.
WINDOW_MODE_KEYS=(pyraxis.exe tolmera.exe)

# Y when a window manager runs on $DISPLAY, else N.
display_window_mode() {
    if [[ -n "${DISPLAY:-}" ]] && "$ROOT/tools/lib/window-manager"; then echo Y; else echo N; fi
}

# The programs' mode as a registry file of a prefix holds it: Decorated and Managed of
# each program ("-" where none is set), e.g. "Y Y Y Y".
window_mode_in_file() {
    local file="$1" program value section found words=()
    for program in "${WINDOW_MODE_KEYS[@]}"; do
        section="$(grep -F -A8 "[Software\\\\Wine\\\\AppDefaults\\\\$program\\\\X11 Driver]" "$file" | sed '/^$/q')"
        for value in Decorated Managed; do
            found="$(grep -o "^\"$value\"=\"[YN]\"" <<<"$section" | cut -c$((${#value} + 5)))"
            words+=("${found:--}")
        done
    done
    echo "${words[*]}"
}

# Sets the mode (Y or N) in a registry file of a prefix whose server does not run.
set_window_mode_in_file() {
    local file="$1" mode="$2"
    sed -i -E '/^\[Software\\\\Wine\\\\AppDefaults\\\\(pyraxis|tolmera)\.exe\\\\X11 Driver\]/,/^$/ s/^"(Decorated|Managed)"="[YN]"$/"\1"="'"$mode"'"/' "$file"
}

# Sets the programs' mode in the current prefix (its server may run) for $DISPLAY, when
# the prefix does not hold it already.
follow_window_manager() {
    local mode program value reg
    mode="$(display_window_mode)"
    [[ "$(window_mode_in_file "$WINEPREFIX/user.reg")" == "$mode $mode $mode $mode" ]] && return 0
    reg="$(mktemp --suffix=.reg /tmp/pyraxis-window-mode.XXXXXX)"
    {
        printf 'Windows Registry Editor Version 5.00\r\n'
        for program in "${WINDOW_MODE_KEYS[@]}"; do
            printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\r\n' "$program"
            for value in Decorated Managed; do
                printf '"%s"="%s"\r\n' "$value" "$mode"
            done
        done
    } > "$reg"
    "$WINE" reg.exe import "Z:${reg//\//\\}" >/dev/null 2>&1 || true
    rm -f "$reg"
}

# Waits for the Wine server of a prefix to listen, so that no Wine program starts a
# second one of its own.
wait_for_wineserver() {
    local prefix="$1" pid="$2" dev ino
    read -r dev ino < <(stat -c '%d %i' "$prefix")
    # Debian's Wine keeps the server's folder in a /tmp/wine-XXXXXX of its own.
    local server_dir socket
    server_dir="$(printf 'server-%x-%x' "$dev" "$ino")"
    for _ in $(seq 1 100); do
        for socket in /tmp/wine-*/"$server_dir"/socket "/tmp/.wine-$(id -u)/$server_dir/socket"; do
            [[ -S "$socket" ]] && return 0
        done
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "the Wine server did not start" >&2
    return 1
}

# Pyraxis in the current prefix searches only COM port $1 (no network broadcast), and its
# first-run question counts as answered: the demo's port is not among the ports the
# first-run form offers.
search_one_com_port() {
    local key='HKCU\Software\QuorvantCorp\Pyraxis'
    "$WINE" reg add "$key" /v ScanForDevicesSerial /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    "$WINE" reg add "$key" /v ScanForDevicesNetwork /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINE" reg add "$key" /v FirstRunScanDevices /t REG_DWORD /d 1 /f >/dev/null 2>&1
}
