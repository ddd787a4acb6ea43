"""The slow serial line: characters one at a time at their character time, one pair of
wires for both directions (what is sent while the other side's characters are on the line
collides), timed against the arithmetic of a real 9,600-baud 8N2 line."""
import json
import os
import signal
import struct
import subprocess
import sys
import tempfile
import time
import tty
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import line_relay  # noqa: E402
from qvdevice import crc16  # noqa: E402
from test_qvdevice import read_until  # noqa: E402

RELAY = os.path.join(HERE, "line_relay.py")
DEVICE = os.path.join(HERE, "qvdevice.py")
BAUD = 9600
CHAR_S = 11.0 / BAUD
START_LIMIT_S = 30.0
# The relay runs at real-time priority: a character is at most this late on a busy machine
# (a few ms seen; three times that as the bound).
LATE_LIMIT_MS = 15.0


def rtu(frame):
    crc = crc16(frame)
    return frame + bytes((crc & 0xFF, crc >> 8))


def read_request(unit, start, count):
    return rtu(bytes((unit,)) + struct.pack(">BHH", 3, start, count))


class FrameJournal:
    """The relay's journal as a list of its frames."""

    def __init__(self, frames):
        self.frames = frames

    def write(self, line):
        self.frames.append(json.loads(line))

    def flush(self):
        pass


class Collector:
    def __init__(self):
        self.got = []

    def take(self, out, now):
        for direction, data in out:
            self.got.append((direction.name, bytes(data), now))


class LineModel(unittest.TestCase):
    """The relay's timing on a clock of the test's own."""

    def setUp(self):
        self.frames = []
        self.relay = line_relay.LineRelay(line_relay.character_time(BAUD, 11), FrameJournal(self.frames))
        self.to_device = line_relay.Direction(line_relay.TO_DEVICE, 1, 2)
        self.to_host = line_relay.Direction(line_relay.TO_HOST, 2, 1)
        self.relay.add_direction(self.to_device)
        self.relay.add_direction(self.to_host)

    def arrivals(self, until, step=CHAR_S / 4):
        """Every character with the moment it arrived, the line looked at every step."""
        got = []
        now = 0.0
        while now <= until:
            for direction, data in self.relay.due(now):
                for byte in data:
                    got.append((direction.name, byte, now))
            now += step
        return got

    def test_character_time_of_8n2_at_9600_baud(self):
        self.assertAlmostEqual(1.1458, line_relay.character_time(9600, 11) * 1000, places=3)

    def test_each_character_arrives_a_character_time_after_the_one_before(self):
        request = read_request(1, 0, 10)
        self.relay.sent(self.to_device, request, 0.0)
        self.assertEqual([], self.relay.due(CHAR_S * 0.99))
        got = self.arrivals(0.1, step=CHAR_S / 8)
        self.assertEqual(request, bytes(b for _, b, _ in got))
        for k, (name, _, at) in enumerate(got):
            self.assertEqual(line_relay.TO_DEVICE, name)
            # Looked at every eighth of a character: never early, at most a step late.
            self.assertGreaterEqual(at, (k + 1) * CHAR_S - 1e-9)
            self.assertLess(at, (k + 1) * CHAR_S + CHAR_S / 8 + 1e-9)
        self.assertEqual(1, len(self.frames))
        self.assertEqual(8, self.frames[0]["bytes"])
        self.assertEqual(0, self.frames[0]["collided"])

    def test_a_read_of_10_and_of_60_registers_takes_the_line_time_of_its_characters(self):
        for count, expected_ms in ((10, 37.8), (60, 152.4)):
            with self.subTest(count=count):
                self.setUp()
                request = read_request(1, 0, count)
                self.relay.sent(self.to_device, request, 0.0)
                got = self.arrivals(len(request) * CHAR_S + 1e-6, step=CHAR_S / 16)
                answered_at = got[-1][2]
                reply = rtu(bytes((1, 3, 2 * count)) + bytes(2 * count))
                self.relay.sent(self.to_host, reply, answered_at)
                last = self.arrivals(answered_at + len(reply) * CHAR_S + 1e-3, step=CHAR_S / 16)
                # arrivals() starts its clock at 0 again: the reply's are relative to 0 too.
                ended = max(at for _, _, at in last)
                self.assertAlmostEqual(expected_ms, ended * 1000, delta=0.2)
                self.assertEqual(0, self.relay.collisions)

    def test_a_side_that_writes_again_queues_behind_its_own_characters(self):
        self.relay.sent(self.to_device, b"\x01\x02", 0.0)
        self.relay.sent(self.to_device, b"\x03", CHAR_S / 2)
        got = self.arrivals(5 * CHAR_S)
        self.assertEqual(b"\x01\x02\x03", bytes(b for _, b, _ in got))
        self.assertGreaterEqual(got[-1][2], 3 * CHAR_S - 1e-9)
        self.assertEqual(1, len(self.frames))

    def test_a_side_that_sends_while_the_other_sends_collides_and_both_arrive_garbled(self):
        # The device's reply is on the line; the host sends a retry in its middle.
        reply = bytes(range(1, 11))
        self.relay.sent(self.to_host, reply, 0.0)
        retry = b"\xAA\xBB"
        self.relay.sent(self.to_device, retry, 4.5 * CHAR_S)
        got = self.arrivals(12 * CHAR_S)
        to_host = bytes(b for name, b, _ in got if name == line_relay.TO_HOST)
        to_device = bytes(b for name, b, _ in got if name == line_relay.TO_DEVICE)
        self.assertEqual(len(reply), len(to_host))
        self.assertNotEqual(reply, to_host)
        # The retry spans 4.5..6.5 character times: the reply's characters 5, 6 and 7.
        garbled = [k for k in range(len(reply)) if reply[k] != to_host[k]]
        self.assertEqual([4, 5, 6], garbled)
        self.assertEqual(bytes(b ^ 0xFF for b in retry), to_device)
        self.assertEqual(5, self.relay.collisions)
        by_direction = {f["dir"]: f for f in self.frames}
        self.assertEqual(3, by_direction[line_relay.TO_HOST]["collided"])
        self.assertEqual(2, by_direction[line_relay.TO_DEVICE]["collided"])

    def test_a_side_that_waits_for_the_line_to_fall_quiet_collides_with_nothing(self):
        self.relay.sent(self.to_host, b"\x01\x02\x03", 0.0)
        self.arrivals(3 * CHAR_S)
        self.relay.sent(self.to_device, b"\x04", 3 * CHAR_S)
        got = self.arrivals(5 * CHAR_S)
        self.assertEqual(0, self.relay.collisions)
        self.assertEqual([f["collided"] for f in self.frames], [0, 0])
        self.assertIn((line_relay.TO_DEVICE, 4), [(n, b) for n, b, _ in got])


class LineOfProcesses(unittest.TestCase):
    """The relay as the peer host starts it, with the test device on its far end."""

    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        self.addCleanup(self.work.cleanup)
        self.host_link = os.path.join(self.work.name, "host")
        self.device_link = os.path.join(self.work.name, "device")
        self.relay_journal = os.path.join(self.work.name, "line.jsonl")
        self.device_journal = os.path.join(self.work.name, "device.jsonl")
        profile = os.path.join(self.work.name, "profile.json")
        with open(profile, "w") as f:
            json.dump({"units": {"1": {"holding": {"0": list(range(100, 160))}}}}, f)
        self.relay = self.start([RELAY, self.host_link, self.device_link, "--baud", str(BAUD),
                                 "--journal", self.relay_journal])
        self.assertTrue(self.wait_for(lambda: os.path.exists(self.host_link)
                                      and os.path.exists(self.device_link)))
        self.device = self.start([DEVICE, "--profile", profile, "--rtu", self.device_link,
                                  "--journal", self.device_journal, "--lifetime", "120"])
        self.fd = os.open(self.host_link, os.O_RDWR | os.O_NOCTTY)
        self.addCleanup(os.close, self.fd)
        tty.setraw(self.fd)
        self.assertTrue(self.wait_until_answered(), "the device never answered")

    def wait_until_answered(self):
        """The device is ready when it answers. A device that started late answers the
        probes that waited for it too, one after the other; so each probe asks for one register
        more, and the line is the test's once the reply to the latest probe has come: every
        earlier reply came before it, and none is left to collide with what the test sends."""
        heard = b""
        deadline = time.monotonic() + START_LIMIT_S
        for count in range(1, 61):
            if time.monotonic() >= deadline:
                break
            expected = rtu(bytes((1, 3, 2 * count)) + b"".join(struct.pack(">H", 100 + k) for k in range(count)))
            os.write(self.fd, read_request(1, 0, count))
            probe_deadline = min(deadline, time.monotonic() + 1.0)
            while not heard.endswith(expected) and time.monotonic() < probe_deadline:
                heard += read_until(self.fd, 1, probe_deadline - time.monotonic())
            if heard.endswith(expected):
                return True
        return False

    def start(self, argv):
        proc = subprocess.Popen([sys.executable] + argv, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def end():
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(5)
        self.addCleanup(end)
        return proc

    @staticmethod
    def wait_for(condition, limit_s=START_LIMIT_S):
        deadline = time.monotonic() + limit_s
        while time.monotonic() < deadline:
            if condition():
                return True
            time.sleep(0.05)
        return False

    def receive(self, length, limit_s):
        data = read_until(self.fd, length, limit_s)
        return data if len(data) >= length else None

    def exchange(self, request, reply_length, limit_s):
        os.write(self.fd, request)
        return self.receive(reply_length, limit_s)

    def frames(self):
        with open(self.relay_journal) as f:
            return [json.loads(line) for line in f if line.strip()]

    def test_register_reads_take_their_line_time(self):
        for count in (10, 60):
            with self.subTest(count=count):
                characters = 8 + 5 + 2 * count
                seen = len(self.frames())
                began = time.monotonic()
                reply = self.exchange(read_request(1, 0, count), 5 + 2 * count, 5.0)
                took = time.monotonic() - began
                self.assertIsNotNone(reply)
                self.assertEqual(rtu(bytes((1, 3, 2 * count)) +
                                     b"".join(struct.pack(">H", 100 + k) for k in range(count))), reply)
                print("read of %d registers: %.1f ms (line time %.1f ms)"
                      % (count, took * 1000, characters * CHAR_S * 1000), file=sys.stderr)
                # Never faster than the line; the rest is the device's and the test's own time.
                self.assertGreaterEqual(took, characters * CHAR_S)
                self.assertLess(took, 2 * characters * CHAR_S)
                frames = self.frames()[seen:]
                self.assertEqual([line_relay.TO_DEVICE, line_relay.TO_HOST], [f["dir"] for f in frames])
                self.assertEqual([8, 5 + 2 * count], [f["bytes"] for f in frames])
                # The reply started after the request's last character had arrived.
                self.assertGreaterEqual(frames[1]["start"], frames[0]["end"])
                for frame in frames:
                    self.assertAlmostEqual(frame["bytes"] * CHAR_S, frame["end"] - frame["start"], delta=1e-6)
                    self.assertLessEqual(frame["late_ms"], LATE_LIMIT_MS)
                    self.assertEqual(0, frame["collided"])

    def test_a_retry_sent_while_the_reply_is_on_the_line_collides_with_it(self):
        request = read_request(1, 0, 60)
        # The request takes 9.2 ms, the reply 143 ms: the retry goes out as soon as the reply's
        # first character is here, while the rest of it is still on the line. A retry that
        # reached the line only after the reply had ended (the machine kept this process from
        # running that long) proves nothing, and the case runs again.
        for attempt in range(3):
            frames_seen = len(self.frames())
            entries_seen = len(self.device_entries())
            os.write(self.fd, request)
            # A read takes what has come: more than the first character when this process was
            # kept from running meanwhile.
            first = self.receive(1, 5.0)
            self.assertIsNotNone(first)
            os.write(self.fd, request)
            rest = self.receive(max(0, 125 - len(first)), 5.0)
            self.assertIsNotNone(rest)
            reply_bytes = (first + rest)[:125]
            self.assertTrue(self.wait_for(lambda: len(self.frames()) >= frames_seen + 3, 5.0))
            frames = self.frames()[frames_seen:]
            reply = [f for f in frames if f["dir"] == line_relay.TO_HOST][0]
            retry = [f for f in frames if f["dir"] == line_relay.TO_DEVICE][1]
            if retry["start"] < reply["end"]:
                break
            print("attempt %d: the retry reached the line %.0f ms after the reply had ended"
                  % (attempt + 1, (retry["start"] - reply["end"]) * 1000), file=sys.stderr)
            # The device answers that retry: its reply is let pass before the next attempt.
            self.receive(max(0, 250 - len(first + rest)), 5.0)
        else:
            self.fail("the machine stalled: three times the retry reached the line only after the reply")
        self.assertNotEqual(0, crc16(reply_bytes), "the reply arrives garbled")
        collided = [f for f in frames if f["collided"]]
        self.assertEqual({line_relay.TO_DEVICE, line_relay.TO_HOST}, {f["dir"] for f in collided})
        # The device took the garbled retry for no request: one read of 60 served.
        self.assertTrue(self.wait_for(lambda: any(
            e.get("error") == "crc" for e in self.device_entries()[entries_seen:]), 5.0))
        served = [e for e in self.device_entries()[entries_seen:] if e.get("function") == 3 and e.get("count") == 60]
        self.assertEqual(1, len(served))

    def device_entries(self):
        with open(self.device_journal) as f:
            return [json.loads(line) for line in f if line.strip()]


class LineThatLosesReplies(unittest.TestCase):
    """The relay's loss rules, on a clock of the test's own: a chosen request's reply, or
    every reply for a while, never reaches the host nor takes line time."""

    def setUp(self):
        self.frames = []

    def line(self, rules):
        relay = line_relay.LineRelay(CHAR_S, FrameJournal(self.frames), line_relay.LineLoss(rules))
        to_device = line_relay.Direction(line_relay.TO_DEVICE, 1, 2)
        to_host = line_relay.Direction(line_relay.TO_HOST, 2, 1)
        relay.add_direction(to_device)
        relay.add_direction(to_host)
        return relay, to_device, to_host

    @staticmethod
    def exchange(relay, to_device, to_host, request, now):
        """Sends request at now and the device's reply once it arrived; what reached the host."""
        relay.sent(to_device, request, now)
        arrived = now + len(request) * CHAR_S
        relay.due(arrived + 1e-9)
        reply = rtu(bytes((1, 3, 2, 0, 7)))
        relay.sent(to_host, reply, arrived)
        got = relay.due(arrived + (len(reply) + 1) * CHAR_S)
        return b"".join(bytes(data) for direction, data in got if direction.name == line_relay.TO_HOST)

    def test_the_replies_to_the_chosen_request_are_lost_the_times_asked_after_those_let_pass(self):
        block = read_request(1, 0x17C, 124)
        relay, to_device, to_host = self.line([{"request": block[:4].hex(), "skip": 1, "times": 2}])
        heard = []
        for k in range(5):
            other = self.exchange(relay, to_device, to_host, read_request(1, 0x20, 1), k * 1.0)
            self.assertNotEqual(b"", other, "another request's reply is never lost")
            heard.append(self.exchange(relay, to_device, to_host, block, k * 1.0 + 0.5) != b"")
        self.assertEqual([True, False, False, True, True], heard)
        lost = [f for f in self.frames if f.get("lost")]
        self.assertEqual(2, len(lost))
        self.assertTrue(all(f["dir"] == line_relay.TO_HOST and f["lost"] == 7 for f in lost))
        self.assertEqual(0, relay.collisions)

    def test_every_reply_that_starts_within_the_seconds_of_the_chosen_request_is_lost(self):
        relay, to_device, to_host = self.line([{"request": read_request(1, 0x100, 124)[:4].hex(), "seconds": 3.0}])
        poll = read_request(1, 0x20, 1)
        self.assertNotEqual(b"", self.exchange(relay, to_device, to_host, poll, 0.0))
        self.assertEqual(b"", self.exchange(relay, to_device, to_host, read_request(1, 0x100, 124), 1.0))
        heard = [self.exchange(relay, to_device, to_host, poll, at) != b"" for at in (2.0, 3.9, 4.1, 5.0)]
        self.assertEqual([False, False, True, True], heard)

    def test_rules_that_are_not_loss_rules_are_refused(self):
        for rules in ([{"request": "01", "drop": 1}], ["0103"], [{"request": "zz"}], [{"seconds": "long"}]):
            with self.subTest(rules=rules):
                with self.assertRaises((TypeError, ValueError)):
                    line_relay.LineLoss(rules)


class RelayEnding(unittest.TestCase):
    """The relay ends on SIGTERM whatever its sides do."""

    def test_it_ends_on_sigterm_while_the_host_side_reads_nothing(self):
        work = tempfile.TemporaryDirectory()
        self.addCleanup(work.cleanup)
        host_link = os.path.join(work.name, "host")
        device_link = os.path.join(work.name, "device")
        # A fast line fills the host side's terminal in well under a second.
        relay = subprocess.Popen([sys.executable, RELAY, host_link, device_link, "--baud", "4000000"],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def end():
            if relay.poll() is None:
                relay.kill()
                relay.wait(5)
        self.addCleanup(end)
        self.assertTrue(LineOfProcesses.wait_for(lambda: os.path.exists(host_link) and os.path.exists(device_link)))
        fd = os.open(device_link, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.addCleanup(os.close, fd)
        tty.setraw(fd)
        # Nobody reads the host side: the relay's writes there stop, and then it takes nothing
        # more from the device side.
        block = bytes(range(256)) * 16
        deadline = time.monotonic() + START_LIMIT_S
        last_taken = time.monotonic()
        while time.monotonic() - last_taken < 1.0 and time.monotonic() < deadline:
            try:
                if os.write(fd, block):
                    last_taken = time.monotonic()
            except BlockingIOError:
                time.sleep(0.02)
        self.assertLess(time.monotonic(), deadline, "the relay kept taking what the device side wrote")
        relay.send_signal(signal.SIGTERM)
        try:
            relay.wait(10)
        except subprocess.TimeoutExpired:
            self.fail("the relay ran on 10 s after SIGTERM with its host side full")
        self.assertEqual(0, relay.returncode)
        self.assertFalse(os.path.lexists(host_link))


if __name__ == "__main__":
    unittest.main()
