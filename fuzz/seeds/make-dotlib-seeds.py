#!/usr/bin/env python3
"""Writes the small seed libraries of fuzz/corpus/dotlib."""
import importlib.util
import os
import sys

_here = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("forks", os.path.join(_here, "make-resource-fork-seeds.py"))
forks = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(forks)


def library(body):
    return forks.fork([(b"STR#", 128, b"", 0x20, body)])


def main(out):
    os.makedirs(out, exist_ok=True)
    seeds = {
        "empty": library(b"\x00\x00"),
        "two": library(b"\x00\x02\x045d5a\x03qwe"),
        "foreign": library(b"\x00\x01\x03x!y"),
        "short": library(b"\x00\x05\x02dd"),
        "none": forks.fork([]),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(_here, "..", "corpus", "dotlib"))
