#!/bin/bash
# tmpfs.sh --size SIZE -- COMMAND...
# Runs COMMAND inside a private mount namespace in which a tmpfs of SIZE (as mount takes
# it, e.g. 64k) is mounted on a fresh folder: a disk that fills, for the tests of what a
# full disk does to a file being written. COMMAND sees PYRAXIS_SMALL_FS, the folder's Unix
# path; its folder read-only is mounted read-only and holds the file "existing", written
# before. Nobody outside sees the mounts. Where no namespace can be made the script fails
# and COMMAND does not run.
#
# Wine opens files in its wineserver: a server outside would not see the mount. So COMMAND
# gets a private prefix (a copy of the registry sharing drive_c) whose server is started
# in here.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../tools/lib/env.sh"
usage() { echo "usage: tmpfs.sh --size SIZE -- COMMAND..." >&2; exit 2; }

if [[ "${PYRAXIS_TMPFS_INSIDE:-}" != "$$" ]]; then
    # The run's peer host is found from in there too.
    join_test_run || true
    if ! PYRAXIS_TMPFS_INSIDE=inside unshare --mount --propagation private true 2>/dev/null; then
        echo "tmpfs.sh: no mount namespace (unshare --mount failed: needs root); a full disk is not tested" >&2
        exit 1
    fi
    # The shell in the namespace knows itself by its own process id.
    exec unshare --mount --propagation private /bin/bash -c 'PYRAXIS_TMPFS_INSIDE=$$ exec "$0" "$@"' "$0" "$@"
fi

size=""
while [[ $# -gt 0 && "$1" != "--" ]]; do
    case "$1" in
        --size) size="$2"; shift 2 ;;
        *) usage ;;
    esac
done
[[ "${1:-}" == "--" ]] && shift
[[ -n "$size" && $# -gt 0 ]] || usage

state="$(mktemp -d /tmp/pyraxis-tmpfs.XXXXXX)"
cleanup() {
    [[ -d "$state/prefix" ]] && WINEPREFIX="$state/prefix" timeout 10 "$WINESERVER" -k 2>/dev/null
    mountpoint -q "$state/fs/read-only" && umount "$state/fs/read-only"
    mountpoint -q "$state/fs" && umount "$state/fs"
    rm -rf "$state"
}
trap cleanup EXIT

mkdir "$state/fs"
if ! mount -t tmpfs -o "size=$size,mode=0777" pyraxis-small-fs "$state/fs"; then
    echo "tmpfs.sh: the tmpfs could not be mounted; a full disk is not tested" >&2
    exit 1
fi
# Root writes into any folder whatever its mode: only a read-only mount refuses it.
mkdir "$state/fs/read-only"
printf 'written before the folder was made read-only\n' >"$state/fs/read-only/existing"
if ! mount --bind "$state/fs/read-only" "$state/fs/read-only" ||
    ! mount -o remount,bind,ro "$state/fs/read-only"; then
    echo "tmpfs.sh: the read-only folder could not be mounted; a full disk is not tested" >&2
    exit 1
fi
make_prefix_copy "$state/prefix" || exit 1
WINEPREFIX="$state/prefix" "$WINESERVER" -f -p60 </dev/null >/dev/null 2>&1 &
server=$!
wait_for_wineserver "$state/prefix" "$server" || exit 1

PYRAXIS_PROGRAM_WINEPREFIX="$state/prefix" PYRAXIS_SMALL_FS="$state/fs" timeout 600 "$@"
