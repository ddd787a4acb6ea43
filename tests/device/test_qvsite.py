"""Tests of the simulated site: over a whole compressed day every described register stays
inside its variable's range, the counters only grow, the charge state matches the battery
voltage, the relay channels follow their thresholds; setpoints are kept and steer the
model; the logs hold their history and later only add the new days; and the site as a
program answers on one serial line and on a TCP port per device."""
import os
import socket
import struct
import sys
import tempfile
import tty
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import devicexml  # noqa: E402
import qvdevice  # noqa: E402
import qvsite  # noqa: E402
import sitelog  # noqa: E402
from test_qvdevice import DeviceProcess, read_pdu, read_until  # noqa: E402

XML = os.path.join(HERE, "..", "..", "res", "devices.xml")
DAY_SECONDS = 300.0
TOLERANCE_V = 0.03       # per 12 V block, beyond the registers' own resolution


class FakeClock:
    def __init__(self):
        self.now = 1000.0

    def __call__(self):
        return self.now


def make_site(size=7, history_days=14):
    clock = FakeClock()
    profile = qvdevice.Profile(qvsite.site_profile(size, XML, DAY_SECONDS, history_days), clock)
    return qvdevice.ModbusDevice(profile, qvdevice.Journal(None)), clock


def words(device, unit, function, address, count):
    reply = device.handle(qvdevice.Request("rtu", unit, read_pdu(function, address, count))).reply
    if reply[1] != function:
        raise AssertionError("unit %d, 0x%04x: exception %s" % (unit, address, reply.hex()))
    return list(struct.unpack(">%dH" % count, reply[3:]))


def write(device, unit, address, value):
    pdu = struct.pack(">BHH", 6, address, value)
    return device.handle(qvdevice.Request("rtu", unit, pdu)).reply[1:] == pdu


def read_variables(device, unit):
    """Each described variable's value as the program reads it: by function 3, scaled."""
    description = device.profile.site.units[unit].description
    values = {}
    for variable in description.variables:
        raw = words(device, unit, 3, variable.low, 1)[0]
        if variable.high >= 0:
            raw |= words(device, unit, 3, variable.high, 1)[0] << 16
        values[variable.name] = variable.value_of(raw)
    return values


def threshold_blocks(device):
    """The relay module's channels read back from its registers: (watched unit, variable,
    high, low, on while high), by the byte layout of a threshold block."""
    site = device.profile.site
    functions = words(device, 9, 4, 0xE002, 2)
    channels = []
    for index, first in enumerate((0xE004, 0xE01C, 0xE034, 0xE04C)):
        code = (functions[index // 2] >> (8 * (index % 2))) & 0xFF
        data = b"".join(struct.pack("<H", w) for w in words(device, 9, 4, first, 17))
        if code != 1:
            channels.append(None)
            continue
        signed = bool(data[6] & 0x80)
        watched = 9 if data[0] == 255 else next(s.unit_id for s in site.ordered_units()
                                               if s.description.skelder_type == data[1])
        variable = next(v for v in site.units[watched].description.variables if v.skelder_id == data[2])
        high = int.from_bytes(data[9:13], "little", signed=signed) * variable.scaling
        low = int.from_bytes(data[19:23], "little", signed=signed) * variable.scaling
        channels.append((watched, variable.name, high, low, bool(int.from_bytes(data[31:33], "little") & 2)))
    return channels


class SiteDayTest(unittest.TestCase):
    """A compressed day read every two seconds, as a poll would."""

    CHARGE_STATES = {  # unit: (bulk, absorption, float, night) codes
        1: (5, 6, 7, 3), 2: (4, 5, 6, 1), 3: (4, 5, 6, 1), 5: (4, 5, 6, 1)}
    BLOCKS = {1: 1, 2: 2, 3: 4, 5: 1}
    FLOAT_V = {1: 13.7, 2: 13.5, 3: 13.5}   # the factory's float voltage per 12 V
    REGULATION_V = 14.1
    COUNTERS = {1: ("Hourmeter", "Ah Charge Total"), 2: ("Hourmeter", "kWh Total"), 3: ("Hourmeter", "kWh Total"),
                4: ("Hourmeter",), 5: ("Hourmeter", "kWh Total"), 6: ("Hourmeter",), 9: ("Hourmeter",)}

    def test_a_day_of_values(self):
        device, clock = make_site()
        site = device.profile.site
        channels = threshold_blocks(device)
        self.assertEqual(4, sum(1 for c in channels if c))
        seen_states = {unit: set() for unit in self.CHARGE_STATES}
        first = last = None
        relay_high = [None] * 4
        switches = [0] * 4
        previous_outputs = None
        for step in range(int(DAY_SECONDS / 2) + 1):
            clock.now += 2.0
            values = {unit: read_variables(device, unit) for unit in site.units}
            first = first or values
            for unit, unit_values in values.items():
                for variable in site.units[unit].description.variables:
                    value = unit_values[variable.name]
                    self.assertTrue(variable.minimum <= value <= variable.maximum,
                                    "unit %d %s = %r at step %d" % (unit, variable.name, value, step))
                for name in self.COUNTERS[unit]:
                    if last is not None:
                        self.assertGreaterEqual(unit_values[name], last[unit][name], name)
            for unit, codes in self.CHARGE_STATES.items():
                self.check_charge_state(unit, values[unit], codes, step)
                seen_states[unit].add(values[unit]["Charge State"])
            outputs = self.check_relay(values, channels, relay_high)
            if previous_outputs is not None:
                switches = [n + (a != b) for n, a, b in zip(switches, outputs, previous_outputs)]
            previous_outputs = outputs
            last = values
        for unit, codes in self.CHARGE_STATES.items():
            self.assertEqual(set(codes), seen_states[unit], "unit %d went through every phase" % unit)
        for unit, names in self.COUNTERS.items():
            for name in names:
                self.assertGreater(last[unit][name], first[unit][name], "%s of unit %d grew" % (name, unit))
        self.assertTrue(all(switches), "every relay channel switched in a day: %r" % switches)
        # The meter shows the battery of its controller.
        self.assertAlmostEqual(last[6]["Battery Voltage"], last[1]["Battery Voltage"], delta=0.01)

    def check_charge_state(self, unit, values, codes, step):
        bulk, absorption, float_state, night = codes
        state = values["Charge State"]
        volts, target = values["Battery Voltage"], values.get("Target Voltage")
        blocks = self.BLOCKS[unit]
        tolerance = TOLERANCE_V * blocks
        charge = values.get("Charge Current", values.get("Array Current"))
        where = "unit %d step %d: state %d, %.2f V of %r" % (unit, step, state, volts, target)
        self.assertIn(state, codes, where)
        if state == night:
            self.assertEqual(0, charge, where)
        if target is None or state == night:
            return
        # Bulk stays under the target; absorption and float hold theirs, or stay under it
        # when the sun is short. The targets follow the battery temperature.
        self.assertLessEqual(volts, target + tolerance, where)
        compensation = -0.03 * (values["Battery Temperature"] - 25.0)
        if state == absorption:
            self.assertAlmostEqual(blocks * (self.REGULATION_V + compensation), target, delta=tolerance, msg=where)
        if state == float_state:
            self.assertAlmostEqual(blocks * (self.FLOAT_V[unit] + compensation), target, delta=tolerance, msg=where)

    def check_relay(self, values, channels, high):
        outputs = []
        for index, channel in enumerate(channels):
            watched, name, high_limit, low_limit, on_while_high = channel
            value = values[watched][name]
            if value >= high_limit - 1e-6:
                high[index] = True
            elif value <= low_limit + 1e-6:
                high[index] = False
            state = values[9]["Channel %d State" % (index + 1)]
            if high[index] is not None:
                self.assertEqual(int(high[index] == on_while_high), state,
                                 "channel %d at %s = %.2f" % (index + 1, name, value))
            outputs.append(state)
        self.assertEqual(sum(s << i for i, s in enumerate(outputs)), values[9]["Channel Outputs"])
        return outputs


class SetpointTest(unittest.TestCase):
    """Factory setpoints answer function 4; a write is kept and steers the model."""

    def test_defaults_write_and_read_back(self):
        device, clock = make_site()
        # Values the wizards show for a fresh controller.
        self.assertEqual([4780, 4644], words(device, 1, 4, 0xE000, 2))     # 14.10 V, 13.70 V
        self.assertEqual(20, words(device, 1, 4, 0xE00A, 1)[0])            # -0.030 V/C
        self.assertEqual(0xFFD8, words(device, 1, 4, 0xE020, 1)[0])        # -40 C
        self.assertEqual(4588, words(device, 5, 4, 0xE000, 1)[0])          # 14.00 V
        self.assertEqual([25380, 0], words(device, 4, 4, 0xE006, 2))
        self.assertEqual([0, 24, 2093, 2, 60, 60], words(device, 2, 4, 0x1536, 6))   # notification 1
        self.assertEqual([0x5856, 0x4D2D], words(device, 3, 4, 0x150F, 2))          # "VX-M"
        for unit, register in ((1, 0xE021), (2, 0xE019), (3, 0xE019), (4, 0xE001), (5, 0xE034)):
            self.assertEqual(unit, words(device, unit, 4, register, 1)[0], "the controller's own Modbus id")
        for unit, address in ((1, 0xE001), (2, 0x16D0), (4, 0xE01D), (5, 0xE03F), (9, 0xE063)):
            self.assertTrue(write(device, unit, address, 0x1234))
            self.assertEqual(0x1234, words(device, unit, 4, address, 1)[0])
            self.assertEqual(0x1234, words(device, unit, 3, address, 1)[0])

    def test_programmed_regulation_is_held_in_absorption(self):
        device, clock = make_site()
        regulation_14_4 = 4881                   # 14.40 V at the Varnix's scale
        self.assertTrue(write(device, 1, 0xE000, regulation_14_4))
        targets = set()
        for _ in range(int(DAY_SECONDS / 2)):
            clock.now += 2.0
            values = read_variables(device, 1)
            if values["Charge State"] == 6:
                targets.add(round(values["Target Voltage"] - 14.4 - 0.03 * (25 - values["Battery Temperature"]), 1))
        self.assertEqual({0.0}, targets)

    def test_a_programmed_threshold_moves_the_relay(self):
        device, clock = make_site()
        clock.now += DAY_SECONDS * 5 / 24        # midday: the battery well above 13.5 V
        self.assertEqual(1, read_variables(device, 9)["Channel 1 State"])
        # Channel 1's high threshold (bytes 9-12 of its block: registers 0xE008 and 0xE009,
        # the low byte of 9 the high byte of 0xE008) raised to 60 V and its low to 55 V.
        high, low = int(60 / 0.0029500427), int(55 / 0.0029500427)
        block = bytearray(b"".join(struct.pack("<H", w) for w in words(device, 9, 4, 0xE004, 17)))
        block[9:13] = high.to_bytes(4, "little")
        block[19:23] = low.to_bytes(4, "little")
        for offset in range(17):
            self.assertTrue(write(device, 9, 0xE004 + offset, block[2 * offset] | block[2 * offset + 1] << 8))
        clock.now += 1.0
        self.assertEqual(0, read_variables(device, 9)["Channel 1 State"])
        # An override coil holds a channel on.
        reply = device.handle(qvdevice.Request("rtu", 9, struct.pack(">BHH", 5, 0, 0xFF00))).reply
        self.assertEqual(5, reply[1])
        clock.now += 1.0
        self.assertEqual(1, read_variables(device, 9)["Channel 1 State"])


def decode_log(layout, buffer, end_pointer):
    """The records of a log buffer as the program finds them: the newest ends at the end
    pointer, the walk goes backward record by record, erased slots give nothing."""
    count = len(buffer)
    rotated = buffer[end_pointer + 1:] + buffer[:end_pointer + 1]
    records = []
    end = count
    while end > 0:
        if layout.variable_length:
            mask = rotated[end - 1]
            bits = 16 + sum(f.size for f in layout.fields if f.present_if < 0 or f.present_if & mask)
        else:
            choice = next((f.present_if for f in layout.fields if f.present_if >= 0), None)
            bits = sum(f.size for f in layout.fields if f.present_if < 0 or f.present_if == choice)
        length = bits // 16
        if length > end:
            break
        record = decode_record(layout, rotated[end - length:end])
        if record is not None:
            records.insert(0, record)
        end -= length
    return records


def decode_record(layout, record):
    if layout.variable_length:
        selector, data = record[-1], b"".join(struct.pack(">H", w) for w in record[:-1])
    else:
        selector, data = 0xFFFF, b"".join(struct.pack("<H", w) for w in record)
    position = 0
    values = {}
    for field in layout.fields:
        if field.present_if >= 0:
            present = (selector & field.present_if) if layout.variable_length else selector == field.present_if
            if not present:
                continue
        raw = 0
        for i in range(field.size):
            bit_index = position + i
            if layout.variable_length:
                bit = (data[bit_index // 8] >> (7 - bit_index % 8)) & 1
                raw = (raw << 1) | bit
            else:
                raw |= ((data[bit_index // 8] >> (bit_index % 8)) & 1) << i
        position += field.size
        if field.name == "varlist":
            selector = raw
        if field.name == "Hourmeter" and raw in (0, (1 << field.size) - 1):
            return None
        if field.signed and raw >= 1 << (field.size - 1):
            raw -= 1 << field.size
        values[field.name] = raw * int(field.scaling) if field.scaling.is_integer() else raw * field.scaling
    return values if position == 8 * len(data) else None


def key(record):
    return tuple(sorted(record.items()))


class LogTest(unittest.TestCase):
    def downloads(self, device):
        site = device.profile.site
        found = {}
        for unit, sim in site.units.items():
            layout = sim.description.log
            if layout is None:
                continue
            buffer = []
            for first in range(layout.start, layout.stop + 1, 125):
                buffer += words(device, unit, 3, first, min(125, layout.stop + 1 - first))
            end = words(device, unit, 3, layout.end_pointer, 1)[0] if layout.variable_length else len(buffer) - 1
            found[unit] = decode_log(layout, buffer, end)
        return found

    def test_history_then_only_the_new_days(self):
        device, clock = make_site(history_days=10)
        first = self.downloads(device)
        self.assertEqual({1, 2, 3, 4, 5}, set(first))
        for unit, records in first.items():
            per_day = 2 if unit == 4 else 1
            self.assertEqual(10 * per_day, len(records), "unit %d" % unit)
            hours = sorted({r["Hourmeter"] for r in records})
            self.assertEqual([24] * 9, [b - a for a, b in zip(hours, hours[1:])], "one record a day")
            layout = device.profile.site.units[unit].description.log
            for record in records:
                for field in layout.fields:
                    if field.name in record:
                        self.assertTrue(field.minimum <= record[field.name] <= field.maximum, field.name)
            if unit in (2, 3):
                self.assertTrue(all(r["Battery Voltage Max"] > r["Battery Voltage Min"] > 0 for r in records))
        # Two days and a bit later, polled at odd moments, a second download adds the two
        # new days, nothing else.
        for _ in range(int(2.2 * DAY_SECONDS / 0.7317)):
            clock.now += 0.7317
            words(device, 1, 3, 0, 1)
        second = self.downloads(device)
        for unit, records in second.items():
            old = {key(r) for r in first[unit]}
            new = [r for r in records if key(r) not in old]
            self.assertEqual(2 * (2 if unit == 4 else 1), len(new), "unit %d" % unit)
            hours = sorted({r["Hourmeter"] for r in records})
            self.assertEqual([24] * 11, [b - a for a, b in zip(hours, hours[1:])], "unit %d: a day apart" % unit)

    def test_a_full_ring_keeps_only_whole_records(self):
        xml = """<devices><device name="Ring" model="1" type="1" set="1" defaultModbusAddr="1" skelderType="9">
          <loggeddata><buffer start="100" stop="130" endpointer="5"><record hourmeterDiscontinuityId="2"
              hourmeterDiscontinuityValue="x">
            <variable name="Hourmeter" id="1" description="" units="" min="0" max="65535" scaling="1" size="16"/>
            <variable name="A" id="2" description="" units="" min="0" max="65535" scaling="1" presentIf="1" size="16"/>
            <variable name="B" id="3" description="" units="" min="0" max="65535" scaling="1" presentIf="2" size="32"/>
          </record></buffer></loggeddata></device></devices>"""
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        path = os.path.join(folder.name, "ring.xml")
        with open(path, "w") as f:
            f.write(xml)
        layout = devicexml.DeviceDescription(devicexml.find_device(path, "Ring")).log
        cells = {a: qvdevice.RegisterCell(0) for a in list(range(100, 131)) + [5]}
        ring = sitelog.LogBuffer(layout, cells)
        # Records of 3 and 5 words take turns around a ring of 31 words.
        for hour in range(1, 40):
            mask = 1 if hour % 2 else 3
            ring._append_variable(sitelog.encode_variable(layout, {"Hourmeter": hour, "A": hour, "B": 7 * hour}, mask))
            records = decode_log(layout, [cells[a].value for a in range(100, 131)], cells[5].value)
            hours = [r["Hourmeter"] for r in records]
            self.assertEqual(hours[-1], hour)
            self.assertEqual(list(range(hours[0], hour + 1)), hours, "whole records only, in order")
            self.assertTrue(all(r["A"] == r["Hourmeter"] for r in records))
            self.assertGreaterEqual(len(records), min(hour, 5))


class SiteProcessTest(unittest.TestCase):
    """The site as the demo starts it: one RTU line for all, a TCP port for each device."""

    def test_one_line_and_a_port_per_device(self):
        master, slave = os.openpty()
        tty.setraw(master)
        self.addCleanup(os.close, master)
        self.addCleanup(os.close, slave)
        device = DeviceProcess(qvsite.site_profile(7, XML, DAY_SECONDS, 3), extra_args=["--unit-tcp-base", "0"],
                               rtu=[os.ttyname(slave)])
        self.addCleanup(device.close)
        self.assertEqual([1, 2, 3, 4, 5, 6, 9], sorted(device.unit_ports))
        products = {}
        for unit in device.unit_ports:
            os.write(master, qvdevice.rtu_frame(bytes((unit, 0x2B, 0x0E, 0x01, 0x00))))
            # The device writes a reply in one piece.
            reply = read_until(master, 1, 2.0) + read_until(master, 256, 0.2)
            self.assertEqual(unit, reply[0], reply.hex())
            products[unit] = reply[8:].split(b"\x01", 1)[1][1:].split(b"\x02", 1)[0]
        self.assertEqual(b"VNX-45", products[1])
        self.assertEqual(b"VX-HV-MPPT", products[3])
        self.assertEqual(b"OST-4R", products[9])
        # Each device's own port answers whatever unit id is asked, as that device.
        for unit, port in device.unit_ports.items():
            with socket.create_connection(("127.0.0.1", port), timeout=2.0) as sock:
                sock.sendall(struct.pack(">HHHB", 7, 0, 6, 1) + read_pdu(3, 0, 1))
                reply = sock.recv(64)
            self.assertEqual(struct.pack(">HHHBBB", 7, 0, 5, 1, 3, 2), reply[:9])
            os.write(master, qvdevice.rtu_frame(bytes((unit,)) + read_pdu(3, 0, 1)))
            self.assertEqual(reply[9:11], read_until(master, 7, 2.0)[3:5], "unit %d: the same device" % unit)


if __name__ == "__main__":
    unittest.main()
