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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_session import SKIP, Desktop, run, wait_for  # noqa: E402

SPLASH = ("Hoistwise", "space")
# program, its port, the signal, the way to its car window ((window, key) in turn; None: no log)
ROWS = [
    ("carscope", 1, signal.SIGTERM, [SPLASH]),
    ("carscope", 1, signal.SIGINT, [SPLASH]),
    ("carscope", 1, signal.SIGHUP, [SPLASH]),
    ("cabtalk", 1, signal.SIGTERM, [SPLASH, ("Hoistwise Menu", "alt+c")]),  # a key on the splash skips the password
    ("iobench", 3, signal.SIGHUP, None),
]
LINES = b"first line\r\nsecond line\r\n"


def press(desktop, caption, *keys):
    def shown():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % caption],
                               env=desktop.env, capture_output=True, text=True)
        return found.stdout.split()[:1]
    window = wait_for("the window " + caption, shown, timeout=20)[0]
    desktop.xdotool("windowfocus", window, "sleep", "0.5")
    if keys:
        desktop.xdotool("key", "--delay", "150", *keys)


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
                for caption, key in way:
                    press(desktop, caption, key)
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
        return run([case(desktop, sys.argv[1], *row) for row in ROWS])


if __name__ == "__main__":
    sys.exit(main())
