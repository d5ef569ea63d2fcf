#!/usr/bin/env python3
"""Fails when a file of src/ includes a header of a layer above its own, or when one front end of
the Linux message box includes a header of the other.

The layers, lowest first: platform, base, cmdline, run; src/main.cpp sits above them all. A file
may include headers of its own layer and of the layers below it, never of one above."""
import os
import re
import sys

LAYERS = ["platform", "base", "cmdline", "run"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.M)
HEADER = re.compile(r'^\s*#\s*include\s+"platform/posix/([^/"]+)/', re.M)
# Inside the Linux message box: the two front ends share the model and never reach into each other.
FRONT_ENDS = {"box": {"terminal", "x11"}, "terminal": {"x11"}, "x11": {"terminal"}}


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
                text = handle.read()
            part = os.path.relpath(folder, os.path.join(source_root, "platform", "posix")).split(os.sep)[0]
            for included in HEADER.findall(text):
                if included in FRONT_ENDS.get(part, ()):
                    found.append("%s (posix/%s) includes a header of posix/%s/" % (path, part, included))
            for included in INCLUDE.findall(text):
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
