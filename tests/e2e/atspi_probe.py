#!/usr/bin/python3
"""What a screen reader sees of askbox, through pyatspi, for the accessibility tests; run with Debian's
python3 (python3-pyatspi) in the test's D-Bus session, on its display.

  atspi_probe.py tree CAPTION         the application whose alert is CAPTION, as JSON
  atspi_probe.py click CAPTION LABEL  the button's click action
  atspi_probe.py apps                 the captions of the askbox alerts on the desktop
  atspi_probe.py events SECONDS       the focus events that come, one JSON line each"""

import json
import sys
import time

import pyatspi


def find_alert(caption, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or app.name != "askbox":
                continue
            for alert in app:
                if alert is not None and alert.name == caption:
                    return app, alert
        time.sleep(0.1)
    raise SystemExit("no askbox alert named %r on the desktop" % caption)


def describe(node):
    states = node.getState()
    entry = {"role": node.getRoleName(), "name": node.name,
             "states": sorted(pyatspi.stateToString(s) for s in states.getStates())}
    interfaces = pyatspi.listInterfaces(node)
    if "Text" in interfaces:
        text = node.queryText()
        entry["text"] = text.getText(0, -1)
    if "Action" in interfaces:
        action = node.queryAction()
        entry["actions"] = [action.getName(i) for i in range(action.nActions)]
    if "Component" in interfaces:
        entry["extents"] = list(node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))
    children = [describe(child) for child in node]
    if children:
        entry["children"] = children
    return entry


def main():
    if sys.argv[1] == "tree":
        app, _ = find_alert(sys.argv[2])
        print(json.dumps(describe(app)))
    elif sys.argv[1] == "click":
        _, alert = find_alert(sys.argv[2])
        for child in alert:
            if child.name == sys.argv[3]:
                print(json.dumps(child.queryAction().doAction(0)))
                return
        raise SystemExit("no button %r" % sys.argv[3])
    elif sys.argv[1] == "apps":
        desktop = pyatspi.Registry.getDesktop(0)
        print(json.dumps([alert.name for app in desktop if app is not None and app.name == "askbox"
                          for alert in app if alert is not None]))
    elif sys.argv[1] == "events":
        def heard(event):
            print(json.dumps([event.type, event.source.name, event.detail1]), flush=True)
        pyatspi.Registry.registerEventListener(heard, "object:state-changed:focused", "window:activate",
                                               "window:deactivate")
        print(json.dumps(["listening"]), flush=True)
        from gi.repository import GLib
        GLib.timeout_add(int(float(sys.argv[2]) * 1000), pyatspi.Registry.stop)
        # SIGINT: the test has seen what it waited for.
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, 2, pyatspi.Registry.stop)
        pyatspi.Registry.start()


if __name__ == "__main__":
    main()
