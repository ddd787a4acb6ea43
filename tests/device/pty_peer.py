#!/usr/bin/python3
"""The far end of a pty pair for the serial port tests.

pty_peer.py PATH MODE: "echo" returns every byte; a number N answers the first bytes
received with N bytes (i % 251) and then swallows the rest; "sink" swallows all. Ends
when the other end closes or after 60 s without a byte.
"""
import os
import select
import sys

IDLE_LIMIT_S = 60


def send(fd, data):
    while data:
        data = data[os.write(fd, data):]


def main():
    fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
    mode = sys.argv[2]
    while True:
        ready, _, _ = select.select([fd], [], [], IDLE_LIMIT_S)
        if not ready:
            break
        data = os.read(fd, 4096)
        if not data:
            break
        if mode == "echo":
            send(fd, data)
        elif mode.isdigit():
            send(fd, bytes(i % 251 for i in range(int(mode))))
            mode = "sink"


if __name__ == "__main__":
    main()
