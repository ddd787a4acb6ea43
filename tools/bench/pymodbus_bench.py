#!/usr/bin/python3
"""Reference master for tools/bench-modbus: pymodbus's synchronous client.

Usage: pymodbus_bench.py tcp|tcpshared PORT COUNT, or pymodbus_bench.py rtu|ascii PATH COUNT.
tcpshared connects for every exchange, as our shared TCP link does.
"""
import logging
import sys
import time

from pymodbus.client import ModbusSerialClient, ModbusTcpClient
from pymodbus.framer.ascii_framer import ModbusAsciiFramer
from pymodbus.framer.rtu_framer import ModbusRtuFramer

OPERATIONS = (("read1", 1), ("read10", 10), ("read125", 125), ("write", 0))


def main():
    transport, where, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL)
    reconnect = transport == "tcpshared"
    if transport in ("tcp", "tcpshared"):
        client = ModbusTcpClient("127.0.0.1", port=int(where), timeout=1)
    else:
        framer = ModbusAsciiFramer if transport == "ascii" else ModbusRtuFramer
        client = ModbusSerialClient(port=where, framer=framer, baudrate=9600, timeout=1)
    if not reconnect and not client.connect():
        print("pymodbus_bench: no connection", file=sys.stderr)
        return 1
    for name, registers in OPERATIONS:
        times = []
        errors = 0
        start = time.perf_counter()
        for i in range(count):
            t0 = time.perf_counter()
            try:
                if reconnect:
                    client.connect()
                if registers:
                    reply = client.read_holding_registers(0, registers, slave=1)
                else:
                    reply = client.write_register(200, i & 0xFFFF, slave=1)
                if reply.isError():
                    errors += 1
            except Exception:   # a failed exchange counts as an error, not a stop
                errors += 1
            if reconnect:
                client.close()
            times.append((time.perf_counter() - t0) * 1e6)
        total = time.perf_counter() - start
        times.sort()
        print("RESULT pymodbus %s %s %d %d %.1f %.1f %.1f" % (
            transport, name, count, errors, times[count // 2], times[min(count - 1, count * 99 // 100)],
            count / total), flush=True)
    client.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
