#!/usr/bin/python3
"""Peer host of the tests.

The test programs run under Wine and cannot manage Unix processes themselves, so this
small server does it for them. It listens on a loopback port and takes one JSON request
per line, each carrying the run's token ("token": "..."), which it writes to
STATE_DIR/token (readable by its owner only) and which the test programs get in their
environment:

  {"op": "serial_pair", "com": 0}     make a pseudo-terminal pair with socat; one end is
                                      linked as dosdevices/comN in the Wine prefix (N free
                                      when 0), the other end is handed to the peer
  {"op": "serial_pair", "com": 0, "baud": 9600, "bits": 11}
                                      the same as a line as slow as a real one: bytes pass
                                      one at a time at their character time (bits a
                                      character, 11 when not given), one pair of wires for
                                      both directions (line_relay.py); the answer's
                                      "line_journal" is its journal of frames; "lose"
                                      (a list of line_relay.py's loss rules) makes the
                                      line lose those replies
  {"op": "spawn", "argv": [...]}      start a test program of tests/device with
                                      /usr/bin/python3: ["/usr/bin/python3", SCRIPT, ...]
  {"op": "stop", "id": K}             end a serial pair or a program
  {"op": "alive", "id": K}            whether it still runs
  {"op": "ping"}

Each answer is one JSON line with "ok". The first line that is not such a request (not
JSON, without the token, an unknown operation, a program outside the list) is answered
with a refusal and the connection is closed, so that nothing else on the machine that
can reach the port (a web page posting to it, say) has a line of its own run.
Everything a client made is ended when its connection closes, so a test program that
dies leaves nothing behind.
"""
import hmac
import json
import os
import secrets
import signal
import socket
import subprocess
import sys
import threading
import time

COM_RANGE = range(20, 200)
COM_ALLOWED = range(1, 256)
PYTHON = "/usr/bin/python3"
DEVICE_DIR = os.path.dirname(os.path.realpath(__file__))
MAX_LINE = 65536
LINK_WAIT_S = 5.0
BAUD_ALLOWED = range(50, 4000001)
BITS_ALLOWED = range(7, 14)
LINE_RELAY = os.path.join(DEVICE_DIR, "line_relay.py")
STOP_WAIT_S = 2.0
MAX_LOSS_RULES = 16


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

    def serial_pair(self, com, baud=0, bits=11, lose=None):
        com = self._reserve_com(com)
        wine_link = self._dosdevice(com)
        peer_link = os.path.join(self.state_dir, "com%d-peer" % com)
        for path in (wine_link, peer_link):
            if os.path.lexists(path):
                os.unlink(path)
        line_journal = None
        if baud:
            line_journal = os.path.join(self.state_dir, "line-com%d-%d.jsonl" % (com, self.next_id))
            argv = [PYTHON, LINE_RELAY, wine_link, peer_link, "--baud", str(baud),
                    "--bits", str(bits), "--journal", line_journal]
            if lose:
                argv += ["--lose", json.dumps(lose)]
        else:
            argv = ["socat", "pty,raw,echo=0,link=%s" % wine_link, "pty,raw,echo=0,link=%s" % peer_link]
        with open(os.path.join(self.state_dir, "socat-com%d.log" % com), "ab") as log:
            proc = subprocess.Popen(
                argv, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
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
            raise RuntimeError("%s did not make the pair for COM%d" % ("the line relay" if baud else "socat", com))
        key = self._add({"kind": "serial", "proc": proc, "com": com,
                         "links": [wine_link, peer_link]})
        answer = {"id": key, "port": "COM%d" % com, "com": com, "peer": peer_link}
        if line_journal:
            answer["line_journal"] = line_journal
        return answer

    def spawn(self, argv):
        log_path = os.path.join(self.state_dir, "peer-%d.log" % self.next_id)
        log = open(log_path, "ab")
        proc = subprocess.Popen(argv, cwd=DEVICE_DIR, stdin=subprocess.DEVNULL, stdout=log,
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


class Refused(Exception):
    """A line that is not a request of this run: the connection ends."""


def allowed_program(argv):
    """Only the test programs beside this one, run by the system's Python."""
    if not isinstance(argv, list) or len(argv) < 2 or not all(isinstance(a, str) for a in argv):
        return False
    script = argv[1]
    if argv[0] != PYTHON or not os.path.isabs(script) or not script.endswith(".py"):
        return False
    real = os.path.realpath(script)
    return (os.path.dirname(real) == DEVICE_DIR and os.path.isfile(real)
            and os.path.basename(real) != os.path.basename(__file__))


def loss_rules_valid(lose, baud):
    """Absent, or (on a line with a baud rate) a short list of the relay's loss rules."""
    if lose is None:
        return True
    if not baud or not isinstance(lose, list) or not 0 < len(lose) <= MAX_LOSS_RULES:
        return False
    for rule in lose:
        if not isinstance(rule, dict) or set(rule) - {"request", "skip", "times", "seconds"}:
            return False
        request = rule.get("request", "")
        if not isinstance(request, str) or len(request) > 64 or len(request) % 2 or any(c not in "0123456789abcdefABCDEF" for c in request):
            return False
        if any(not isinstance(rule.get(key, 0), int) or not 0 <= rule.get(key, 0) <= 1000 for key in ("skip", "times")):
            return False
        seconds = rule.get("seconds", 0)
        if isinstance(seconds, bool) or not isinstance(seconds, (int, float)) or not 0 <= seconds <= 60:
            return False
    return True


def parse_request(line, token):
    try:
        request = json.loads(line)
    except ValueError:
        raise Refused("not a JSON request")
    if not isinstance(request, dict):
        raise Refused("not a JSON request")
    given = request.get("token")
    if not isinstance(given, str) or not hmac.compare_digest(given.encode(), token.encode()):
        raise Refused("wrong or missing token")
    op = request.get("op")
    if op not in ("serial_pair", "spawn", "stop", "alive", "ping"):
        raise Refused("unknown op %r" % (op,))
    if op == "spawn" and not allowed_program(request.get("argv")):
        raise Refused("only %s with a test program of %s may be started" % (PYTHON, DEVICE_DIR))
    if op == "serial_pair":
        com = request.get("com", 0)
        if not isinstance(com, int) or (com != 0 and com not in COM_ALLOWED):
            raise Refused("bad COM port number %r" % (com,))
        baud = request.get("baud", 0)
        if not isinstance(baud, int) or (baud != 0 and baud not in BAUD_ALLOWED):
            raise Refused("bad baud rate %r" % (baud,))
        bits = request.get("bits", 11)
        if not isinstance(bits, int) or bits not in BITS_ALLOWED:
            raise Refused("bad character length %r" % (bits,))
        if not loss_rules_valid(request.get("lose"), baud):
            raise Refused("bad loss rules %r" % (request.get("lose"),))
    if op in ("stop", "alive") and not isinstance(request.get("id"), int):
        raise Refused("bad id")
    return request


def answer_request(request, resources, owned):
    op = request["op"]
    try:
        if op == "serial_pair":
            answer = resources.serial_pair(request.get("com", 0), request.get("baud", 0),
                                           request.get("bits", 11), request.get("lose"))
            owned.append(answer["id"])
        elif op == "spawn":
            answer = resources.spawn(request["argv"])
            owned.append(answer["id"])
        elif op == "stop":
            answer = resources.stop(request["id"])
        elif op == "alive":
            answer = resources.alive(request["id"])
        else:
            answer = {}
        answer["ok"] = True
    except (RuntimeError, OSError) as error:
        answer = {"ok": False, "error": str(error)}
    return answer


def serve_client(conn, resources, token):
    owned = []
    reader = conn.makefile("r", encoding="utf-8", errors="replace", newline="\n")
    try:
        while True:
            line = reader.readline(MAX_LINE)
            if not line:
                break
            try:
                if not line.endswith("\n"):
                    raise Refused("line too long or cut short")
                answer = answer_request(parse_request(line.strip(), token), resources, owned)
            except Refused as refusal:
                conn.sendall((json.dumps({"ok": False, "refused": True, "error": str(refusal)})
                              + "\n").encode("utf-8"))
                break
            conn.sendall((json.dumps(answer) + "\n").encode("utf-8"))
    except OSError:
        pass
    finally:
        resources.stop_all(owned)
        conn.close()


def write_private(path, text):
    """Writes a file only its owner can read, replacing any earlier one."""
    tmp = path + ".tmp"
    if os.path.lexists(tmp):
        os.unlink(tmp)
    fd = os.open(tmp, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(fd, "w") as f:
        f.write(text)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 3:
        print("usage: peerhost.py WINEPREFIX STATE_DIR", file=sys.stderr)
        return 2
    prefix, state_dir = sys.argv[1], sys.argv[2]
    os.makedirs(state_dir, exist_ok=True)
    resources = Resources(prefix, state_dir)
    token = secrets.token_hex(32)

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

    # The token first: the port file tells the run that the host is ready.
    write_private(os.path.join(state_dir, "token"), token + "\n")
    write_private(os.path.join(state_dir, "port"), "%d\n" % port)

    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve_client, args=(conn, resources, token), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
