#!/usr/bin/python3
"""Reads the #include lines of every product file and fails on one that runs
against the layers HACKING.md draws ("Layers"). Run by ctest as LayersHold.

A folder includes only itself and folders of a lower rank:

    components < tags, settings < joblist < player, engine < core < app, cli

Folders of one rank (tags and settings, player and engine, app and cli) stay
apart. widgets/ is the widget base: it may include every folder of the core
library. The dialogs of */ui/ and the skin engine components/skin/ are widget
code too: they may include widgets/, components/skin/ and the core library,
never app/. Files of the core library (the top level of its folders) and of
korvex-cli include no QtWidgets or QtGui header.

Each crossing is printed as FILE:LINE: ... and makes the check fail, unless
the allowlist beside this script names it (one "FILE -> INCLUDED" a line).
An allowlist line that no longer matches fails too, so the list only shrinks.
`--cycles` prints the include cycles between folders instead.
"""
import argparse
import os
import re
import sys

PRODUCT_FOLDERS = ["app", "cli", "core", "widgets", "settings", "joblist", "engine", "tags", "player", "components"]
RANK = {"components": 0, "tags": 1, "settings": 1, "joblist": 2, "player": 3, "engine": 3, "core": 4,
        "app": 5, "cli": 5}
CORE_LIBRARY = {"components", "tags", "settings", "joblist", "player", "engine", "core"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def product_files(root):
    for folder in PRODUCT_FOLDERS:
        for directory, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(directory, name), root)


def unit_of(path):
    """The layer a file belongs to: its top folder, or the widget code below one."""
    parts = path.split("/")
    if len(parts) > 2 and parts[1] == "ui":
        return parts[0] + "/ui"
    if parts[:2] == ["components", "skin"]:
        return "components/skin"
    return parts[0]


def is_widget_code(unit):
    return unit.endswith("/ui") or unit == "components/skin"


def may_include(source, target):
    if source == target:
        return True
    if source == "app":
        return target != "cli"
    if target in ("app", "cli"):
        return False
    if source == "widgets":
        return target in CORE_LIBRARY
    if is_widget_code(source):
        return target in CORE_LIBRARY or target in ("widgets", "components/skin")
    # core library folders and cli: strictly downwards, never widget code
    return target in RANK and RANK[target] < RANK[source]


def resolve(root, including, name, quoted=True):
    """The product file an include names, or None for anything else. The
    source root is on the include path, so <engine/X.h> finds a product file
    as "engine/X.h" does; only a quoted name is looked for beside the file
    first."""
    for base in (os.path.dirname(including), "") if quoted else ("",):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, candidate)) and candidate.split("/")[0] in PRODUCT_FOLDERS:
            return candidate
    return None


def widget_header_names(directories):
    names = set()
    for directory in directories:
        module = os.path.basename(os.path.normpath(directory))
        if module in ("QtWidgets", "QtGui") and os.path.isdir(directory):
            names.update(os.listdir(directory))
            names.update(module + "/" + name for name in os.listdir(directory))
    return names


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1) == '"', match.group(2)


def crossings(root, widget_headers):
    for path in product_files(root):
        source = unit_of(path)
        no_widgets = source in CORE_LIBRARY or source == "cli"
        for number, quoted, name in includes(root, path):
            target_file = resolve(root, path, name, quoted)
            if target_file:
                if not may_include(source, unit_of(target_file)):
                    yield path, number, target_file, f"{source} may not include {unit_of(target_file)}"
            elif no_widgets and (name in widget_headers or name.startswith(("QtWidgets/", "QtGui/"))):
                yield path, number, name, f"{source} is core code: no widget header"


def read_allowlist(path):
    allowed = set()
    with open(path, encoding="utf-8") as text:
        for line in text:
            line = line.split("#", 1)[0].strip()
            if line:
                source, _, target = (part.strip() for part in line.partition("->"))
                allowed.add((source, target))
    return allowed


def folder_cycles(root, leaving_out=frozenset()):
    """Every elementary cycle of the graph of folders (the widget code below a
    folder counted apart from it), each once; the includes `leaving_out`
    names (file, included file) are not counted."""
    edges = {}
    for path in product_files(root):
        source = unit_of(path)
        for _, quoted, name in includes(root, path):
            target_file = resolve(root, path, name, quoted)
            if target_file and unit_of(target_file) != source and (path, target_file) not in leaving_out:
                edges.setdefault(source, set()).add(unit_of(target_file))
    cycles = []

    def walk(start, node, trail):
        for following in sorted(edges.get(node, ())):
            if following == start:
                cycles.append(trail + [start])
            elif following > start and following not in trail:
                walk(start, following, trail + [following])

    for start in sorted(edges):
        walk(start, start, [start])
    return cycles


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--allowlist", required=True)
    parser.add_argument("--qt-include-dir", action="append", default=[],
                        help="a QtWidgets or QtGui header folder (repeatable)")
    parser.add_argument("--cycles", action="store_true")
    args = parser.parse_args()
    root = os.path.abspath(args.source_dir)

    if args.cycles:
        cycles = folder_cycles(root)
        for cycle in cycles:
            print(" -> ".join(cycle))
        print(f"{len(cycles)} folder include cycle(s)")
        remaining = folder_cycles(root, read_allowlist(args.allowlist))
        print(f"{len(remaining)} once the allowlist's includes are gone")
        return 0

    widget_headers = widget_header_names(args.qt_include_dir)
    if "QWidget" not in widget_headers or "QGuiApplication" not in widget_headers:
        print("no QtWidgets and QtGui headers found in", args.qt_include_dir)
        return 2
    allowed = read_allowlist(args.allowlist)
    seen = set()
    failures = 0
    for path, number, target, why in crossings(root, widget_headers):
        if (path, target) in allowed:
            seen.add((path, target))
            continue
        print(f"{path}:{number}: includes {target} ({why})")
        failures += 1
    for path, target in sorted(allowed - seen):
        print(f"{os.path.basename(args.allowlist)}: {path} -> {target} no longer happens: remove the line")
        failures += 1
    if failures:
        print(f"{failures} finding(s); HACKING.md, 'Layers', says which way includes go")
        return 1
    print(f"layers hold ({len(allowed)} allowed crossing(s) left in {os.path.basename(args.allowlist)})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
