#!/usr/bin/env python3
"""Makes the README's pictures with the X tests' own tools: doc/window-box.png, doc/window-box-rtl.png,
doc/window-box-dark.png (under xsettingsd with a dark theme), doc/window-box-de.png (in German) and
doc/terminal-box.png."""
import os
import subprocess
import sys
import time

os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, "tests/e2e")
import x11_box_test as t  # noqa: E402

TEXT = "text=The backup drive is full.\nFree some space and try again, or cancel the backup."
t.PROGRAM = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/native/askbox")
server, wm, _ = t.start_desktop()
try:
    # The second, right to left (MB_RTLREADING): "Save the changes before closing?" in Hebrew.
    # The third on a desktop whose theme is dark.
    dark = os.path.join(t.SCRATCH, "dark.conf")
    with open(dark, "w") as out:
        out.write('Net/ThemeName "Adwaita-dark"\n')
    for args, caption, picture in (((TEXT, "icon=16", "button=5"), "Backup", "doc/window-box.png"),
                                   (("text=לשמור את השינויים לפני הסגירה?", "icon=32", "button=0x100003"),
                                    "עורך", "doc/window-box-rtl.png"),
                                   ((TEXT, "icon=48", "button=3"), "Backup", "doc/window-box-dark.png"),
                                   (("text=Das Sicherungslaufwerk ist voll.\nSpeicherplatz freigeben und erneut "
                                     "versuchen?", "icon=32", "button=3"), "Sicherung", "doc/window-box-de.png")):
        manager = None
        if picture.endswith("dark.png"):
            manager = subprocess.Popen(["xsettingsd", "-c", dark], env=dict(os.environ, DISPLAY=t.DISPLAY),
                                       stderr=subprocess.PIPE, text=True)
            while "Took ownership" not in manager.stderr.readline():
                pass
        german = {"LANGUAGE": "de", "LANG": "de_DE.UTF-8"} if picture.endswith("-de.png") else {}
        if german and os.path.isdir("build/native/locale"):
            german["ASKBOX_TEST_LOCALEDIR"] = os.path.abspath("build/native/locale")
        proc = t.launch(*args, "caption=" + caption, **german)
        box = t.find_window(caption, proc=proc)
        time.sleep(0.3)
        left, top, width, height = t.geometry(box)
        # With the window manager's title bar, which sits 23 pixels above the window in openbox.
        t.x("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (width + 2, height + 24, left - 1, top - 23),
            picture, check_rc=True)
        t.type_keys(box, ["Escape"])
        t.finish(proc)
        if manager:
            manager.kill()
            manager.wait()
    term, xterm = t.in_xterm("Terminal", 'env -u DISPLAY -u WINDOWID LANG=C.UTF-8 "%s" "%s" caption=Backup '
                             "icon=16 button=5" % (t.PROGRAM, TEXT))
    time.sleep(1.0)
    t.x("import", "-window", xterm, "doc/terminal-box.png", check_rc=True)
    t.type_keys(xterm, ["Escape"])
    term.wait(5)
finally:
    wm.kill()
    server.kill()
