# Shared settings of the tools: where the build, the dependencies and the Wine prefix
# live, and the environment every Wine command of ours runs with. Sourced, not run.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# A second build tree (PYRAXIS_BUILD_DIR) may borrow the dependencies and the Wine
# prefix of the first one.
BUILD_DIR="${PYRAXIS_BUILD_DIR:-$ROOT/build}"
DEPS_DIR="${PYRAXIS_DEPS_DIR:-$BUILD_DIR/deps}"
export WINEPREFIX="${PYRAXIS_WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG--all}"
export LANG="${PYRAXIS_LANG:-C}"
export LC_ALL="$LANG"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[[ -x "$WINE" ]] || WINE="$(command -v wine64 || command -v wine || echo wine)"
[[ -x "$WINESERVER" ]] || WINESERVER="$(command -v wineserver || echo wineserver)"
export WINE WINESERVER

# The process ids of the wineserver of our prefix: a wineserver works in a folder named
# after the device and inode of its prefix, which tells it apart from the servers of other
# prefixes on the machine.
prefix_wineserver_pids() {
    [[ -d "$WINEPREFIX" ]] || return 0
    local server_dir exe pid
    server_dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    exe=$(readlink -f "$WINESERVER")
    for pid in $(pgrep -x "$(basename "$exe")" 2>/dev/null); do
        [[ "$(readlink "/proc/$pid/exe" 2>/dev/null)" == "$exe" ]] || continue
        [[ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" == "$server_dir" ]] && echo "$pid"
    done
    return 0
}

# Waits (bounded) for a process to end; true when it has.
wait_for_exit() {
    local pid="$1" tenths="${2:-50}"
    for _ in $(seq 1 "$tenths"); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$pid" 2>/dev/null
}
