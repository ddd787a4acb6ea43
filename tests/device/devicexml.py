"""Reading a device description file (devices.xml) the way the program reads it: numbers,
variables with their registers and ranges, Skelder fields and the log layout.
Standard library only."""
import re
import xml.etree.ElementTree as ElementTree


def c_integer(text):
    """An integer as C's strtol with base 0 reads it: a sign, then decimal, "0x" hexadecimal
    or leading-0 octal."""
    body = text.strip()
    sign = 1
    if body[:1] in "+-":
        sign = -1 if body[0] == "-" else 1
        body = body[1:]
    if body[:2].lower() == "0x":
        return sign * int(body[2:], 16)
    if len(body) > 1 and body[0] == "0":
        return sign * int(body[1:], 8)
    return sign * int(body, 10)


def query_integer(text):
    """An integer as the program's XML library queries it: the leading decimal digits."""
    match = re.match(r"\s*([+-]?\d+)", text or "")
    if match is None:
        raise ValueError("not a number: %r" % text)
    return int(match.group(1))


def find_device(xml_path, name):
    root = ElementTree.parse(xml_path).getroot()
    device = next((d for d in root.findall("device") if d.get("name") == name), None)
    if device is None:
        raise ValueError("no device named %r in %s" % (name, xml_path))
    return device


class Variable:
    """One variable of a device: where it lies and which values it may hold."""

    def __init__(self, element):
        self.name = element.get("name")
        self.scaling = float(element.get("scaling"))
        self.minimum = float(element.get("min"))
        self.maximum = float(element.get("max"))
        self.signed = self.minimum < 0
        self.low = c_integer(element.get("addressLow", "-1"))
        self.high = c_integer(element.get("addressHigh", "-1"))
        self.size = query_integer(element.get("size")) if element.get("size") else 16
        self.present_if = query_integer(element.get("presentIf")) if element.get("presentIf") else -1
        skelder = element.find("skelder")
        self.skelder_id = query_integer(skelder.get("id")) if skelder is not None else -1
        self.skelder = None
        if skelder is not None:
            self.skelder = tuple(query_integer(skelder.get(key))
                                 for key in ("id", "frameid", "firstbyte", "width", "bitlsb", "signed"))

    def raw_of(self, value):
        """The raw count of an engineering value, kept inside the variable's range."""
        if self.scaling <= 0:
            return int(value)
        raw = int(round(value / self.scaling))
        lowest = int(-(-self.minimum // self.scaling)) if self.minimum > 0 else int(self.minimum / self.scaling)
        highest = int(self.maximum / self.scaling + 1e-9)
        return max(lowest, min(highest, raw))

    def value_of(self, raw):
        """The engineering value of the variable's raw register word(s)."""
        bits = 32 if self.high >= 0 else 16
        if self.signed and raw >= 1 << (bits - 1):
            raw -= 1 << bits
        return raw * int(self.scaling) if self.scaling.is_integer() else raw * self.scaling


class LogLayout:
    """The log a device keeps in its own registers: buffer, end pointer and record fields."""

    def __init__(self, buffer):
        self.start = query_integer(buffer.get("start"))
        self.stop = query_integer(buffer.get("stop"))
        pointer = buffer.get("endpointer")
        self.end_pointer = query_integer(pointer) if pointer is not None else -1
        self.fields = [Variable(v) for v in buffer.find("record").findall("variable")]

    @property
    def word_count(self):
        return self.stop - self.start + 1

    @property
    def variable_length(self):
        return self.end_pointer >= 0


class DeviceDescription:
    """What a device element says: identity, variables, coils and log."""

    def __init__(self, element):
        self.name = element.get("name")
        self.skelder_type = query_integer(element.get("skelderType"))
        self.variables = [Variable(v) for v in element.findall("variable")]
        self.coils = [c_integer(c.get("address")) for c in element.findall("coil")]
        buffer = element.find("loggeddata/buffer")
        self.log = LogLayout(buffer) if buffer is not None else None

    def variable(self, name):
        return next(v for v in self.variables if v.name == name)

    def skelder_variable(self, skelder_id):
        return next((v for v in self.variables if v.skelder_id == skelder_id), None)
