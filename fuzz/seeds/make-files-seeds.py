#!/usr/bin/env python3
"""Writes the small seed files of the appledouble and macbinary fuzz targets."""
import os
import struct
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "corpus")


def apple_double(magic, entries, filler=b"Mac OS X        "):
    head = struct.pack(">II", magic, 0x00020000) + filler + struct.pack(">H", len(entries))
    offset = len(head) + 12 * len(entries)
    table, body = b"", b""
    for eid, data in entries:
        table += struct.pack(">III", eid, offset, len(data))
        body += data
        offset += len(data)
    return head + table + body


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else crc << 1
            crc &= 0xFFFF
    return crc


def mac_binary(name, ftype, creator, data, rsrc, v3):
    h = bytearray(128)
    h[1] = len(name)
    h[2:2 + len(name)] = name
    h[65:73] = ftype + creator
    h[73] = 0x01
    struct.pack_into(">II", h, 83, len(data), len(rsrc))
    h[101] = 0x00
    if v3:
        h[102:106] = b"mBIN"
    h[122] = 130 if v3 else 129
    h[123] = 129
    struct.pack_into(">H", h, 124, crc16(bytes(h[:124])))
    pad = lambda b: b + bytes(-len(b) % 128)
    return bytes(h) + pad(data) + pad(rsrc)


empty_rsrc = struct.pack(">IIII", 256, 256, 0, 30) + bytes(240) + bytes(24) + struct.pack(">HHh", 28, 30, -1)
finfo = b"icnsKrvl" + bytes(24)
seeds = {
    "appledouble": {
        "companion.bin": apple_double(0x00051607, [(9, finfo), (2, empty_rsrc)]),
        "single.bin": apple_double(0x00051600, [(3, b"name"), (9, finfo), (1, b"data"), (2, b"rsrc")], bytes(16)),
        "flat.bin": empty_rsrc,
    },
    "macbinary": {
        "v2.bin": mac_binary(b"Icons", b"rsrc", b"RSED", b"data fork", empty_rsrc, False),
        "v3.bin": mac_binary(b"Pic", b"PICT", b"Krvl", bytes(130), b"", True),
    },
}
for folder, files in seeds.items():
    os.makedirs(os.path.join(root, folder), exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(root, folder, name), "wb") as f:
            f.write(data)
sys.exit(0)
