"""A private desktop for driving the kit's programs through AT-SPI: a virtual X display, a
D-Bus session bus (which starts the accessibility bus on demand), the programs under test, and
the operator's real keyboard and mouse through xdotool. Everything started here is ended here."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77  # ctest's SKIP_RETURN_CODE


def missing_tools():
    """What this machine lacks for the suite, as a list of names (empty when all is there)."""
    lacking = [tool for tool in ("Xvfb", "dbus-daemon", "xdotool") if not shutil.which(tool)]
    try:
        import gi

        gi.require_version("Atspi", "2.0")
        import pyatspi  # noqa: F401
    except (ImportError, ValueError) as e:
        lacking.append("python3-pyatspi / gir1.2-atspi-2.0 (%s)" % e)
    return lacking


def wait_for(what, probe, timeout=15.0, step=0.1):
    """Polls `probe` until it returns something true; fails naming `what` after `timeout`."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(step)


class Desktop:
    """Xvfb + a session bus. Use as a context manager; the environment it sets up is in .env."""

    def __init__(self):
        self.processes = []
        self.env = dict(os.environ)
        self.tmp = tempfile.mkdtemp(prefix="hoistwise-a11y-")

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        xvfb = self._start(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                           pass_fds=(write_fd,))
        os.close(write_fd)
        with os.fdopen(read_fd) as display:
            number = display.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start (exit status %s)" % xvfb.poll())
        self.env["DISPLAY"] = ":" + number
        # Xvfb names its display a moment before the first client is let in; a program started
        # in that moment fails to open it.
        end = time.monotonic() + 10
        while subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL).returncode != 0 and time.monotonic() < end:
            time.sleep(0.1)
        self.env["XDG_RUNTIME_DIR"] = self.tmp
        os.chmod(self.tmp, 0o700)
        bus = self._start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
                        NO_AT_BRIDGE="0", GTK_MODULES="")
        return self

    def __exit__(self, *exc):
        # Each child leads its own process group, so what the bus started on demand (the
        # accessibility bus and registry) goes with it.
        for process in reversed(self.processes):
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def _start(self, argv, **kw):
        kw.setdefault("stdout", subprocess.DEVNULL)
        kw.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(argv, env=self.env, start_new_session=True, **kw)
        self.processes.append(process)
        return process

    def launch(self, program, extra_env=None, args=()):
        """Starts a program of the kit; returns (process, path of its standard error)."""
        errors = os.path.join(self.tmp, os.path.basename(program) + ".stderr")
        env = dict(self.env, **(extra_env or {}))
        saved, self.env = self.env, env
        try:
            process = self._start([program, *args], stderr=open(errors, "wb"))
        finally:
            self.env = saved
        return process, errors

    def click_at(self, x, y):
        # No --sync: it waits forever when the pointer is already there.
        self.xdotool("mousemove", x, y, "sleep", "0.1", "click", "1")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=10)


class Screen:
    """The accessibility tree of the programs on the desktop, and the operator's input."""

    def __init__(self, desktop):
        # The AT-SPI library reads the bus address when it first connects.
        os.environ.update({k: desktop.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
        import pyatspi

        self.pyatspi = pyatspi
        self.desktop = desktop
        # Bring the accessibility bus and registry up before any program starts: a program that
        # asks for the bus while it is still starting stays off it.
        wait_for("the accessibility registry", lambda: pyatspi.Registry.getDesktop(0) is not None)

    def application(self, name, timeout=20):
        def probe():
            for app in self.pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == name:
                    return app
            return None

        return wait_for("application " + name, probe, timeout)

    def nodes(self, root):
        """Every node under root, depth first."""
        stack = [root]
        while stack:
            node = stack.pop()
            yield node
            if node.getRoleName() != "table":  # cells are walked through the table interface
                stack.extend(reversed([c for c in node if c is not None]))

    def find(self, root, name, role=None, timeout=10):
        def probe():
            for node in self.nodes(root):
                if node.name == name and (role is None or node.getRoleName() == role):
                    return node
            return None

        return wait_for("%s %r" % (role or "control", name), probe, timeout)

    def has(self, node, state):
        """Whether the node is in `state` now: the client's cache is only kept up to date by
        events, which this suite does not listen to."""
        node.clear_cache()
        return node.getState().contains(state)

    def showing(self, node):
        return self.has(node, self.pyatspi.STATE_SHOWING)

    def text(self, node):
        return node.queryText().getText(0, -1)

    def set_text(self, node, value):
        assert node.queryEditableText().setTextContents(value), "the box refused the text"

    def act(self, node, action):
        iface = node.queryAction()
        names = [iface.getName(i) for i in range(iface.nActions)]
        assert action in names, "%s offers %s, not %s" % (node.name, names, action)
        iface.doAction(names.index(action))

    def centre(self, node):
        box = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return box.x + box.width // 2, box.y + box.height // 2

    def click(self, node):
        x, y = self.centre(node)
        self.desktop.click_at(x, y)

    def focus_by_click(self, node):
        """Clicks the control and waits until it has the focus, so that keys reach it."""
        self.click(node)
        wait_for(node.name + " to take the focus",
                 lambda: self.has(node, self.pyatspi.STATE_FOCUSED), timeout=10)

    def type_into(self, node, keys, text=""):
        """Clicks into the box, then presses `keys` (xdotool key names) and types `text`."""
        self.focus_by_click(node)
        if keys:
            self.desktop.xdotool("key", "--delay", "30", *keys)
        if text:
            self.desktop.xdotool("type", "--delay", "30", text)


def run(cases):
    """Runs (name, function) cases, reporting each; returns the process exit status."""
    failures = 0
    for name, case in cases:
        try:
            case()
            print("PASS", name, flush=True)
        except Exception as e:  # report and go on with the next case
            failures += 1
            print("FAIL %s: %s: %s" % (name, type(e).__name__, e), flush=True)
    return 1 if failures else 0


def skip_unless_ready():
    lacking = missing_tools()
    if lacking:
        print("SKIP: the accessibility suite needs " + ", ".join(lacking), flush=True)
        sys.exit(SKIP)
