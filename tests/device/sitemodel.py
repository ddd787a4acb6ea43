"""The physics of the simulated site: the sun and the weather, a lead-acid battery, and a
charge controller that takes the array's power through bulk, absorption and float into the
battery while a load draws from it. Model time is in seconds from the site's first
midnight; everything is deterministic, so a day played twice gives the same values.
Standard library only."""
import math
import random

DAY_S = 86400.0
SUNRISE_S = 6.0 * 3600
SUNSET_S = 19.5 * 3600
STEP_S = 60.0            # the longest integration step, model seconds


def day_random(day, salt):
    """A number in [0, 1) that depends only on the day and the salt."""
    return random.Random(day * 7919 + salt * 104729).random()


class Sky:
    """Sun and weather, the same for every device of the site."""

    def irradiance(self, t):
        """0 at night, 1 in full midday sun; clouds pass on some days."""
        day, second = divmod(t, DAY_S)
        if not SUNRISE_S < second < SUNSET_S:
            return 0.0
        x = (second - SUNRISE_S) / (SUNSET_S - SUNRISE_S)
        clear = math.sin(math.pi * x) ** 1.3
        cloudiness = 0.6 * day_random(int(day), 1) ** 2
        passing = math.sin(second / 1700.0 + day) * math.sin(second / 530.0 + 2.0 * day)
        return clear * (1.0 - cloudiness * max(0.0, passing))

    @staticmethod
    def ambient(t):
        """Air temperature, deg C: coolest at 03:00, warmest at 15:00."""
        second = t % DAY_S
        return 18.0 + 8.0 * math.sin(2 * math.pi * (second / DAY_S - 0.375))


class Battery:
    """A lead-acid bank of n 12 V blocks. Its voltage rises with the charge state and the
    charging current, and steeply when nearly full, so absorption current tapers off."""

    def __init__(self, capacity_ah, blocks, soc):
        self.capacity_ah = capacity_ah
        self.blocks = blocks
        self.soc = soc

    def _rest(self):
        return 11.9 + 1.1 * self.soc

    def _gassing(self):
        return 1.25 * self.soc ** 10

    def voltage(self, current):
        """Terminal voltage with current flowing in (negative: out)."""
        per_100ah = current * 100.0 / self.capacity_ah
        if per_100ah > 0:
            block = self._rest() + self._gassing() + 0.035 * per_100ah
        else:
            block = self._rest() + 0.02 * per_100ah
        return self.blocks * block

    def current_for(self, volts):
        """The charging current that holds the terminal at volts; 0 when it rests above."""
        per_100ah = (volts / self.blocks - self._rest() - self._gassing()) / 0.035
        return max(0.0, per_100ah * self.capacity_ah / 100.0)

    def take(self, current, seconds):
        self.soc = min(1.0, max(0.05, self.soc + current * seconds / 3600.0 / self.capacity_ah))


class ChargeSettings:
    """The setpoints the charger regulates to, for one 12 V block."""

    def __init__(self, regulation=14.1, float_voltage=13.7, absorption_s=3600.0, equalize=15.1):
        self.regulation = regulation
        self.float_voltage = float_voltage
        self.absorption_s = absorption_s
        self.equalize = equalize


class ChargerSpec:
    """A controller with its array, battery and load."""

    def __init__(self, blocks, capacity_ah, rated_a, array_voc, array_imp, mppt, load_a, evening_load_a):
        self.blocks = blocks
        self.capacity_ah = capacity_ah
        self.rated_a = rated_a
        self.array_voc = array_voc           # open-circuit voltage of the array in full sun at 25 C
        self.array_imp = array_imp           # current at the maximum-power point in full sun
        self.mppt = mppt
        self.load_a = load_a                 # drawn all day
        self.evening_load_a = evening_load_a  # added from 18:00 to 23:00


class DayRecord(dict):
    """What a controller logs of one day."""


PHASES = ("night", "bulk", "absorption", "float", "equalize", "disconnected")


class Charger:
    """One charge controller on the site, stepped through model time."""

    def __init__(self, spec, sky, t, hours):
        self.spec = spec
        self.sky = sky
        self.t = t
        self.base_hours = hours - int(t // 3600)
        self.battery = Battery(spec.capacity_ah, spec.blocks, 0.72)
        self.settings = ChargeSettings()
        self.phase = "night"
        self.absorption_done_s = 0.0
        self.equalize_requested = False
        self.charger_disconnected = False
        self.load_disconnected = False
        self.low_voltage_disconnect = False
        self.heatsink_c = sky.ambient(t)
        self.battery_c = sky.ambient(t)
        self.ah_total = 25000.0 * spec.capacity_ah / 100.0
        self.kwh_total = self.ah_total * 12.5 * spec.blocks / 1000.0
        self.days_since_equalize = 5
        self.day_records = []
        self._reset_day()
        self._settle(0.0)

    # ------------------------------------------------------------ values of the moment

    def _settle(self, seconds):
        """Works out the present values; with seconds > 0 the battery and the counters move on."""
        spec = self.spec
        g = self.sky.irradiance(self.t)
        ambient = self.sky.ambient(self.t)
        cell_c = ambient + 25.0 * g
        voc = spec.array_voc * (0.9 + 0.1 * min(1.0, 4.0 * g)) * (1.0 - 0.0035 * (cell_c - 25.0)) if g > 0 else 0.0
        vmp = 0.8 * voc
        evening = 18 * 3600 <= self.t % DAY_S < 23 * 3600
        load = spec.load_a + (spec.evening_load_a if evening else 0.0)
        if self.load_disconnected or self.low_voltage_disconnect:
            load = 0.0
        compensation = -0.03 * (self.battery_c - 25.0)
        blocks = spec.blocks
        regulation = blocks * (self.settings.regulation + compensation)
        float_target = blocks * (self.settings.float_voltage + compensation)
        battery_now = self.battery.voltage(-load)
        sun_up = voc > battery_now + blocks * 0.5
        if self.charger_disconnected:
            self.phase = "disconnected"
        elif not sun_up:
            self.phase = "night"
        elif self.phase in ("night", "disconnected"):
            self.phase = "bulk"
            self.absorption_done_s = 0.0
        if self.equalize_requested and self.phase in ("bulk", "absorption", "float"):
            self.phase = "equalize"
            self.absorption_done_s = 0.0
        if self.phase in ("night", "disconnected"):
            available = 0.0
        elif spec.mppt:
            available = min(spec.rated_a, 0.96 * vmp * spec.array_imp * g / max(battery_now, 1.0))
        else:
            available = min(spec.rated_a, 1.07 * spec.array_imp * g)
        if self.phase == "bulk":
            charge = available
            if self.battery.voltage(charge - load) >= regulation:
                self.phase = "absorption"
        if self.phase == "absorption":
            target = regulation
        elif self.phase == "float":
            target = float_target if self.settings.float_voltage > 0 else regulation
        elif self.phase == "equalize":
            target = blocks * self.settings.equalize
        else:
            target = None
        if target is not None:
            # Holding a voltage takes what the battery accepts there, and a trickle when full.
            needed = max(self.battery.current_for(target), 0.005 * spec.capacity_ah) + load
            charge = min(available, needed)
            volts = target if available >= needed else min(target, self.battery.voltage(charge - load))
        else:
            if self.phase != "bulk":
                charge = 0.0
            volts = self.battery.voltage(charge - load)
        if self.phase in ("absorption", "equalize") and volts >= target - 0.05 * blocks:
            self.absorption_done_s += seconds
        if self.phase == "absorption" and self.absorption_done_s >= self.settings.absorption_s:
            self.phase = "float"
        if self.phase == "equalize" and self.absorption_done_s >= 3600.0:
            self.phase = "float"
            self.equalize_requested = False
            self.days_since_equalize = 0
            self.day["Flags"] |= 8
        rest = self.battery.voltage(0.0)
        if rest < blocks * 11.6:
            self.low_voltage_disconnect = True
        elif rest > blocks * 12.6:
            self.low_voltage_disconnect = False

        self.irradiance = g
        self.ambient_c = ambient
        self.array_voc = voc
        self.array_vmp = vmp
        self.available_a = available
        self.charge_a = charge
        self.load_a = load
        self.battery_v = volts
        self.target_v = target if target is not None else regulation
        if charge <= 0:
            self.array_v = voc
        elif spec.mppt:
            self.array_v = vmp + (voc - vmp) * (1.0 - charge / max(available, 1e-6))
        else:
            self.array_v = volts + 0.4 + (voc - volts - 0.4) * (1.0 - charge / max(available, 1e-6))
        self.array_a = charge * volts / max(self.array_v, 1.0) / 0.96 if spec.mppt else charge
        self.duty = 100.0 * charge / available if available > 0 else 0.0
        self.power_w = volts * charge

        if seconds > 0:
            self.battery.take(0.98 * charge - load, seconds)
            lag = 1.0 - math.exp(-seconds / 900.0)
            self.heatsink_c += (ambient + 30.0 * charge / spec.rated_a - self.heatsink_c) * lag
            self.battery_c += (ambient + 2.0 - self.battery_c) * (1.0 - math.exp(-seconds / 7200.0))
            self.ah_total += charge * seconds / 3600.0
            self.kwh_total += self.power_w * seconds / 3.6e6
            self._count_day(seconds)

    # ------------------------------------------------------------ days

    def _reset_day(self):
        self.day = DayRecord(Flags=0, battery_min=1e9, battery_max=0.0, array_max=0.0, charge_ah=0.0,
                             load_ah=0.0, power_max=0.0, energy_kwh=0.0, absorption_s=0.0, float_s=0.0,
                             equalize_s=0.0, battery_c_min=1e9)

    def _count_day(self, seconds):
        d = self.day
        d["battery_min"] = min(d["battery_min"], self.battery_v)
        d["battery_max"] = max(d["battery_max"], self.battery_v)
        d["array_max"] = max(d["array_max"], self.array_v)
        d["charge_ah"] += self.charge_a * seconds / 3600.0
        d["load_ah"] += self.load_a * seconds / 3600.0
        d["power_max"] = max(d["power_max"], self.power_w)
        d["energy_kwh"] += self.power_w * seconds / 3.6e6
        d["battery_c_min"] = min(d["battery_c_min"], self.battery_c)
        key = {"absorption": "absorption_s", "float": "float_s", "equalize": "equalize_s"}.get(self.phase)
        if key:
            d[key] += seconds

    def _end_day(self):
        record = self.day
        record["hours"] = self.hours
        self.day_records.append(record)
        self.days_since_equalize = min(255, self.days_since_equalize + 1)
        self._reset_day()

    @property
    def hours(self):
        # From the clock, not summed steps, so that days are 24 hours apart to the hour.
        return self.base_hours + int((self.t + 1e-6) // 3600)

    def advance(self, t, max_step=STEP_S):
        """Moves the charger on to model time t (never back), ending days on the way."""
        while self.t < t:
            midnight = (self.t // DAY_S + 1) * DAY_S
            step = min(max_step, t - self.t, midnight - self.t)
            self.t += step
            self._settle(step)
            if self.t >= midnight:
                self._end_day()
