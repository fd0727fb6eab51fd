#!/usr/bin/env python3
"""carfleet against a real mosquitto, fed in carwatch's form with mosquitto_pub and read back with
mosquitto_sub, driven through AT-SPI and the operator's keys as a supervisor would: the rows,
a new fault counted in the title and acknowledged, a watcher's offline marking its cars, a
hold sent and withdrawn.

Usage: fleet_test.py CARFLEET MOSQUITTO   (exit 77 = skipped: the AT-SPI packages are missing)"""

import getpass
import json
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_session import Desktop, Screen, run, skip_unless_ready, wait_for  # noqa: E402

NOW = time.strftime("%Y-%m-%dT%H:%M:%S.000Z", time.gmtime())
STOPPED = {"UP": 0, "DP": 0, "SM": 0}
# (topic, retained payload) as carwatch publishes them.
RETAINED = [
    ("hoistwise/tower-a/watcher/box1", "online"),
    ("hoistwise/mill-st/watcher/box9", "online"),
    ("hoistwise/tower-a/car1/state", dict(time=NOW, link="up", floor=3, velocity=0, bbt="12.5", signals=STOPPED,
                                          faults=[dict(code=17, floor=2, description="Door open too long")])),
    ("hoistwise/tower-a/car2/state", dict(time=NOW, link="up", floor=5, velocity=180, bbt="8.0", faults=[],
                                          signals=dict(STOPPED, UP=1, SM=1))),
    ("hoistwise/mill-st/car1/state", dict(time=NOW, link="down", floor=None, velocity=None, bbt=None, faults=None,
                                          signals=None)),
]
# What each car's row shows from those, by visible header.
ROWS = {
    ("tower-a", "car1"): {"Link": "up", "Floor": "3", "Motion": "standing", "Velocity": "0", "BBT": "12.5",
                          "Fault": "17", "Description": "Door open too long", "Fault time": "in the log"},
    ("tower-a", "car2"): {"Link": "up", "Floor": "5", "Motion": "up", "Velocity": "180", "Fault": "-"},
    ("mill-st", "car1"): {"Link": "down", "Floor": "-", "Motion": "-", "BBT": "-"},
}


class Broker:
    def __init__(self, mosquitto, folder):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        conf = os.path.join(folder, "mosquitto.conf")
        with open(conf, "w") as f:
            f.write("listener %d 127.0.0.1\nallow_anonymous true\n" % self.port)
        self.process = subprocess.Popen([mosquitto, "-c", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("mosquitto to listen", self.listening, timeout=5)

    def listening(self):
        try:
            socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
            return True
        except OSError:
            return False

    def publish(self, topic, payload, retain=False):
        text = payload if isinstance(payload, str) else json.dumps(payload)
        argv = ["mosquitto_pub", "-p", str(self.port), "-q", "1", "-t", topic] + (["-r"] if retain else [])
        subprocess.run(argv + (["-m", text] if text else ["-n"]), check=True, timeout=10)

    def retained(self, topic):
        """The retained message at `topic`, or None: mosquitto_sub gives up after 2 s."""
        out = subprocess.run(["mosquitto_sub", "-p", str(self.port), "-t", topic, "-C", "1", "-W", "2", "--retained-only"],
                             stdout=subprocess.PIPE, timeout=10).stdout.decode().strip()
        return out or None

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class Fleet:
    """carfleet's window as AT-SPI shows it."""

    def __init__(self, screen, app):
        self.screen, self.app = screen, app
        self.frame = wait_for("the fleet window", lambda: next(
            (n for n in app if n.getRoleName() == "frame" and n.name.startswith("carfleet")), None))
        self.table = screen.find(self.frame, "Cars", "table")

    def title(self):
        self.frame.clear_cache()
        return self.frame.name

    def headers(self):
        """The column headers; a header or cell the bus has not brought yet reads as None."""
        t = self.table.queryTable()
        return [getattr(t.getColumnHeader(c), "name", None) for c in range(t.nColumns)]

    def rows(self):
        """{(site, car): {header: text}} as shown now; empty while the table is still filling."""
        self.table.clear_cache()
        t = self.table.queryTable()
        names = self.headers()
        rows = {}
        for r in range(t.nRows):
            cells = {names[c]: getattr(t.getAccessibleAt(r, c), "name", None) for c in range(t.nColumns)}
            if None in cells or None in cells.values():
                return {}
            rows[(cells["Site"], cells["Car"])] = cells
        return rows

    def cell(self, site, car, header):
        t = self.table.queryTable()
        names = self.headers()
        for r in range(t.nRows):
            if (t.getAccessibleAt(r, names.index("Site")).name, t.getAccessibleAt(r, names.index("Car")).name) == (site, car):
                return t.getAccessibleAt(r, names.index(header))
        raise AssertionError("no row for %s/%s" % (site, car))

    def choose(self, site, car):
        """Clicks the car's row, as the operator picks it before a key."""
        self.screen.click(self.cell(site, car, "Floor"))
        wait_for("the row to be chosen", lambda: self.faults()[:1] == ["%s/%s, since carfleet started:" % (site, car)])

    def faults(self):
        listing = self.screen.find(self.frame, "Recent faults", "list")
        listing.clear_cache()
        return [item.name for item in listing]


def main():
    skip_unless_ready()
    carfleet, mosquitto = sys.argv[1], sys.argv[2]
    with Desktop() as desktop:
        broker = Broker(mosquitto, desktop.tmp)
        try:
            for topic, payload in RETAINED:
                broker.publish(topic, payload, retain=True)
            screen = Screen(desktop)
            desktop.launch(carfleet, {"XDG_CONFIG_HOME": desktop.tmp},
                           ["--broker", "mqtt://127.0.0.1:%d" % broker.port])
            fleet = Fleet(screen, screen.application("carfleet"))
            fleet.carfleet = carfleet
            return run(cases(fleet, broker, desktop))
        finally:
            broker.close()


def cases(fleet, broker, desktop):
    def rows_shown():
        wait_for("the headers", lambda: fleet.headers()[:3] == ["Site", "Car", "Link"])
        wait_for("three cars", lambda: len(fleet.rows()) == 3)
        shown = fleet.rows()
        for key, expected in ROWS.items():
            got = {h: shown[key][h] for h in expected}
            assert got == expected, "%s: %r, expected %r" % (key, got, expected)

    def new_fault_counted_then_acknowledged():
        broker.publish("hoistwise/tower-a/car1/fault", dict(time=NOW, code=23, floor=4, description="Safety string open"))
        wait_for("the title to count it", lambda: fleet.title() == "carfleet - 1 new fault")
        assert fleet.cell("tower-a", "car1", "Fault").name == "23 (1 new)"
        fleet.choose("tower-a", "car1")
        wait_for("the fault beside the table", lambda: any("fault 23 at floor 4" in f and "(new)" in f for f in fleet.faults()))
        assert any("fault 17 at floor 2" in f for f in fleet.faults()), fleet.faults()
        desktop.xdotool("key", "ctrl+k")
        wait_for("the title to forget it", lambda: fleet.title() == "carfleet")
        assert fleet.cell("tower-a", "car1", "Fault").name == "23"

    def watcher_offline_marks_its_cars():
        broker.publish("hoistwise/mill-st/watcher/box9", "offline", retain=True)
        wait_for("mill-st's car marked", lambda: fleet.rows()[("mill-st", "car1")]["Link"] == "down, watcher offline")
        assert all("offline" not in row["Link"] for key, row in fleet.rows().items() if key[0] == "tower-a")

    def hold_sent_and_withdrawn():
        fleet.choose("tower-a", "car2")
        desktop.xdotool("key", "ctrl+h")
        dialog = wait_for("the hand-over dialog", lambda: next(
            (n for n in fleet.app if n.getRoleName() == "dialog" and n.name == "Hand over"), None))
        fleet.screen.act(fleet.screen.find(dialog, "OK", "push button"), "Press")
        hold = wait_for("the retained hold", lambda: broker.retained("hoistwise/tower-a/car2/hold"))
        assert json.loads(hold) == {"minutes": 30, "by": getpass.getuser()}, hold
        wait_for("the row to show the hold",
                 lambda: fleet.rows()[("tower-a", "car2")]["Link"] == "up (hold: %s, 30 min)" % getpass.getuser())
        fleet.choose("tower-a", "car2")
        desktop.xdotool("key", "ctrl+shift+h")
        wait_for("the hold withdrawn", lambda: broker.retained("hoistwise/tower-a/car2/hold") is None)

    def bad_command_lines_refused():
        for args, said in [(["--broker", "http://h:1"], "give mqtt://HOST:PORT or mqtts://HOST:PORT?ca=FILE"),
                           (["--broker", "mqtt://h:99999"], "not a number from 1 to 65535"),
                           (["--broker", "mqtt://h:1", "--broker-user", "jo"], "needs a password file"),
                           (["--broker", "mqtt://h:1", "--broker-user", "jo", "--broker-password-file", "/nonexistent"],
                            "/nonexistent"),
                           (["--broker-user", "jo"], "go with --broker")]:
            done = subprocess.run([fleet.carfleet, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20,
                                  env=desktop.env)
            assert done.returncode == 2 and said in done.stderr.decode(), (args, done.returncode, done.stderr)

    return [("rows shown by their headers", rows_shown),
            ("bad command lines refused with status 2", bad_command_lines_refused),
            ("a new fault counted in the title until acknowledged", new_fault_counted_then_acknowledged),
            ("a watcher's offline marks its cars only", watcher_offline_marks_its_cars),
            ("a hold sent and withdrawn", hold_sent_and_withdrawn)]


if __name__ == "__main__":
    sys.exit(main())
