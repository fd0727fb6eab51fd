#!/usr/bin/env python3
"""SIGTERM, SIGINT and SIGHUP to a car terminal that has a session log and its port open, on a
virtual display, driven with the operator's keys: the log is complete on disk, the port's lock
file is gone, the pseudo-terminal's settings are those it had before, and the program ended by
the signal it was sent.

Usage: end_signal_test.py BIN_DIR   (exit 77 = skipped: Xvfb, dbus-daemon or xdotool missing)"""

import os
import shutil
import signal
import subprocess
import sys
import termios

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_session import SKIP, Desktop, run, wait_for  # noqa: E402

# program, signal, and the way to its car window: (window, key) in turn
SPLASH = ("Hoistwise", "space")
ROWS = [
    ("carscope", signal.SIGTERM, [SPLASH]),
    ("carscope", signal.SIGINT, [SPLASH]),
    ("carscope", signal.SIGHUP, [SPLASH]),
    ("cabtalk", signal.SIGTERM, [SPLASH, ("Hoistwise Menu", "alt+c")]),  # a key on the splash skips the password
]


def window(desktop, caption):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % caption],
                           env=desktop.env, capture_output=True, text=True)
    return found.stdout.split()[:1]


def press(desktop, caption, *keys):
    ids = wait_for("the window " + caption, lambda: window(desktop, caption), timeout=20)
    desktop.xdotool("windowfocus", ids[0], "sleep", "0.5")
    if keys:
        desktop.xdotool("key", "--delay", "150", *keys)


def case(desktop, bin_dir, program, sig, way):
    def body():
        master, slave = os.openpty()
        path = os.ttyname(slave)
        found = termios.tcgetattr(slave)
        # A folder of its own: a file dialog's completer would offer an earlier case's log.
        folder = os.path.join(desktop.tmp, "%s-%s" % (program, sig.name))
        os.mkdir(folder)
        log = os.path.join(folder, "session.log")
        process = None
        lock = "/var/lock/LCK.." + path[len("/dev/"):].replace("/", "_")
        try:
            process, _ = desktop.launch(os.path.join(bin_dir, program), {"HOISTWISE_COM1": path})
            for caption, key in way:
                press(desktop, caption, key)
            press(desktop, "Hoistwise Car", "alt+f", "o")
            press(desktop, "Open Communications Log File")
            desktop.xdotool("type", "--delay", "20", log)
            desktop.xdotool("key", "Return")
            wait_for("the log to open", lambda: os.path.exists(log), timeout=20)
            os.write(master, b"first line\rsecond line\r")
            wait_for("the log to fill", lambda: open(log, "rb").read() == b"first line\r\nsecond line\r\n")
            assert os.path.exists(lock), "no lock file to release: " + lock
            process.send_signal(sig)
            status = process.wait(timeout=20)
            assert status == -sig, "ended with %s, not by %s" % (status, sig.name)
            assert open(log, "rb").read() == b"first line\r\nsecond line\r\n", "the log changed"
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
    bin_dir = sys.argv[1]
    with Desktop() as desktop:
        return run([case(desktop, bin_dir, *row) for row in ROWS])


if __name__ == "__main__":
    sys.exit(main())
