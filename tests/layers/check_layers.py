#!/usr/bin/env python3
"""Fails when a folder includes from a folder above it in the kit's layers.

The layers, lowest first: toolkit, serial, mqtt (the broker connection), launch, carterm, the
programs (each on its own: no program includes another's headers), the simulators. A folder includes only from itself and from
lower layers. Tests, fuzz targets and benchmarks may include anything.

Inside serial/ three storeys: its root (the seam and the values every room shares) includes no
room; the rooms device/, network/ and capture/ include the root and themselves, never each other
or control/; control/ may include them all. Nothing in serial/ includes the toolkit's controls:
what draws into them lives beside the windows.

Usage: check_layers.py ROOT
"""
import pathlib
import re
import sys

LAYERS = [
    ["toolkit"],
    ["serial"],
    ["mqtt"],
    ["launch"],
    ["carterm"],
    ["carscope", "cabtalk", "runecast", "iobench", "cartrace", "carwatch", "carfleet"],
    ["sim"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)

SERIAL_ROOMS = ("device", "network", "capture")
# The toolkit's headers a serial file may use: none of them draws.
TOOLKIT_PLAIN = {"toolkit/Bytes.h", "toolkit/TextOps.h"}


def serial_storey(path):
    """'root', a room's name or 'control' for a path under serial/."""
    parts = path.split("/")
    return parts[1] if len(parts) > 2 else "root"


def serial_problem(source, include):
    """Why `source` (under serial/) may not include `include`, or None."""
    target = include.split("/")[0]
    if target == "toolkit" and include not in TOOLKIT_PLAIN:
        return "draws into the toolkit's controls, which belongs beside the windows"
    if target != "serial":
        return None
    mine, theirs = serial_storey(source), serial_storey(include)
    if theirs in ("root", mine):
        return None
    if mine == "root":
        return f"serial/{theirs}/ is a room on the serial root, which includes no room"
    if mine in SERIAL_ROOMS:
        return f"serial/{mine}/ includes neither another room nor control/"
    return None


def main(root):
    wrong = []
    for folder in RANK:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            source = str(path.relative_to(root))
            text = path.read_text(encoding="latin-1")
            for line, include in ((text.count("\n", 0, m.start()) + 1, m.group(1))
                                  for m in INCLUDE.finditer(text)):
                target = include.split("/")[0]
                if folder == "serial" and (why := serial_problem(source, include)):
                    wrong.append(f"{source}:{line}: includes \"{include}\", but {why}")
                if target == folder or target not in RANK:
                    continue
                if RANK[target] >= RANK[folder]:
                    wrong.append(f"{source}:{line}: includes \"{include}\", "
                                 f"but {target}/ is not below {folder}/ in the layers")
    for message in wrong:
        print(message)
    print(f"{len(wrong)} include(s) against the layers' order")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
