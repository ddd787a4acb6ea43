#!/usr/bin/python3
"""Independent Modbus server for the tests: Debian's pymodbus serving a register map that
the test chooses, so that our master is checked against an implementation nobody here wrote.

Profile (JSON, --profile FILE), a subset of the test device's (qvdevice.py):

  {
    "units": {
      "1": {"holding": {"0": [1, 2, 3]}, "input": {"0": 7}, "coils": {"0": false}}
    },
    "identification": {"0": "Quorvant Corp.", "1": "QV-1000", "2": "1.00"}
  }

Addresses are decimal or "0x.." keys; a list fills consecutive registers from its key.
Only listed addresses exist, so any other address gets exception 02. Identification is
one per server (pymodbus keeps it process-wide); an object set to null or "" is left out.
Units not listed get no answer.

Transports (one per run): --rtu PATH or --ascii PATH (a pty end), or --tcp-port N on
127.0.0.1 (0: any free port). The port file gets the TCP port (0 for serial lines) once
the server is ready. --lifetime ends the server by itself.
"""
import argparse
import asyncio
import json
import logging
import os
import signal
import sys

from pymodbus.datastore import ModbusServerContext, ModbusSlaveContext, ModbusSparseDataBlock
from pymodbus.device import ModbusDeviceIdentification
from pymodbus.framer.ascii_framer import ModbusAsciiFramer
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.server.async_io import ModbusSerialServer, ModbusTcpServer

IDENTIFICATION_NAMES = {0: "VendorName", 1: "ProductCode", 2: "MajorMinorRevision"}
DEFAULT_IDENTIFICATION = {0: "Quorvant Corp.", 1: "QV-1000", 2: "1.00"}


def parse_address(key):
    return int(key, 0)


def load_table(table):
    """{"10": [1, 2], "20": 5} -> {10: 1, 11: 2, 20: 5}; values taken modulo 65536."""
    values = {}
    for key, value in (table or {}).items():
        start = parse_address(key)
        items = value if isinstance(value, list) else [value]
        for offset, item in enumerate(items):
            values[start + offset] = int(item) & 0xFFFF
    return values


def load_unit(entry):
    holding = load_table(entry.get("holding"))
    inputs = load_table(entry.get("input"))
    coils = {parse_address(k): bool(v) for k, v in (entry.get("coils") or {}).items()}

    # An empty sparse block would be filled by pymodbus with a default register 0.
    def block(values):
        return ModbusSparseDataBlock(values) if values else ModbusSparseDataBlock({0x10000: 0})

    # zero_mode: the address on the wire is the data block's address, with no +1.
    return ModbusSlaveContext(hr=block(holding), ir=block(inputs), co=block(coils),
                              di=block({}), zero_mode=True)


def load_profile(path):
    profile = {}
    if path:
        with open(path, encoding="utf-8") as f:
            profile = json.load(f)
    units = {int(k): load_unit(v or {}) for k, v in (profile.get("units") or {}).items()}
    objects = dict(DEFAULT_IDENTIFICATION)
    for key, text in (profile.get("identification") or {}).items():
        objects[int(key, 0)] = text or ""
    identity = ModbusDeviceIdentification(
        info_name={IDENTIFICATION_NAMES[k]: v for k, v in objects.items() if k in IDENTIFICATION_NAMES})
    return ModbusServerContext(slaves=units, single=False), identity


def write_port_file(path, tcp_port):
    temporary = path + ".tmp"
    with open(temporary, "w") as f:
        f.write("%d\n" % tcp_port)
    os.replace(temporary, path)


async def serve(args):
    context, identity = load_profile(args.profile)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for signum in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signum, stop.set)
    loop.call_later(args.lifetime, stop.set)

    tcp_port = 0
    if args.tcp_port is not None:
        server = ModbusTcpServer(context, identity=identity, address=("127.0.0.1", args.tcp_port),
                                 allow_reuse_address=True, backlog=64)
        task = asyncio.create_task(server.serve_forever())
        await server.serving
        tcp_port = server.server.sockets[0].getsockname()[1]
    else:
        path, framer = (args.rtu, ModbusRtuFramer) if args.rtu else (args.ascii, ModbusAsciiFramer)
        server = ModbusSerialServer(context, framer=framer, identity=identity, port=path,
                                    baudrate=9600, ignore_missing_slaves=True)
        await server.start()
        task = asyncio.create_task(server.serve_forever())
    if args.port_file:
        write_port_file(args.port_file, tcp_port)
    await stop.wait()
    await server.shutdown()
    task.cancel()


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="pymodbus server with a register map from a profile")
    parser.add_argument("--profile", help="JSON profile: units, registers, identification")
    transport = parser.add_mutually_exclusive_group(required=True)
    transport.add_argument("--rtu", metavar="PATH", help="serve Modbus RTU on this pty end")
    transport.add_argument("--ascii", metavar="PATH", help="serve Modbus ASCII on this pty end")
    transport.add_argument("--tcp-port", type=int, help="serve Modbus/TCP on this port (0: any free)")
    parser.add_argument("--port-file", help="written when ready: the TCP port (0 for serial lines)")
    parser.add_argument("--lifetime", type=float, default=300.0,
                        help="seconds after which the server ends by itself (default 300)")
    return parser.parse_args(argv)


def main(argv=None):
    args = parse_arguments(argv)
    # pymodbus logs every exception reply and closed connection as an error.
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL)
    try:
        asyncio.run(serve(args))
    except (OSError, ValueError, KeyError) as error:
        print("pymodbus_peer: %s" % error, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
