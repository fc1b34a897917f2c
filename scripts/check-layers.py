#!/usr/bin/env python3
"""Checks that no source file includes a header of a layer it does not link.

The layers are the folders under src/ whose CMakeLists.txt defines one of our
targets (a file belongs to the nearest such folder above it). A layer may
include its own headers and those of the layers its targets link, directly or
through them, as target_link_libraries says; a Qt header only when it links
Qt. Anything else climbs a layer, or reaches sideways, and is reported.

    check-layers.py [--root FOLDER]   (FOLDER holds src/; default: this tree)

Exit status 0 when every include keeps to the links, 1 otherwise.
"""

import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
TARGET = re.compile(r"\badd_(?:library|executable)\s*\(\s*([A-Za-z0-9_]+)")
LINKS = re.compile(r"\btarget_link_libraries\s*\(\s*([A-Za-z0-9_]+)([^)]*)\)", re.S)
QT_HEADER = re.compile(r"^Q[A-Za-z]*(/|$)")


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def strip_comments(text):
    return "\n".join(line.split("#", 1)[0] for line in text.splitlines())


def load_layers(src):
    """What each layer folder (relative to src, '/'-separated) may include:
    the folders it reaches and whether Qt is among them."""
    folder_of = {}  # target -> folder
    links = {}      # target -> [(name, passed on to its users)]
    for folder, _, files in os.walk(src):
        if "CMakeLists.txt" not in files:
            continue
        text = strip_comments(read(os.path.join(folder, "CMakeLists.txt")))
        rel = os.path.relpath(folder, src).replace(os.sep, "/")
        for name in TARGET.findall(text):
            folder_of[name] = rel
        for name, items in LINKS.findall(text):
            public = True
            for item in items.split():
                if item in ("PUBLIC", "INTERFACE", "PRIVATE"):
                    public = item != "PRIVATE"
                else:
                    links.setdefault(name, []).append((item, public))

    def passed_on(target, seen):
        # What a user of `target` reaches through it: its public links and theirs.
        for item, public in links.get(target, ()):
            if public and item not in seen:
                seen.add(item)
                passed_on(item, seen)
        return seen

    reach, qt = {}, {}
    for target, folder in folder_of.items():
        names = set()
        for item, _ in links.get(target, ()):
            names.add(item)
            passed_on(item, names)
        folders = {folder_of[n] for n in names if n in folder_of} - {folder}
        reach.setdefault(folder, set()).update(folders)
        qt[folder] = qt.get(folder, False) or any(n.startswith("Qt6::") for n in names)
    return reach, qt


def layer_of(path, layers):
    """The layer folder a path (relative to src) lies in, or None."""
    parts = path.split("/")
    for n in range(len(parts), 0, -1):
        candidate = "/".join(parts[:n])
        if candidate in layers:
            return candidate
    return None


def check(root):
    src = os.path.join(root, "src")
    reach, qt = load_layers(src)
    problems = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            own = layer_of(rel, reach)
            if own is None:
                continue
            text = read(full)
            for match in INCLUDE.finditer(text):
                kind, header = match.group(1), match.group(2)
                line = text.count("\n", 0, match.start()) + 1
                where = "src/%s:%d" % (rel, line)
                if kind == "<":
                    if QT_HEADER.match(header) and not qt[own]:
                        problems.append("%s: %s includes <%s> but does not link Qt"
                                        % (where, own, header))
                    continue
                beside = os.path.normpath(os.path.join(os.path.dirname(rel), header))
                if os.path.isfile(os.path.join(src, beside)) and not beside.startswith(".."):
                    target = beside.replace(os.sep, "/")
                else:
                    target = header
                theirs = layer_of(target, reach)
                if theirs is None or theirs == own or theirs in reach[own]:
                    continue
                problems.append("%s: %s includes \"%s\" of %s, which it does not link"
                                % (where, own, header, theirs))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    args = parser.parse_args()
    problems = check(os.path.abspath(args.root))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
