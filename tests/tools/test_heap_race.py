"""tools/lib/heap-race on the outputs of strict runs (lines as Wine 8 writes them): a report
that another thread's free in progress explains is named, a genuine fault is not."""
import os
import subprocess
import sys
import tempfile
import unittest

HEAP_RACE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "lib", "heap-race")
HEAP = "0000000000C80000"


def alloc(thread, size, pointer):
    return "%s:trace:heap:RtlAllocateHeap handle %s, flags 0, size %#x, return %s, status 0." % (
        thread, HEAP, size, pointer)


def free(thread, pointer):
    return "%s:trace:heap:RtlFreeHeap handle %s, flags 0, ptr %s, return 1, status 0." % (thread, HEAP, pointer)


def realloc(thread, pointer, size, returned):
    return "%s:trace:heap:RtlReAllocateHeap handle %s, flags 0, ptr %s, size %#x, return %s, status 0." % (
        thread, HEAP, pointer, size, returned)


def report(thread, block, text):
    return "%s:err:heap:validate_used_block heap %s, block %s: %s" % (thread, HEAP, block, text)


ASSERTION = "wine: Assertion failed at address 0000000170025DE8 (thread %s), starting debugger..."
# Data of the block 0000000000C9FD78.
DATA = "0000000000C9FD80"


def heap_race(lines):
    with tempfile.NamedTemporaryFile("w", suffix=".log", delete=False) as output:
        output.write("\n".join(lines) + "\n")
    try:
        return subprocess.run([sys.executable, HEAP_RACE, output.name], check=True,
                              capture_output=True, text=True).stdout.splitlines()
    finally:
        os.unlink(output.name)


class HeapRaceTest(unittest.TestCase):
    def test_a_free_in_progress_on_another_thread_is_named_as_the_race(self):
        for text in ("free block overwritten", "invalid block tail"):
            notes = heap_race([
                alloc("012c", 0x10, DATA),
                free("012c", DATA),
                alloc("012c", 0x20, DATA),            # in use again
                alloc("011c", 0x18, "0000000000C9E6F0"),
                report("011c", "0000000000C9FD78", text),
                ASSERTION % "011c",
                "011c:trace:heap:heap_dump heap: " + HEAP,
                free("012c", DATA),                   # the free the check raced with
                alloc("012c", 0x18, "0000000000CE3850"),
            ])
            self.assertEqual(1, len(notes), notes)
            self.assertIn("block 0000000000C9FD78 (%s)" % text, notes[0])
            self.assertIn("freed by thread 012c while thread 011c checked", notes[0])

    def test_an_overflow_of_a_block_in_use_is_not_the_race(self):
        # Its owner's free finds the damage at its own start and never ends.
        self.assertEqual([], heap_race([
            alloc("0024", 0x14, DATA),
            report("00f4", "0000000000C9FD78", "invalid block tail"),
            ASSERTION % "00f4",
            report("0024", "0000000000C9FD78", "invalid block tail"),
            ASSERTION % "0024",
        ]))

    def test_a_write_after_the_free_ended_is_not_the_race(self):
        self.assertEqual([], heap_race([
            alloc("0024", 0x14, DATA),
            free("0024", DATA),
            report("00e8", "0000000000C9FD78", "free block overwritten"),
            ASSERTION % "00e8",
            alloc("0024", 0x14, DATA),
            free("0024", DATA),
        ]))

    def test_a_block_moved_away_by_a_reallocation_counts_as_freed(self):
        notes = heap_race([
            alloc("0108", 0x18, DATA),
            report("0100", "0000000000C9FD78", "invalid block tail"),
            realloc("0108", DATA, 0x400, "0000000000CE0000"),
        ])
        self.assertEqual(1, len(notes), notes)
        self.assertIn("freed by thread 0108", notes[0])

    def test_a_block_grown_in_place_is_still_in_use(self):
        self.assertEqual([], heap_race([
            alloc("0108", 0x18, DATA),
            report("0100", "0000000000C9FD78", "invalid block tail"),
            realloc("0108", DATA, 0x20, DATA),
            free("0108", DATA),
        ]))

    def test_the_reporting_thread_freeing_the_block_itself_is_not_the_race(self):
        self.assertEqual([], heap_race([
            alloc("0108", 0x18, DATA),
            report("0100", "0000000000C9FD78", "invalid block tail"),
            free("0100", DATA),
        ]))

    def test_a_run_without_reports_says_nothing(self):
        self.assertEqual([], heap_race([alloc("0108", 0x18, DATA), free("0108", DATA)]))


if __name__ == "__main__":
    unittest.main()
