"""A simulated site for the test device: controllers that charge their batteries from one
sun, a relay module that switches on their values and a meter that shows one of them.

A unit of a profile that names a device of the description file and has "simulate" gets
its live registers from the site's model instead of fixed words: a compressed solar day
(one day of the site in "day_seconds" real seconds) drives array voltage and current,
charge current, battery voltage through bulk, absorption and float, the load, the
temperatures and the counters. Every variable of the description is written, inside its
range. A controller that keeps a log has "history_days" days of records made by the same
model, and a new record at each of the site's midnights. Its setpoint registers hold the
factory defaults (function 4 reads them as the wizards do); what a wizard programs is kept
and the regulation and float voltages and the absorption time steer the model. The relay
module's threshold channels switch on the values of the devices they watch.

  "site": {"day_seconds": 300, "history_days": 14, "start_hour": 7},
  "units": {"1": {"device": {"xml": ..., "name": "Varnix", "serial": "DEMO0001"},
                  "simulate": {"kind": "varnix"}}, ...}

Kinds: varnix, varnix-mppt, varnix-hv-mppt, corandel-duo, corandel-mppt (options "size",
a factor on array and battery), ostrel, meter (option "controller": the unit it shows).
site_profile() makes the demo site of 7 or 16 devices. Standard library only."""
import sys
import time

import devicexml
import sitelog
import sitemodel
import sitesetpoints
from sitemodel import DAY_S, Charger, ChargerSpec

REFRESH_S = 0.2          # real seconds between two refreshes of the live registers
HISTORY_STEP_S = 300.0   # model seconds per step while the history is made
BASE_HOURS = 18000       # hours the controllers had run before the first day of history


class SimulatedUnit:
    """A unit of the profile played by the site: its description, its registers and coils."""

    def __init__(self, site, unit_id, unit, description, make_cell):
        self.site = site
        self.unit_id = unit_id
        self.unit = unit
        self.description = description
        self.make_cell = make_cell
        unit.input = unit.holding     # setpoints are read with function 4
        self.log = None
        if description.log is not None:
            self.log = sitelog.LogBuffer(description.log, unit.holding)

    def install(self, table):
        for address, word in table.items():
            self.unit.holding[address] = self.make_cell(word)

    def word(self, address):
        return self.unit.holding[address].value

    def setpoint(self, register_and_scale):
        address, scale = register_and_scale
        word = self.word(address)
        return (word - 0x10000 if scale < 0 and word >= 0x8000 else word) * scale

    def write_values(self, values, every=True):
        """Every variable of the description (or those given), from the model's values."""
        cells = self.unit.holding
        for variable in self.description.variables:
            if not every and variable.name not in values:
                continue
            raw = variable.raw_of(values[variable.name])
            cells[variable.low].write(raw & 0xFFFF)
            if variable.high >= 0:
                cells[variable.high].write((raw >> 16) & 0xFFFF)

    def read_value(self, variable):
        raw = self.word(variable.low)
        if variable.high >= 0:
            raw |= self.word(variable.high) << 16
        return variable.value_of(raw)


# ---------------------------------------------------------------- controllers

def sane(value, low, high, fallback):
    return value if low <= value <= high else fallback


class ControllerKind:
    """A charge controller: one charger of the model behind the unit's registers."""

    # Charge state codes by phase of the model.
    STATES = {"night": 1, "bulk": 4, "absorption": 5, "float": 6, "equalize": 7, "disconnected": 2}
    SETPOINTS = None          # sitesetpoints.ControllerSetpoints
    EQUALIZE_COIL = 0
    DISCONNECT_COIL = 2

    def __init__(self, site, sim, options):
        self.site = site
        self.sim = sim
        size = float(options.get("size", 1.0))
        self.chargers = [Charger(spec, site.sky, 0.0, BASE_HOURS + 7 * sim.unit_id) for spec in self.specs(size)]
        self.size = size
        table = dict(self.SETPOINTS.table)
        table[self.SETPOINTS.modbus_id] = sim.unit_id
        sim.install(table)
        self.logged = 0

    # Each charger: 12 V blocks, battery Ah, rated A, array Voc and Imp, MPPT, load A all day
    # and added in the evening; "size" scales the battery, the array current and the load.
    CHARGERS = ()

    def specs(self, size):
        return [ChargerSpec(blocks, capacity * size, rated, voc, imp * size, mppt, load * size, evening * size)
                for blocks, capacity, rated, voc, imp, mppt, load, evening in self.CHARGERS]

    @property
    def charger(self):
        return self.chargers[0]

    def steer(self):
        """Setpoints and coils into the model."""
        settings = self.charger.settings
        registers = self.SETPOINTS
        settings.regulation = sane(self.sim.setpoint(registers.regulation), 12.0, 16.5, settings.regulation)
        float_voltage = self.sim.setpoint(registers.float_voltage)
        settings.float_voltage = float_voltage if float_voltage == 0 else sane(float_voltage, 12.0, 15.0,
                                                                               settings.float_voltage)
        settings.absorption_s = self.sim.setpoint(registers.absorption_s)
        coils = self.sim.unit.coils
        self.charger.equalize_requested = coils.get(self.EQUALIZE_COIL, False)
        self.charger.charger_disconnected = coils.get(self.DISCONNECT_COIL, False)

    def advance(self, t, step):
        self.steer()
        for charger in self.chargers:
            charger.advance(t, step)
        self.sim.unit.coils[self.EQUALIZE_COIL] = self.charger.equalize_requested
        while self.sim.log is not None and self.logged < len(self.charger.day_records):
            for values in self.log_values(self.logged):
                self.sim.log.append(values)
            self.logged += 1

    def state(self, charger=None):
        return self.STATES[(charger or self.charger).phase]


class VarnixKind(ControllerKind):
    STATES = {"night": 3, "bulk": 5, "absorption": 6, "float": 7, "equalize": 8, "disconnected": 2}
    SETPOINTS = sitesetpoints.VARNIX
    LOAD_COIL = 1

    CHARGERS = ((1, 200, 45, 21.5, 28, False, 2.5, 5.0),)

    def steer(self):
        super().steer()
        self.charger.load_disconnected = self.sim.unit.coils.get(self.LOAD_COIL, False)

    def values(self):
        c = self.charger
        load_state = 5 if c.load_disconnected else 3 if c.low_voltage_disconnect else 1
        return {"Rated Current": 45, "Battery Voltage": c.battery_v,
                "Battery Sense Voltage": c.battery_v - 0.002 * c.charge_a, "Array Voltage": c.array_v,
                "Charge Current": c.charge_a, "Load Current": c.load_a, "Heatsink Temperature": c.heatsink_c,
                "Battery Temperature": c.battery_c, "Charge State": self.state(), "Load State": load_state,
                "Alarms": 0, "Faults": 0, "Hourmeter": c.hours, "Ah Charge Total": c.ah_total,
                "Charge PWM Duty": c.duty, "Target Voltage": c.target_v, "DIP Switches": 0,
                "Days Since Equalize": c.days_since_equalize}

    def log_values(self, day):
        r = self.charger.day_records[day]
        return [{"Hourmeter": r["hours"], "Alarms": 0, "Battery Voltage Min": r["battery_min"],
                 "Battery Voltage Max": r["battery_max"], "Array Voltage Max": r["array_max"],
                 "Charge Ah": r["charge_ah"], "Load Ah": r["load_ah"], "Faults": 0,
                 "Absorption Time": min(65535, r["absorption_s"]), "Flags": r["Flags"],
                 "Equalize Time": r["equalize_s"] / 60, "Float Time": min(65535, r["float_s"])}]


class VarnixMpptKind(ControllerKind):
    SETPOINTS = sitesetpoints.VARNIX_MPPT
    RATED_VOLTAGE = 150

    CHARGERS = ((2, 400, 55, 120.0, 16, True, 4.0, 8.0),)

    def values(self):
        c = self.charger
        return {"Rated Voltage": self.RATED_VOLTAGE, "Battery Voltage": c.battery_v, "Array Voltage": c.array_v,
                "Battery Current": c.charge_a - c.load_a, "Array Current": c.array_a, "Output Power": c.power_w,
                "Heatsink Temperature": c.heatsink_c, "Battery Temperature": c.battery_c,
                "Charge State": self.state(), "Alarms": 0, "Faults": 0, "Hourmeter": c.hours,
                "kWh Total": c.kwh_total, "Target Voltage": c.target_v, "Sweep Vmp": c.array_vmp,
                "Sweep Voc": c.array_voc}

    def log_values(self, day):
        r = self.charger.day_records[day]
        return [{"Hourmeter": r["hours"], "Flags": r["Flags"], "Battery Voltage Min": r["battery_min"],
                 "Battery Voltage Max": r["battery_max"], "Array Voltage Max": r["array_max"],
                 "Output Power Max": r["power_max"], "Energy": r["energy_kwh"], "Alarms": 0,
                 "Battery Temperature Min": r["battery_c_min"]}]


class VarnixHvMpptKind(VarnixMpptKind):
    RATED_VOLTAGE = 600

    CHARGERS = ((4, 600, 45, 480.0, 9, True, 5.0, 10.0),)


class CorandelMpptKind(ControllerKind):
    SETPOINTS = sitesetpoints.CORANDEL_MPPT

    CHARGERS = ((1, 150, 30, 45.0, 8, True, 1.8, 4.0),)

    def values(self):
        c = self.charger
        return {"Rated Current": 30, "Battery Voltage": c.battery_v, "Array Voltage": c.array_v,
                "Charge Current": c.charge_a, "Output Power": c.power_w, "Charge State": self.state(),
                "Heatsink Temperature": c.heatsink_c, "Alarms": 0, "Faults": 0, "Hourmeter": c.hours,
                "kWh Total": c.kwh_total}

    def log_values(self, day):
        r = self.charger.day_records[day]
        return [{"Hourmeter": r["hours"], "Flags": r["Flags"], "Battery Voltage Max": r["battery_max"],
                 "Array Voltage Max": r["array_max"], "Energy": r["energy_kwh"]}]


class CorandelDuoKind(ControllerKind):
    """Two batteries on one array; the charging priority shares the current out."""
    STATES = {"night": 0, "bulk": 1, "absorption": 2, "float": 3, "equalize": 4, "disconnected": 5}
    SETPOINTS = sitesetpoints.CORANDEL_DUO
    CHARGERS = ((1, 100, 25, 21.5, 12, False, 1.2, 3.0), (1, 60, 25, 21.5, 12, False, 0.8, 1.0))

    def steer(self):
        priority = sane(self.sim.setpoint(sitesetpoints.CORANDEL_DUO_PRIORITY), 0.0, 100.0, 50.0) / 100.0
        array_imp = sum(imp for _, _, _, _, imp, _, _, _ in self.CHARGERS) * self.size
        self.chargers[0].spec.array_imp = array_imp * priority
        self.chargers[1].spec.array_imp = array_imp * (1.0 - priority)
        for charger, (absorption, float_voltage, minutes) in zip(self.chargers,
                                                                 sitesetpoints.CORANDEL_DUO_BATTERIES):
            settings = charger.settings
            settings.regulation = sane(self.sim.setpoint(absorption), 12.0, 16.5, settings.regulation)
            settings.float_voltage = sane(self.sim.setpoint(float_voltage), 12.0, 15.0, settings.float_voltage)
            settings.absorption_s = self.sim.word(minutes[0]) * 60.0
            charger.equalize_requested = self.sim.unit.coils.get(self.EQUALIZE_COIL, False)

    def values(self):
        first, second = self.chargers
        return {"Rated Current": 25, "Battery 1 Voltage": first.battery_v, "Battery 2 Voltage": second.battery_v,
                "Charge Current": first.charge_a + second.charge_a, "Battery 1 State": self.state(first),
                "Battery 2 State": self.state(second),
                "Heatsink Temperature": max(first.heatsink_c, second.heatsink_c),
                "Alarms": 0, "Faults": 0, "Hourmeter": first.hours}

    def log_values(self, day):
        first, second = (c.day_records[day] for c in self.chargers)
        common = {"Hourmeter": first["hours"], "Flags": first["Flags"], "Faults": 0}
        return [dict(common, varlist=1, **{"Battery 1 Voltage Min": first["battery_min"],
                                           "Battery 2 Voltage Min": second["battery_min"]}),
                dict(common, varlist=2, **{"Battery 1 Charge": first["charge_ah"],
                                           "Battery 2 Charge": second["charge_ah"]})]


# ---------------------------------------------------------------- relay module and meter

class OstrelKind:
    """Four relay channels; a Threshold channel follows the value it watches with its two
    thresholds, and a channel's override coil holds it on."""

    def __init__(self, site, sim, options):
        self.site = site
        self.sim = sim
        self.high = [False] * 4
        sim.install(sitesetpoints.ostrel_setpoints(site.demo_channels()))

    def advance(self, t, step):
        pass

    def channel(self, index):
        words = [self.sim.word(sitesetpoints.OSTREL_BLOCKS[index] + i) for i in range(sitesetpoints.OSTREL_BLOCK_WORDS)]
        register = self.sim.word(sitesetpoints.OSTREL_FUNCTIONS[index // 2])
        function = (register >> 8) if index % 2 else register & 0xFF
        if function != sitesetpoints.FUNCTION_THRESHOLD:
            return None
        return sitesetpoints.ThresholdChannel.from_image(sitesetpoints.block_bytes(words))

    def watched(self, channel):
        """The raw value the channel watches: of the module itself when standalone."""
        if channel.address == sitesetpoints.STANDALONE_ADDRESS and channel.control_type in (0, 2):
            source = self.sim
        else:
            source = self.site.unit_of_skelder_type(channel.control_type)
        variable = source.description.skelder_variable(channel.skelder[0]) if source else None
        if variable is None:
            return None
        raw = source.word(variable.low)
        return raw - 0x10000 if channel.signed and raw >= 0x8000 else raw

    def outputs(self):
        states = []
        for index in range(4):
            channel = self.channel(index)
            value = self.watched(channel) if channel else None
            on = False
            if value is not None:
                if value >= channel.high:
                    self.high[index] = True
                elif value <= channel.low:
                    self.high[index] = False
                on = self.high[index] == channel.on_while_high
            states.append(on or self.sim.unit.coils.get(index, False))
        return states

    def values(self):
        values = {"Channel Count": 4, "Supply Voltage": self.site.supply_voltage(),
                  "Module Temperature": sitemodel.Sky.ambient(self.site.model_t) + 6.0,
                  "Faults": 0, "Hourmeter": self.site.hours()}
        # A standalone channel watches these.
        self.sim.write_values(values, every=False)
        states = self.outputs()
        values["Channel Outputs"] = sum(1 << i for i, on in enumerate(states) if on)
        values.update({"Channel %d State" % (i + 1): int(on) for i, on in enumerate(states)})
        return values


class MeterKind:
    """A remote meter showing the battery of one controller."""

    def __init__(self, site, sim, options):
        self.site = site
        self.sim = sim
        self.controller = int(options.get("controller", 1))

    def advance(self, t, step):
        pass

    def values(self):
        shown = self.site.units[self.controller].kind.charger
        return {"Meter Version": self.sim.word(0), "Battery Voltage": shown.battery_v, "Display Mode": 3,
                "Backlight": 2, "Faults": 0, "Hourmeter": self.site.hours(), "Controller Address": self.controller}


KINDS = {"varnix": VarnixKind, "varnix-mppt": VarnixMpptKind, "varnix-hv-mppt": VarnixHvMpptKind,
         "corandel-duo": CorandelDuoKind, "corandel-mppt": CorandelMpptKind, "ostrel": OstrelKind,
         "meter": MeterKind}


# ---------------------------------------------------------------- the site

class Site:
    def __init__(self, entry, clock=time.monotonic):
        self.day_seconds = float(entry.get("day_seconds", 300))
        if self.day_seconds <= 0:
            raise ValueError("day_seconds must be above 0")
        self.history_days = int(entry.get("history_days", 14))
        self.sky = sitemodel.Sky()
        self.clock = clock
        self.real_start = clock()
        self.model_start = self.history_days * DAY_S + float(entry.get("start_hour", 7.0)) * 3600
        self.model_t = self.model_start
        self.units = {}
        self.last_refresh = None

    def attach(self, unit_id, unit, device_spec, simulate, make_cell):
        kind = simulate.get("kind")
        if kind not in KINDS:
            raise ValueError("unknown simulated kind %r" % kind)
        description = devicexml.DeviceDescription(devicexml.find_device(device_spec["xml"], device_spec["name"]))
        sim = SimulatedUnit(self, unit_id, unit, description, make_cell)
        self.units[unit_id] = sim
        sim.kind = KINDS[kind](self, sim, simulate)
        # The days before the start, with the same model.
        sim.kind.advance(self.model_start, HISTORY_STEP_S)
        self.last_refresh = None

    def model_time(self):
        return self.model_start + (self.clock() - self.real_start) * DAY_S / self.day_seconds

    def ordered_units(self):
        """Controllers first: the meter and the relay module read their values."""
        return sorted(self.units.values(), key=lambda s: (not isinstance(s.kind, ControllerKind), s.unit_id))

    def refresh(self):
        """Brings every unit's live registers to the present moment of the site."""
        now = self.clock()
        if self.last_refresh is not None and now - self.last_refresh < REFRESH_S:
            return
        self.last_refresh = now
        self.model_t = max(self.model_t, self.model_time())
        for sim in self.ordered_units():
            sim.kind.advance(self.model_t, sitemodel.STEP_S)
            sim.write_values(sim.kind.values())

    def hours(self):
        return BASE_HOURS + int(self.model_t // 3600)

    def unit_of_skelder_type(self, control_type):
        return next((s for s in self.ordered_units() if s.description.skelder_type == control_type), None)

    def supply_voltage(self):
        """The relay module runs from the first 12 V battery of the site."""
        for sim in self.ordered_units():
            kind = sim.kind
            if isinstance(kind, ControllerKind) and kind.charger.spec.blocks == 1:
                return kind.charger.battery_v
        return 12.6

    def demo_channels(self):
        """The relay module as the demo site ships it: battery-voltage relay, dusk-to-dawn
        lights, a fan on the module's own temperature, and excess-power diversion."""
        channels = []
        wanted = [("Varnix", "Battery Voltage", 13.5, 12.8, True, 1),
                  ("Varnix", "Array Voltage", 10.0, 7.0, False, 1),
                  ("Ostrel Relay Module", "Module Temperature", 28.0, 24.0, True, sitesetpoints.STANDALONE_ADDRESS),
                  ("Varnix MPPT", "Output Power", 900.0, 600.0, True, 1)]
        for device, name, high, low, on_while_high, address in wanted:
            source = next((s for s in self.units.values() if s.description.name == device), None)
            if source is None:
                channels.append(None)
                continue
            variable = source.description.variable(name)
            channels.append(sitesetpoints.ThresholdChannel(
                address, source.description.skelder_type, variable.skelder,
                variable.raw_of(high), variable.raw_of(low), on_while_high))
        return channels


# ---------------------------------------------------------------- the demo site

SMALL_SITE = [(1, "Varnix", "varnix", {}), (2, "Varnix MPPT", "varnix-mppt", {}),
              (3, "Varnix HV MPPT", "varnix-hv-mppt", {}), (4, "Corandel Duo", "corandel-duo", {}),
              (5, "Corandel MPPT", "corandel-mppt", {}), (6, "Varnix Meter", "meter", {"controller": 1}),
              (9, "Ostrel Relay Module", "ostrel", {})]
LARGE_SITE = SMALL_SITE + [(7, "Varnix", "varnix", {"size": 0.8}), (8, "Varnix MPPT", "varnix-mppt", {"size": 1.3}),
                           (10, "Varnix HV MPPT", "varnix-hv-mppt", {"size": 0.7}),
                           (11, "Corandel Duo", "corandel-duo", {"size": 1.2}),
                           (12, "Corandel MPPT", "corandel-mppt", {"size": 0.9}),
                           (13, "Varnix", "varnix", {"size": 1.5}), (14, "Varnix MPPT", "varnix-mppt", {"size": 0.6}),
                           (15, "Ostrel Relay Module", "ostrel", {}), (16, "VXM-2", "meter", {"controller": 7})]
# The HV MPPT answers with its own product code, so that a search tells it from the MPPT.
IDENTITIES = {"Varnix HV MPPT": 1}
REVISIONS = {"Varnix": "3.12", "Varnix MPPT": "2.07", "Varnix HV MPPT": "1.40", "Corandel Duo": "1.21",
             "Corandel MPPT": "1.05", "Ostrel Relay Module": "2.02", "Varnix Meter": "1.10", "VXM-2": "1.00"}


def serial_of(unit_id):
    return "DEMO%04d" % unit_id


def site_profile(size, xml, day_seconds=300.0, history_days=14, serial_base=0):
    """The profile of the demo site of 7 or 16 devices, one unit id each; the serials count
    from serial_base + 1, so that sites side by side do not share devices' log files."""
    devices = {7: SMALL_SITE, 16: LARGE_SITE}.get(size)
    if devices is None:
        raise ValueError("a site has 7 or 16 devices, not %r" % size)
    units = {}
    for unit_id, name, kind, options in devices:
        units[str(unit_id)] = {
            "device": {"xml": xml, "name": name, "serial": serial_of(unit_id + serial_base),
                       "identity": IDENTITIES.get(name, 0)},
            "identification": {"2": REVISIONS[name]},
            "simulate": dict(options, kind=kind)}
    return {"site": {"day_seconds": day_seconds, "history_days": history_days}, "units": units}


def main(argv):
    """qvsite.py list 7|16: the devices of the demo site, a line each: unit, serial, name."""
    if len(argv) != 3 or argv[1] != "list" or argv[2] not in ("7", "16"):
        print("usage: qvsite.py list 7|16", file=sys.stderr)
        return 2
    for unit_id, name, _, _ in sorted({"7": SMALL_SITE, "16": LARGE_SITE}[argv[2]]):
        print("%d %s %s" % (unit_id, serial_of(unit_id), name))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
