#!/bin/bash
# netns.sh [--profile FILE]... -- COMMAND...
# Runs COMMAND inside a private network namespace that holds only a loopback interface,
# with a route that keeps the limited broadcast (255.255.255.255) on it, and one test
# device per profile answering the search probe on UDP 15555 and Modbus/TCP on a free
# loopback port. Nothing sent in there leaves the namespace. COMMAND sees PYRAXIS_NETNS=1
# and PYRAXIS_NETNS_DIR (ports-N and journal-N.jsonl of device N, from 0). Where no
# namespace can be made the script fails and COMMAND does not run: a run without the
# namespace has not tested the broadcast. Everything ends with the script.
#
# Wine creates sockets in its wineserver, not in the program: a wineserver running outside
# would send the broadcast from the host's network. So COMMAND gets a private prefix (a
# copy of the registry sharing drive_c) whose wineserver is started here, inside, and
# checked to be inside before COMMAND runs.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../tools/lib/env.sh"
# The copied prefix is that of the test run when one is up.
join_test_run || true
profiles=()
while [[ $# -gt 0 && "$1" != "--" ]]; do
    case "$1" in
        --profile) profiles+=("$2"); shift 2 ;;
        *) echo "usage: netns.sh [--profile FILE]... -- COMMAND..." >&2; exit 2 ;;
    esac
done
[[ "${1:-}" == "--" ]] && shift
[[ $# -gt 0 ]] || { echo "netns.sh: no command" >&2; exit 2; }

namespace="pyraxis-test-$$"
state="$(mktemp -d /tmp/pyraxis-netns.XXXXXX)"
pids=()
cleanup() {
    [[ -d "$state/prefix" ]] && WINEPREFIX="$state/prefix" timeout 10 "$WINESERVER" -k 2>/dev/null
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do timeout 5 tail --pid="$pid" -f /dev/null 2>/dev/null; done
    ip netns del "$namespace" 2>/dev/null
    rm -rf "$state"
}
trap cleanup EXIT

if ! reason="$(ip netns add "$namespace" 2>&1)"; then
    echo "netns.sh: no network namespace (ip netns add failed: ${reason:-no permission}); the broadcast is not tested" >&2
    exit 1
fi
inside() { ip netns exec "$namespace" "$@"; }
inside ip link set lo up || exit 1
inside ip route add 255.255.255.255/32 dev lo src 127.0.0.1 || exit 1

index=0
for profile in "${profiles[@]}"; do
    # Started directly (not through the function) so that $! is the device itself and
    # the clean-up reaches it; its output stays out of the caller's pipes.
    ip netns exec "$namespace" timeout 600 /usr/bin/python3 "$here/qvdevice.py" --profile "$profile" \
        --tcp-port 0 --udp-port 15555 --udp-bind 0.0.0.0 --lifetime 600 \
        --port-file "$state/ports-$index" --journal "$state/journal-$index.jsonl" \
        </dev/null >"$state/device-$index.log" 2>&1 &
    pids+=($!)
    index=$((index + 1))
done
for ((i = 0; i < index; i++)); do
    for _ in $(seq 100); do [[ -s "$state/ports-$i" ]] && break; sleep 0.1; done
    [[ -s "$state/ports-$i" ]] || { echo "netns.sh: device $i did not start" >&2; exit 1; }
done

mkdir "$state/prefix"
cp -a "$WINEPREFIX"/*.reg "$WINEPREFIX/.update-timestamp" "$WINEPREFIX/dosdevices" "$state/prefix/" || exit 1
ln -s "$WINEPREFIX/drive_c" "$state/prefix/drive_c"
WINEPREFIX="$state/prefix" ip netns exec "$namespace" "$WINESERVER" -f -p60 </dev/null >/dev/null 2>&1 &
wineserver=$!
pids+=($wineserver)
# ip netns exec enters the namespace and then becomes the wineserver, which then opens its
# socket; wait for both, bounded, while it runs.
namespace_inode="$(stat -Lc %i "/run/netns/$namespace")"
# The server's folder is named by the prefix's device and inode, under a temporary folder
# of its own.
server_id="server-$(printf '%x-%x' $(stat -Lc '%d %i' "$state/prefix"))"
wineserver_ready() {
    [[ "$(stat -Lc %i "/proc/$wineserver/ns/net" 2>/dev/null)" == "$namespace_inode" ]] || return 1
    local socket
    for socket in /tmp/wine-*/"$server_id"/socket /tmp/.wine-"$(id -u)"/"$server_id"/socket; do
        [[ -S "$socket" ]] && return 0
    done
    return 1
}
for _ in $(seq 400); do
    wineserver_ready && break
    kill -0 "$wineserver" 2>/dev/null || break
    sleep 0.05
done
if ! wineserver_ready; then
    echo "netns.sh: no wineserver ready inside the namespace; refusing to broadcast, the broadcast is not tested" >&2
    exit 1
fi

PYRAXIS_PROGRAM_WINEPREFIX="$state/prefix" PYRAXIS_NETNS=1 PYRAXIS_NETNS_DIR="$state" inside timeout 600 "$@"
