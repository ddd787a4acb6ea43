#!/usr/bin/python3
"""Generator of .qvz firmware files for the loader's tests. Standard library only.

Layout: header text, 0x1A, version (u16 LE), record format (u16 LE), for format 2 a record
size byte, for formats 1 and 2 a product id (u32 LE), record count (u16 LE), then every
record: its data bytes and their CRC-16/XMODEM, high byte first.

  qvzgen.py write OUT [--format F] [--version V] [--product-id P] [--record-size S]
                      [--records N] [--header TEXT] [--seed N] [--damage KIND]
  qvzgen.py suite DIR     writes the named files of SUITE into DIR, then DIR/done
  qvzgen.py dump FILE     prints header, product id, record size and records

The bootloader and the benchmark import it: build_qvz(), make_records(), parse_qvz(),
read_frames(), crc16_xmodem(), frame_of().
"""
import argparse
import os
import random
import struct
import sys

END_OF_HEADER = 0x1A
DEFAULT_HEADER = "Quorvant test firmware 1.02"

# Damaged variants; each names the loader's failure it provokes.
DAMAGES = {
    "none": "loads",
    "header-too-long": "1024 header bytes before the 0x1A",
    "header-unterminated": "the file ends inside the header",
    "empty": "an empty file",
    "eof-in-version": "one byte of the version",
    "eof-in-format": "one byte of the record format",
    "no-size-byte": "format 2 without its record size byte",
    "eof-in-product-id": "two bytes of the product id",
    "eof-in-count": "one byte of the record count",
    "missing-record": "the count promises one record more than there is",
    "data-cut": "the last record ends inside its data",
    "crc-cut": "the last record has its data and one CRC byte",
    "crc-missing": "the last record has its data and no CRC",
    "crc-swapped": "the CRC bytes of the last record swapped",
    "data-flipped": "one bit of the last record's data flipped",
    "extra-byte": "one stray byte after the last record",
}


def crc16_xmodem(data, crc=0):
    """CRC-16/XMODEM, computed the table-free textbook way (independent of the loader's)."""
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else (crc << 1)
            crc &= 0xFFFF
    return crc


def frame_of(record):
    """The bytes of one record on the wire and in the file: data, CRC high, CRC low."""
    return bytes(record) + struct.pack(">H", crc16_xmodem(record))


def make_records(count, size, seed=1):
    """Deterministic records whose CRC bytes differ, so that swapping them is detectable."""
    rng = random.Random(seed)
    records = []
    while len(records) < count:
        data = bytes(rng.randrange(256) for _ in range(size))
        crc = crc16_xmodem(data)
        if (crc >> 8) != (crc & 0xFF):
            records.append(data)
    return records


def build_qvz(records, record_format=1, version=0, product_id=1, record_size=None,
              header=DEFAULT_HEADER, damage="none", count=None):
    if damage not in DAMAGES:
        raise ValueError("unknown damage %r" % damage)
    if record_size is None:
        record_size = len(records[0]) if records else 8
    header_bytes = header.encode("latin-1") if isinstance(header, str) else bytes(header)
    if damage == "header-too-long":
        header_bytes = (header_bytes * (1024 // max(1, len(header_bytes)) + 1))[:1024]
    if damage == "empty":
        return b""
    if damage == "header-unterminated":
        return header_bytes

    out = bytearray(header_bytes)
    out.append(END_OF_HEADER)
    if damage == "eof-in-version":
        return bytes(out + struct.pack("<H", version)[:1])
    out += struct.pack("<H", version)
    if damage == "eof-in-format":
        return bytes(out + struct.pack("<H", record_format)[:1])
    out += struct.pack("<H", record_format)
    if record_format == 2:
        if damage == "no-size-byte":
            return bytes(out)
        out.append(record_size & 0xFF)
    if record_format in (1, 2):
        if damage == "eof-in-product-id":
            return bytes(out + struct.pack("<I", product_id)[:2])
        out += struct.pack("<I", product_id & 0xFFFFFFFF)
    if count is None:
        count = len(records) + (1 if damage == "missing-record" else 0)
    if damage == "eof-in-count":
        return bytes(out + struct.pack("<H", count)[:1])
    out += struct.pack("<H", count)

    frames = [bytearray(frame_of(r)) for r in records]
    if frames:
        last = frames[-1]
        size = len(last) - 2
        if damage == "data-cut":
            del last[max(1, size // 2):]
        elif damage == "crc-cut":
            del last[size + 1:]
        elif damage == "crc-missing":
            del last[size:]
        elif damage == "crc-swapped":
            last[size], last[size + 1] = last[size + 1], last[size]
        elif damage == "data-flipped":
            last[0] ^= 0x01
    for frame in frames:
        out += frame
    if damage == "extra-byte":
        out.append(0x00)
    return bytes(out)


def read_frames(data, path=""):
    """(header text, product id, record size, [record frames: data + CRC high, low], the
    offset after the last record) of a file whose layout is sound; the CRCs are not checked.
    Raises ValueError when the layout is not. Format 0 derives the product id from the path."""
    end = data.find(bytes([END_OF_HEADER]))
    if end < 0 or end >= 1024:
        raise ValueError("bad header")
    header = data[:end].split(b"\0")[0].decode("latin-1")
    pos = end + 1
    version, record_format = struct.unpack_from("<HH", data, pos)
    pos += 4
    if version != 0 or record_format not in (0, 1, 2):
        raise ValueError("bad version or format")
    record_size = 8
    if record_format == 2:
        record_size = data[pos]
        pos += 1
    if record_format == 0:
        product_id = 2 if "meter" in path else 1
    else:
        (product_id,) = struct.unpack_from("<I", data, pos)
        pos += 4
    (count,) = struct.unpack_from("<H", data, pos)
    pos += 2
    frames = []
    for _ in range(count):
        frame = data[pos:pos + record_size + 2]
        if len(frame) != record_size + 2:
            raise ValueError("bad record %d" % (len(frames) + 1))
        frames.append(bytes(frame))
        pos += record_size + 2
    return header, product_id, record_size, frames, pos


def parse_qvz(data, path=""):
    """(header text, product id, record size, [record data]) of a sound file; raises
    ValueError on any fault. Format 0 derives the product id from the path."""
    header, product_id, record_size, frames, end = read_frames(data, path)
    for number, frame in enumerate(frames, 1):
        if frame_of(frame[:record_size]) != frame:
            raise ValueError("bad record %d" % number)
    if end != len(data):
        raise ValueError("extra data")
    return header, product_id, record_size, [frame[:record_size] for frame in frames]


def _suite():
    """Files for the reader's tests: name -> bytes. Three records unless said otherwise."""
    rec8 = make_records(3, 8, seed=8)
    rec5 = make_records(4, 5, seed=5)
    files = {
        "format0.qvz": build_qvz(rec8, record_format=0),
        "lower/meter_v12.qvz": build_qvz(rec8, record_format=0),
        "upper/Meter_v12.qvz": build_qvz(rec8, record_format=0),
        "format1_pid4.qvz": build_qvz(rec8, record_format=1, product_id=4),
        "format2_size5_pid7.qvz": build_qvz(rec5, record_format=2, record_size=5, product_id=7),
        "format2_size16_pid9.qvz": build_qvz(make_records(2, 16, seed=16), record_format=2,
                                             record_size=16, product_id=9),
        "format2_size17.qvz": build_qvz(make_records(1, 17, seed=17), record_format=2,
                                        record_size=17, product_id=1),
        "format2_size0.qvz": build_qvz([b""], record_format=2, record_size=0, product_id=1),
        "header_1023.qvz": build_qvz(rec8, header="H" * 1023),
        "header_zero_byte.qvz": build_qvz(rec8, header=b"Visible\0hidden"),
        "version1.qvz": build_qvz(rec8, version=1),
        "format3.qvz": build_qvz(rec8, record_format=3),
        "pid0.qvz": build_qvz(rec8, product_id=0),
        "pid10.qvz": build_qvz(rec8, product_id=10),
        "zero_records.qvz": build_qvz([], record_format=1, product_id=1),
        "many_records.qvz": build_qvz(make_records(2000, 8, seed=2000), product_id=5),
    }
    for damage in DAMAGES:
        if damage != "none":
            record_format = 2 if damage == "no-size-byte" else 1
            files["damage_%s.qvz" % damage] = build_qvz(
                rec8, record_format=record_format, product_id=3, damage=damage)
    return files


def write_file(path, data):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    temporary = path + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(description="Writes .qvz firmware files for tests.")
    commands = parser.add_subparsers(dest="command", required=True)
    write = commands.add_parser("write")
    write.add_argument("out")
    write.add_argument("--format", type=int, default=1)
    write.add_argument("--version", type=int, default=0)
    write.add_argument("--product-id", type=int, default=1)
    write.add_argument("--record-size", type=int, default=8)
    write.add_argument("--records", type=int, default=3)
    write.add_argument("--header", default=DEFAULT_HEADER)
    write.add_argument("--seed", type=int, default=1)
    write.add_argument("--damage", choices=sorted(DAMAGES), default="none")
    suite = commands.add_parser("suite")
    suite.add_argument("dir")
    dump = commands.add_parser("dump")
    dump.add_argument("file")
    args = parser.parse_args(argv)

    if args.command == "write":
        records = make_records(args.records, args.record_size, args.seed)
        write_file(args.out, build_qvz(records, args.format, args.version, args.product_id,
                                       args.record_size, args.header, args.damage))
    elif args.command == "suite":
        for name, data in _suite().items():
            write_file(os.path.join(args.dir, name), data)
        write_file(os.path.join(args.dir, "done"), b"")
    else:
        with open(args.file, "rb") as f:
            header, product_id, size, records = parse_qvz(f.read(), args.file)
        print("header: %s\nproduct id: %d\nrecord size: %d\nrecords: %d"
              % (header, product_id, size, len(records)))
        for index, record in enumerate(records, 1):
            print("%5d %s" % (index, frame_of(record).hex()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
