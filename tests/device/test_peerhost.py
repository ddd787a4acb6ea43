"""The peer host admits only its own run: every line that is not a request with the run's
token, or that asks for a program outside tests/device, ends the connection and starts
nothing."""
import json
import os
import select
import socket
import stat
import subprocess
import sys
import tempfile
import time
import tty
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
PEERHOST = os.path.join(HERE, "peerhost.py")
DEVICE = os.path.join(HERE, "qvdevice.py")
PROFILE = os.path.join(HERE, "..", "modbus", "NetworkSearchAnswers.json")
START_LIMIT_S = 30.0
ANSWER_LIMIT_S = 30.0


def wait_for(condition, limit_s):
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def children(pid):
    found = []
    task_dir = "/proc/%d/task" % pid
    for task in os.listdir(task_dir):
        try:
            with open(os.path.join(task_dir, task, "children")) as f:
                found += f.read().split()
        except FileNotFoundError:
            pass   # a client's thread that has just ended

    return found


class PeerHostAdmission(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.state = os.path.join(cls.work.name, "state")
        prefix = os.path.join(cls.work.name, "prefix")
        os.makedirs(os.path.join(prefix, "dosdevices"))
        cls.host = subprocess.Popen([sys.executable, PEERHOST, prefix, cls.state],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        port_file = os.path.join(cls.state, "port")
        if not wait_for(lambda: os.path.exists(port_file), START_LIMIT_S):
            cls.host.kill()
            raise RuntimeError("the peer host did not start")
        with open(port_file) as f:
            cls.port = int(f.read())
        with open(os.path.join(cls.state, "token")) as f:
            cls.token = f.read().strip()

    @classmethod
    def tearDownClass(cls):
        cls.host.terminate()
        cls.host.wait(ANSWER_LIMIT_S)
        cls.work.cleanup()

    def connect(self):
        conn = socket.create_connection(("127.0.0.1", self.port), timeout=ANSWER_LIMIT_S)
        self.addCleanup(conn.close)
        return conn

    @staticmethod
    def read_all(conn):
        """Everything the host sends until it closes the connection."""
        data = b""
        while True:
            chunk = conn.recv(4096)
            if not chunk:
                return data.decode("utf-8")
            data += chunk

    def marker_spawn(self, marker, token):
        """A spawn of the test device that writes its port file to marker once started."""
        request = {"op": "spawn", "argv": ["/usr/bin/python3", DEVICE, "--profile", PROFILE,
                                           "--tcp-port", "0", "--lifetime", "30",
                                           "--port-file", marker]}
        if token is not None:
            request["token"] = token
        return json.dumps(request) + "\n"

    def assert_refused_and_nothing_started(self, first_line, name):
        marker = os.path.join(self.work.name, name)
        conn = self.connect()
        # A correct request after the refused line must not be read any more.
        conn.sendall((first_line + self.marker_spawn(marker, self.token)).encode("utf-8"))
        answers = [json.loads(line) for line in self.read_all(conn).splitlines()]
        self.assertEqual(len(answers), 1, answers)
        self.assertFalse(answers[0]["ok"])
        self.assertTrue(answers[0]["refused"])
        self.assertFalse(os.path.exists(marker))
        self.assertEqual(children(self.host.pid), [])
        return answers[0]["error"]

    def test_token_file_is_private(self):
        mode = stat.S_IMODE(os.stat(os.path.join(self.state, "token")).st_mode)
        self.assertEqual(mode, 0o600)
        self.assertGreaterEqual(len(self.token), 32)

    def test_refusals_close_the_connection_and_start_nothing(self):
        touched = os.path.join(self.work.name, "touched-by-shell")
        cases = {
            "no-token": self.marker_spawn(os.path.join(self.work.name, "x"), None),
            "wrong-token": self.marker_spawn(os.path.join(self.work.name, "y"),
                                             "0" * len(self.token)),
            "http": "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 10\r\n\r\n",
            "ping-no-token": json.dumps({"op": "ping"}) + "\n",
            "shell": json.dumps({"token": self.token, "op": "spawn",
                                 "argv": ["/bin/sh", "-c", "touch " + touched]}) + "\n",
            "python-c": json.dumps({"token": self.token, "op": "spawn",
                                    "argv": ["/usr/bin/python3", "-c", "print(1)"]}) + "\n",
            "outside-device-dir": json.dumps({"token": self.token, "op": "spawn",
                                              "argv": ["/usr/bin/python3",
                                                       os.path.join(HERE, "..", "..", "x.py")]}) + "\n",
            "peer-host-itself": json.dumps({"token": self.token, "op": "spawn",
                                            "argv": ["/usr/bin/python3", PEERHOST]}) + "\n",
            "other-python": json.dumps({"token": self.token, "op": "spawn",
                                        "argv": [sys.executable + "-other", DEVICE]}) + "\n",
            "bad-com": json.dumps({"token": self.token, "op": "serial_pair", "com": -1}) + "\n",
            "bad-baud": json.dumps({"token": self.token, "op": "serial_pair", "baud": "9600"}) + "\n",
            "bad-bits": json.dumps({"token": self.token, "op": "serial_pair", "baud": 9600,
                                    "bits": 64}) + "\n",
            "loss-without-baud": json.dumps({"token": self.token, "op": "serial_pair",
                                             "lose": [{"request": "0103"}]}) + "\n",
            "loss-not-a-rule": json.dumps({"token": self.token, "op": "serial_pair", "baud": 9600,
                                           "lose": "--journal /etc/passwd"}) + "\n",
            "loss-other-keys": json.dumps({"token": self.token, "op": "serial_pair", "baud": 9600,
                                           "lose": [{"request": "0103", "argv": ["sh"]}]}) + "\n",
            "loss-not-hex": json.dumps({"token": self.token, "op": "serial_pair", "baud": 9600,
                                        "lose": [{"request": "0x01"}]}) + "\n",
        }
        for name, line in cases.items():
            with self.subTest(name):
                error = self.assert_refused_and_nothing_started(line, "marker-" + name)
                if name in ("no-token", "wrong-token", "ping-no-token"):
                    self.assertIn("token", error)
        self.assertFalse(os.path.exists(touched))

    def test_a_request_of_the_run_is_served_and_its_program_ends_with_the_connection(self):
        marker = os.path.join(self.work.name, "marker-admitted")
        conn = self.connect()
        conn.sendall(self.marker_spawn(marker, self.token).encode("utf-8"))
        reader = conn.makefile("r", encoding="utf-8")
        answer = json.loads(reader.readline())
        self.assertTrue(answer["ok"], answer)
        self.assertTrue(wait_for(lambda: os.path.exists(marker), START_LIMIT_S))
        self.assertEqual(children(self.host.pid), [str(answer["pid"])])
        conn.sendall((json.dumps({"token": self.token, "op": "ping"}) + "\n").encode("utf-8"))
        self.assertTrue(json.loads(reader.readline())["ok"])
        reader.close()
        conn.close()
        self.assertTrue(wait_for(lambda: children(self.host.pid) == [], ANSWER_LIMIT_S))

    def test_a_pair_at_a_baud_rate_carries_bytes_at_their_character_time(self):
        conn = self.connect()
        conn.sendall((json.dumps({"token": self.token, "op": "serial_pair", "baud": 9600})
                      + "\n").encode("utf-8"))
        reader = conn.makefile("r", encoding="utf-8")
        answer = json.loads(reader.readline())
        self.assertTrue(answer["ok"], answer)
        wine_end = os.path.join(self.work.name, "prefix", "dosdevices", "com%d" % answer["com"])
        ends = []
        for path in (wine_end, answer["peer"]):
            fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
            tty.setraw(fd)
            ends.append(fd)
            self.addCleanup(os.close, fd)
        data = bytes(range(40))
        began = time.monotonic()
        os.write(ends[0], data)
        got = b""
        while len(got) < len(data) and time.monotonic() - began < ANSWER_LIMIT_S:
            readable, _, _ = select.select([ends[1]], [], [], 1.0)
            if readable:
                got += os.read(ends[1], 4096)
        took = time.monotonic() - began
        self.assertEqual(data, got)
        # 40 characters of 11 bits at 9,600 baud.
        self.assertGreaterEqual(took, 40 * 11 / 9600)
        self.assertTrue(wait_for(lambda: os.path.exists(answer["line_journal"]), ANSWER_LIMIT_S))
        with open(answer["line_journal"]) as f:
            frames = [json.loads(line) for line in f]
        self.assertEqual([("to_device", 40)], [(f["dir"], f["bytes"]) for f in frames])
        reader.close()
        conn.close()
        self.assertTrue(wait_for(lambda: children(self.host.pid) == [], ANSWER_LIMIT_S))
        self.assertFalse(os.path.lexists(wine_end))


if __name__ == "__main__":
    unittest.main()
