#!/usr/bin/python3
"""Serial peer of the smoke test: answers every byte on the pty with its upper-case
form, so that the test sees its data went through the peer and back."""
import os
import sys
import time


def main():
    path = sys.argv[1]
    limit_s = float(sys.argv[2]) if len(sys.argv) > 2 else 120.0
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        try:
            data = os.read(fd, 256)
        except OSError:
            time.sleep(0.05)
            continue
        if data:
            os.write(fd, data.upper())
        else:
            time.sleep(0.01)
    return 0


if __name__ == "__main__":
    sys.exit(main())
