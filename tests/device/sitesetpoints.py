"""The setpoint registers the simulated controllers keep in EEPROM, as a device leaves the
factory, and the channel configuration of the simulated relay module: register -> word.
Standard library only."""
import math

# ---------------------------------------------------------------- helpers


def raw_word(value, scale):
    """value / scale rounded half away from zero, as a 16-bit word."""
    quotient = value / scale
    rounded = math.floor(abs(quotient) + 0.5)
    return int(math.copysign(rounded, quotient)) & 0xFFFF


def scaled_table(rows):
    return {register: raw_word(value, scale) for register, value, scale in rows}


def text_words(text, registers):
    """A text two characters a register, the first in the low byte, zero-filled."""
    data = text.encode("ascii").ljust(2 * registers, b"\0")
    return [data[2 * i] | data[2 * i + 1] << 8 for i in range(registers)]


def ip_words(text):
    a, b, c, d = (int(part) for part in text.split("."))
    return [b << 8 | a, d << 8 | c]


class ControllerSetpoints:
    """A controller's factory table and where it keeps what steers its charging: (register,
    scale) of the regulation and float voltages per 12 V and of the absorption time in
    seconds, and the register of its own Modbus id."""

    def __init__(self, table, regulation, float_voltage, absorption_s, modbus_id):
        self.table = table
        self.regulation = regulation
        self.float_voltage = float_voltage
        self.absorption_s = absorption_s
        self.modbus_id = modbus_id


def fill(table, first, words):
    for offset, word in enumerate(words):
        table[first + offset] = word & 0xFFFF


# ---------------------------------------------------------------- Varnix

_VARNIX_V = 96.667 / 32768
_VARNIX_ARRAY_V = 139.15 / 32768
VARNIX = ControllerSetpoints(scaled_table([
    (0xE000, 14.1, _VARNIX_V), (0xE001, 13.7, _VARNIX_V), (0xE002, 3600, 1), (0xE003, 7200, 1),
    (0xE004, 12.5, _VARNIX_V), (0xE005, 11.5, _VARNIX_V), (0xE006, 15.1, _VARNIX_V), (0xE007, 28, 1),
    (0xE008, 10800, 1), (0xE009, 3600, 1), (0xE00A, -0.03, -96.667 / 65536), (0xE00B, 15.5, _VARNIX_V),
    (0xE00C, 14, _VARNIX_V), (0xE00D, 0, -255), (0xE00E, 3600, 1), (0xE00F, 11.5, _VARNIX_V),
    (0xE010, 12.6, _VARNIX_V), (0xE011, 0, _VARNIX_V), (0xE012, 0, _VARNIX_V), (0xE013, 0.02, 0.305 / 65536),
    (0xE014, 300, 0.1), (0xE015, 3600, 1), (0xE016, 3600, 1), (0xE017, 255, 1),
    (0xE018, 8, _VARNIX_ARRAY_V), (0xE019, 10, _VARNIX_ARRAY_V), (0xE01A, 7, _VARNIX_ARRAY_V),
    (0xE01B, 13, _VARNIX_V), (0xE01C, 12.5, _VARNIX_V), (0xE01D, 12, _VARNIX_V), (0xE01E, 11.5, _VARNIX_V),
    (0xE01F, 80, 1), (0xE020, -40, 1), (0xE021, 1, 1), (0xE022, 60, 1), (0xE023, 0, 1),
    (0xE040, 1, 1), (0xE041, 30, 100 / 256), (0xE042, 0, 1),
]), (0xE000, _VARNIX_V), (0xE001, _VARNIX_V), (0xE002, 1), 0xE021)

# ---------------------------------------------------------------- Corandel MPPT

_CR_V = 100 / 32768
_CR_PERCENT = 50 / 32768
CORANDEL_MPPT = ControllerSetpoints(scaled_table([
    (0xE000, 14.0, _CR_V), (0xE001, 13.7, _CR_V), (0xE002, 3600, 1), (0xE004, 12.5, _CR_V),
    (0xE003, 7200, 1), (0xE005, 12.0, _CR_V), (0xE006, 3600, 1), (0xE007, 14.1, _CR_V), (0xE008, 28, 1),
    (0xE00A, 3600, 1), (0xE009, 10800, 1), (0xE00D, 14.3, _CR_V), (0xE00E, 13.7, _CR_V), (0xE00F, 3600, 1),
    (0xE011, 12.5, _CR_V), (0xE010, 7200, 1), (0xE012, 12.0, _CR_V), (0xE013, 3600, 1),
    (0xE014, 14.5, _CR_V), (0xE015, 28, 1), (0xE017, 3600, 1), (0xE016, 10800, 1),
    (0xE01A, -0.03, -50 / 32768), (0xE01B, 15.3, _CR_V), (0xE01C, 13.8, _CR_V), (0xE01D, 15.0, _CR_V),
    (0xE01E, 80, 1), (0xE01F, -30, 1), (0xE022, 11.5, _CR_V), (0xE023, 12.6, _CR_V), (0xE024, 0, _CR_V),
    (0xE025, 0, _CR_V), (0xE026, -0.02, -0.6315 / 32768), (0xE027, 300, 0.1), (0xE031, 12.0, _CR_V),
    (0xE032, 11.5, _CR_V), (0xE033, 12.5, _CR_V), (0xE030, 13.0, _CR_V), (0xE035, 1, 1), (0xE034, 1, 1),
    (0xE028, 0, 1), (0xE029, 53, _CR_PERCENT), (0xE02A, 42, _CR_PERCENT), (0xE02B, 18504, 1),
    (0xE02C, 16264, 1), (0xE02D, 0, 1), (0xE02E, 32768, 1), (0xE02F, 32888, 1), (0xE03B, 0, 1),
    (0xE03C, 16264, 1), (0xE03D, 0, 1), (0xE03E, 32768, 1), (0xE03F, 32888, 1),
]), (0xE000, _CR_V), (0xE001, _CR_V), (0xE002, 1), 0xE034)

# ---------------------------------------------------------------- Corandel Duo

CORANDEL_DUO_TABLE = {
    0xE000: 1, 0xE001: 1, 0xE002: 209, 0xE003: 375, 0xE004: 54,
    0xE006: 25380, 0xE007: 0, 0xE008: 24660, 0xE009: 27000, 0xE00A: 60, 0xE00B: 0,
    0xE00C: 25920, 0xE00D: 26370, 0xE00E: 24660, 0xE00F: 27000, 0xE010: 120, 0xE011: 180,
    0xE012: 25380, 0xE013: 0, 0xE014: 24660, 0xE015: 27000, 0xE016: 60, 0xE017: 0,
    0xE018: 25920, 0xE019: 26370, 0xE01A: 24660, 0xE01B: 27000, 0xE01C: 120, 0xE01D: 180,
}
_DUO_V = 1 / 1800
# (absorption, float, minutes until float) of the DIP1 OFF set of each battery
CORANDEL_DUO_BATTERIES = (((0xE006, _DUO_V), (0xE008, _DUO_V), (0xE00A, 60)),
                          ((0xE012, _DUO_V), (0xE014, _DUO_V), (0xE016, 60)))
CORANDEL_DUO_PRIORITY = (0xE002, 100 / 417)
# Each battery has its own setpoints: those of the first battery stand here.
CORANDEL_DUO = ControllerSetpoints(CORANDEL_DUO_TABLE, *CORANDEL_DUO_BATTERIES[0], 0xE001)

# ---------------------------------------------------------------- Varnix MPPT and HV MPPT

_MPPT_V = 180 / 32768
_MPPT_WIND_POWER = 3600 / 32768
NOTIFICATION_BASES = (0x1535, 0x1544, 0x1553, 0x1562)
COMPARE_LESS = 2


def varnix_mppt_setpoints():
    """The setpoint block (0xE000-0xE042) and the network block (0x1501-0x16FF)."""
    table = {address: 0 for address in range(0xE000, 0xE043)}
    table.update({address: 0 for address in range(0x1501, 0x1700)})
    table.update(scaled_table([
        (0xE000, 14.1, _MPPT_V), (0xE004, 12.5, _MPPT_V), (0xE00D, -0.03, -90 / 32768),
        (0xE010, 15.0, _MPPT_V), (0xE001, 13.5, _MPPT_V), (0xE005, 12.5, _MPPT_V), (0xE007, 15.1, _MPPT_V),
        (0xE00E, 15.5, _MPPT_V), (0xE00F, 14.0, _MPPT_V), (0xE015, 13.0, _MPPT_V), (0xE016, 12.5, _MPPT_V),
        (0xE017, 12.0, _MPPT_V), (0xE018, 11.5, _MPPT_V),
    ]))
    table.update({0xE002: 9000, 0xE003: 10800, 0xE006: 1800, 0xE00A: 3600, 0xE009: 10800,
                  0xE00B: 60, 0xE008: 28, 0xE019: 1, 0xE01A: 1, 0xE012: -40 & 0xFFFF, 0xE011: 80})
    table[0x1517] = 1 << 14                          # DHCP on
    fill(table, 0x1501, ip_words("192.168.1.100"))
    fill(table, 0x1503, ip_words("255.255.255.0"))
    fill(table, 0x1505, ip_words("192.168.1.1"))
    fill(table, 0x1507, ip_words("192.168.1.1"))
    table.update({0x151B: 80, 0x151C: 502, 0x151E: 162})
    fill(table, 0x150F, text_words("VX-MPPT", 8))
    for number, base in enumerate(NOTIFICATION_BASES, start=1):
        table.update({base + 2: 24, base + 3: 2093, base + 4: COMPARE_LESS, base + 5: 60, base + 6: 60})
        fill(table, base + 7, text_words("notify%d" % number, 8))
    return table


VARNIX_MPPT = ControllerSetpoints(varnix_mppt_setpoints(), (0xE000, _MPPT_V), (0xE001, _MPPT_V), (0xE002, 1),
                                  0xE019)

# ---------------------------------------------------------------- Ostrel relay module

OSTREL_FUNCTIONS = (0xE002, 0xE003)       # low byte channel 1 (3), high byte channel 2 (4)
OSTREL_BLOCKS = (0xE004, 0xE01C, 0xE034, 0xE04C)
OSTREL_BLOCK_WORDS = 24
FUNCTION_THRESHOLD = 1
STANDALONE_ADDRESS = 255
THRESHOLD_HIGH_ON = 0x02      # flags: output On while the value is high
THRESHOLD_TIMEOUT_ON = 0x08   # flags: output On on communication timeout


class ThresholdChannel:
    """A channel that switches on a watched value with two thresholds (raw counts)."""

    def __init__(self, address, control_type, skelder, high, low, on_while_high):
        self.address = address
        self.control_type = control_type
        self.skelder = skelder                 # (id, frameid, firstbyte, width, bitlsb, signed)
        self.high = high
        self.low = low
        self.on_while_high = on_while_high
        self.signed = bool(skelder[5])

    def image(self):
        """The 33 bytes of the channel's threshold block."""
        ident, frame, first, width, lsb, signed = self.skelder
        flags = THRESHOLD_TIMEOUT_ON | (THRESHOLD_HIGH_ON if self.on_while_high else 0) | (1 if signed else 0)
        data = bytes((self.address, self.control_type, ident, frame, first, width, lsb | (0x80 if signed else 0)))
        data += (1000).to_bytes(2, "little")                       # sample period, 10 s
        data += (self.high & 0xFFFFFFFF).to_bytes(4, "little") + bytes(6)
        data += (self.low & 0xFFFFFFFF).to_bytes(4, "little") + bytes(6)
        data += bytes(2) + flags.to_bytes(2, "little")             # no timeout, flags
        return data

    @classmethod
    def from_image(cls, data):
        signed = bool(data[6] & 0x80)
        skelder = (data[2], data[3], data[4], data[5], data[6] & 0x7F, int(signed))
        high = int.from_bytes(data[9:13], "little", signed=signed)
        low = int.from_bytes(data[19:23], "little", signed=signed)
        flags = int.from_bytes(data[31:33], "little")
        return cls(data[0], data[1], skelder, high, low, bool(flags & THRESHOLD_HIGH_ON))


def block_words(data):
    """Image bytes two to a register, the even byte low; a lone last byte alone."""
    return [data[i] | (data[i + 1] << 8 if i + 1 < len(data) else 0) for i in range(0, len(data), 2)]


def block_bytes(words):
    out = bytearray()
    for word in words:
        out += bytes((word & 0xFF, word >> 8))
    return bytes(out)


def ostrel_setpoints(channels):
    """Function codes and blocks of four channels (a channel None is Disabled)."""
    table = {address: 0 for address in range(OSTREL_FUNCTIONS[0], OSTREL_BLOCKS[3] + OSTREL_BLOCK_WORDS)}
    codes = [FUNCTION_THRESHOLD if channel else 0 for channel in channels]
    table[OSTREL_FUNCTIONS[0]] = codes[0] | codes[1] << 8
    table[OSTREL_FUNCTIONS[1]] = codes[2] | codes[3] << 8
    for channel, first in zip(channels, OSTREL_BLOCKS):
        if channel:
            fill(table, first, block_words(channel.image()))
    return table
