#!/usr/bin/python3
"""Test device: a Modbus server that the tests start, steer through a profile and read back
through a journal.

It answers Modbus RTU and ASCII on the peer end of pseudo-terminal pairs, Modbus/TCP on a
loopback port and the "QVID?" search probe over UDP. Standard library only.

Functions: 3 and 4 (read holding / input registers), 5 (write single coil), 6 (write single
register) and 43 with MEI type 14 (device identification, read codes 1 to 4). Any other
function gets exception 01, an unmapped address exception 02, a bad count or value
exception 03. Units the profile does not list stay silent on serial lines; on TCP they get
exception 0B (gateway target failed to respond) unless the profile says "silence".

Profile (JSON, --profile FILE). Addresses are decimal or "0x.." keys; every field optional:

  {
    "units": {
      "1": {
        "holding": {"0": 1234, "10": [1, 2, 3],
                    "20": {"sequence": [5, 6, 7]},
                    "21": {"counter": 100, "step": 2}},
        "input":   {"0": [10, 11]},
        "coils":   {"0": false, "1": true},
        "identification": {"1": "QV-2000", "2": null},
        "faults": [
          {"kind": "silence", "index": 0},
          {"kind": "exception", "code": 4, "function": 3, "address": 10, "times": 2},
          {"kind": "bad_crc", "transport": "rtu"}
        ]
      }
    },
    "tcp_unknown_unit": "exception",
    "search": {"unit": 1, "device_text": "Test controller", "line_end": "\\n"}
  }

A unit may stand for a device of a device description file (devices.xml):

  "1": {"device": {"xml": "/path/devices.xml", "name": "Varnix MPPT",
                   "identity": 0, "serial": "QV123456"},
        "holding": {"0x0008": 6}}

The unit then serves identification object 1 = the product code of the chosen identity
("identity", an index into the device's identity elements, default 0) and that identity's
output-register values; a plausible word for every variable (a translated value: its
lowest translation; a bit field: 0; "Hourmeter": 1234 hours; any other: a quarter of the
way from min to max, or max / 5 for a signed range, divided by the scaling, a 32-bit value
split over addressLow and addressHigh); the hardware information (an ascii entry whose
name holds "serial": the "serial" text, default "QV123456"; other ascii entries "A1"; ip
192.0.2.10; hexascii the bytes 00 1e c0 12 34 56 ...; boolean 1); the log buffer erased
(every word 0xFFFF) with its end-pointer register at the last word of the buffer; and
each described coil, off. The unit's own "holding", "coils" and "identification"
entries override what the description gives.

A unit that names a device and has "simulate" is played by a simulated site (qvsite.py,
whose text gives the form): live values from a model of a compressed solar day, a log
with some days of history, and the factory setpoints. The profile then has a "site"
entry; --site 7 or --site 16 makes the demo site's profile without a file.

A unit whose "input" is the text "holding" serves function 4 from its holding registers,
so that what a write stored reads back (the wizards read setpoints with function 4 and
program them with function 6).

Register values are 0..65535 (negative numbers are taken modulo 65536). A list fills
consecutive registers from its key. {"sequence": [...]} gives the next element at every
read (cycling); {"counter": N, "step": S} gives N, N+S, ... A write replaces the value.

Identification objects 0, 1, 2 default to "Quorvant Corp.", "QV-1000", "1.00"; the
profile's "identification" overrides them by object id, and null removes an object.

Faults (per unit, first match wins). Matching keys, all optional: "index" (the unit's
request number from 0, or a list of them), "function", "address", "transport" ("rtu",
"ascii", "tcp"), "from" (every request number from this one on: a device that stops
answering), "after_writes" (every request once the unit has carried out that many register
writes: a device lost part of the way through a programming run), "at_read" (requests
while the unit has answered exactly that many register reads: with "function" 3 or 4,
the read that follows them, every try of it, as a device that refuses one request of a
reading run; refused reads are not answered, so its tries all match, a later run's do not),
"while_file" (only while
that file exists, a name relative to the profile's folder: the test turns the fault on and
off); "times" limits how often the fault fires. Kinds:
  silence             no reply (the request is not carried out)
  delay               reply after "seconds" (default 2.0)
  late                serial only: reply "seconds" (default 2.0) after the request came;
                      the line goes on taking requests meanwhile, and the unit answers
                      its own in the order they came (a later one, late or not, after it)
  wrong_unit          reply carries "unit" (default: the next unit id)
  exception           exception "code" (default 4) instead of the answer; "unit" and
                      "reply_function" give its unit id and function byte (default the
                      request's unit and function | 0x80), as another unit's or request's
  short_reply         register read answered with "words" words (default count - 1);
                      "byte_count" overrides the byte count field (default 2 x words)
  bad_crc, swapped_crc   RTU only: CRC altered / its two bytes exchanged
  trailing            RTU only: the reply is followed at once by "bytes" (default 300) bytes
                      of another talker (0x55 each), as on a line where a frame follows it
  stall               RTU only: the reply's first "bytes" bytes (default half of it), then
                      "seconds" (default 0.3) of silence, then the rest; a request that
                      comes while the rest is still due collides with it on a two-wire
                      line: it is journalled with error "collision" and not answered
  bad_lrc, lower_case    ASCII only: LRC altered / hexadecimal in lower case
  drop                TCP only: the connection is closed instead of a reply
  reset               TCP only: the connection is reset (RST) instead of a reply
  tcp_length_overrun  TCP only: the length field announces "extra" (default 4) more
                      bytes than are sent; the connection stays open

Search answer ("search"): seven lines joined with "line_end": vendor, product code and
revision of "unit", "device_text", "line4", the TCP port ("port", default the real one)
and the unit id ("unit_text", default the unit). "lines" replaces the whole list;
"pad_to" pads the datagram with blanks to that many bytes; "silent": true answers nothing.

Journal (--journal FILE): one JSON object per line, flushed at once, for every request
and every probe, written before its answer goes out: time (Unix seconds at its arrival),
transport, unit, function, address, count, value, index, fault, request and reply (hex of
the bytes on the wire), error (a frame that was refused: "crc", "lrc", "format"). A reply
that could not be written adds a line of its request with error "write". An answer that went
out more than LATE_ANSWER_S after its request arrived (beyond a delay or stall its fault
asks for) adds a line with event "late_answer", the request's arrival as request_time and
the seconds it was late as late: the device's process was kept from running meanwhile.

Firmware bootloader (--bootloader PATH --firmware FILE.qvz [--script FILE.json]): the device
end of the loader's byte protocol on a pty end, checking every record frame against the
file; the script (see class Bootloader) sets the attention answers, echo, replies per record
and attempt, the final status and the meter path through a controller's pass-through
request. The journal gets every received chunk ("event": "rx") with its time, and one line
per pass-through request, attention answer, attention byte that crossed the answer,
record send and final status.

Example:
  qvdevice.py --profile p.json --rtu /tmp/com20-peer --tcp-port 0 --port-file ports \\
              --udp-port 15555 --udp-bind 127.0.0.1 --journal journal.jsonl
The port file gets the TCP port on its first line and the UDP port on its second, and is
written once every transport is ready. With --unit-tcp-base every unit also has a Modbus/TCP
port of its own, which answers any unit id as that unit (a device with its own network
port); the port file lists them after, a line "unit ID PORT" each.
"""
import argparse
import heapq
import itertools
import json
import os
import select
import signal
import socket
import struct
import sys
import threading
import time
import xml.etree.ElementTree as ElementTree

import devicexml
import qvsite
import qvzgen
from devicexml import c_integer, query_integer

DEFAULT_IDENTIFICATION = {0: "Quorvant Corp.", 1: "QV-1000", 2: "1.00"}
DEFAULT_DEVICES_XML = os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "..", "res", "devices.xml")
MAX_READ_COUNT = 125
SEARCH_PROBE = b"QVID?"
POLL_S = 0.02
RTU_GAP_S = 0.1        # a pty has no line timing: a pause this long ends a partial frame
ASCII_GAP_S = 1.0      # the ASCII line allows up to a second between characters

# Exception codes of the Modbus application protocol.
ILLEGAL_FUNCTION = 1
ILLEGAL_ADDRESS = 2
ILLEGAL_VALUE = 3
GATEWAY_TARGET_FAILED = 0x0B

# Faults that belong to one transport only.
FAULT_TRANSPORTS = {
    "late": ("rtu", "ascii"),
    "bad_crc": "rtu", "swapped_crc": "rtu", "trailing": "rtu", "stall": "rtu",
    "bad_lrc": "ascii", "lower_case": "ascii",
    "drop": "tcp", "reset": "tcp", "tcp_length_overrun": "tcp",
}
# An answer written this much later than its request came is late (the process was not run).
LATE_ANSWER_S = 0.05
FAULT_KINDS = {"silence", "delay", "wrong_unit", "exception", "short_reply"} | set(FAULT_TRANSPORTS)


# ---------------------------------------------------------------- checksums and framing

def crc16(data):
    """CRC-16 of the Modbus serial line (reflected 0xA001, start 0xFFFF)."""
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def rtu_frame(adu):
    """Unit id + PDU with its CRC appended, low byte first as the line sends it."""
    crc = crc16(adu)
    return bytes(adu) + bytes((crc & 0xFF, crc >> 8))


def lrc(data):
    return (-sum(data)) & 0xFF


def ascii_frame(adu, lower=False, lrc_value=None):
    check = lrc(adu) if lrc_value is None else lrc_value
    text = (bytes(adu) + bytes((check,))).hex()
    return b":" + (text if lower else text.upper()).encode("ascii") + b"\r\n"


def rtu_request_length(buf):
    """Length of the RTU request at the start of buf with its CRC; 0 when more bytes are
    needed to tell, None when the function has no fixed form (framed by a pause)."""
    if len(buf) < 2:
        return 0
    function = buf[1]
    if function in (1, 2, 3, 4, 5, 6, 8):
        return 8
    if function in (7, 11, 12, 17):
        return 4
    if function in (15, 16):
        return 9 + buf[6] if len(buf) >= 7 else 0
    if function == 43:
        if len(buf) < 3:
            return 0
        return 7 if buf[2] == 0x0E else None
    return None


# ---------------------------------------------------------------- profile and registers

def parse_address(key):
    value = int(key, 0) if isinstance(key, str) else int(key)
    if not 0 <= value <= 0xFFFF:
        raise ValueError("address out of range: %r" % key)
    return value


class RegisterCell:
    """One register: a fixed value, a cycling sequence or a counter."""

    def __init__(self, entry):
        self.sequence = None
        self.step = None
        self.position = 0
        if isinstance(entry, dict):
            if "sequence" in entry:
                self.sequence = [self._word(v) for v in entry["sequence"]]
                if not self.sequence:
                    raise ValueError("empty sequence")
                self.value = self.sequence[0]
            elif "counter" in entry:
                self.value = self._word(entry["counter"])
                self.step = int(entry.get("step", 1))
            else:
                raise ValueError("register needs a value, a sequence or a counter: %r" % entry)
        else:
            self.value = self._word(entry)

    @staticmethod
    def _word(value):
        value = int(value)
        if not -0x8000 <= value <= 0xFFFF:
            raise ValueError("register value out of range: %r" % value)
        return value & 0xFFFF

    def read(self):
        value = self.value
        if self.sequence is not None:
            self.position = (self.position + 1) % len(self.sequence)
            self.value = self.sequence[self.position]
        elif self.step is not None:
            self.value = (self.value + self.step) & 0xFFFF
        return value

    def write(self, value):
        self.sequence = None
        self.step = None
        self.value = value & 0xFFFF


def load_registers(table):
    cells = {}
    for key, entry in (table or {}).items():
        start = parse_address(key)
        entries = entry if isinstance(entry, list) else [entry]
        for offset, item in enumerate(entries):
            cells[parse_address(start + offset)] = RegisterCell(item)
    return cells


# ---------------------------------------------------------------- devices of a description file

DESCRIBED_SERIAL = "QV123456"
DESCRIBED_ASCII = "A1"
DESCRIBED_IP = (192, 0, 2, 10)
DESCRIBED_HEX = (0x00, 0x1E, 0xC0, 0x12, 0x34, 0x56)
DESCRIBED_HOURS = 1234
ERASED_WORD = 0xFFFF


def plausible_raw(variable):
    """A raw value a working device might hold for the variable element."""
    translations = [c_integer(t.get("value")) for t in variable.findall("translation")
                    if t.get("value") != "default"]
    if variable.get("bitfield") not in (None, "0") and translations:
        return 0
    if translations:
        return min(translations)
    low, high = float(variable.get("min")), float(variable.get("max"))
    scaling = float(variable.get("scaling"))
    if variable.get("name").lower() == "hourmeter":
        value = DESCRIBED_HOURS
    elif low < 0 < high:
        value = high / 5
    else:
        value = low + (high - low) / 4
    return int(round(value / scaling)) if scaling else 0


def hardware_words(entry, serial):
    """The register words of one hardwareinfo element."""
    width = query_integer(entry.get("width"))
    kind = entry.get("format")
    if kind == "boolean":
        return [1] * width
    if kind == "ascii":
        text = serial if "serial" in entry.get("name").lower() else DESCRIBED_ASCII
        data = text.encode("ascii")[:2 * width]
    elif kind == "ip":
        data = bytes(DESCRIBED_IP)
    else:
        data = bytes(DESCRIBED_HEX[i % len(DESCRIBED_HEX)] for i in range(2 * width))
    data = (data + bytes(2 * width))[:2 * width]
    return [data[2 * i] | (data[2 * i + 1] << 8) for i in range(width)]


def describe_device(spec):
    """Registers, coils and product code of the named device of a description file."""
    device = devicexml.find_device(spec["xml"], spec["name"])
    registers = {}
    for variable in device.findall("variable"):
        raw = plausible_raw(variable)
        low, high = c_integer(variable.get("addressLow")), c_integer(variable.get("addressHigh"))
        if high < 0:
            registers[low] = raw & 0xFFFF
        else:
            registers[low] = raw & 0xFFFF
            registers[high] = (raw >> 16) & 0xFFFF
    serial = str(spec.get("serial", DESCRIBED_SERIAL))
    for entry in device.findall("hardwareinfo"):
        first = c_integer(entry.get("address"))
        for offset, word in enumerate(hardware_words(entry, serial)):
            registers[first + offset] = word
    buffer = device.find("loggeddata/buffer")
    if buffer is not None:
        start, stop = query_integer(buffer.get("start")), query_integer(buffer.get("stop"))
        for address in range(start, stop + 1):
            registers[address] = ERASED_WORD
        if buffer.get("endpointer") is not None:
            registers[query_integer(buffer.get("endpointer"))] = stop - start
    identity = device.findall("identity")[int(spec.get("identity", 0))]
    for output in identity.findall("outputRegister"):
        registers[c_integer(output.get("address"))] = c_integer(output.text) & 0xFFFF
    coils = {c_integer(c.get("address")): False for c in device.findall("coil")}
    return ({parse_address(a): RegisterCell(v) for a, v in registers.items()}, coils,
            identity.findtext("productCode", ""))


class Fault:
    def __init__(self, entry, folder="."):
        self.kind = entry["kind"]
        if self.kind not in FAULT_KINDS:
            raise ValueError("unknown fault kind %r" % self.kind)
        index = entry.get("index")
        self.indexes = None if index is None else set(index if isinstance(index, list) else [index])
        self.first_index = entry.get("from")
        self.after_writes = entry.get("after_writes")
        self.at_read = entry.get("at_read")
        self.function = entry.get("function")
        self.address = entry.get("address")
        self.transport = entry.get("transport", FAULT_TRANSPORTS.get(self.kind))
        self.times = entry.get("times")
        self.while_file = os.path.join(folder, entry["while_file"]) if entry.get("while_file") else None
        self.entry = entry
        self.fired = 0

    def matches(self, request):
        if self.times is not None and self.fired >= self.times:
            return False
        if self.indexes is not None and request.index not in self.indexes:
            return False
        if self.first_index is not None and request.index < self.first_index:
            return False
        if self.after_writes is not None and request.writes_before < self.after_writes:
            return False
        if self.at_read is not None and request.reads_before != self.at_read:
            return False
        if self.function is not None and self.function != request.function:
            return False
        if self.address is not None and self.address != request.address:
            return False
        if self.transport is not None and request.transport not in (
                (self.transport,) if isinstance(self.transport, str) else self.transport):
            return False
        if self.while_file is not None and not os.path.exists(self.while_file):
            return False
        return True

    def get(self, key, default):
        return self.entry.get(key, default)


class Unit:
    def __init__(self, unit_id, entry, folder="."):
        self.unit_id = unit_id
        self.holding = {}
        self.coils = {}
        self.identification = dict(DEFAULT_IDENTIFICATION)
        if entry.get("device"):
            self.holding, self.coils, self.identification[1] = describe_device(entry["device"])
        self.holding.update(load_registers(entry.get("holding")))
        if entry.get("input") == "holding":
            self.input = self.holding
        else:
            self.input = load_registers(entry.get("input"))
        self.coils.update({parse_address(k): bool(v) for k, v in (entry.get("coils") or {}).items()})
        for key, text in (entry.get("identification") or {}).items():
            object_id = int(key, 0) if isinstance(key, str) else int(key)
            if text is None:
                self.identification.pop(object_id, None)
            else:
                self.identification[object_id] = str(text)
        self.faults = [Fault(f, folder) for f in entry.get("faults", [])]
        self.request_count = 0
        self.writes = 0   # register writes carried out
        self.reads = 0    # register reads answered
        self.simulated = False

    def take_fault(self, request):
        for fault in self.faults:
            if fault.matches(request):
                fault.fired += 1
                return fault
        return None


class Profile:
    def __init__(self, entry, clock=time.monotonic, folder="."):
        units = entry.get("units", {"1": {}})
        self.units = {}
        for key, unit_spec in units.items():
            unit_id = int(key)
            if not 1 <= unit_id <= 255:
                raise ValueError("unit id out of range: %r" % key)
            self.units[unit_id] = Unit(unit_id, unit_spec or {}, folder)
        self.site = qvsite.Site(entry["site"], clock) if entry.get("site") else None
        for key, unit_spec in units.items():
            if (unit_spec or {}).get("simulate"):
                if self.site is None or not unit_spec.get("device"):
                    raise ValueError("unit %s: a simulated unit needs a device and the profile a site" % key)
                unit = self.units[int(key)]
                self.site.attach(unit.unit_id, unit, unit_spec["device"], unit_spec["simulate"], RegisterCell)
                unit.simulated = True
        if self.site is not None:
            self.site.refresh()
        self.tcp_unknown_unit = entry.get("tcp_unknown_unit", "exception")
        if self.tcp_unknown_unit not in ("exception", "silence"):
            raise ValueError("tcp_unknown_unit must be exception or silence")
        self.search = entry.get("search", {})

    @classmethod
    def load(cls, path):
        if not path:
            return cls({})
        with open(path, encoding="utf-8") as f:
            return cls(json.load(f), folder=os.path.dirname(os.path.abspath(path)))


# ---------------------------------------------------------------- journal

def note_late_answer(journal, received, asked):
    """A line when the answer to the request that came at received went out later than the
    asked delay by more than LATE_ANSWER_S."""
    late = time.time() - received - asked
    if late > LATE_ANSWER_S:
        journal.write(event="late_answer", request_time=received, late=round(late, 4))


class Journal:
    """Every request as one JSON line, flushed at once so that a reader sees it."""

    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "a", encoding="utf-8") if path else None

    def write(self, **entry):
        if self.file is None:
            return
        entry.setdefault("time", time.time())
        line = json.dumps(entry, sort_keys=True)
        with self.lock:
            self.file.write(line + "\n")
            self.file.flush()

    def close(self):
        with self.lock:
            if self.file:
                self.file.close()
                self.file = None


# ---------------------------------------------------------------- Modbus application layer

class Request:
    def __init__(self, transport, unit, pdu):
        self.transport = transport
        self.unit = unit
        self.pdu = bytes(pdu)
        self.function = pdu[0] if pdu else None
        self.address = None
        self.count = None
        self.value = None
        self.index = None
        self.writes_before = 0
        self.reads_before = 0
        if self.function in (3, 4, 5, 6) and len(pdu) == 5:
            self.address, second = struct.unpack(">HH", pdu[1:5])
            if self.function in (3, 4):
                self.count = second
            else:
                self.value = second


class Outcome:
    """What the application layer answers: the reply (unit id + PDU, None for silence)
    and the fault that the transport still has to apply."""

    def __init__(self, reply, fault=None):
        self.reply = reply
        self.fault = fault


def exception_pdu(function, code):
    return bytes(((function | 0x80) & 0xFF, code))


class ModbusDevice:
    """The device behind every transport: one register map per unit, under one lock."""

    def __init__(self, profile, journal):
        self.profile = profile
        self.journal = journal
        self.lock = threading.Lock()

    def handle(self, request):
        """Answers one request; the caller frames the reply and applies transport faults."""
        with self.lock:
            unit = self.profile.units.get(request.unit)
            if unit is None:
                if request.transport == "tcp" and self.profile.tcp_unknown_unit == "exception":
                    return Outcome(bytes((request.unit,)) + exception_pdu(request.function or 0,
                                                                          GATEWAY_TARGET_FAILED))
                return Outcome(None)
            request.index = unit.request_count
            request.writes_before = unit.writes
            request.reads_before = unit.reads
            unit.request_count += 1
            if unit.simulated:
                self.profile.site.refresh()
            fault = unit.take_fault(request)
            if fault is not None and fault.kind == "silence":
                return Outcome(None, fault)
            reply_unit = request.unit
            if fault is not None and fault.kind == "exception":
                pdu = exception_pdu(request.function, int(fault.get("code", 4)))
                pdu = bytes((int(fault.get("reply_function", pdu[0])) & 0xFF,)) + pdu[1:]
                reply_unit = int(fault.get("unit", reply_unit))
            else:
                pdu = self._answer(unit, request, fault)
            if fault is not None and fault.kind == "wrong_unit":
                reply_unit = int(fault.get("unit", request.unit % 247 + 1))
            return Outcome(bytes((reply_unit,)) + pdu, fault)

    def _answer(self, unit, request, fault):
        pdu = request.pdu
        function = request.function
        if function in (3, 4):
            return self._read_registers(unit, request, fault)
        if function == 5:
            if len(pdu) != 5:
                return exception_pdu(function, ILLEGAL_VALUE)
            if request.value not in (0x0000, 0xFF00):
                return exception_pdu(function, ILLEGAL_VALUE)
            if request.address not in unit.coils:
                return exception_pdu(function, ILLEGAL_ADDRESS)
            unit.coils[request.address] = request.value == 0xFF00
            return pdu
        if function == 6:
            if len(pdu) != 5:
                return exception_pdu(function, ILLEGAL_VALUE)
            if request.address not in unit.holding:
                return exception_pdu(function, ILLEGAL_ADDRESS)
            unit.holding[request.address].write(request.value)
            unit.writes += 1
            return pdu
        if function == 43 and len(pdu) >= 2 and pdu[1] == 0x0E:
            return self._identification(unit, pdu)
        return exception_pdu(function, ILLEGAL_FUNCTION)

    @staticmethod
    def _read_registers(unit, request, fault):
        function = request.function
        if request.count is None or not 1 <= request.count <= MAX_READ_COUNT:
            return exception_pdu(function, ILLEGAL_VALUE)
        table = unit.holding if function == 3 else unit.input
        addresses = range(request.address, request.address + request.count)
        if any(a not in table for a in addresses):
            return exception_pdu(function, ILLEGAL_ADDRESS)
        words = [table[a].read() for a in addresses]
        unit.reads += 1
        byte_count = 2 * len(words)
        if fault is not None and fault.kind == "short_reply":
            words = words[:max(0, int(fault.get("words", request.count - 1)))]
            byte_count = int(fault.get("byte_count", 2 * len(words)))
        return bytes((function, byte_count & 0xFF)) + struct.pack(">%dH" % len(words), *words)

    @staticmethod
    def _identification(unit, pdu):
        if len(pdu) != 4:
            return exception_pdu(43, ILLEGAL_VALUE)
        read_code, object_id = pdu[2], pdu[3]
        objects = unit.identification
        if read_code == 4:
            if object_id not in objects:
                return exception_pdu(43, ILLEGAL_ADDRESS)
            chosen = [object_id]
        elif read_code in (1, 2, 3):
            first, last = {1: (0, 2), 2: (0, 0x7F), 3: (0, 0xFF)}[read_code]
            ids = [i for i in sorted(objects) if first <= i <= last]
            if object_id not in ids:
                object_id = ids[0] if ids else first   # unknown start: begin again
            chosen = [i for i in ids if i >= object_id]
        else:
            return exception_pdu(43, ILLEGAL_VALUE)
        body = b""
        taken = 0
        more, next_id = 0, 0
        for i in chosen:
            text = objects[i].encode("latin-1", "replace")[:245]
            # A reply PDU holds at most 253 bytes; the rest follows on request.
            if 7 + len(body) + 2 + len(text) > 253:
                more, next_id = 0xFF, i
                break
            body += bytes((i, len(text))) + text
            taken += 1
        return bytes((43, 0x0E, read_code, 0x81, more, next_id, taken)) + body


# ---------------------------------------------------------------- transports

class Stopper:
    def __init__(self, lifetime_s):
        self.event = threading.Event()
        self.deadline = time.monotonic() + lifetime_s

    def stopped(self):
        return self.event.is_set() or time.monotonic() > self.deadline


class SerialLine(threading.Thread):
    """One pty end in RTU or ASCII mode; replies are written in one write."""

    def __init__(self, path, mode, device, stopper):
        super().__init__(daemon=True)
        self.mode = mode
        self.device = device
        self.stopper = stopper
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self._make_raw()
        self.buffer = bytearray()
        self.last_byte_at = time.monotonic()
        self.due = []   # replies held back by a late one: a heap of (time due, order, request, wire)
        self.unit_due = {}   # unit: when its last reply held back is due
        self.order = itertools.count()

    def _make_raw(self):
        try:
            import termios
            import tty
        except ImportError:
            return
        try:
            tty.setraw(self.fd, termios.TCSANOW)
            attrs = termios.tcgetattr(self.fd)
            attrs[3] &= ~termios.ECHO
            termios.tcsetattr(self.fd, termios.TCSANOW, attrs)
        except (termios.error, OSError):
            pass   # not a terminal (a test may hand a pipe): nothing to set

    def run(self):
        while not self.stopper.stopped():
            wait = POLL_S
            if self.due:
                wait = max(0.0, min(wait, self.due[0][0] - time.monotonic()))
            readable, _, _ = select.select([self.fd], [], [], wait)
            while self.due and self.due[0][0] <= time.monotonic():
                _, _, raw, wire = heapq.heappop(self.due)
                self._write(raw, wire)
            if readable:
                try:
                    data = os.read(self.fd, 1024)
                except (BlockingIOError, InterruptedError):
                    data = b""
                except OSError:
                    data = b""
                    time.sleep(POLL_S)   # the other end closed; it may reopen
                if data:
                    self.buffer += data
                    self.last_byte_at = time.monotonic()
            quiet = time.monotonic() - self.last_byte_at
            if self.mode == "rtu":
                self._take_rtu_frames(quiet)
            else:
                self._take_ascii_frames(quiet)
        os.close(self.fd)

    def _take_rtu_frames(self, quiet):
        while self.buffer:
            length = rtu_request_length(self.buffer)
            if length == 0 or (length and len(self.buffer) < length):
                if quiet >= RTU_GAP_S:
                    self._refuse(bytes(self.buffer), "format")
                    self.buffer.clear()
                return
            if length is None:
                if quiet < RTU_GAP_S:
                    return
                length = len(self.buffer)
            frame = bytes(self.buffer[:length])
            if len(frame) < 4 or crc16(frame) != 0:
                # A damaged frame: wait for the line to fall quiet, then drop everything.
                if quiet >= RTU_GAP_S:
                    self._refuse(bytes(self.buffer), "crc")
                    self.buffer.clear()
                return
            del self.buffer[:length]
            self._serve(frame, frame[0], frame[1:-2])

    def _take_ascii_frames(self, quiet):
        while True:
            start = self.buffer.find(b":")
            if start < 0:
                self.buffer.clear()
                return
            del self.buffer[:start]
            end = self.buffer.find(b"\r\n")
            restart = self.buffer.find(b":", 1)
            if 0 <= restart and (end < 0 or restart < end):
                self._refuse(bytes(self.buffer[:restart]), "format")
                del self.buffer[:restart]
                continue
            if end < 0:
                if quiet >= ASCII_GAP_S:
                    self._refuse(bytes(self.buffer), "format")
                    self.buffer.clear()
                return
            frame = bytes(self.buffer[:end + 2])
            del self.buffer[:end + 2]
            try:
                data = bytes.fromhex(frame[1:-2].decode("ascii"))
            except ValueError:
                data = b""
            if len(data) < 3 or len(frame) % 2 == 0:
                self._refuse(frame, "format")
                continue
            if lrc(data[:-1]) != data[-1]:
                self._refuse(frame, "lrc")
                continue
            self._serve(frame, data[0], data[1:-1])

    def _refuse(self, raw, error):
        self.device.journal.write(transport=self.mode, request=raw.hex(), error=error)

    def _serve(self, raw, unit, pdu):
        received = time.time()
        request = Request(self.mode, unit, pdu)
        if unit == 0:
            outcome = Outcome(None)   # broadcast: never answered
        else:
            outcome = self.device.handle(request)
        wire = self._frame(outcome) if outcome.reply is not None else None
        fault = outcome.fault
        # Journalled before the answer goes out: a master that has its answer finds the
        # request in the journal at once.
        self.device.journal.write(
            time=received, error=None, transport=self.mode, unit=unit, function=request.function,
            address=request.address, count=request.count, value=request.value, index=request.index,
            fault=fault.kind if fault else None, request=raw.hex(),
            reply=wire.hex() if wire is not None else None)
        if fault is not None and fault.kind == "delay":
            time.sleep(float(fault.get("seconds", 2.0)))
        if wire is None:
            return
        asked = float(fault.get("seconds", 2.0)) if fault is not None and fault.kind == "delay" else 0.0
        now = time.monotonic()
        if (fault is not None and fault.kind == "late") or self.unit_due.get(unit, 0) > now:
            late = float(fault.get("seconds", 2.0)) if fault is not None and fault.kind == "late" else 0.0
            due = max(now + late - (time.time() - received), self.unit_due.get(unit, 0))
            self.unit_due[unit] = due
            heapq.heappush(self.due, (due, next(self.order), raw, wire))
            return
        if fault is not None and fault.kind == "stall":
            cut = int(fault.get("bytes", len(wire) // 2))
            self._write(raw, wire[:cut])
            self._stall(float(fault.get("seconds", 0.3)))
            asked += float(fault.get("seconds", 0.3))
            wire = wire[cut:]
        self._write(raw, wire)
        note_late_answer(self.device.journal, received, asked)

    def _write(self, raw, data):
        try:
            os.write(self.fd, data)
        except OSError:
            # Nobody reads the other end and its buffer is full.
            self.device.journal.write(transport=self.mode, request=raw.hex(), error="write")

    def _stall(self, seconds):
        """Silence in the middle of a reply: whatever comes meanwhile collides with the
        rest of it and is lost."""
        deadline = time.monotonic() + seconds
        collided = bytearray()
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            if select.select([self.fd], [], [], left)[0]:
                try:
                    collided += os.read(self.fd, 1024)
                except (BlockingIOError, InterruptedError, OSError):
                    pass
        if collided:
            self.device.journal.write(transport=self.mode, request=bytes(collided).hex(), error="collision")

    def _frame(self, outcome):
        kind = outcome.fault.kind if outcome.fault else None
        reply = outcome.reply
        if self.mode == "rtu":
            wire = bytearray(rtu_frame(reply))
            if kind == "bad_crc":
                wire[-1] ^= 0x5A
            elif kind == "swapped_crc":
                wire[-2], wire[-1] = wire[-1], wire[-2]
            elif kind == "trailing":
                wire += b"\x55" * int(outcome.fault.get("bytes", 300))
            return bytes(wire)
        return ascii_frame(reply, lower=(kind == "lower_case"),
                           lrc_value=(lrc(reply) + 1) & 0xFF if kind == "bad_lrc" else None)


class TcpServer(threading.Thread):
    """Modbus/TCP: one thread per connection, any number of requests per connection. A
    server of one unit (a device with a network port of its own) answers every unit id
    as that unit."""

    def __init__(self, host, port, device, stopper, unit=None):
        super().__init__(daemon=True)
        self.device = device
        self.stopper = stopper
        self.unit = unit
        self.server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind((host, port))
        self.server.listen(64)
        self.server.settimeout(POLL_S * 5)
        self.port = self.server.getsockname()[1]

    def run(self):
        while not self.stopper.stopped():
            try:
                conn, _ = self.server.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            threading.Thread(target=self._serve_connection, args=(conn,), daemon=True).start()
        self.server.close()

    def _receive(self, conn, count):
        data = b""
        while len(data) < count and not self.stopper.stopped():
            try:
                chunk = conn.recv(count - len(data))
            except socket.timeout:
                continue
            if not chunk:
                return None
            data += chunk
        return data if len(data) == count else None

    def _serve_connection(self, conn):
        conn.settimeout(POLL_S * 5)
        try:
            while not self.stopper.stopped():
                header = self._receive(conn, 7)
                if header is None:
                    return
                transaction, protocol, length, unit = struct.unpack(">HHHB", header)
                if protocol != 0 or not 2 <= length <= 254:
                    self.device.journal.write(transport="tcp", request=header.hex(), error="format")
                    return
                pdu = self._receive(conn, length - 1)
                if pdu is None:
                    return
                if not self._answer(conn, transaction, header + pdu, unit, pdu):
                    return
        except OSError:
            pass
        finally:
            conn.close()

    def _answer(self, conn, transaction, raw, unit, pdu):
        """Serves one request; False when the connection is to be closed."""
        received = time.time()
        request = Request("tcp", unit if self.unit is None else self.unit, pdu)
        outcome = self.device.handle(request)
        if self.unit is not None and outcome.reply is not None:
            outcome.reply = bytes((unit,)) + outcome.reply[1:]
        fault = outcome.fault
        kind = fault.kind if fault else None
        wire = None
        if outcome.reply is not None and kind not in ("drop", "reset"):
            length = len(outcome.reply)
            if kind == "tcp_length_overrun":
                length += int(fault.get("extra", 4))
            wire = struct.pack(">HHH", transaction, 0, length) + outcome.reply
        self.device.journal.write(
            time=received, transport="tcp", unit=unit, function=request.function,
            address=request.address, count=request.count, value=request.value, index=request.index, fault=kind,
            request=raw.hex(), reply=wire.hex() if wire is not None else None)
        if kind == "delay":
            time.sleep(float(fault.get("seconds", 2.0)))
        if kind == "reset":
            # Lingering for no time makes the close that follows a reset.
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        if wire is not None:
            conn.sendall(wire)
            note_late_answer(self.device.journal, received, float(fault.get("seconds", 2.0)) if kind == "delay" else 0.0)
        return kind not in ("drop", "reset")


class UdpResponder(threading.Thread):
    """Answers the "QVID?" search probe with the seven-line description."""

    def __init__(self, host, port, device, tcp_port, stopper):
        super().__init__(daemon=True)
        self.device = device
        self.tcp_port = tcp_port
        self.stopper = stopper
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind((host, port))
        self.sock.settimeout(POLL_S * 5)
        self.port = self.sock.getsockname()[1]

    def answer(self):
        search = self.device.profile.search
        if search.get("silent"):
            return None
        if "lines" in search:
            lines = [str(x) for x in search["lines"]]
        else:
            units = self.device.profile.units
            unit_id = int(search.get("unit", min(units) if units else 1))
            objects = units[unit_id].identification if unit_id in units else DEFAULT_IDENTIFICATION
            lines = [objects.get(0, ""), objects.get(1, ""), objects.get(2, ""),
                     str(search.get("device_text", "Quorvant test device")),
                     str(search.get("line4", "")),
                     str(search.get("port", self.tcp_port)),
                     str(search.get("unit_text", unit_id))]
        text = str(search.get("line_end", "\n")).join(lines).encode("latin-1", "replace")
        return text.ljust(int(search.get("pad_to", 0)), b" ")

    def run(self):
        while not self.stopper.stopped():
            try:
                data, sender = self.sock.recvfrom(2048)
            except socket.timeout:
                continue
            except OSError:
                break
            reply = self.answer() if data == SEARCH_PROBE else None
            self.device.journal.write(transport="udp", request=data.hex(), sender=sender[0],
                                      reply=reply.hex() if reply is not None else None)
            if reply is not None:
                self.sock.sendto(reply, sender)
        self.sock.close()


# ---------------------------------------------------------------- firmware bootloader

LOADER_ATTENTION = 0xFE
LOADER_ACK = 0x10
LOADER_FINAL_OK = 0x90
PASS_THROUGH_FUNCTION = 0x65


# The firmware file's CRC and layout are those of the file generator.
xmodem_crc = qvzgen.crc16_xmodem


def read_qvz(path):
    """Product id and record frames (data + CRC high, low) of a .qvz firmware file; the
    frames' CRCs are left for the protocol to check."""
    with open(path, "rb") as f:
        blob = f.read()
    try:
        _, product_id, _, frames, _ = qvzgen.read_frames(blob, path)
    except (ValueError, struct.error) as error:
        raise ValueError("unsupported firmware file: %s" % error)
    return product_id, frames


class Bootloader:
    """The device end of the loader protocol, fed with received bytes; returns what to
    write back. Script keys, all optional:
      passthrough          unit id: first wait for the controller's pass-through request
                           [unit, 0x65, CRC] and answer it (the meter path)
      attention_delay      seconds from the first 0xFE before answering (default 0)
      attention_responses  how many response bytes to send (default 1)
      attention_byte       response byte (default 0x00 below product id 5, else 0xAA)
      spurious             bytes sent just before the responses
      echo                 echo every received byte (a half-duplex line)
      echo_corrupt         {"record": n, "attempt": a}: that send's last echoed byte is
                           altered and no reply follows
      replies              {"<record from 1>": [reply per attempt, null for silence]};
                           unlisted sends get 0x10 when the frame matches, else 0x20
      final                final status byte, null for silence (default 0x90)
      answer_late          the attention answer reaches the line only after this many more
                           0xFE bytes have come: a far end that answers late, as a busy
                           machine makes it
    Attention bytes that crossed the answer on the line (0xFE before the first record
    byte, while the first record does not start with 0xFE) are journalled as
    "late_attention" and are not record data: a loader whose answer came late has sent
    them before it could see the answer.
    """

    def __init__(self, product_id, frames, script, journal):
        self.frames = frames
        self.script = script
        self.journal = journal
        self.state = "passthrough" if script.get("passthrough") else "attention"
        self.buffer = bytearray()
        self.first_attention = None
        self.record = 0
        self.attempt = 0
        default_response = 0x00 if product_id < 5 else 0xAA
        self.response = int(script.get("attention_byte", default_response))
        self.delayed = None   # (monotonic time, bytes) to write without a received byte
        self.held_answer = None
        self.late_answer_after = 0

    def due(self, now):
        """Bytes whose time has come."""
        if self.delayed is None or now < self.delayed[0]:
            return b""
        out = self.delayed[1]
        self.delayed = None
        return out

    def feed(self, data, now):
        """Bytes to write back for data received at monotonic time now."""
        out = bytearray()
        for byte in data:
            out += self._take(byte, now)
        return bytes(out)

    def _take(self, byte, now):
        echo = bytes((byte,)) if self.script.get("echo") else b""
        if self.state == "passthrough":
            self.buffer.append(byte)
            if len(self.buffer) < 4:
                return b""
            frame = bytes(self.buffer)
            self.buffer.clear()
            unit = int(self.script["passthrough"])
            ok = frame[0] == unit and frame[1] == PASS_THROUGH_FUNCTION and crc16(frame) == 0
            self.journal.write(transport="bootloader", event="passthrough", request=frame.hex(), ok=ok)
            if ok:
                self.state = "attention"
                return frame
            return b""
        if self.state == "attention":
            if byte != LOADER_ATTENTION:
                return echo
            if self.first_attention is None:
                self.first_attention = now
            if now - self.first_attention < float(self.script.get("attention_delay", 0)):
                return echo
            self.state = "answered"
            self.journal.write(transport="bootloader", event="attention")
            answer = bytes(self.script.get("spurious", []))
            answer += bytes((self.response,)) * int(self.script.get("attention_responses", 1))
            self.late_answer_after = int(self.script.get("answer_late", 0))
            if self.late_answer_after > 0:
                self.held_answer = answer
                return echo
            return echo + self._answered(answer, now)
        if self.state == "answered":
            first = self.frames[0][:1] if self.frames else b""
            if byte == LOADER_ATTENTION and first != bytes((LOADER_ATTENTION,)):
                self.journal.write(transport="bootloader", event="late_attention")
                if self.held_answer is not None:
                    self.late_answer_after -= 1
                    if self.late_answer_after <= 0:
                        answer, self.held_answer = self.held_answer, None
                        return echo + self._answered(answer, now)
                return echo
            self.state = "records"
        if self.state == "records":
            self.buffer.append(byte)
            expected = self.frames[self.record] if self.record < len(self.frames) else b""
            if len(self.buffer) < len(expected):
                return echo
            return self._record_done(echo)
        return echo

    def _answered(self, answer, now):
        if not self.frames:
            # The loader clears its queue after the attention answer: with no record to
            # come, the final status follows after a pause.
            self.delayed = (now + 0.3, self._final())
        return answer

    def _record_done(self, echo):
        frame = bytes(self.buffer)
        self.buffer.clear()
        match = frame == self.frames[self.record] and xmodem_crc(frame[:-2]) == int.from_bytes(frame[-2:], "big")
        number = self.record + 1
        corrupt = self.script.get("echo_corrupt")
        if echo and corrupt and int(corrupt["record"]) == number and int(corrupt["attempt"]) == self.attempt + 1:
            echo = bytes((echo[0] ^ 0xFF,))
            reply = None
        else:
            planned = self.script.get("replies", {}).get(str(number), [])
            reply = planned[self.attempt] if self.attempt < len(planned) else LOADER_ACK
            if reply == LOADER_ACK and not match:
                reply = 0x20
        self.journal.write(transport="bootloader", event="record", record=number,
                           attempt=self.attempt + 1, match=match, reply=reply)
        out = echo + (bytes((reply,)) if reply is not None else b"")
        if reply == LOADER_ACK:
            self.record += 1
            self.attempt = 0
        else:
            self.attempt += 1
        if self.record >= len(self.frames):
            out += self._final()
        return out

    def _final(self):
        self.state = "done"
        final = self.script.get("final", LOADER_FINAL_OK)
        self.journal.write(transport="bootloader", event="final", status=final)
        return bytes((final,)) if final is not None else b""


class BootloaderLine(SerialLine):
    """A pty end that runs the bootloader; every received chunk goes to the journal with
    its arrival time."""

    def __init__(self, path, bootloader, stopper):
        super().__init__(path, "bootloader", None, stopper)
        self.bootloader = bootloader

    def run(self):
        while not self.stopper.stopped():
            readable, _, _ = select.select([self.fd], [], [], POLL_S)
            self._write(self.bootloader.due(time.monotonic()))
            if not readable:
                continue
            try:
                data = os.read(self.fd, 1024)
            except (BlockingIOError, InterruptedError):
                continue
            except OSError:
                time.sleep(POLL_S)   # the other end closed; it may reopen
                continue
            if not data:
                continue
            self.bootloader.journal.write(transport="bootloader", event="rx", data=data.hex())
            self._write(self.bootloader.feed(data, time.monotonic()))
        os.close(self.fd)

    def _write(self, data):
        if data:
            try:
                os.write(self.fd, data)
            except OSError:
                pass   # nobody reads the other end


# ---------------------------------------------------------------- program

def write_port_file(path, tcp_port, udp_port, unit_ports=()):
    temporary = path + ".tmp"
    with open(temporary, "w") as f:
        f.write("%d\n%d\n" % (tcp_port, udp_port))
        for unit, port in unit_ports:
            f.write("unit %d %d\n" % (unit, port))
    os.replace(temporary, path)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        description="Modbus test device: RTU and ASCII on pty ends, Modbus/TCP on loopback, "
                    "and the UDP search responder. The profile format is in the module text "
                    "(python3 -c 'import qvdevice; help(qvdevice)').")
    parser.add_argument("--profile", help="JSON profile: units, registers, identification, faults")
    parser.add_argument("--rtu", action="append", default=[], metavar="PATH",
                        help="serve Modbus RTU on this pty end (may be repeated)")
    parser.add_argument("--ascii", action="append", default=[], metavar="PATH",
                        help="serve Modbus ASCII on this pty end (may be repeated)")
    parser.add_argument("--tcp-port", type=int, help="serve Modbus/TCP on this port (0: any free)")
    parser.add_argument("--tcp-host", default="127.0.0.1", help="address for Modbus/TCP")
    parser.add_argument("--udp-port", type=int, help="answer the search probe on this UDP port")
    parser.add_argument("--udp-bind", default="127.0.0.1", help="address for the UDP responder")
    parser.add_argument("--port-file", help="written when ready: TCP port, then UDP port (0: none)")
    parser.add_argument("--journal", help="append one JSON line per request to this file")
    parser.add_argument("--bootloader", metavar="PATH",
                        help="run the firmware bootloader on this pty end (needs --firmware)")
    parser.add_argument("--firmware", help="the .qvz file the bootloader expects")
    parser.add_argument("--script", help="JSON script of the bootloader (see Bootloader)")
    parser.add_argument("--lifetime", type=float, default=900.0,
                        help="seconds after which the device ends by itself (default 900)")
    parser.add_argument("--site", type=int, choices=(7, 16),
                        help="play the simulated site of 7 or 16 devices instead of a profile (qvsite)")
    parser.add_argument("--day-seconds", type=float, default=300.0,
                        help="real seconds of one day of the site (default 300)")
    parser.add_argument("--history-days", type=int, default=14, help="days of log the site starts with")
    parser.add_argument("--serial-base", type=int, default=0,
                        help="the site's serials count from this + 1 (default 0: DEMO0001, ...)")
    parser.add_argument("--devices-xml", default=DEFAULT_DEVICES_XML, help="the description file of the site")
    parser.add_argument("--unit-tcp-base", type=int, metavar="PORT",
                        help="each unit also on a Modbus/TCP port of its own: PORT, PORT+1, ... in unit "
                             "order (0: any free ports); the port file lists them as 'unit ID PORT'")
    parser.add_argument("--fault", nargs=2, action="append", default=[], metavar=("UNIT", "JSON"),
                        help="adds a fault (a JSON object, as in a profile's \"faults\") to that unit, "
                             "also of a --site profile; a \"while_file\" name is taken from the working folder")
    args = parser.parse_args(argv)
    if args.site and args.profile:
        parser.error("--site and --profile exclude each other")
    return args


def load_profile(args):
    if args.site:
        profile = Profile(qvsite.site_profile(args.site, args.devices_xml, args.day_seconds, args.history_days,
                                              args.serial_base))
    else:
        profile = Profile.load(args.profile)
    for unit, entry in args.fault:
        profile.units[int(unit)].faults.append(Fault(json.loads(entry), os.getcwd()))
    return profile


def main(argv=None):
    args = parse_arguments(argv)
    try:
        profile = load_profile(args)
    except (OSError, ValueError, KeyError, TypeError, IndexError, ElementTree.ParseError) as error:
        print("qvdevice: bad profile %s: %s" % (args.profile, error), file=sys.stderr)
        return 2
    journal = Journal(args.journal)
    device = ModbusDevice(profile, journal)
    stopper = Stopper(args.lifetime)

    def stop(signum, frame):
        stopper.event.set()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    threads = [SerialLine(path, "rtu", device, stopper) for path in args.rtu]
    if args.bootloader:
        try:
            product_id, frames = read_qvz(args.firmware)
            script = {}
            if args.script:
                with open(args.script, encoding="utf-8") as f:
                    script = json.load(f)
        except (OSError, TypeError, ValueError, struct.error) as error:
            print("qvdevice: bad firmware or script: %s" % error, file=sys.stderr)
            return 2
        threads.append(BootloaderLine(args.bootloader, Bootloader(product_id, frames, script, journal), stopper))
    threads += [SerialLine(path, "ascii", device, stopper) for path in args.ascii]
    tcp_port = udp_port = 0
    if args.tcp_port is not None:
        tcp = TcpServer(args.tcp_host, args.tcp_port, device, stopper)
        tcp_port = tcp.port
        threads.append(tcp)
    if args.udp_port is not None:
        udp = UdpResponder(args.udp_bind, args.udp_port, device, tcp_port, stopper)
        udp_port = udp.port
        threads.append(udp)
    unit_ports = []
    if args.unit_tcp_base is not None:
        for index, unit in enumerate(sorted(profile.units)):
            port = args.unit_tcp_base + index if args.unit_tcp_base else 0
            try:
                server = TcpServer(args.tcp_host, port, device, stopper, unit=unit)
            except OSError as error:
                print("qvdevice: TCP port %d for unit %d: %s" % (port, unit, error), file=sys.stderr)
                return 2
            unit_ports.append((unit, server.port))
            threads.append(server)
    for thread in threads:
        thread.start()
    if args.port_file:
        write_port_file(args.port_file, tcp_port, udp_port, unit_ports)
    while not stopper.stopped():
        stopper.event.wait(0.2)
    for thread in threads:
        thread.join(2.0)
    journal.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
