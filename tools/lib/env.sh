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
