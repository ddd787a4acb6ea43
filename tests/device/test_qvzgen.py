"""Tests of the .qvz generator: the checksum, the layout of every format, and that each
damaged variant is really damaged."""
import os
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import qvzgen  # noqa: E402


class Crc(unittest.TestCase):
    def test_published_check_value(self):
        self.assertEqual(qvzgen.crc16_xmodem(b"123456789"), 0x31C3)

    def test_frame_is_data_then_crc_high_first(self):
        self.assertEqual(qvzgen.frame_of(b"123456789")[-2:], b"\x31\xc3")


class Layout(unittest.TestCase):
    def test_format1_fields_in_order(self):
        records = qvzgen.make_records(2, 8, seed=3)
        data = qvzgen.build_qvz(records, record_format=1, product_id=7, header="AB")
        self.assertEqual(data[:3], b"AB\x1a")
        self.assertEqual(struct.unpack_from("<HHIH", data, 3), (0, 1, 7, 2))
        self.assertEqual(len(data), 3 + 10 + 2 * 10)

    def test_round_trip_of_each_format(self):
        for record_format, size in ((0, 8), (1, 8), (2, 5), (2, 16)):
            with self.subTest(record_format=record_format, size=size):
                records = qvzgen.make_records(4, size, seed=size)
                data = qvzgen.build_qvz(records, record_format=record_format, product_id=8,
                                        record_size=size)
                header, pid, got_size, got = qvzgen.parse_qvz(data, "x/meter.qvz")
                self.assertEqual(header, qvzgen.DEFAULT_HEADER)
                self.assertEqual(pid, 2 if record_format == 0 else 8)
                self.assertEqual((got_size, got), (size, records))

    def test_records_have_distinct_crc_bytes(self):
        for record in qvzgen.make_records(200, 8, seed=9):
            frame = qvzgen.frame_of(record)
            self.assertNotEqual(frame[-2], frame[-1])


class Damage(unittest.TestCase):
    def test_every_damage_is_refused_by_the_parser(self):
        records = qvzgen.make_records(3, 8)
        for damage in qvzgen.DAMAGES:
            if damage == "none":
                continue
            with self.subTest(damage=damage):
                fmt = 2 if damage == "no-size-byte" else 1
                data = qvzgen.build_qvz(records, record_format=fmt, damage=damage)
                self.assertNotEqual(data, qvzgen.build_qvz(records, record_format=fmt))
                with self.assertRaises((ValueError, struct.error, IndexError)):
                    qvzgen.parse_qvz(data)

    def test_long_header_fills_the_whole_buffer(self):
        data = qvzgen.build_qvz(qvzgen.make_records(1, 8), damage="header-too-long")
        self.assertEqual(data.index(b"\x1a"), 1024)

    def test_crc_cut_keeps_one_crc_byte(self):
        records = qvzgen.make_records(1, 8)
        whole = qvzgen.build_qvz(records)
        self.assertEqual(qvzgen.build_qvz(records, damage="crc-cut"), whole[:-1])


class CommandLine(unittest.TestCase):
    def test_suite_writes_files_and_marker_last(self):
        with tempfile.TemporaryDirectory() as folder:
            self.assertEqual(qvzgen.main(["suite", folder]), 0)
            self.assertTrue(os.path.exists(os.path.join(folder, "done")))
            with open(os.path.join(folder, "format2_size5_pid7.qvz"), "rb") as f:
                _, pid, size, records = qvzgen.parse_qvz(f.read())
            self.assertEqual((pid, size, len(records)), (7, 5, 4))

    def test_write_with_options(self):
        with tempfile.TemporaryDirectory() as folder:
            out = os.path.join(folder, "f.qvz")
            qvzgen.main(["write", out, "--format", "2", "--record-size", "12",
                         "--records", "7", "--product-id", "6"])
            with open(out, "rb") as f:
                _, pid, size, records = qvzgen.parse_qvz(f.read())
            self.assertEqual((pid, size, len(records)), (6, 12, 7))


if __name__ == "__main__":
    unittest.main()
