#!/usr/bin/env python3
"""askbox's window as a screen reader sees it: in a D-Bus session of its own with the accessibility
bus (at-spi-bus-launcher), on Xvfb under openbox, read and answered through pyatspi (tests/e2e/
atspi_probe.py, under Debian's python3); and the buses askbox must not wait for or load anything for."""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11_box_test as desktop  # noqa: E402
from x11_box_test import (IDABORT, IDCANCEL, IDNO, IDOK, IDYES, Failure, check, find_window, finish,  # noqa: E402
                          launch, type_keys)

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
SYSTEM_PYTHON = "/usr/bin/python3"
PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_probe.py")
BUS = None  # the accessibility bus's address, as the launcher states it on the root window


def probe_env():
    """pyatspi on the real accessibility bus, whatever the root window says for askbox."""
    return dict(os.environ, DISPLAY=desktop.DISPLAY, AT_SPI_BUS_ADDRESS=BUS)


def probe(*args, timeout=20):
    out = subprocess.run([SYSTEM_PYTHON, PROBE, *args], env=probe_env(), capture_output=True, text=True,
                         timeout=timeout)
    check(out.returncode == 0, f"pyatspi {args}: {out.stdout.strip()} {out.stderr.strip()[-300:]}")
    return json.loads(out.stdout.splitlines()[-1])


def nodes(tree):
    yield tree
    for child in tree.get("children", []):
        yield from nodes(child)


def node(tree, name):
    found = [n for n in nodes(tree) if n["name"] == name]
    check(len(found) == 1, f"{len(found)} nodes named {name!r}")
    return found[0]


def inside(extents, outer):
    x, y, w, h = extents
    return w > 0 and h > 0 and outer[0] <= x and outer[1] <= y and x + w <= outer[0] + outer[2] and \
        y + h <= outer[1] + outer[3]


def check_tree(tree, wid, caption, icon, text, buttons, focused, default):
    check(tree["role"] == "application" and tree["name"] == "askbox", f"application {tree['name']!r}")
    alert = tree["children"][0]
    check(alert["role"] == "alert" and alert["name"] == caption, f"alert {alert['role']} {alert['name']!r}")
    check({"active", "showing", "visible"} <= set(alert["states"]) and "modal" not in alert["states"],
          f"an unowned alert's states {alert['states']}")
    window = desktop.geometry(wid)
    check(alert["extents"] == list(window), f"alert at {alert['extents']}, window at {window}")
    wanted = ([("icon", icon)] if icon else []) + [("label", text)] + [("push button", b) for b in buttons]
    got = [(c["role"], c["name"]) for c in alert["children"]]
    check(got == wanted, f"children {got}, wanted {wanted}")
    check(node(tree, text)["text"] == text, "the label's text differs")
    for child in alert["children"]:
        check(inside(child["extents"], window), f"{child['name']} at {child['extents']}, outside {window}")
        if child["role"] == "push button":
            states = set(child["states"])
            check("focusable" in states and child["actions"] == ["click"], f"{child['name']}: {child}")
            check(("focused" in states) == (child["name"] == focused), f"{child['name']} focused: {states}")
            check(("is default" in states) == (child["name"] == default), f"{child['name']} default: {states}")


ACCESS_CASES = [
    # name, arguments, what is done (keys, or "click LABEL"), the tree's icon, text, buttons, the focused
    # and the default button afterwards, the answer
    ("the tree of a question", ["icon=32", "button=4"], [], "Question", ["Yes", "No"], "Yes", "Yes", IDYES),
    ("Tab moves the focused state", ["icon=48", "button=3"], ["Tab"], "Warning", ["Yes", "No", "Cancel"], "No", "Yes",
     IDNO),
    ("the second button as default, then Shift+Tab", ["icon=16", "button=0x102"], ["shift+Tab"], "Error",
     ["Abort", "Retry", "Ignore"], "Abort", "Retry", IDABORT),
    # The seconds a time limit counts on the default button are not part of its name.
    ("a time limit leaves the names alone", ["icon=64", "timeout=30"], [], "Information", ["OK"], "OK", "OK", IDOK),
    ("no icon; click No", ["button=4"], ["click No"], None, ["Yes", "No"], "Yes", "Yes", IDNO),
    ("click Cancel in a Retry/Cancel box", ["button=5"], ["click Cancel"], None, ["Retry", "Cancel"], "Retry",
     "Retry", IDCANCEL),
]


def access_case(args, actions, icon, buttons, focused, default, answer):
    caption, text = "Access %s" % " ".join(args), "Delete 3 files?\nThere is no undo."
    listener = listen()
    proc = launch("text=" + text, "caption=" + caption, *args)
    wid = find_window(caption, proc=proc)
    clicks = [a.split(" ", 1)[1] for a in actions if a.startswith("click ")]
    type_keys(wid, [a for a in actions if not a.startswith("click ")])
    time.sleep(0.2)
    check_tree(probe("tree", caption), wid, caption, icon, text, buttons, focused, default)
    for label in clicks:
        check(probe("click", caption, label) is True, f"the click on {label} was refused")
    if not clicks:
        type_keys(wid, ["Return"])
    code, _ = finish(proc)
    check(code == answer, f"exit {code}, wanted {answer}")
    # The box's own events, in order: activated, then the focus on each button it moved to.
    events = [e for e in heard(listener)
              if e[0] == "window:activate" and e[1] == caption or e[0].endswith("focused") and e[2]]
    moved = [focused] if focused != default else []
    wanted = [["window:activate", caption, 0], ["object:state-changed:focused", default, 1]] + \
        [["object:state-changed:focused", f, 1] for f in moved]
    check(events == wanted, f"events {events}, wanted {wanted}")


def case_owned_box_is_modal():
    """A box the terminal's window owns is a modal alert, and a click answers it there too."""
    result = os.path.join(desktop.SCRATCH, "owned-result")
    term, _ = desktop.in_xterm("Owner", f'"{desktop.PROGRAM}" text=Owned caption=Owned button=4; echo $? > {result}')
    try:
        find_window("Owned")
        alert = probe("tree", "Owned")["children"][0]
        check("modal" in alert["states"], f"an owned box's states {alert['states']}")
        check(probe("click", "Owned", "No") is True, "the click was refused")
        term.wait(5)
        check(open(result).read().strip() == str(IDNO), "wrong answer from the owned box")
    finally:
        if term.poll() is None:
            term.kill()


def listen():
    listener = subprocess.Popen([SYSTEM_PYTHON, PROBE, "events", "8"], env=probe_env(), stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True)
    check(json.loads(listener.stdout.readline()) == ["listening"], "the event listener did not start")
    return listener


def heard(listener):
    listener.send_signal(signal.SIGINT)
    return [json.loads(line) for line in listener.communicate(timeout=10)[0].splitlines()]


def case_focus_goes_and_comes_back():
    """A box another window takes the focus from is no longer active, nor is its button focused,
    and it says so; both come back with the focus."""
    listener = listen()
    first = launch("text=First", "caption=First", "button=4")
    find_window("First", proc=first)
    second = launch("text=Second", "caption=Second", "button=2")
    wid = find_window("Second", proc=second)
    time.sleep(0.3)
    alert = probe("tree", "First")["children"][0]
    check("active" not in alert["states"], f"the box without the focus is {alert['states']}")
    check(all("focused" not in b["states"] for b in alert["children"]), "a button focused in a box without focus")
    type_keys(wid, ["Return"])
    finish(second)
    time.sleep(0.5)
    alert = probe("tree", "First")["children"][0]
    check("active" in alert["states"] and "focused" in node(alert, "Yes")["states"],
          f"the focus did not come back: {alert}")
    type_keys(find_window("First"), ["Return"])
    check(finish(first)[0] == IDYES, "wrong answer")
    events = [e for e in heard(listener) if e[1] in ("First", "Yes", "No")]
    activated = [["window:activate", "First", 0], ["object:state-changed:focused", "Yes", 1]]
    wanted = activated + [["object:state-changed:focused", "Yes", 0], ["window:deactivate", "First", 0]] + activated
    check(events == wanted, f"events {events}, wanted {wanted}")


def root_bus(address):
    """Sets AT_SPI_BUS on the root window to address, or removes it for None."""
    if address is None:
        desktop.x("xprop", "-root", "-remove", "AT_SPI_BUS", check_rc=True)
    else:
        desktop.x("xprop", "-root", "-f", "AT_SPI_BUS", "8s", "-set", "AT_SPI_BUS", address, check_rc=True)


def set_enabled(on):
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                    "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                    "variant:boolean:" + ("true" if on else "false")], check=True, capture_output=True, timeout=10)


def unanswering_bus(kind):
    """A local socket that never speaks ("silent"), hangs up at once ("hangs-up") or takes no more
    connections ("full": one waits to be taken, and a blocking connect waits behind it); gives
    (its sockets, the listener first, and its address)."""
    path = os.path.join(desktop.SCRATCH, "bus-" + kind)
    if os.path.exists(path):
        os.unlink(path)
    listener = socket.socket(socket.AF_UNIX)
    listener.bind(path)
    listener.listen(0 if kind == "full" else 8)
    sockets = [listener]
    if kind == "hangs-up":
        listener.setblocking(False)
    if kind == "full":
        sockets.append(socket.socket(socket.AF_UNIX))
        sockets[-1].connect(path)
    return sockets, "unix:path=" + path


def loaded(log_prefix):
    logs = [os.path.join(desktop.SCRATCH, n) for n in os.listdir(desktop.SCRATCH) if n.startswith(log_prefix + ".")]
    text = "".join(open(name).read() for name in logs)
    for name in logs:
        os.remove(name)
    check("libc.so.6" in text, "the loader's log names no library at all")
    return "libdbus-1.so.3" in text


BUS_CASES = [
    # name, AT_SPI_BUS on the root ("launcher": the real one), DBUS_SESSION_BUS_ADDRESS given, IsEnabled,
    # time limit, whether libdbus is loaded, whether the application is on the desktop
    ("no bus at all: libdbus not loaded", None, False, False, None, False, False),
    ("accessibility off on the session bus: not registered", None, True, False, None, True, False),
    ("accessibility on: the bus found through the session bus", None, True, True, None, True, True),
    ("a tcp address on the root is not taken", "tcp:host=192.0.2.1,port=9", False, False, None, False, False),
    # A bus that never answers or hangs up holds nothing: keys answer, and the time limit still ends the box.
    ("a bus that never answers", "silent", False, False, None, True, False),
    ("a bus that never answers, with a time limit", "silent", False, False, "1", True, False),
    ("a bus that hangs up", "hangs-up", False, False, None, True, False),
    ("a bus that takes no more connections, with a time limit", "full", False, False, "1", True, False),
]


def bus_case(root, session, enabled, limit, wants_dbus, registered):
    caption = "Bus %s %s %s %s" % (root and root.split(":")[0], session, enabled, limit)
    sockets = []
    try:
        if root in ("silent", "hangs-up", "full"):
            sockets, address = unanswering_bus(root)
            root_bus(address)
        else:
            root_bus(root)
        set_enabled(enabled)
        env = {"LD_DEBUG": "files", "LD_DEBUG_OUTPUT": os.path.join(desktop.SCRATCH, "dbus")}
        if session:
            env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        started = time.monotonic()
        proc = launch("text=Which bus?", "caption=" + caption, *(["timeout=" + limit] if limit else []), **env)
        wid = find_window(caption, proc=proc)
        if root == "hangs-up":
            time.sleep(0.3)
            sockets[0].accept()[0].close()
        if registered:
            probe("tree", caption)
        else:
            time.sleep(0.5)
            apps = probe("apps")
            check(caption not in apps, f"registered without a bus to register on: {apps}")
        # Waiting for a bus is no work: the socket is watched only for what libdbus waits for.
        ticks = sum(int(n) for n in open("/proc/%d/stat" % proc.pid).read().rsplit(")", 1)[1].split()[11:13])
        check(ticks < 30 * os.sysconf("SC_CLK_TCK") // 100, f"{ticks} clock ticks of work while waiting")
        if limit:
            code, _ = finish(proc, 4)
            elapsed = time.monotonic() - started
            check(code == IDOK and elapsed < int(limit) + 1.5, f"exit {code} after {elapsed:.1f} s")
        else:
            type_keys(wid, ["Return"])
            code, _ = finish(proc)
            check(code == IDOK, f"exit {code}, wanted {IDOK}")
        check(loaded("dbus") == wants_dbus, "libdbus-1.so.3 %s" % ("not loaded" if wants_dbus else "loaded"))
    finally:
        root_bus(BUS)
        set_enabled(False)
        for each in sockets:
            each.close()


def start_bus():
    """The accessibility bus launcher, started at once, on the test's display; gives it and its address."""
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], env=dict(os.environ, DISPLAY=desktop.DISPLAY),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        out = desktop.x("xprop", "-root", "AT_SPI_BUS")
        if '= "' in out:
            return launcher, out.split('= "', 1)[1].rstrip('"\n')
        time.sleep(0.1)
    launcher.terminate()
    raise Failure("at-spi-bus-launcher stated no bus on the root window")


def main():
    global BUS
    desktop.PROGRAM = os.path.abspath(sys.argv[1])
    if "ASKBOX_ACCESS_SESSION" not in os.environ:
        missing = [t for t in desktop.TOOLS + ["dbus-run-session", "dbus-send", LAUNCHER, SYSTEM_PYTHON]
                   if shutil.which(t) is None]
        if not missing and subprocess.run([SYSTEM_PYTHON, "-c", "import pyatspi"], capture_output=True).returncode:
            missing = ["python3-pyatspi"]
        if missing:
            print("SKIPPED: the accessibility tests need %s (scripts/test-all.sh installs them)" % ", ".join(missing))
            return 77
        # A session bus of the test's own, which ends with it.
        os.environ["ASKBOX_ACCESS_SESSION"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                                       *sys.argv[1:]])
    try:
        server, wm, wm_log = desktop.start_desktop()
        launcher, BUS = start_bus()
    except Failure as error:
        print("%s\n0 passed, 1 failed" % error)
        return 1
    cases = [(c[0], lambda c=c: access_case(*c[1:])) for c in ACCESS_CASES]
    cases += [("an owned box is modal", case_owned_box_is_modal),
              ("the focus goes to another box and comes back", case_focus_goes_and_comes_back)]
    cases += [(c[0], lambda c=c: bus_case(*c[1:])) for c in BUS_CASES]
    try:
        return desktop.run_cases(cases, server, wm, wm_log)
    finally:
        # Asked to end, the launcher takes its bus with it; killed, it would leave the bus running.
        launcher.terminate()
        launcher.wait(10)


if __name__ == "__main__":
    sys.exit(main())
