#!/usr/bin/env python3
"""The kit's programs driven through AT-SPI, as screen readers, dictation tools and GUI test tools
drive them. For every kind of control, the accessible action and the operator's keyboard or
mouse action must have the same effect; grids must report exactly their cells; controls without
a caption carry a description; the hidden reply buffer takes no focus.

Usage: accessibility_test.py BIN_DIR   (exit 77 = skipped: the AT-SPI packages are missing)"""

import os
import select
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi_session import Desktop, Screen, run, skip_unless_ready, wait_for  # noqa: E402

# One row per control kind: how the accessible client does it, how the operator does it, what
# is observed afterwards, and what both must show. `reset` puts the window back in between.
# Each function takes the Window helper below.
RUNECAST_CASES = [
    dict(name="option button: Toggle vs click",
         reset=lambda w: w.screen.click(w.get("Futura", "radio button")),
         accessible=lambda w: w.screen.act(w.get("Meridia", "radio button"), "Toggle"),
         operator=lambda w: w.screen.click(w.get("Meridia", "radio button")),
         observe=lambda w: (w.caption(), w.cell("MSFlexGrid1", 3, 0), w.cell("MSFlexGrid1", 0, 0)),
         expect=("Meridia Runecast", "4            DZ", "7                 ")),
    dict(name="status byte: set text vs typing",
         reset=lambda w: w.screen.set_text(w.get("Text10", "text"), ""),
         accessible=lambda w: w.screen.set_text(w.get("Text10", "text"), "5ah"),
         operator=lambda w: w.screen.type_into(w.get("Text10", "text"), [], "5ah"),
         observe=lambda w: w.lit(["Text%d" % n for n in range(11, 19)]),
         expect=("Text12", "Text14", "Text15", "Text17")),  # 5a = 0101 1010: bits 6, 4, 3 and 1
    dict(name="fault number: set text vs typing",
         reset=lambda w: w.screen.set_text(w.get("Text30", "text"), "1"),
         accessible=lambda w: w.screen.set_text(w.get("Text30", "text"), "12"),
         operator=lambda w: w.screen.type_into(w.get("Text30", "text"), ["End"], "2"),
         observe=lambda w: (w.screen.text(w.get("Text30", "text")), w.screen.text(w.get("Text31", "text")) != "",
                            w.screen.text(w.get("Text31", "text")) != "Division by zero."),
         expect=("12", True, True)),
    dict(name="scroll bar: set value vs a click on its arrow",
         reset=lambda w: w.screen.set_text(w.get("Text30", "text"), "1") or w.value("VScroll1", 1),
         accessible=lambda w: w.value("VScroll1", 2),
         operator=lambda w: w.click_bottom("VScroll1", "scroll bar"),  # its lower arrow
         observe=lambda w: w.screen.text(w.get("Text30", "text")),
         expect="2"),
]

CARSCOPE_CASES = [
    dict(name="text box + button: set text and Press vs typing and click",
         reset=lambda w: w.screen.set_text(w.get("txtpos", "text"), "") or w.link.drain(),
         accessible=lambda w: w.screen.set_text(w.get("txtpos", "text"), "3") or w.screen.act(w.get("DOB", "push button"), "Press"),
         operator=lambda w: w.screen.type_into(w.get("txtpos", "text"), [], "3") or w.screen.click(w.get("DOB", "push button")),
         observe=lambda w: w.link.received(b"\r"),
         expect=b"scc4\r"),
    dict(name="button: Press vs its access key",
         reset=lambda w: w.link.drain(),
         accessible=lambda w: w.screen.act(w.get("STU", "push button"), "Press"),
         operator=lambda w: w.screen.focus_by_click(w.get("txtbbt", "text")) or w.key("alt+u"),
         observe=lambda w: w.link.received(b"\r"),
         expect=b"stu\r"),
    dict(name="dialog: Cancel pressed vs Escape",
         reset=lambda w: w.open_settings(),
         accessible=lambda w: w.screen.act(w.dialog("Communication Settings").get("Cancel", "push button"), "Press"),
         operator=lambda w: w.activate("Communication Settings") or w.key("Escape"),
         observe=lambda w: w.shown("Communication Settings"),
         expect=False),
    dict(name="menu item: Press vs access keys",
         reset=lambda w: w.port_open(True),
         accessible=lambda w: w.screen.act(w.get("Port Open", "check menu item", "menu item"), "Press"),
         operator=lambda w: w.screen.focus_by_click(w.get("txtbbt", "text")) or w.key("alt+c", "o"),
         observe=lambda w: (w.checked("Port Open"), w.enabled("Transmit Text File...")),
         expect=(False, False)),
]


class Link:
    """The far end of carscope's serial line: a pseudo-terminal master."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        self.path = os.ttyname(self.slave)

    def drain(self):
        while select.select([self.master], [], [], 0.2)[0]:
            os.read(self.master, 4096)

    def received(self, until, timeout=5.0):
        data = b""
        end = time.monotonic() + timeout
        while until not in data and time.monotonic() < end:
            if select.select([self.master], [], [], 0.1)[0]:
                data += os.read(self.master, 4096)
        return data

    def close(self):
        os.close(self.master)
        os.close(self.slave)


class Window:
    """One program's window as the cases see it."""

    def __init__(self, screen, app, frame, link=None):
        self.screen, self.app, self.frame, self.link = screen, app, frame, link

    def get(self, name, *roles):
        for role in roles:
            try:
                return self.screen.find(self.frame, name, role, timeout=2 if len(roles) > 1 else 10)
            except AssertionError:
                if role == roles[-1]:
                    raise
        raise AssertionError("no %s" % name)

    def caption(self):
        return self.frame.name

    def cell(self, grid, row, col):
        return self.get(grid, "table").queryTable().getAccessibleAt(row, col).name

    def lit(self, names):
        return tuple(n for n in names if self.screen.showing(self.get(n, "text")))

    def value(self, name, v):
        self.get(name, "scroll bar").queryValue().currentValue = v

    def click_bottom(self, name, role):
        box = self.get(name, role).queryComponent().getExtents(self.screen.pyatspi.DESKTOP_COORDS)
        self.screen.desktop.click_at(box.x + box.width // 2, box.y + box.height - 4)

    def key(self, *keys):
        self.screen.desktop.xdotool("key", "--delay", "100", *keys)

    def state(self, name, state):
        return self.screen.has(self.get(name, "check menu item", "menu item"), state)

    def checked(self, name):
        return self.state(name, self.screen.pyatspi.STATE_CHECKED)

    def enabled(self, name):
        return self.state(name, self.screen.pyatspi.STATE_ENABLED)

    def dialog(self, caption):
        return Window(self.screen, self.app, self.shown(caption) or self.frame, self.link)

    def shown(self, caption):
        """The program's window with this caption while it is on screen, else False."""
        return next((n for n in self.app if n.getRoleName() in ("frame", "dialog") and n.name == caption
                     and self.screen.showing(n)), False)

    def activate(self, caption):
        """Gives the window the X input focus, as a window manager would (a fresh top-level
        window has none here)."""
        self.screen.desktop.xdotool("search", "--onlyvisible", "--name", "^%s$" % caption, "windowfocus", "sleep", "0.5")

    def open_settings(self):
        self.screen.act(self.get("Settings...", "menu item"), "Press")
        wait_for("the settings dialog", lambda: self.shown("Communication Settings"), 5)

    def port_open(self, wanted):
        if self.checked("Port Open") != wanted:
            self.screen.act(self.get("Port Open", "check menu item", "menu item"), "Press")
        wait_for("port open = %s" % wanted, lambda: self.checked("Port Open") == wanted, 5)
        if self.link:
            self.link.drain()


def same_effect_cases(window, table):
    """Each row twice, once per way; both must end in the expected observation."""
    cases = []
    for row in table:
        for way in ("accessible", "operator"):
            def case(row=row, way=way):
                row["reset"](window)
                time.sleep(0.2)
                row[way](window)
                seen = [None]

                def settled():
                    seen[0] = row["observe"](window)
                    return seen[0] == row["expect"]

                try:
                    wait_for("the effect", settled, timeout=10)
                except AssertionError:
                    raise AssertionError("%s way showed %r, expected %r" % (way, seen[0], row["expect"]))

            cases.append(("%s (%s)" % (row["name"], way), case))
    return cases


def structure_cases(window, errors_path, helpers=()):
    """Grids reported consistently, descriptions on captionless controls, helpers unreachable."""
    pyatspi = window.screen.pyatspi

    def grids():
        tables = [n for n in window.screen.nodes(window.frame) if n.getRoleName() == "table"]
        assert tables, "no grid found"
        for t in tables:
            table = t.queryTable()
            rows, cols = table.nRows, table.nColumns
            assert t.childCount == rows * cols, "%s: %d children for %dx%d" % (t.name, t.childCount, rows, cols)
            for r in range(rows):
                for c in range(cols):
                    cell = table.getAccessibleAt(r, c)
                    child = t.getChildAtIndex(table.getIndexAt(r, c))
                    assert cell.name == child.name, "%s cell %d,%d" % (t.name, r, c)
                    assert (table.getRowAtIndex(r * cols + c), table.getColumnAtIndex(r * cols + c)) == (r, c)
        with open(errors_path, errors="replace") as f:
            complaints = [line for line in f if "QAccessibleTable" in line]
        assert not complaints, "standard error: " + "".join(complaints[:3])

    def descriptions():
        undescribed = []
        for node in window.screen.nodes(window.frame):
            if node.getRoleName() in ("text", "table", "scroll bar", "password text") and node.name:
                if node.name in helpers:
                    continue
                if not node.description:
                    undescribed.append(node.name)
        assert not undescribed, "no description: " + ", ".join(undescribed)

    def hidden_helpers():
        for name in helpers:
            node = window.get(name, "text")
            assert not window.screen.has(node, pyatspi.STATE_FOCUSABLE), name + " is focusable"

    cases = [("grids report exactly their cells", grids), ("captionless controls are described", descriptions)]
    if helpers:
        cases.append(("hidden helpers take no focus", hidden_helpers))
    return cases


def dismiss_splash(screen, app, caption):
    """Clicks the splash's background (its top-left corner) unless the window is already up."""
    for node in app:
        if node.getRoleName() == "frame" and node.name == caption and screen.showing(node):
            box = node.queryComponent().getExtents(screen.pyatspi.DESKTOP_COORDS)
            screen.desktop.click_at(box.x + 3, box.y + 3)
            return


def main():
    skip_unless_ready()
    bin_dir = sys.argv[1]
    status = 0
    with Desktop() as desktop:
        screen = Screen(desktop)

        _, errors = desktop.launch(os.path.join(bin_dir, "runecast"))
        app = screen.application("runecast")
        dismiss_splash(screen, app, "")
        frame = wait_for("the decoder window", lambda: next(
            (n for n in app if n.getRoleName() == "frame" and n.name.endswith("Runecast") and screen.showing(n)), None))
        decoder = Window(screen, app, frame)
        status |= run(same_effect_cases(decoder, RUNECAST_CASES) + structure_cases(decoder, errors))

        link = Link()
        try:
            _, errors = desktop.launch(os.path.join(bin_dir, "carscope"), {"HOISTWISE_COM1": link.path})
            app = screen.application("carscope")
            wait_for("the splash", lambda: any(n.name == "Hoistwise" for n in app))
            dismiss_splash(screen, app, "Hoistwise")
            frame = wait_for("the car window", lambda: next(
                (n for n in app if n.getRoleName() == "frame" and n.name == "Hoistwise Car" and screen.showing(n)),
                None), timeout=20)
            car = Window(screen, app, frame, link)
            status |= run(same_effect_cases(car, CARSCOPE_CASES) + structure_cases(car, errors, helpers=("Text1",)))
        finally:
            link.close()
    return status


if __name__ == "__main__":
    sys.exit(main())
