"""Tests of the test device: checksums, the application layer, each transport over real
ptys and loopback sockets, the faults, the journal, and a check with pymodbus's client."""
import json
import os
import select
import socket
import struct
import subprocess
import sys
import tempfile
import time
import tty
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import qvdevice  # noqa: E402

PYTHON = "/usr/bin/python3"
START_WAIT_S = 10.0


def make_device(profile):
    return qvdevice.ModbusDevice(qvdevice.Profile(profile), qvdevice.Journal(None))


def ask(device, unit, pdu, transport="rtu"):
    return device.handle(qvdevice.Request(transport, unit, bytes(pdu)))


def read_pdu(function, address, count):
    return struct.pack(">BHH", function, address, count)


class ChecksumTest(unittest.TestCase):
    def test_crc_vectors(self):
        self.assertEqual(qvdevice.crc16(b"123456789"), 0x4B37)
        self.assertEqual(qvdevice.rtu_frame(bytes.fromhex("010300000001")).hex(), "010300000001840a")
        self.assertEqual(qvdevice.rtu_frame(bytes.fromhex("018302")).hex(), "018302c0f1")
        # An intact frame, its own CRC included, sums to a CRC of 0.
        self.assertEqual(qvdevice.crc16(bytes.fromhex("010300000001840a")), 0)

    def test_lrc_and_ascii_frame(self):
        self.assertEqual(qvdevice.lrc(bytes.fromhex("010300000001")), 0xFB)
        self.assertEqual(qvdevice.lrc(b""), 0)
        self.assertEqual(qvdevice.ascii_frame(bytes.fromhex("01030000000a")), b":01030000000AF2\r\n")
        self.assertEqual(qvdevice.ascii_frame(bytes.fromhex("01030000000a"), lower=True),
                         b":01030000000af2\r\n")

    def test_rtu_request_lengths(self):
        length = qvdevice.rtu_request_length
        self.assertEqual(length(b"\x01"), 0)
        self.assertEqual(length(b"\x01\x03"), 8)
        self.assertEqual(length(b"\x01\x06"), 8)
        self.assertEqual(length(b"\x01\x2b"), 0)
        self.assertEqual(length(b"\x01\x2b\x0e"), 7)
        self.assertEqual(length(b"\x01\x10\x00\x00\x00\x02"), 0)
        self.assertEqual(length(b"\x01\x10\x00\x00\x00\x02\x04"), 13)
        self.assertIsNone(length(b"\x01\x41"))


class ApplicationLayerTest(unittest.TestCase):
    PROFILE = {"units": {
        "1": {"holding": {"0": [1, 2, 3], "0x10": {"sequence": [7, 8]},
                          "0x11": {"counter": 65535, "step": 1}, "20": -1},
              "input": {"5": 500}, "coils": {"3": False}},
        "2": {"identification": {"0": "Other Vendor", "2": None}},
    }}

    def setUp(self):
        self.device = make_device(self.PROFILE)

    def test_register_reads(self):
        self.assertEqual(ask(self.device, 1, read_pdu(3, 0, 3)).reply.hex(), "010306000100020003")
        self.assertEqual(ask(self.device, 1, read_pdu(4, 5, 1)).reply.hex(), "01040201f4")
        self.assertEqual(ask(self.device, 1, read_pdu(3, 20, 1)).reply.hex(), "010302ffff")

    def test_changing_values_advance_per_read(self):
        seen = [ask(self.device, 1, read_pdu(3, 0x10, 2)).reply[3:] for _ in range(3)]
        self.assertEqual([struct.unpack(">HH", s) for s in seen], [(7, 65535), (8, 0), (7, 1)])

    def test_protocol_exceptions(self):
        self.assertEqual(ask(self.device, 1, read_pdu(3, 2, 2)).reply.hex(), "018302")   # runs past the map
        self.assertEqual(ask(self.device, 1, read_pdu(4, 0, 1)).reply.hex(), "018402")   # input, not holding
        self.assertEqual(ask(self.device, 1, read_pdu(3, 0, 0)).reply.hex(), "018303")
        self.assertEqual(ask(self.device, 1, read_pdu(3, 0, 126)).reply.hex(), "018303")
        self.assertEqual(ask(self.device, 1, b"\x10\x00\x00\x00\x01\x02\x00\x05").reply.hex(), "019001")
        self.assertEqual(ask(self.device, 1, b"\x2b\x0d\x01\x00").reply.hex(), "01ab01")
        self.assertEqual(ask(self.device, 1, b"\x2b\x0e\x05\x00").reply.hex(), "01ab03")
        self.assertEqual(ask(self.device, 1, read_pdu(5, 3, 0x1234)).reply.hex(), "018503")
        self.assertEqual(ask(self.device, 1, read_pdu(5, 4, 0xFF00)).reply.hex(), "018502")
        self.assertEqual(ask(self.device, 1, read_pdu(6, 99, 1)).reply.hex(), "018602")

    def test_writes_echo_and_store(self):
        self.assertEqual(ask(self.device, 1, read_pdu(6, 0x10, 0xABCD)).reply.hex(), "01060010abcd")
        # The written value replaces the sequence.
        for _ in range(2):
            self.assertEqual(ask(self.device, 1, read_pdu(3, 0x10, 1)).reply.hex(), "010302abcd")
        self.assertEqual(ask(self.device, 1, read_pdu(5, 3, 0xFF00)).reply.hex(), "01050003ff00")
        self.assertTrue(self.device.profile.units[1].coils[3])

    def test_unknown_unit_silent_on_serial_exception_on_tcp(self):
        self.assertIsNone(ask(self.device, 9, read_pdu(3, 0, 1)).reply)
        self.assertEqual(ask(self.device, 9, read_pdu(3, 0, 1), "tcp").reply.hex(), "09830b")
        silent = make_device({"units": {"1": {}}, "tcp_unknown_unit": "silence"})
        self.assertIsNone(ask(silent, 9, read_pdu(3, 0, 1), "tcp").reply)

    def test_identification(self):
        reply = ask(self.device, 1, b"\x2b\x0e\x01\x00").reply
        self.assertEqual(reply[:8].hex(), "012b0e0181000003")
        self.assertEqual(reply[8:], b"\x00\x0eQuorvant Corp.\x01\x07QV-1000\x02\x041.00")
        # Two of three objects, the vendor overridden.
        reply = ask(self.device, 2, b"\x2b\x0e\x01\x00").reply
        self.assertEqual(reply[7], 2)
        self.assertEqual(reply[8:], b"\x00\x0cOther Vendor\x01\x07QV-1000")
        # One object by itself; an object that does not exist.
        self.assertEqual(ask(self.device, 1, b"\x2b\x0e\x04\x02").reply[6:], b"\x00\x01\x02\x041.00")
        self.assertEqual(ask(self.device, 2, b"\x2b\x0e\x04\x02").reply.hex(), "02ab02")
        # A stream from an unknown start begins again at object 0.
        self.assertEqual(ask(self.device, 1, b"\x2b\x0e\x01\x09").reply[7], 3)

    def test_long_identification_is_split(self):
        device = make_device({"units": {"1": {"identification": {"0": "V" * 120, "1": "P" * 120,
                                                                  "2": "R" * 40}}}})
        reply = ask(device, 1, b"\x2b\x0e\x01\x00").reply
        self.assertLessEqual(len(reply) - 1, 253)
        self.assertEqual((reply[5], reply[6], reply[7]), (0xFF, 2, 2))
        rest = ask(device, 1, b"\x2b\x0e\x01\x02").reply
        self.assertEqual((rest[5], rest[7]), (0, 1))


class FaultMatchingTest(unittest.TestCase):
    def test_index_function_address_and_times(self):
        device = make_device({"units": {"1": {"holding": {"0": [5, 6]}, "faults": [
            {"kind": "silence", "index": [1, 3]},
            {"kind": "exception", "code": 6, "function": 3, "address": 1, "times": 2},
            {"kind": "bad_crc"},
        ]}}})
        replies = [ask(device, 1, read_pdu(3, 1, 1)).reply for _ in range(5)]
        self.assertEqual([r.hex() if r else None for r in replies],
                         ["018306", None, "018306", None, "01030200" + "06"])
        # A fault of another transport does not fire.
        self.assertIsNone(ask(device, 1, read_pdu(3, 0, 1), "tcp").fault)
        self.assertEqual(ask(device, 1, read_pdu(3, 0, 1), "rtu").fault.kind, "bad_crc")

    def test_input_served_from_holding_and_faults_from_an_index_on(self):
        device = make_device({"units": {"1": {
            "holding": {"0xE000": [5, 6]}, "input": "holding",
            "faults": [{"kind": "silence", "from": 3}]}}})
        self.assertEqual(ask(device, 1, read_pdu(4, 0xE000, 2)).reply.hex(), "010404" "00050006")
        self.assertEqual(ask(device, 1, struct.pack(">BHH", 6, 0xE001, 9)).reply.hex(), "0106e0010009")
        self.assertEqual(ask(device, 1, read_pdu(4, 0xE001, 1)).reply.hex(), "0104020009")
        for _ in range(3):
            self.assertIsNone(ask(device, 1, read_pdu(4, 0xE000, 1)).reply)

    def test_faults_once_a_number_of_writes_was_carried_out(self):
        device = make_device({"units": {"1": {"holding": {"0": [0, 0]}, "faults": [
            {"kind": "exception", "function": 6, "address": 1, "times": 1},
            {"kind": "silence", "after_writes": 2}]}}})

        def write(address):
            return ask(device, 1, struct.pack(">BHH", 6, address, 7)).reply

        # A refused write is not carried out and does not count.
        self.assertEqual([write(1), write(0), ask(device, 1, read_pdu(3, 0, 1)).reply, write(1)],
                         [bytes.fromhex("018604"), bytes.fromhex("01060000" "0007"), bytes.fromhex("0103020007"),
                          bytes.fromhex("01060001" "0007")])
        self.assertEqual([write(0), ask(device, 1, read_pdu(3, 0, 1)).reply], [None, None])

    def test_a_fault_at_the_read_after_a_number_of_answered_reads(self):
        device = make_device({"units": {"1": {"holding": {"0": [1, 2, 3]}, "input": "holding", "faults": [
            {"kind": "exception", "code": 2, "function": 4, "at_read": 2}]}}})

        def read(address):
            return ask(device, 1, read_pdu(4, address, 1)).reply

        # A read the unit cannot answer (an address it lacks) does not count; writes and
        # identification do not count either.
        self.assertEqual(ask(device, 1, read_pdu(4, 7, 1)).reply, bytes.fromhex("018402"))
        self.assertEqual(ask(device, 1, struct.pack(">BHH", 6, 2, 9)).reply, bytes.fromhex("01060002" "0009"))
        # The third read is refused however often it is tried; once another read was
        # answered the fault is past.
        refused = bytes.fromhex("018402")
        self.assertEqual([read(0), read(1), read(2), read(2), read(2)],
                         [bytes.fromhex("0104020001"), bytes.fromhex("0104020002"), refused, refused, refused])
        self.assertEqual(ask(device, 1, read_pdu(3, 0, 1)).reply, bytes.fromhex("0103020001"))
        self.assertEqual(read(2), bytes.fromhex("0104020009"))

    def test_a_fault_fires_only_while_its_file_exists(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "profile.json")
            with open(path, "w") as f:
                json.dump({"units": {"1": {"holding": {"0": 5}, "faults": [
                    {"kind": "silence", "while_file": "silent"}]}}}, f)
            device = qvdevice.ModbusDevice(qvdevice.Profile.load(path), qvdevice.Journal(None))
            switch = os.path.join(folder, "silent")
            self.assertIsNotNone(ask(device, 1, read_pdu(3, 0, 1)).reply)
            open(switch, "w").close()
            self.assertIsNone(ask(device, 1, read_pdu(3, 0, 1)).reply)
            os.unlink(switch)
            self.assertIsNotNone(ask(device, 1, read_pdu(3, 0, 1)).reply)

    def test_wrong_unit_and_short_reply(self):
        device = make_device({"units": {"4": {"holding": {"0": [1, 2, 3]}, "faults": [
            {"kind": "wrong_unit", "index": 0},
            {"kind": "short_reply", "index": 1},
            {"kind": "short_reply", "index": 2, "words": 1, "byte_count": 6},
        ]}}})
        self.assertEqual(ask(device, 4, read_pdu(3, 0, 1)).reply.hex(), "05030200" + "01")
        self.assertEqual(ask(device, 4, read_pdu(3, 0, 3)).reply.hex(), "04030400010002")
        self.assertEqual(ask(device, 4, read_pdu(3, 0, 3)).reply.hex(), "0403060001")

    def test_exceptions_of_another_unit_or_function(self):
        device = make_device({"units": {"27": {"holding": {"0": [1]}, "faults": [
            {"kind": "exception", "code": 2, "unit": 28, "index": 0},
            {"kind": "exception", "code": 2, "reply_function": 0x84, "index": 1},
            {"kind": "exception", "code": 3, "unit": 28, "function": 6},
        ]}}})
        self.assertEqual(ask(device, 27, read_pdu(3, 0, 1)).reply.hex(), "1c8302")
        self.assertEqual(ask(device, 27, read_pdu(3, 0, 1)).reply.hex(), "1b8402")
        self.assertEqual(ask(device, 27, read_pdu(6, 0, 9)).reply.hex(), "1c8603")
        self.assertEqual(ask(device, 27, read_pdu(3, 0, 1)).reply.hex(), "1b03020001")

    def test_bad_profiles_are_refused(self):
        for profile in ({"units": {"1": {"faults": [{"kind": "nonsense"}]}}},
                        {"units": {"1": {"holding": {"0": 70000}}}},
                        {"units": {"1": {"holding": {"0x10000": 1}}}},
                        {"units": {"300": {}}}):
            with self.assertRaises(ValueError, msg=json.dumps(profile)):
                qvdevice.Profile(profile)


DESCRIPTION = """<?xml version="1.0"?>
<devices>
  <device name="Other" model="9" type="9" set="1" defaultModbusAddr="1" skelderType="255">
    <identity><productCode>OT-1</productCode></identity>
  </device>
  <device name="Box" model="1" type="2" set="1" defaultModbusAddr="1" skelderType="255">
    <identity><productCode>BX-1</productCode><outputRegister address="0x0030">7</outputRegister></identity>
    <identity><productCode>BX-2</productCode><outputRegister address="0x0030">010</outputRegister></identity>
    <variable name="Volts" id="1" description="" units="V" min="0" max="80" scaling="0.01" addressLow="0x0001" addressHigh="-1"/>
    <variable name="Temp" id="2" description="" units="C" min="-128" max="127" scaling="1" addressLow="2" addressHigh="-1"/>
    <variable name="State" id="3" description="" units="" min="0" max="9" scaling="1" addressLow="3" addressHigh="-1">
      <translation value="4">B</translation><translation value="2">A</translation>
      <translation value="default">?</translation>
    </variable>
    <variable name="Alarms" id="4" description="" units="" min="0" max="1e9" scaling="1" addressLow="4" addressHigh="5" bitfield="1">
      <translation value="0x10000">X</translation>
    </variable>
    <variable name="hourmeter" id="5" description="" units="h" min="0" max="1e7" scaling="0.1" addressLow="6" addressHigh="7"/>
    <coil name="C" address="0x0003" writable="1" readable="1"/>
    <hardwareinfo name="Serial Number" address="0x1000" width="5" format="ascii"/>
    <hardwareinfo name="Model Text" address="0x1005" width="1" format="ascii"/>
    <hardwareinfo name="IP" address="0x1006" width="2" format="ip"/>
    <hardwareinfo name="MAC" address="0x1008" width="3" format="hexascii"/>
    <hardwareinfo name="Flag" address="0x100B" width="1" format="boolean"/>
    <loggeddata><buffer start="32768" stop="32777" endpointer="32"><record/></buffer></loggeddata>
  </device>
</devices>
"""


class DescribedDeviceTest(unittest.TestCase):
    """A unit that stands for a device of a description file."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.xml = os.path.join(self.dir.name, "devices.xml")
        with open(self.xml, "w") as f:
            f.write(DESCRIPTION)

    def tearDown(self):
        self.dir.cleanup()

    def words(self, device, address, count):
        reply = ask(device, 1, read_pdu(3, address, count)).reply
        self.assertEqual(reply[1], 3, reply.hex())
        return list(struct.unpack(">%dH" % count, reply[3:]))

    def test_registers_identity_and_overrides(self):
        device = make_device({"units": {"1": {
            "device": {"xml": self.xml, "name": "Box", "identity": 1, "serial": "QV9"},
            "holding": {"0x0002": 99}, "coils": {"3": True}}}})
        unit = device.profile.units[1]
        self.assertEqual(unit.identification[1], "BX-2")
        self.assertEqual(unit.identification[0], "Quorvant Corp.")
        self.assertEqual(self.words(device, 0x30, 1), [8])             # octal 010
        # Volts a quarter up its range, the override, the lowest translation, an empty
        # bit field over two registers, 1234 hours at 0.1 h per count.
        self.assertEqual(self.words(device, 1, 7), [2000, 99, 2, 0, 0, 12340, 0])
        self.assertEqual(self.words(device, 0x1000, 12),
                         [ord("Q") | ord("V") << 8, ord("9"), 0, 0, 0, ord("A") | ord("1") << 8,
                          192, 2 | 10 << 8, 0x1E00, 0x12C0, 0x5634, 1])
        self.assertEqual(self.words(device, 0x8000, 10), [0xFFFF] * 10)
        self.assertEqual(self.words(device, 0x20, 1), [9])
        self.assertTrue(unit.coils[3])
        # A signed range takes a fifth of its top; the default identity is the first.
        device = make_device({"units": {"1": {"device": {"xml": self.xml, "name": "Box"}}}})
        self.assertEqual(self.words(device, 2, 1), [25])
        self.assertEqual(self.words(device, 0x30, 1), [7])
        self.assertEqual(device.profile.units[1].identification[1], "BX-1")
        self.assertFalse(device.profile.units[1].coils[3])
        with self.assertRaises(ValueError):
            qvdevice.Profile({"units": {"1": {"device": {"xml": self.xml, "name": "Missing"}}}})

    def test_every_shipped_device_serves_its_variables(self):
        shipped = os.path.join(HERE, "..", "..", "res", "devices.xml")
        root = qvdevice.ElementTree.parse(shipped).getroot()
        names = [d.get("name") for d in root.findall("device")]
        self.assertGreaterEqual(len(names), 8)
        for element in root.findall("device"):
            device = make_device({"units": {"1": {"device": {"xml": shipped, "name": element.get("name")}}}})
            for variable in element.findall("variable"):
                for key in ("addressLow", "addressHigh"):
                    address = qvdevice.c_integer(variable.get(key))
                    if address >= 0:
                        self.words(device, address, 1)
            product = device.profile.units[1].identification[1]
            self.assertIn(product, [p.text for p in element.iter("productCode")])


class DeviceProcess:
    """The device as its own program, as the tests of the system start it."""

    def __init__(self, profile, extra_args=(), rtu=(), ascii_paths=()):
        self.dir = tempfile.TemporaryDirectory()
        self.profile_path = os.path.join(self.dir.name, "profile.json")
        self.journal_path = os.path.join(self.dir.name, "journal.jsonl")
        port_file = os.path.join(self.dir.name, "ports")
        with open(self.profile_path, "w") as f:
            json.dump(profile, f)
        argv = [PYTHON, os.path.join(HERE, "qvdevice.py"), "--profile", self.profile_path,
                "--journal", self.journal_path, "--port-file", port_file, "--lifetime", "120"]
        for path in rtu:
            argv += ["--rtu", path]
        for path in ascii_paths:
            argv += ["--ascii", path]
        self.proc = subprocess.Popen(argv + list(extra_args), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
        deadline = time.monotonic() + START_WAIT_S
        while not os.path.exists(port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.close()
                raise RuntimeError("device did not start")
            time.sleep(0.02)
        with open(port_file) as f:
            lines = f.read().splitlines()
        self.tcp_port, self.udp_port = int(lines[0]), int(lines[1])
        # A device with a Modbus/TCP port per unit lists them after.
        self.unit_ports = {int(line.split()[1]): int(line.split()[2]) for line in lines[2:]}

    def journal(self):
        with open(self.journal_path) as f:
            # A line still being written has no line end yet.
            return [json.loads(line) for line in f if line.endswith("\n")]

    def wait_journal(self, count, timeout_s=3.0):
        deadline = time.monotonic() + timeout_s
        entries = self.journal()
        while len(entries) < count and time.monotonic() < deadline:
            time.sleep(0.02)
            entries = self.journal()
        return entries

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(5)
        self.proc.stderr.close()
        self.dir.cleanup()


def read_until(fd, size, timeout_s):
    """Reads from fd until size bytes came or the time is up."""
    data = b""
    deadline = time.monotonic() + timeout_s
    while len(data) < size:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        readable, _, _ = select.select([fd], [], [], left)
        if readable:
            data += os.read(fd, 1024)
    return data


class SerialCase(unittest.TestCase):
    MODE = "rtu"
    PROFILE = {"units": {
        "1": {"holding": {"0": [0x1234, 0x5678]},
              "faults": [{"kind": "swapped_crc", "address": 100}, {"kind": "bad_crc", "address": 101},
                         {"kind": "lower_case", "address": 100}, {"kind": "bad_lrc", "address": 101},
                         {"kind": "delay", "seconds": 0.5, "address": 102},
                         {"kind": "trailing", "bytes": 10, "address": 103},
                         {"kind": "stall", "bytes": 3, "seconds": 0.4, "address": 104}]},
        "2": {"holding": {"100": [1, 2, 3]}, "faults": [{"kind": "silence", "index": 0}]},
        "3": {"holding": {"0": [7, 8]}, "faults": [{"kind": "late", "seconds": 1.0, "index": 0},
                                                  {"kind": "late", "seconds": 0.1, "index": 1}]},
    }}

    def setUp(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.master)
        path = os.ttyname(self.slave)
        kwargs = {"rtu": [path]} if self.MODE == "rtu" else {"ascii_paths": [path]}
        self.device = DeviceProcess(self.PROFILE, **kwargs)

    def tearDown(self):
        self.device.close()
        os.close(self.master)
        os.close(self.slave)

    def assert_unanswered(self, entries_before):
        """Waits for the journal entry of the request just sent; the device journals
        before it answers, so with the entry there and no reply in it the line is quiet."""
        entries = self.device.wait_journal(entries_before + 1)
        self.assertEqual(len(entries), entries_before + 1)
        self.assertIsNone(entries[-1].get("reply"))
        self.assertEqual(select.select([self.master], [], [], 0)[0], [])


class RtuTest(SerialCase):
    def exchange(self, adu, reply_size, timeout_s=2.0):
        os.write(self.master, qvdevice.rtu_frame(adu))
        return read_until(self.master, reply_size, timeout_s)

    def test_read_and_write(self):
        self.assertEqual(self.exchange(b"\x01" + read_pdu(3, 0, 2), 9),
                         qvdevice.rtu_frame(bytes.fromhex("01030412345678")))
        self.assertEqual(self.exchange(b"\x01" + read_pdu(6, 1, 7), 8),
                         qvdevice.rtu_frame(b"\x01" + read_pdu(6, 1, 7)))
        reply = self.exchange(b"\x01\x2b\x0e\x01\x00", 200, timeout_s=0.5)
        self.assertEqual(qvdevice.crc16(reply), 0)
        self.assertIn(b"Quorvant Corp.", reply)

    def test_frame_written_in_pieces_and_two_units(self):
        frame = qvdevice.rtu_frame(b"\x02" + read_pdu(3, 101, 2))
        for byte in frame:
            os.write(self.master, bytes((byte,)))
            time.sleep(0.005)
        self.assert_unanswered(0)   # unit 2 is silent once
        os.write(self.master, frame)
        self.assertEqual(read_until(self.master, 9, 2.0), qvdevice.rtu_frame(bytes.fromhex("02030400020003")))

    def test_silence_for_unknown_unit_and_damaged_request(self):
        os.write(self.master, qvdevice.rtu_frame(b"\x07" + read_pdu(3, 0, 1)))
        self.assert_unanswered(0)
        damaged = bytearray(qvdevice.rtu_frame(b"\x01" + read_pdu(3, 0, 1)))
        damaged[-1] ^= 1
        os.write(self.master, damaged)
        self.assert_unanswered(1)
        # The line recovers for the next request.
        self.assertEqual(len(self.exchange(b"\x01" + read_pdu(3, 0, 1), 7)), 7)
        errors = [e for e in self.device.journal() if e.get("error")]
        self.assertEqual([(e["error"], e["request"]) for e in errors], [("crc", damaged.hex())])

    def test_checksum_faults_and_exception(self):
        good = qvdevice.rtu_frame(bytes.fromhex("018302"))
        self.assertEqual(self.exchange(b"\x01" + read_pdu(3, 100, 1), 5), good[:3] + good[4:2:-1])
        reply = self.exchange(b"\x01" + read_pdu(3, 101, 1), 5)
        self.assertEqual(reply[:3], good[:3])
        self.assertNotEqual(qvdevice.crc16(reply), 0)
        self.assertEqual(self.exchange(b"\x01\x41\x00", 5), qvdevice.rtu_frame(bytes.fromhex("01c101")))

    def test_delay_and_arrival_time_in_journal(self):
        started = time.monotonic()
        asked_at = time.time()
        reply = self.exchange(b"\x01" + read_pdu(3, 102, 1), 5)
        answered_at = time.time()
        self.assertGreaterEqual(time.monotonic() - started, 0.45)
        self.assertEqual(reply, qvdevice.rtu_frame(bytes.fromhex("018302")))
        # The journal tells when the request came, not when the late reply went: the
        # 0.5 s delay lies between the two.
        logged = self.device.journal()[0]
        self.assertEqual(logged["fault"], "delay")
        self.assertGreaterEqual(logged["time"], asked_at)
        self.assertGreaterEqual(answered_at - logged["time"], 0.45)

    def test_late_replies_go_out_when_due_and_in_turn_while_requests_keep_coming(self):
        first = b"\x03" + read_pdu(3, 0, 1)
        second = b"\x03" + read_pdu(3, 1, 1)
        third = b"\x03" + read_pdu(3, 0, 1)
        started = time.monotonic()
        os.write(self.master, qvdevice.rtu_frame(first))
        self.device.wait_journal(1)
        os.write(self.master, qvdevice.rtu_frame(second))
        # Another unit answers at once; the second request, due 0.1 s after it came, and the
        # third, not late at all, are answered in their turn, after the first.
        os.write(self.master, qvdevice.rtu_frame(b"\x01" + read_pdu(3, 0, 1)))
        self.assertEqual(read_until(self.master, 7, 5.0), qvdevice.rtu_frame(bytes.fromhex("0103021234")))
        self.assertLess(time.monotonic() - started, 0.95)
        os.write(self.master, qvdevice.rtu_frame(third))
        self.assertEqual(read_until(self.master, 21, 5.0),
                         qvdevice.rtu_frame(bytes.fromhex("0303020007")) +
                         qvdevice.rtu_frame(bytes.fromhex("0303020008")) + qvdevice.rtu_frame(bytes.fromhex("0303020007")))
        self.assertGreaterEqual(time.monotonic() - started, 0.95)
        self.assertEqual([e["fault"] for e in self.device.wait_journal(4)], ["late", "late", None, None])

    def test_trailing_bytes_and_a_stalled_reply_that_a_request_collides_with(self):
        exception = qvdevice.rtu_frame(bytes.fromhex("018302"))
        self.assertEqual(self.exchange(b"\x01" + read_pdu(3, 103, 1), 15), exception + b"\x55" * 10)

        os.write(self.master, qvdevice.rtu_frame(b"\x01" + read_pdu(3, 104, 1)))
        self.assertEqual(read_until(self.master, 3, 2.0), exception[:3])
        started = time.monotonic()
        # Sent into the silence: lost with the rest of the reply on a two-wire line.
        os.write(self.master, qvdevice.rtu_frame(b"\x01" + read_pdu(3, 0, 1)))
        self.assertEqual(read_until(self.master, 2, 2.0), exception[3:])
        self.assertGreaterEqual(time.monotonic() - started, 0.2)
        entries = self.device.wait_journal(3)
        self.assertEqual([e.get("error") for e in entries], [None, None, "collision"])
        self.assertEqual(entries[2]["request"], qvdevice.rtu_frame(b"\x01" + read_pdu(3, 0, 1)).hex())
        self.assertEqual(entries[1]["fault"], "stall")
        self.assertEqual(select.select([self.master], [], [], 0.3)[0], [], "the collided request is not answered")
        # The line serves the next request.
        self.assertEqual(len(self.exchange(b"\x01" + read_pdu(3, 0, 1), 7)), 7)

    def test_journal_records_every_request(self):
        self.exchange(b"\x01" + read_pdu(3, 0, 2), 9)
        self.exchange(b"\x01" + read_pdu(6, 1, 0xBEEF), 8)
        os.write(self.master, qvdevice.rtu_frame(b"\x02" + read_pdu(3, 100, 1)))
        self.assert_unanswered(2)
        entries = self.device.journal()
        picked = [(e["transport"], e["unit"], e["function"], e["address"], e["count"], e["value"],
                   e["index"], e["fault"]) for e in entries]
        self.assertEqual(picked, [("rtu", 1, 3, 0, 2, None, 0, None),
                                  ("rtu", 1, 6, 1, None, 0xBEEF, 1, None),
                                  ("rtu", 2, 3, 100, 1, None, 0, "silence")])
        self.assertEqual(entries[0]["request"], qvdevice.rtu_frame(b"\x01" + read_pdu(3, 0, 2)).hex())
        self.assertIsNone(entries[2]["reply"])
        times = [e["time"] for e in entries]
        self.assertEqual(times, sorted(times))
        self.assertLess(abs(times[-1] - time.time()), 5.0)


def fifo_line(case):
    """A FIFO standing for a serial line: its path, and the master's end, which reads what
    the device writes."""
    folder = tempfile.TemporaryDirectory()
    case.addCleanup(folder.cleanup)
    fifo = os.path.join(folder.name, "line")
    os.mkfifo(fifo)
    master = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    case.addCleanup(os.close, master)
    return fifo, master


def serve_rtu_read(case, fifo, device, stopper):
    """The device, on the line, serves one read of unit 1's register 0 in this process."""
    line = qvdevice.SerialLine(fifo, "rtu", device, stopper)
    case.addCleanup(os.close, line.fd)
    frame = qvdevice.rtu_frame(b"\x01" + read_pdu(3, 0, 1))
    line._serve(frame, 1, frame[1:-2])


def serve_tcp_read(case, device_end, device, stopper):
    """The device, on a connection's end, serves one Modbus/TCP read of unit 1's register 0."""
    server = qvdevice.TcpServer("127.0.0.1", 0, device, stopper)
    case.addCleanup(server.server.close)
    adu = b"\x01" + read_pdu(3, 0, 1)
    header = struct.pack(">HHHB", 9, 0, len(adu), 1)
    case.assertTrue(server._answer(device_end, 9, header + adu[1:], 1, adu[1:]))


class JournalBeforeAnswerTest(unittest.TestCase):
    """A master that has its answer reads the journal at once and finds its request: every
    transport journals before it answers. Each is served in this process, over ends whose
    data is readable as soon as it is written, and the journal looks at the master's end
    as each entry is written."""

    class WatchingJournal:
        def __init__(self, master_fd):
            self.master_fd = master_fd
            self.answer_already_there = []

        def write(self, **entry):
            readable = select.select([self.master_fd], [], [], 0)[0]
            self.answer_already_there.append((entry.get("transport"), bool(readable)))

    def serve(self, master_fd):
        journal = self.WatchingJournal(master_fd)
        device = qvdevice.ModbusDevice(qvdevice.Profile({"units": {"1": {"holding": {"0": 5}}}}), journal)
        stopper = qvdevice.Stopper(60)
        self.addCleanup(stopper.event.set)
        return journal, device, stopper

    def test_serial_tcp_and_udp(self):
        fifo, master = fifo_line(self)
        journal, device, stopper = self.serve(master)
        serve_rtu_read(self, fifo, device, stopper)
        self.assertEqual(read_until(master, 7, 2.0), qvdevice.rtu_frame(bytes.fromhex("0103020005")))
        self.assertEqual(journal.answer_already_there, [("rtu", False)])

        master, device_end = socket.socketpair()
        self.addCleanup(master.close)
        self.addCleanup(device_end.close)
        journal, device, stopper = self.serve(master)
        serve_tcp_read(self, device_end, device, stopper)
        master.settimeout(2.0)
        self.assertEqual(master.recv(64).hex(), "000900000005" "0103020005")
        self.assertEqual(journal.answer_already_there, [("tcp", False)])

        master = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(master.close)
        master.bind(("127.0.0.1", 0))
        master.settimeout(START_WAIT_S)
        journal, device, stopper = self.serve(master)
        responder = qvdevice.UdpResponder("127.0.0.1", 0, device, 502, stopper)
        responder.start()
        master.sendto(b"QVID?", ("127.0.0.1", responder.port))
        self.assertEqual(master.recvfrom(4096)[0].split(b"\n")[5], b"502")
        stopper.event.set()
        responder.join(START_WAIT_S)
        self.assertEqual(journal.answer_already_there, [("udp", False)])


class LateAnswerTest(unittest.TestCase):
    """An answer that goes out late because the device's process was not run says so in the
    journal: a journal that takes 0.2 s to write the request stands for that stall. The delay
    a fault asks for is not counted."""

    class SlowJournal:
        def __init__(self, pause_s):
            self.pause_s = pause_s
            self.entries = []

        def write(self, **entry):
            entry.setdefault("time", time.time())
            self.entries.append(entry)
            if "function" in entry:
                time.sleep(self.pause_s)

    def serve_both(self, pause_s, profile):
        journal = self.SlowJournal(pause_s)
        device = qvdevice.ModbusDevice(qvdevice.Profile(profile), journal)
        stopper = qvdevice.Stopper(60)
        self.addCleanup(stopper.event.set)
        fifo, master = fifo_line(self)
        serve_rtu_read(self, fifo, device, stopper)
        self.assertEqual(7, len(read_until(master, 7, 2.0)))

        master, device_end = socket.socketpair()
        self.addCleanup(master.close)
        self.addCleanup(device_end.close)
        serve_tcp_read(self, device_end, device, stopper)
        master.settimeout(2.0)
        self.assertEqual(11, len(master.recv(64)))
        return journal.entries

    def test_a_stall_between_request_and_answer_is_journalled(self):
        entries = self.serve_both(0.2, {"units": {"1": {"holding": {"0": 5}}}})
        requests = [e for e in entries if "function" in e]
        late = [e for e in entries if e.get("event") == "late_answer"]
        self.assertEqual(["rtu", "tcp"], [e["transport"] for e in requests])
        self.assertEqual([r["time"] for r in requests], [e["request_time"] for e in late])
        for entry in late:
            self.assertGreaterEqual(entry["late"], 0.2)

    def test_the_delay_its_fault_asks_for_is_not_lateness(self):
        entries = self.serve_both(0.0, {"units": {"1": {"holding": {"0": 5},
                                                        "faults": [{"kind": "delay", "seconds": 2.0}]}}})
        # Only what a busy machine adds, never the two seconds asked for.
        for entry in entries:
            if entry.get("event") == "late_answer":
                self.assertLess(entry["late"], 2.0)


class AsciiTest(SerialCase):
    MODE = "ascii"

    def exchange(self, frame, timeout_s=2.0):
        os.write(self.master, frame)
        data = b""
        deadline = time.monotonic() + timeout_s
        while not data.endswith(b"\r\n") and time.monotonic() < deadline:
            data += read_until(self.master, 1, deadline - time.monotonic())
        return data

    def test_read_upper_and_lower_case_requests(self):
        expected = qvdevice.ascii_frame(bytes.fromhex("01030412345678"))
        self.assertEqual(self.exchange(qvdevice.ascii_frame(b"\x01" + read_pdu(3, 0, 2))), expected)
        self.assertEqual(self.exchange(qvdevice.ascii_frame(b"\x01" + read_pdu(3, 0, 2), lower=True)),
                         expected)

    def test_faults_and_refused_frames(self):
        self.assertEqual(self.exchange(qvdevice.ascii_frame(b"\x01" + read_pdu(3, 100, 1))),
                         b":018302" + b"7a" + b"\r\n")
        self.assertEqual(self.exchange(qvdevice.ascii_frame(b"\x01" + read_pdu(3, 101, 1))),
                         b":0183027B\r\n")   # the true LRC is 7A
        bad = qvdevice.ascii_frame(b"\x01" + read_pdu(3, 0, 1), lrc_value=0)
        os.write(self.master, bad)
        self.assert_unanswered(2)
        # Noise before the colon and an unfinished frame are dropped; the next frame is served.
        self.assertEqual(self.exchange(b"xx:0103" + qvdevice.ascii_frame(b"\x01" + read_pdu(3, 1, 1))),
                         qvdevice.ascii_frame(bytes.fromhex("0103025678")))
        errors = [e["error"] for e in self.device.wait_journal(5) if e.get("error")]
        self.assertEqual(errors, ["lrc", "format"])


class TcpTest(unittest.TestCase):
    PROFILE = {"units": {"1": {"holding": {"0": [10, 20, 30]}, "faults": [
        {"kind": "reset", "function": 6, "address": 1},
        {"kind": "drop", "address": 1},
        {"kind": "tcp_length_overrun", "address": 2, "extra": 3},
    ]}, "5": {"input": {"0": 55}}}}

    def setUp(self):
        self.device = DeviceProcess(self.PROFILE, ["--tcp-port", "0"])

    def tearDown(self):
        self.device.close()

    def connect(self):
        sock = socket.create_connection(("127.0.0.1", self.device.tcp_port), timeout=2.0)
        self.addCleanup(sock.close)
        return sock

    @staticmethod
    def request(sock, transaction, adu):
        sock.sendall(struct.pack(">HHH", transaction, 0, len(adu)) + adu)

    @staticmethod
    def receive(sock, size):
        data = b""
        while len(data) < size:
            chunk = sock.recv(size - len(data))
            if not chunk:
                break
            data += chunk
        return data

    def test_requests_on_one_connection_echo_the_transaction(self):
        sock = self.connect()
        self.request(sock, 0x1234, b"\x01" + read_pdu(3, 0, 3))
        self.assertEqual(self.receive(sock, 15).hex(), "123400000009010306000a0014001e")
        self.request(sock, 7, b"\x05" + read_pdu(4, 0, 1))
        self.assertEqual(self.receive(sock, 11).hex(), "0007000000050504020037")
        self.request(sock, 8, b"\x09" + read_pdu(3, 0, 1))
        self.assertEqual(self.receive(sock, 9).hex(), "00080000000309830b")

    def test_many_short_connections(self):
        for n in range(40):
            sock = socket.create_connection(("127.0.0.1", self.device.tcp_port), timeout=2.0)
            try:
                self.request(sock, 0, b"\x01" + read_pdu(6, 0, n))
                self.assertEqual(self.receive(sock, 12)[6:], b"\x01" + read_pdu(6, 0, n))
            finally:
                sock.close()
        self.assertEqual(len(self.device.wait_journal(40)), 40)

    def test_drop_reset_and_length_overrun(self):
        sock = self.connect()
        self.request(sock, 1, b"\x01" + read_pdu(3, 1, 1))
        self.assertEqual(self.receive(sock, 9), b"")
        sock = self.connect()
        self.request(sock, 3, b"\x01" + read_pdu(6, 1, 5))
        with self.assertRaises(ConnectionResetError):
            self.receive(sock, 12)
        sock = self.connect()
        self.request(sock, 2, b"\x01" + read_pdu(3, 2, 1))
        header = self.receive(sock, 6)
        self.assertEqual(struct.unpack(">HHH", header)[2], 5 + 3)
        self.assertEqual(self.receive(sock, 5), bytes.fromhex("010302001e"))
        sock.settimeout(0.3)
        with self.assertRaises(socket.timeout):
            sock.recv(1)   # the announced rest never comes, the connection stays open
        faults = [e["fault"] for e in self.device.wait_journal(3)]
        self.assertEqual(faults, ["drop", "reset", "tcp_length_overrun"])


class UdpTest(unittest.TestCase):
    def start(self, search):
        profile = {"units": {"3": {"identification": {"1": "QV-PC10"}}}, "search": search}
        device = DeviceProcess(profile, ["--tcp-port", "0", "--udp-port", "0"])
        self.addCleanup(device.close)
        return device

    def probe(self, device, data=b"QVID?"):
        """The answer to one datagram; None when the device journalled it unanswered (it
        journals before it answers)."""
        journalled = len(device.journal())
        sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(sock.close)
        sock.settimeout(START_WAIT_S)
        sock.bind(("127.0.0.1", 0))
        sock.sendto(data, ("127.0.0.1", device.udp_port))
        entries = device.wait_journal(journalled + 1)
        self.assertEqual(len(entries), journalled + 1)
        if entries[-1]["reply"] is None:
            return None
        return sock.recvfrom(4096)[0]

    def test_seven_line_answer(self):
        device = self.start({"device_text": "Line 1 controller", "line4": "00:11:22"})
        lines = self.probe(device).decode().split("\n")
        self.assertEqual(lines, ["Quorvant Corp.", "QV-PC10", "1.00", "Line 1 controller", "00:11:22",
                                 str(device.tcp_port), "3"])
        self.assertIsNone(self.probe(device, b"HELLO"))
        entries = device.wait_journal(2)
        self.assertEqual([(e["transport"], e["request"], e["reply"] is None) for e in entries],
                         [("udp", b"QVID?".hex(), False), ("udp", b"HELLO".hex(), True)])

    def test_variants_for_the_search_edge_cases(self):
        device = self.start({"line_end": "\r\n", "port": "50x", "pad_to": 600})
        answer = self.probe(device)
        self.assertEqual(len(answer), 600)
        self.assertEqual(answer.split(b"\r\n")[5], b"50x")


class PymodbusClientTest(unittest.TestCase):
    """An independent master agrees with the device over TCP."""

    def setUp(self):
        try:
            from pymodbus.client import ModbusTcpClient
            from pymodbus.mei_message import ReadDeviceInformationRequest
        except ImportError as error:
            self.skipTest("pymodbus client cannot be loaded (python3-pymodbus and "
                          "python3-serial-asyncio are needed): %s" % error)
        self.request_class = ReadDeviceInformationRequest
        profile = {"units": {"2": {"holding": {"100": [1, 65535, 3]}, "input": {"0": [40, 41]},
                                   "coils": {"7": False}, "identification": {"2": "2.5"}}}}
        self.device = DeviceProcess(profile, ["--tcp-port", "0"])
        self.client = ModbusTcpClient("127.0.0.1", port=self.device.tcp_port, timeout=2)
        self.assertTrue(self.client.connect())

    def tearDown(self):
        self.client.close()
        self.device.close()

    def test_functions_and_exception(self):
        self.assertEqual(self.client.read_holding_registers(100, 3, slave=2).registers, [1, 65535, 3])
        self.assertEqual(self.client.read_input_registers(0, 2, slave=2).registers, [40, 41])
        self.assertFalse(self.client.write_register(101, 4321, slave=2).isError())
        self.assertEqual(self.client.read_holding_registers(101, 1, slave=2).registers, [4321])
        self.assertFalse(self.client.write_coil(7, True, slave=2).isError())
        failed = self.client.read_holding_registers(200, 1, slave=2)
        self.assertTrue(failed.isError())
        self.assertEqual(failed.exception_code, 2)
        info = self.client.execute(self.request_class(read_code=1, object_id=0, unit=2))
        self.assertEqual(info.information, {0: b"Quorvant Corp.", 1: b"QV-1000", 2: b"2.5"})
        coil_write = [e for e in self.device.journal() if e["function"] == 5]
        self.assertEqual([(e["address"], e["value"]) for e in coil_write], [(7, 0xFF00)])


def write_qvz(path, product_id, records, size=8):
    """A format-2 firmware file with correct CRCs (or format 0 when product_id is None)."""
    blob = b"Test firmware\x1a"
    if product_id is None:
        blob += struct.pack("<HH", 0, 0)
    else:
        blob += struct.pack("<HHBI", 0, 2, size, product_id)
    blob += struct.pack("<H", len(records))
    for data in records:
        blob += data + qvdevice.xmodem_crc(data).to_bytes(2, "big")
    with open(path, "wb") as f:
        f.write(blob)


class RecordingJournal:
    def __init__(self):
        self.entries = []

    def write(self, **entry):
        self.entries.append(entry)

    def events(self, kind):
        return [e for e in self.entries if e.get("event") == kind]


RECORDS = [bytes(range(i, i + 8)) for i in (0, 8, 16)]
FRAMES = [r + qvdevice.xmodem_crc(r).to_bytes(2, "big") for r in RECORDS]


class BootloaderTest(unittest.TestCase):
    def make(self, script, product_id=1, frames=FRAMES):
        self.journal = RecordingJournal()
        return qvdevice.Bootloader(product_id, list(frames), script, self.journal)

    def test_xmodem_crc_and_file_reading(self):
        self.assertEqual(qvdevice.xmodem_crc(b"123456789"), 0x31C3)
        self.assertEqual(qvdevice.xmodem_crc(b""), 0)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "fw.qvz")
            write_qvz(path, 7, [b"abcde"], size=5)
            product, frames = qvdevice.read_qvz(path)
            self.assertEqual(product, 7)
            self.assertEqual(frames, [b"abcde" + qvdevice.xmodem_crc(b"abcde").to_bytes(2, "big")])
            meter = os.path.join(folder, "meter_v12.qvz")
            write_qvz(meter, None, RECORDS)
            self.assertEqual(qvdevice.read_qvz(meter), (2, FRAMES))

    def test_attention_answer_by_product_and_delay(self):
        device = self.make({"attention_delay": 0.5}, product_id=4)
        self.assertEqual(device.feed(b"\xfe", 10.0), b"")
        self.assertEqual(device.feed(b"\xfe", 10.4), b"")
        self.assertEqual(device.feed(b"\xfe", 10.5), b"\x00")
        self.assertEqual(self.make({}, product_id=5).feed(b"\xfe", 0), b"\xaa")
        several = self.make({"attention_responses": 3, "spurious": [0x55]}, product_id=8)
        self.assertEqual(several.feed(b"\xfe", 0), b"\x55\xaa\xaa\xaa")

    def test_records_acked_and_final_status(self):
        device = self.make({})
        device.feed(b"\xfe", 0)
        self.assertEqual(device.feed(FRAMES[0][:5], 0), b"")
        self.assertEqual(device.feed(FRAMES[0][5:], 0), b"\x10")
        self.assertEqual(device.feed(FRAMES[1], 0), b"\x10")
        self.assertEqual(device.feed(FRAMES[2], 0), b"\x10\x90")
        self.assertEqual([e["match"] for e in self.journal.events("record")], [True] * 3)

    def test_damaged_frame_is_refused(self):
        device = self.make({"final": 0x91})
        device.feed(b"\xfe", 0)
        damaged = bytearray(FRAMES[0])
        damaged[-1] ^= 1
        self.assertEqual(device.feed(bytes(damaged), 0), b"\x20")
        self.assertEqual(device.feed(FRAMES[0] + FRAMES[1] + FRAMES[2], 0), b"\x10\x10\x10\x91")
        self.assertEqual([(e["record"], e["attempt"], e["match"]) for e in self.journal.events("record")],
                         [(1, 1, False), (1, 2, True), (2, 1, True), (3, 1, True)])

    def test_scripted_replies_silence_and_no_final(self):
        device = self.make({"replies": {"2": [0x21, None, 0x10]}, "final": None})
        device.feed(b"\xfe", 0)
        self.assertEqual(device.feed(FRAMES[0], 0), b"\x10")
        self.assertEqual(device.feed(FRAMES[1], 0), b"\x21")
        self.assertEqual(device.feed(FRAMES[1], 0), b"")
        self.assertEqual(device.feed(FRAMES[1], 0), b"\x10")
        self.assertEqual(device.feed(FRAMES[2], 0), b"\x10")
        self.assertEqual(self.journal.events("final"), [{"event": "final", "status": None,
                                                         "transport": "bootloader"}])

    def test_echo_and_corrupted_echo(self):
        device = self.make({"echo": True, "echo_corrupt": {"record": 1, "attempt": 1}})
        self.assertEqual(device.feed(b"\xfe", 0), b"\xfe\x00")
        first = device.feed(FRAMES[0], 0)
        self.assertEqual(first, FRAMES[0][:-1] + bytes((FRAMES[0][-1] ^ 0xFF,)))
        self.assertEqual(device.feed(FRAMES[0], 0), FRAMES[0] + b"\x10")

    def test_attention_bytes_that_crossed_the_answer(self):
        device = self.make({})
        self.assertEqual(device.feed(b"\xfe", 0), b"\x00")
        self.assertEqual(device.feed(b"\xfe\xfe" + FRAMES[0], 0), b"\x10")
        self.assertEqual(len(self.journal.events("late_attention")), 2)
        # After the first record byte a 0xFE is record data.
        self.assertEqual(device.feed(b"\xfe" + FRAMES[1][1:], 0), b"\x20")
        self.assertEqual([e["match"] for e in self.journal.events("record")], [True, False])
        # A first record that starts with 0xFE takes it as data.
        record = b"\xfe" + RECORDS[0][1:]
        starts = [record + qvdevice.xmodem_crc(record).to_bytes(2, "big")]
        device = self.make({}, frames=starts)
        device.feed(b"\xfe", 0)
        self.assertEqual(device.feed(starts[0], 0), b"\x10\x90")
        self.assertEqual(self.journal.events("late_attention"), [])

    def test_late_answer_waits_for_crossing_attention_bytes(self):
        device = self.make({"echo": True, "answer_late": 2}, product_id=5)
        self.assertEqual(device.feed(b"\xfe", 0), b"\xfe")
        self.assertEqual(device.feed(b"\xfe", 0), b"\xfe")
        self.assertEqual(device.feed(b"\xfe", 0), b"\xfe\xaa")
        self.assertEqual(device.feed(FRAMES[0], 0), FRAMES[0] + b"\x10")
        empty = self.make({"answer_late": 1}, frames=[])
        self.assertEqual(empty.feed(b"\xfe", 1.0), b"")
        self.assertEqual(empty.feed(b"\xfe", 2.0), b"\x00")
        self.assertEqual(empty.due(2.2), b"")
        self.assertEqual(empty.due(2.3), b"\x90")

    def test_empty_file_goes_to_final_status(self):
        device = self.make({}, frames=[])
        self.assertEqual(device.feed(b"\xfe", 5.0), b"\x00")
        self.assertEqual(device.due(5.1), b"")
        self.assertEqual(device.due(5.3), b"\x90")
        self.assertEqual(device.due(6.0), b"")

    def test_meter_path_waits_for_pass_through(self):
        device = self.make({"passthrough": 5}, product_id=2)
        request = qvdevice.rtu_frame(bytes((5, 0x65)))
        self.assertEqual(device.feed(b"\xfe" * 4, 0), b"")   # not passed through yet: dropped
        self.assertEqual(self.journal.events("passthrough")[0]["ok"], False)
        device = self.make({"passthrough": 5}, product_id=2)
        self.assertEqual(device.feed(request, 0), request)
        self.assertEqual(device.feed(b"\xfe", 0), b"\x00")


class BootloaderProcessTest(unittest.TestCase):
    def test_program_run_over_a_pty_with_journal(self):
        master, slave = os.openpty()
        tty.setraw(master)
        folder = tempfile.TemporaryDirectory()
        try:
            firmware = os.path.join(folder.name, "fw.qvz")
            write_qvz(firmware, 1, RECORDS)
            journal = os.path.join(folder.name, "journal.jsonl")
            ports = os.path.join(folder.name, "ports")
            proc = subprocess.Popen([PYTHON, os.path.join(HERE, "qvdevice.py"), "--bootloader",
                                     os.ttyname(slave), "--firmware", firmware, "--journal", journal,
                                     "--port-file", ports, "--lifetime", "60"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                deadline = time.monotonic() + START_WAIT_S
                while not os.path.exists(ports) and time.monotonic() < deadline:
                    time.sleep(0.02)
                os.write(master, b"\xfe")
                self.assertEqual(read_until(master, 1, 3.0), b"\x00")
                os.write(master, b"".join(FRAMES))
                self.assertEqual(read_until(master, 4, 3.0), b"\x10\x10\x10\x90")
            finally:
                proc.terminate()
                proc.wait(5)
            with open(journal) as f:
                entries = [json.loads(line) for line in f]
            received = bytes.fromhex("".join(e["data"] for e in entries if e.get("event") == "rx"))
            self.assertEqual(received, b"\xfe" + b"".join(FRAMES))
            self.assertTrue(all("time" in e for e in entries))
        finally:
            os.close(master)
            os.close(slave)
            folder.cleanup()


class CommandLineTest(unittest.TestCase):
    def test_help_and_bad_profile(self):
        result = subprocess.run([PYTHON, os.path.join(HERE, "qvdevice.py"), "--help"],
                                capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 0)
        self.assertIn("--tcp-port", result.stdout)
        with tempfile.NamedTemporaryFile("w", suffix=".json") as bad:
            json.dump({"units": {"1": {"holding": {"0": "x"}}}}, bad)
            bad.flush()
            result = subprocess.run([PYTHON, os.path.join(HERE, "qvdevice.py"), "--profile", bad.name,
                                     "--tcp-port", "0"], capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 2)
        self.assertIn("bad profile", result.stderr)

    def test_faults_given_on_the_command_line_join_the_units_faults(self):
        import qvdevice
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "p.json")
            with open(path, "w") as f:
                json.dump({"units": {"1": {"holding": {"0": 7}, "faults": [{"kind": "exception", "code": 4}]},
                                     "2": {"holding": {"0": 8}}}}, f)
            args = qvdevice.parse_arguments(["--profile", path, "--fault", "2", '{"kind": "silence"}',
                                             "--fault", "2", '{"kind": "delay", "seconds": 0.4}'])
            profile = qvdevice.load_profile(args)
        self.assertEqual(["exception"], [fault.kind for fault in profile.units[1].faults])
        self.assertEqual(["silence", "delay"], [fault.kind for fault in profile.units[2].faults])
        # A site's profile takes them too.
        args = qvdevice.parse_arguments(["--site", "7", "--fault", "2", '{"kind": "silence"}'])
        self.assertEqual(["silence"], [fault.kind for fault in qvdevice.load_profile(args).units[2].faults])


if __name__ == "__main__":
    unittest.main()
