#!/usr/bin/env python3
"""Fails when a folder includes from a folder above it in the kit's layers.

The layers, lowest first: toolkit, serial, launch, carterm, the programs (each on its own: no
program includes another's headers), the simulators. A folder includes only from itself and from
lower layers. Tests, fuzz targets and benchmarks may include anything.

Usage: check_layers.py ROOT
"""
import pathlib
import re
import sys

LAYERS = [
    ["toolkit"],
    ["serial"],
    ["launch"],
    ["carterm"],
    ["carscope", "cabtalk", "runecast", "iobench", "cartrace"],
    ["sim"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def main(root):
    wrong = []
    for folder in RANK:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = path.read_text(encoding="latin-1")
            for line, include in ((text.count("\n", 0, m.start()) + 1, m.group(1))
                                  for m in INCLUDE.finditer(text)):
                target = include.split("/")[0]
                if target == folder or target not in RANK:
                    continue
                if RANK[target] >= RANK[folder]:
                    wrong.append(f"{path.relative_to(root)}:{line}: includes \"{include}\", "
                                 f"but {target}/ is not below {folder}/ in the layers")
    for message in wrong:
        print(message)
    print(f"{len(wrong)} include(s) against the layers' order")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
