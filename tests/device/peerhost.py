#!/usr/bin/python3
"""Peer host of the tests.

The test programs run under Wine and cannot manage Unix processes themselves, so this
small server does it for them. It listens on a loopback port and takes one JSON request
per line:

  {"op": "serial_pair", "com": 0}     make a pseudo-terminal pair with socat; one end is
                                      linked as dosdevices/comN in the Wine prefix (N free
                                      when 0), the other end is handed to the peer
  {"op": "spawn", "argv": [...]}      start a peer program (a test device)
  {"op": "stop", "id": K}             end a serial pair or a program
  {"op": "alive", "id": K}            whether it still runs
  {"op": "ping"}

Each answer is one JSON line with "ok". Everything a client made is ended when its
connection closes, so a test program that dies leaves nothing behind.
"""
import json
import os
import signal
import socket
import subprocess
import sys
import threading
import time

COM_RANGE = range(20, 200)
LINK_WAIT_S = 5.0
STOP_WAIT_S = 2.0


class Resources:
    """Everything the clients started, by id."""

    def __init__(self, prefix, state_dir):
        self.prefix = prefix
        self.state_dir = state_dir
        self.lock = threading.Lock()
        self.next_id = 1
        self.items = {}
        self.reserved_coms = set()

    def _add(self, item):
        with self.lock:
            key = self.next_id
            self.next_id += 1
            self.items[key] = item
            return key

    def _dosdevice(self, com):
        return os.path.join(self.prefix, "dosdevices", "com%d" % com)

    def _reserve_com(self, wanted):
        with self.lock:
            candidates = [wanted] if wanted else list(COM_RANGE)
            for com in candidates:
                if com in self.reserved_coms:
                    continue
                if os.path.lexists(self._dosdevice(com)) and not wanted:
                    continue
                self.reserved_coms.add(com)
                return com
        raise RuntimeError("no free COM port number")

    def serial_pair(self, com):
        com = self._reserve_com(com)
        wine_link = self._dosdevice(com)
        peer_link = os.path.join(self.state_dir, "com%d-peer" % com)
        for path in (wine_link, peer_link):
            if os.path.lexists(path):
                os.unlink(path)
        with open(os.path.join(self.state_dir, "socat-com%d.log" % com), "ab") as log:
            proc = subprocess.Popen(
                ["socat",
                 "pty,raw,echo=0,link=%s" % wine_link,
                 "pty,raw,echo=0,link=%s" % peer_link],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                start_new_session=True)
        deadline = time.monotonic() + LINK_WAIT_S
        while time.monotonic() < deadline:
            if os.path.exists(wine_link) and os.path.exists(peer_link):
                break
            if proc.poll() is not None:
                break
            time.sleep(0.02)
        if not (os.path.exists(wine_link) and os.path.exists(peer_link)):
            self._end_process(proc)
            with self.lock:
                self.reserved_coms.discard(com)
            raise RuntimeError("socat did not make the pair for COM%d" % com)
        key = self._add({"kind": "serial", "proc": proc, "com": com,
                         "links": [wine_link, peer_link]})
        return {"id": key, "port": "COM%d" % com, "com": com, "peer": peer_link}

    def spawn(self, argv, cwd=None):
        log_path = os.path.join(self.state_dir, "peer-%d.log" % self.next_id)
        log = open(log_path, "ab")
        proc = subprocess.Popen(argv, cwd=cwd, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT, start_new_session=True)
        log.close()
        key = self._add({"kind": "process", "proc": proc, "links": []})
        return {"id": key, "pid": proc.pid, "log": log_path}

    @staticmethod
    def _end_process(proc):
        if proc.poll() is None:
            try:
                os.killpg(proc.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                proc.wait(STOP_WAIT_S)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait(STOP_WAIT_S)

    def stop(self, key):
        with self.lock:
            item = self.items.pop(key, None)
        if item is None:
            raise RuntimeError("no such id %r" % key)
        self._end_process(item["proc"])
        for path in item["links"]:
            if os.path.lexists(path):
                os.unlink(path)
        if item["kind"] == "serial":
            with self.lock:
                self.reserved_coms.discard(item["com"])
        return {"exit": item["proc"].returncode}

    def alive(self, key):
        with self.lock:
            item = self.items.get(key)
        return {"alive": bool(item) and item["proc"].poll() is None}

    def stop_all(self, keys=None):
        with self.lock:
            chosen = list(self.items) if keys is None else [k for k in keys if k in self.items]
        for key in chosen:
            try:
                self.stop(key)
            except RuntimeError:
                pass


def serve_client(conn, resources):
    owned = []
    reader = conn.makefile("r", encoding="utf-8", newline="\n")
    try:
        for line in reader:
            line = line.strip()
            if not line:
                continue
            try:
                request = json.loads(line)
                op = request.get("op")
                if op == "serial_pair":
                    answer = resources.serial_pair(int(request.get("com", 0)))
                    owned.append(answer["id"])
                elif op == "spawn":
                    answer = resources.spawn([str(a) for a in request["argv"]], request.get("cwd"))
                    owned.append(answer["id"])
                elif op == "stop":
                    answer = resources.stop(int(request["id"]))
                elif op == "alive":
                    answer = resources.alive(int(request["id"]))
                elif op == "ping":
                    answer = {}
                else:
                    raise RuntimeError("unknown op %r" % op)
                answer["ok"] = True
            except (RuntimeError, KeyError, ValueError, OSError) as error:
                answer = {"ok": False, "error": str(error)}
            conn.sendall((json.dumps(answer) + "\n").encode("utf-8"))
    except OSError:
        pass
    finally:
        resources.stop_all(owned)
        conn.close()


def main():
    if len(sys.argv) != 3:
        print("usage: peerhost.py WINEPREFIX STATE_DIR", file=sys.stderr)
        return 2
    prefix, state_dir = sys.argv[1], sys.argv[2]
    os.makedirs(state_dir, exist_ok=True)
    resources = Resources(prefix, state_dir)

    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    port = server.getsockname()[1]

    def shutdown(signum, frame):
        resources.stop_all()
        os._exit(0)

    signal.signal(signal.SIGTERM, shutdown)
    signal.signal(signal.SIGINT, shutdown)

    tmp = os.path.join(state_dir, "port.tmp")
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.replace(tmp, os.path.join(state_dir, "port"))

    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve_client, args=(conn, resources), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
