#!/usr/bin/env python3
"""Makes the demonstration program files of data/Programs.

Their program data is filler for the simulated units: a small header that
only the simulator reads ("OSPG", the program's length and the revision it
brings, little-endian), then pseudo-random bytes. Each 72-byte packet ends
in the check byte of the frame that carries its first 71 bytes, since that
check byte takes the 72nd byte's place on the line; so a unit holds the
same bytes whether it takes 64- or 72-byte packets. The lengths are
multiples of 576 (64 and 72) for the same reason.

usage: make_demo_programs.py OUTPUT_FOLDER
"""
import struct
import sys
import zlib
from pathlib import Path

# (file name, PID text, revision, packets of 576 bytes)
PROGRAMS = [
    ("A9p1ver41p3.fp2", "KM30-U 41.3", 413, 4),
    ("A9p1ver41p2.fp2", "KM30-U 41.2", 412, 4),
    ("A9p1ver40old.fp2", "KM30-U 40.0", 400, 4),
    ("A15p2ver10p6.fp2", "KM50-GWR 10.6", 106, 4),
    ("A7p6ver23p4.fp2", "KM40-U2 23.4", 234, 4),
]


def filler(length, revision, seed):
    data = bytearray(b"OSPG" + struct.pack("<IH", length, revision))
    state = seed
    while len(data) < length:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        data.append((state >> 16) & 0xFF)
    for start in range(0, length, 72):
        data[start + 71] = (0xA5 + 0x48 + 0x24 + sum(data[start:start + 71])) & 0xFF
    return bytes(data)


def frame(cmd, payload):
    body = bytes([0xA5, len(payload) + 1, cmd]) + payload
    return body + bytes([sum(body) & 0xFF])


def chunk(tag, data):
    return tag.encode("ascii") + b"\0" + struct.pack("<I", len(data)) + data


def combined(pid, program):
    packet = frame(0x28, struct.pack("<I", zlib.crc32(program)))
    body = chunk("PID", pid.encode("ascii") + b"\0") + chunk("FEP", program) + chunk("PKT", packet)
    return body + chunk("CRC", struct.pack("<I", zlib.crc32(body)))


def main():
    out = Path(sys.argv[1])
    for name, pid, revision, blocks in PROGRAMS:
        program = filler(576 * blocks, revision, revision)
        (out / name).write_bytes(combined(pid, program))


if __name__ == "__main__":
    main()
