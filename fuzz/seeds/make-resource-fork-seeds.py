#!/usr/bin/env python3
"""Writes the small seed forks of fuzz/corpus/resource_fork."""
import os
import struct
import sys


def fork(resources, attrs=0):
    """resources: list of (type, id, name or None, attributes, data)."""
    groups = {}
    for r in resources:
        groups.setdefault(r[0], []).append(r)
    data = b""
    offsets = []
    for t in groups:
        for r in groups[t]:
            offsets.append(len(data))
            data += struct.pack(">I", len(r[4])) + r[4]
    types = struct.pack(">h", len(groups) - 1)
    refs = b""
    names = b""
    ref_at = 2 + 8 * len(groups)
    i = 0
    for t, members in groups.items():
        types += t + struct.pack(">hH", len(members) - 1, ref_at + len(refs))
        for r in members:
            name_off = -1
            if r[2] is not None:
                name_off = len(names)
                names += bytes([len(r[2])]) + r[2]
            off = offsets[i]
            i += 1
            refs += struct.pack(">hhB", r[1], name_off, r[3]) + off.to_bytes(3, "big") + b"\0" * 4
    map_len = 28 + len(types) + len(refs) + len(names)
    header = struct.pack(">IIII", 256, 256 + len(data), len(data), map_len)
    m = header + b"\0" * 6 + struct.pack(">HHH", attrs, 28, 28 + len(types) + len(refs))
    return header + b"\0" * 240 + data + m + types + refs + names


def main(out):
    os.makedirs(out, exist_ok=True)
    seeds = {
        "empty": fork([]),
        "one": fork([(b"TEST", 128, b"ab", 0x20, b"\x01\x02\x03")]),
        "strings": fork([(b"STR#", 128, None, 0, b"\x00\x02\x03one\x03two"),
                         (b"STR ", -16455, b"Custom", 0x0C, b"\x05hello"),
                         (b"STR#", 129, b"x", 0x40, b"")], attrs=0x80),
        "icons": fork([(b"ICN#", 128, b"icon", 0x20, bytes(256)),
                       (b"ics#", 128, None, 0x20, bytes(64)),
                       (b"icns", 128, None, 0x20, b"icns\0\0\0\x08")]),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "corpus",
                                                                 "resource_fork"))
