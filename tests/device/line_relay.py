#!/usr/bin/python3
"""A serial line as slow as a real one, between two pseudo-terminals.

line_relay.py HOST_LINK DEVICE_LINK --baud B [--bits N] [--journal FILE] [--lose RULES]

Makes two pseudo-terminals and links their terminal ends as HOST_LINK (the Windows side's
COM port) and DEVICE_LINK (the test device's end). What one side writes reaches the other
one character at a time, each a character time (N bits at B baud; 11 for 8 data bits, no
parity and two stop bits) after the one before, as a UART sends it: a side starts sending
as soon as it writes, whatever the other side does. The line is one pair of wires, as
RS-485 is: a character sent while a character of the other direction is on the line
collides with it, and both arrive garbled (every bit inverted). The journal gets one JSON
line per frame (a run of characters one direction sent back to back) when its last
character has arrived: direction ("to_device" or "to_host"), its first character's start
and its last one's arrival on the monotonic clock (seconds), the character count, how
many collided, and how late the latest one arrived (ms).

A line can lose chosen replies (--lose, a JSON list of rules): the device's answer to a
request is dropped before it reaches the line, so the host hears nothing, as when noise
swallows a reply. A rule matches the requests whose bytes begin with "request" (hexadecimal;
any request when absent), lets "skip" of them pass (default 0) and then fires on the next
"times" (default 1): the replies to a request it fires on are lost, up to the next request;
with "seconds" every reply that starts within that time of the request is lost, whatever it
answers. A lost reply never arrives; its journal line has no "end" and gives "lost", the
count of its characters.

The relay asks for real-time scheduling so that it keeps to the character time on a busy
machine, and runs without it when refused. It ends on SIGTERM or SIGINT.
"""
import argparse
import heapq
import json
import os
import select
import signal
import sys
import time
import tty

TO_DEVICE = "to_device"
TO_HOST = "to_host"
REALTIME_PRIORITY = 50
READ_SIZE = 4096


def character_time(baud, bits):
    return float(bits) / float(baud)


class Direction:
    """One side's transmitter: the characters it has on the line or queued."""

    def __init__(self, name, source_fd, target_fd):
        self.name = name
        self.source_fd = source_fd
        self.target_fd = target_fd
        self.free_at = 0.0
        # [start, end, byte, collided], in order; leave when they arrive.
        self.pending = []
        self.frame = None
        self.frame_data = bytearray()

    def overlapping(self, start, end):
        return [c for c in self.pending if c[0] < end and start < c[1]]


class LineLoss:
    """Which replies the line loses: the rules of --lose, told each request as it arrives."""

    def __init__(self, rules):
        self.rules = []
        for rule in rules:
            if not isinstance(rule, dict) or set(rule) - {"request", "skip", "times", "seconds"}:
                raise ValueError("a loss rule takes request, skip, times and seconds: %r" % (rule,))
            self.rules.append({"prefix": bytes.fromhex(rule.get("request", "")),
                               "skip": int(rule.get("skip", 0)), "times": int(rule.get("times", 1)),
                               "seconds": None if rule.get("seconds") is None else float(rule["seconds"]),
                               "seen": 0})
        self.reply_lost = False
        self.lost_until = None

    def request_arrived(self, data, now):
        self.reply_lost = False
        for rule in self.rules:
            if not data.startswith(rule["prefix"]):
                continue
            rule["seen"] += 1
            if not rule["skip"] < rule["seen"] <= rule["skip"] + rule["times"]:
                continue
            if rule["seconds"] is None:
                self.reply_lost = True
            else:
                self.lost_until = max(self.lost_until or now, now + rule["seconds"])

    def loses(self, now):
        return self.reply_lost or (self.lost_until is not None and now < self.lost_until)


class LineRelay:
    """The line's timing, apart from the terminals: sent() takes what a side wrote at a
    moment, due() gives the characters that have arrived by a moment."""

    def __init__(self, char_s, journal=None, loss=None):
        self.char_s = char_s
        self.journal = journal
        self.loss = loss
        self.directions = {}
        self.queue = []
        self.sequence = 0
        self.collisions = 0

    def add_direction(self, direction):
        self.directions[direction.name] = direction

    def _other(self, direction):
        for other in self.directions.values():
            if other is not direction:
                return other
        return None

    def sent(self, direction, data, now):
        if self.loss is not None and direction.name == TO_HOST and self.loss.loses(now):
            self._log({"dir": direction.name, "start": now, "bytes": len(data), "collided": 0, "late_ms": 0.0,
                       "lost": len(data)})
            return
        other = self._other(direction)
        for byte in data:
            start = max(now, direction.free_at)
            end = start + self.char_s
            direction.free_at = end
            character = [start, end, byte, False]
            if other is not None:
                for clash in other.overlapping(start, end):
                    if not clash[3]:
                        clash[3] = True
                        self.collisions += 1
                    character[3] = True
            if character[3]:
                self.collisions += 1
            direction.pending.append(character)
            if direction.frame is None:
                direction.frame = {"dir": direction.name, "start": start, "bytes": 0,
                                   "collided": 0, "late_ms": 0.0}
            heapq.heappush(self.queue, (end, self.sequence, direction.name))
            self.sequence += 1

    def next_due(self):
        return self.queue[0][0] if self.queue else None

    def due(self, now):
        """[(direction, bytes)] of the characters that have arrived by now, in order."""
        out = []
        while self.queue and self.queue[0][0] <= now:
            end, _, name = heapq.heappop(self.queue)
            direction = self.directions[name]
            start, end, byte, collided = direction.pending.pop(0)
            if collided:
                byte ^= 0xFF
            frame = direction.frame
            frame["bytes"] += 1
            frame["collided"] += 1 if collided else 0
            frame["late_ms"] = max(frame["late_ms"], (now - end) * 1000.0)
            frame["end"] = end
            if self.loss is not None and direction.name == TO_DEVICE:
                direction.frame_data.append(byte)
            if not direction.pending:
                self._log(frame)
                direction.frame = None
                if self.loss is not None and direction.name == TO_DEVICE:
                    self.loss.request_arrived(bytes(direction.frame_data), now)
                    direction.frame_data = bytearray()
            if out and out[-1][0] is direction:
                out[-1][1].append(byte)
            else:
                out.append((direction, bytearray([byte])))
        return out

    def _log(self, frame):
        if self.journal is None:
            return
        frame = dict(frame)
        frame["late_ms"] = round(frame["late_ms"], 3)
        self.journal.write(json.dumps(frame) + "\n")
        self.journal.flush()


def make_terminal(link):
    """A pseudo-terminal whose terminal end is linked as link. The relay keeps that end
    open itself, so that its side never reads end-of-file while nobody has the port open."""
    master, slave = os.openpty()
    tty.setraw(slave)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(slave), link)
    os.set_blocking(master, False)
    return master, slave


def ask_for_realtime():
    try:
        os.sched_setscheduler(0, os.SCHED_FIFO, os.sched_param(REALTIME_PRIORITY))
        return True
    except (AttributeError, OSError):
        return False


def write_all(fd, data, stopped):
    """Writes data unless stopped first: a side that reads nothing fills its terminal, and
    a wait for room there must not outlast a SIGTERM."""
    while data and not stopped():
        try:
            data = data[os.write(fd, data):]
        except BlockingIOError:
            select.select([], [fd], [], 0.2)


def run(relay, stopped):
    fds = {d.source_fd: d for d in relay.directions.values()}
    while not stopped():
        now = time.monotonic()
        for direction, data in relay.due(now):
            write_all(direction.target_fd, bytes(data), stopped)
        next_due = relay.next_due()
        timeout = None if next_due is None else max(0.0, next_due - time.monotonic())
        try:
            readable, _, _ = select.select(list(fds), [], [], 1.0 if timeout is None else min(timeout, 1.0))
        except InterruptedError:
            continue
        now = time.monotonic()
        for fd in readable:
            try:
                data = os.read(fd, READ_SIZE)
            except (BlockingIOError, OSError):
                continue
            if data:
                relay.sent(fds[fd], data, now)


def main(argv):
    parser = argparse.ArgumentParser(description="a serial line at its character time")
    parser.add_argument("host_link")
    parser.add_argument("device_link")
    parser.add_argument("--baud", type=int, required=True)
    parser.add_argument("--bits", type=int, default=11)
    parser.add_argument("--journal")
    parser.add_argument("--lose", help="the replies the line loses: a JSON list of rules")
    args = parser.parse_args(argv)
    if args.baud <= 0 or args.bits <= 0:
        parser.error("baud and bits must be positive")
    try:
        loss = LineLoss(json.loads(args.lose)) if args.lose else None
    except (TypeError, ValueError) as error:
        parser.error("--lose: %s" % error)

    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))

    realtime = ask_for_realtime()
    journal = open(args.journal, "a") if args.journal else None
    relay = LineRelay(character_time(args.baud, args.bits), journal, loss)
    host_master, host_slave = make_terminal(args.host_link)
    device_master, device_slave = make_terminal(args.device_link)
    relay.add_direction(Direction(TO_DEVICE, host_master, device_master))
    relay.add_direction(Direction(TO_HOST, device_master, host_master))
    print("line_relay: %d baud, %d bits a character (%.3f ms), real-time %s"
          % (args.baud, args.bits, relay.char_s * 1000.0, "on" if realtime else "refused"), flush=True)
    try:
        run(relay, lambda: bool(stop))
    finally:
        for link in (args.host_link, args.device_link):
            if os.path.islink(link):
                os.unlink(link)
        for fd in (host_master, host_slave, device_master, device_slave):
            os.close(fd)
        if journal is not None:
            journal.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
