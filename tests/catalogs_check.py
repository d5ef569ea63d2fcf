#!/usr/bin/env python3
"""Fails where a catalog in po/ would give a box a label it cannot use: a label of the program's
missing or left untranslated, an accelerator mark more or fewer than the English one has (a
language written without Latin letters may mark none at all), one on a character no keyboard's
Latin level types, or two buttons of one box on the same letter. The template must hold the very
labels the program has."""
import glob
import os
import re
import subprocess
import sys

SOURCE = os.path.join("src", "platform", "posix", "box", "model.cpp")
ENTRY = re.compile(r'^msgid "((?:[^"\\]|\\.)*)"\nmsgstr "((?:[^"\\]|\\.)*)"$', re.M)
BUTTON_SET = re.compile(r'^\s*\{(\{LABEL\(.*)$', re.M)
LABEL = re.compile(r'LABEL\("([^"]*)"\)')
MARK = re.compile(r"&(&|.?)", re.S)


def entries(text):
    return {msgid: msgstr for msgid, msgstr in ENTRY.findall(text) if msgid}


def accelerators(label):
    """The characters the label marks; "&&" is a '&' of its own."""
    return [c for c in MARK.findall(label) if c != "&"]


def catalog_faults(name, catalog, template, button_sets):
    faults = ["%s lacks %r" % (name, msgid) for msgid in template if not catalog.get(msgid)]
    faults += ["%s has %r, which the program does not show" % (name, m) for m in catalog if m not in template]
    marks_none = all(not accelerators(catalog.get(m, "")) for m in template)
    for msgid, msgstr in catalog.items():
        letters = accelerators(msgstr)
        if marks_none and not re.search(r"[A-Za-z]", msgstr):
            continue
        if len(letters) != len(accelerators(msgid)):
            faults.append("%s marks %d accelerators in %r for %r" % (name, len(letters), msgstr, msgid))
        faults += ["%s marks %r in %r: not an ASCII letter or digit" % (name, c, msgstr)
                   for c in letters if not re.fullmatch(r"[A-Za-z0-9]", c)]
    for labels in button_sets:
        letters = [c.upper() for label in labels for c in accelerators(catalog.get(label, label))]
        if len(set(letters)) != len(letters):
            faults.append("%s gives the box %s the letters %s" % (name, "/".join(labels), "".join(letters)))
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    with open(os.path.join(root, SOURCE), encoding="utf-8") as handle:
        button_sets = [LABEL.findall(line) for line in BUTTON_SET.findall(handle.read())]
    extracted = subprocess.run(["xgettext", "--language=C++", "--keyword=", "--keyword=LABEL", "--omit-header",
                                "-o", "-", SOURCE], cwd=root, capture_output=True, text=True, check=True).stdout
    with open(os.path.join(root, "po", "askbox.pot"), encoding="utf-8") as handle:
        template = entries(handle.read())
    faults = []
    if set(template) != set(entries(extracted)):
        faults.append("po/askbox.pot has %s, the program %s" % (sorted(template), sorted(entries(extracted))))
    if not button_sets:
        faults.append("no button sets found in " + SOURCE)
    catalogs = sorted(glob.glob(os.path.join(root, "po", "*.po")))
    for path in catalogs:
        with open(path, encoding="utf-8") as handle:
            faults += catalog_faults(os.path.basename(path), entries(handle.read()), template, button_sets)
    for fault in faults:
        print(fault)
    print("%d catalogs, %d faults" % (len(catalogs), len(faults)))
    return 1 if faults or not catalogs else 0


if __name__ == "__main__":
    sys.exit(main())
