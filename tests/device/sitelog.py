"""The log a simulated device keeps in its own registers, written as a device writes it.

Fixed-length records (no end-pointer register) fill slots counted back from the end of the
buffer, round and round; each record's fields are packed from bit 0 of its first word
upward, words taken low byte first. Variable-length records follow one another around
the ring; the end-pointer register holds the index of the newest record's last word,
which is its presence mask; fields are packed from bit 15 of the first word downward.
Records that a new one overwrites in part are erased whole, so what is left of them never
reads as a record. Standard library only."""

ERASED = 0xFFFF


def field_raw(field, value):
    """The field's raw bits of an engineering value."""
    return field.raw_of(value) & ((1 << field.size) - 1)


def encode_fixed(layout, values):
    """Words of one fixed-length record; "varlist" chooses which alternative fields follow."""
    selector = 0xFFFF
    first_choice = next((f.present_if for f in layout.fields if f.present_if >= 0), None)
    packed = 0
    position = 0
    length = 0
    for field in layout.fields:
        if field.present_if < 0 or field.present_if == first_choice:
            length += field.size
        if field.present_if >= 0 and field.present_if != selector:
            continue
        raw = field_raw(field, values[field.name])
        if field.name == "varlist":
            selector = raw & 0xFFFF
        packed |= raw << position
        position += field.size
    if position != length or length % 16:
        raise ValueError("record of %d bits does not fill its %d-bit slot" % (position, length))
    return [(packed >> (16 * i)) & 0xFFFF for i in range(length // 16)]


def encode_variable(layout, values, mask=None):
    """Words of one variable-length record, its presence mask last (all fields by default)."""
    if mask is None:
        mask = 0
        for field in layout.fields:
            mask |= max(field.present_if, 0)
    packed = 0
    bits = 0
    for field in layout.fields:
        if field.present_if >= 0 and not field.present_if & mask:
            continue
        packed = (packed << field.size) | field_raw(field, values[field.name])
        bits += field.size
    if bits % 16:
        raise ValueError("record fields of %d bits are not whole words" % bits)
    count = bits // 16
    return [(packed >> (bits - 16 * (i + 1))) & 0xFFFF for i in range(count)] + [mask & 0xFFFF]


class LogBuffer:
    """The buffer registers of one device and the records in them."""

    def __init__(self, layout, cells):
        self.layout = layout
        self.cells = cells
        self.count = layout.word_count
        self.words = [ERASED] * self.count
        self.end = self.count - 1          # last word of the newest record
        self.next_slot = 0                 # fixed-length: the slot the next record takes
        self.live = []                     # variable-length: (first word, length), oldest first
        self.records = 0
        for index in range(self.count):
            self._put(index, ERASED)
        self._put_pointer()

    def _put(self, index, word):
        self.words[index] = word
        self.cells[self.layout.start + index].write(word)

    def _put_pointer(self):
        if self.layout.variable_length:
            self.cells[self.layout.end_pointer].write(self.end)

    def append(self, values):
        if self.layout.variable_length:
            self._append_variable(encode_variable(self.layout, values))
        else:
            self._append_fixed(encode_fixed(self.layout, values))
        self.records += 1

    def _append_fixed(self, words):
        length = len(words)
        slots = self.count // length
        first = self.count - (self.next_slot % slots + 1) * length
        for offset, word in enumerate(words):
            self._put(first + offset, word)
        self.next_slot += 1

    def _append_variable(self, words):
        length = len(words)
        first = (self.end + 1) % self.count
        taken = {(first + i) % self.count for i in range(length)}
        kept = []
        for start, size in self.live:
            span = {(start + i) % self.count for i in range(size)}
            if span & taken:
                for index in span - taken:
                    self._put(index, ERASED)
            else:
                kept.append((start, size))
        for offset, word in enumerate(words):
            self._put((first + offset) % self.count, word)
        self.live = kept + [(first, length)]
        self.end = (first + length - 1) % self.count
        self._put_pointer()
