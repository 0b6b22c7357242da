#!/usr/bin/env python3
"""Writes the small seed preference files of fuzz/corpus/prefs."""
import importlib.util
import os
import struct
import sys

_spec = importlib.util.spec_from_file_location(
    "forks", os.path.join(os.path.dirname(os.path.abspath(__file__)), "make-resource-fork-seeds.py"))
_forks = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_forks)
fork = _forks.fork


def rec(t, data, rid=128):
    return (t, rid, None, 0x20, data)


def main(out):
    os.makedirs(out, exist_ok=True)
    tool = bytes([1, 1, 1, 0]) + struct.pack(">hh", 20, 5) + bytes(4) + struct.pack(">H", 0x3F) + bytes(14)
    clut = struct.pack(">ihh", 0, 0, 1) + struct.pack(">hHHH", 0, 0xFFFF, 0, 0) + struct.pack(">hHHH", 1, 0, 0, 0xFFFF)
    seeds = {
        "empty": fork([]),
        "current": fork([rec(b"lBak", b"\x00\x04"), rec(b"cAIC", b"\x00\x03"), rec(b"pPrf", tool),
                         rec(b"PWpf", bytes(14) + b"\x00\x10"), rec(b"oPrf", bytes([0, 0, 0, 0, 1, 1, 1, 1])),
                         rec(b"uCnt", b"\x00\x00\x00\x05"), rec(b"STR ", b"\x28" + b"x" * 40),
                         rec(b"clut", clut), rec(b"uExE", b"\x00")]),
        "older": fork([rec(b"gMod", b"\x00\x17"), rec(b"rMod", b"\x01"), rec(b"iSiz", bytes(4) + b"\x00\x20\x00\x30"),
                       rec(b"eRat", b"\x00\x04"), rec(b"aSiz", b"\x01"), rec(b"rClp", b"\x01")]),
        "editor": fork([rec(b"alis", b"KrAl\x00\x01/"), rec(b"STR ", b"\x03lib", 129),
                        rec(b"pprf", b"\x01\x0e"), rec(b"pprf", b"\x00\x04", 132)]),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "corpus", "prefs"))
