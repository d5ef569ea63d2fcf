#!/usr/bin/env python3
"""Fails when a file of src/ includes a header of a layer above its own.

The layers, lowest first: platform, base, cmdline, run; src/main.cpp sits above them all. A file
may include headers of its own layer and of the layers below it, never of one above."""
import os
import re
import sys

LAYERS = ["platform", "base", "cmdline", "run"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.M)


def violations(source_root):
    found = []
    for folder, _, files in os.walk(source_root):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            layer = os.path.relpath(folder, source_root).split(os.sep)[0]
            rank = LAYERS.index(layer) if layer in LAYERS else len(LAYERS)
            with open(path, errors="replace") as handle:
                for included in INCLUDE.findall(handle.read()):
                    if included not in LAYERS:
                        found.append("%s includes a header of %s/, which is no layer" % (path, included))
                    elif LAYERS.index(included) > rank:
                        found.append("%s (%s) includes a header of %s/, a layer above it" %
                                     (path, layer, included))
    return found


def main():
    source_root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    found = violations(source_root)
    for line in found:
        print(line)
    print("%d include%s against the layers" % (len(found), "" if len(found) == 1 else "s"))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
