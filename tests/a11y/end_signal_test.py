#!/usr/bin/env python3
"""SIGTERM, SIGINT and SIGHUP to the programs with their port open on a pseudo-terminal (and the
car terminals with a session log open), on a virtual display, driven with the operator's keys:
the log complete on disk, the port's lock file gone, the terminal's settings those it had
before, and the program ended by the signal it was sent.

Usage: end_signal_test.py BIN_DIR   (exit 77 = skipped: Xvfb, dbus-daemon or xdotool missing)"""

import os
import shutil
import signal
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_session import SKIP, Desktop, run, wait_for  # noqa: E402

# program, its port, the signal, and the windows on the way to its car window with the key that
# leaves each (None: no log to open)
SPLASH = ("Hoistwise", "space")
ROWS = [
    ("carscope", 1, signal.SIGTERM, [SPLASH]),
    ("carscope", 1, signal.SIGINT, [SPLASH]),
    ("carscope", 1, signal.SIGHUP, [SPLASH]),
    # a key on the splash skips the password; after its ten seconds, Tab to User Name does
    ("cabtalk", 1, signal.SIGTERM, [SPLASH, ("Password challenge", "Tab"), ("Hoistwise Menu", "alt+c")]),
    ("iobench", 3, signal.SIGHUP, None),
]
LINES = b"first line\r\nsecond line\r\n"


def shown(desktop, caption):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % caption],
                           env=desktop.env, capture_output=True, text=True)
    return found.stdout.split()[:1]


def press(desktop, caption, *keys):
    window = wait_for("the window " + caption, lambda: shown(desktop, caption), timeout=20)[0]
    desktop.xdotool("windowfocus", window, "sleep", "0.5")
    if keys:
        desktop.xdotool("key", "--delay", "150", *keys)


def reach(desktop, way, goal):
    """Presses the key of the latest window of `way` on screen until `goal` shows: a window that
    went by itself (the splash leaves after ten seconds) is passed over."""
    end = time.monotonic() + 60
    while not shown(desktop, goal):
        assert time.monotonic() < end, "timed out on the way to " + goal
        for caption, key in reversed(way):
            if shown(desktop, caption):
                press(desktop, caption, key)
                break
        time.sleep(0.5)


def case(desktop, bin_dir, program, port, sig, way):
    def body():
        master, slave = os.openpty()
        path = os.ttyname(slave)
        found = termios.tcgetattr(slave)
        lock = "/var/lock/LCK.." + path[len("/dev/"):].replace("/", "_")
        # A folder of its own: the file dialog's completer would offer an earlier case's log.
        log = os.path.join(desktop.tmp, "%s-%s" % (program, sig.name), "session.log")
        os.mkdir(os.path.dirname(log))
        process = None
        try:
            process, _ = desktop.launch(os.path.join(bin_dir, program), {"HOISTWISE_COM%d" % port: path})
            if way is not None:
                reach(desktop, way, "Hoistwise Car")
                press(desktop, "Hoistwise Car", "alt+f", "o")
                press(desktop, "Open Communications Log File")
                desktop.xdotool("type", "--delay", "20", log)
                desktop.xdotool("key", "Return")
                wait_for("the log to open", lambda: os.path.exists(log), timeout=20)
                os.write(master, LINES.replace(b"\n", b""))
                wait_for("the log to fill", lambda: open(log, "rb").read() == LINES)
            wait_for("the port to open", lambda: os.path.exists(lock))
            process.send_signal(sig)
            status = process.wait(timeout=20)
            assert status == -sig, "ended with %s, not by %s" % (status, sig.name)
            assert way is None or open(log, "rb").read() == LINES, "the log changed"
            assert not os.path.exists(lock), "the lock file was left behind"
            assert termios.tcgetattr(slave) == found, "the port's settings were not restored"
        finally:
            if process and process.poll() is None:
                process.kill()
                process.wait()
            os.close(master)
            os.close(slave)
    return ("%s, %s" % (program, sig.name), body)


def main():
    lacking = [tool for tool in ("Xvfb", "dbus-daemon", "xdotool") if not shutil.which(tool)]
    if lacking:
        print("SKIP: needs " + ", ".join(lacking), flush=True)
        return SKIP
    with Desktop() as desktop:
        # No accessibility bridge: waiting for its bus would only slow the programs' start.
        for name in ("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "QT_ACCESSIBILITY", "DBUS_SESSION_BUS_ADDRESS"):
            desktop.env.pop(name, None)
        return run([case(desktop, sys.argv[1], *row) for row in ROWS])


if __name__ == "__main__":
    sys.exit(main())
