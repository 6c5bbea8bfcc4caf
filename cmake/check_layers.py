#!/usr/bin/env python3
"""Checks that the house stands in layers: each program and library links only what its
layer allows (CMake's own link graph, `cmake --graphviz`), and no source includes a
header from a folder above it.

  check_layers.py SOURCE_DIR [--configure DIR [-- CMAKE_ARGS...]]... [--dot FILE]...
                  [--doc FILE] [--print]

--configure configures the project into DIR (a scratch folder) with the given arguments
and checks its graph, named after DIR; --dot checks a graph already written, named
after the file. The includes are checked once, on the sources. --doc compares the layer
list in FILE with the graphs (when they are the "native" one, with the Qt dialog, and
the "windows" one);
--print prints that list instead of checking. Exit 0 when everything holds, 1 with one line per fault, 2 when
the check itself could not run.
"""

import re
import subprocess
import sys
from pathlib import Path

# What each of our targets may link directly. A library of ours that is missing here is
# a fault too: a new library has to be given its place.
MAY_LINK = {
    "talvorix_core": set(),
    "talvorix_wintext": set(),
    "talvorix_hall": {"talvorix_core"},
    "talvorix_hermit": {"talvorix_core"},
    "talvorix_scanner": {"talvorix_core", "talvorix_hall", "talvorix_hermit", "talvorix_wintext"},
    "talvorix_watch": {"talvorix_core", "talvorix_wintext"},
    "talvorix_handover": {"talvorix_core", "talvorix_wintext"},
    "talvorix_dialog": {"talvorix_core", "talvorix_scanner", "talvorix_watch", "talvorix_handover"},
    "talvorix_qt": {"talvorix_dialog", "talvorix_watch", "talvorix_handover"},
    "talvorix": {"talvorix_dialog", "talvorix_watch", "talvorix_handover", "talvorix_wintext", "talvorix_qt",
                 "talvorix_scanner", "talvorix_core"},
    "talvorix_cli_output": {"talvorix_core", "talvorix_wintext"},
    "talvorix_absolute_path": {"talvorix_wintext"},
    "talvorix-cli": {"talvorix_core", "talvorix_scanner", "talvorix_watch", "talvorix_cli_output", "talvorix_wintext"},
    "talvorix-send": {"talvorix_core", "talvorix_handover", "talvorix_absolute_path", "talvorix_cli_output",
                      "talvorix_wintext"},
    "talvorix_web": {"talvorix_core", "talvorix_scanner"},
    "talvorix_engine": {"talvorix_web"},
}

# What a program must not hold even through another library: the sender is no engine,
# the command line no dialog, the page neither dialog nor hand-over.
NEVER_HOLDS = {
    "talvorix-send": {"talvorix_scanner", "talvorix_hall", "talvorix_hermit", "talvorix_watch", "talvorix_dialog"},
    "talvorix-cli": {"talvorix_dialog", "talvorix_handover", "talvorix_qt"},
    "talvorix_web": {"talvorix_dialog", "talvorix_watch", "talvorix_handover"},
    "talvorix_engine": {"talvorix_dialog", "talvorix_watch", "talvorix_handover"},
}

# The folders whose headers each folder may include (its own always).
MAY_INCLUDE = {
    "core": set(),
    "wintext": set(),
    "hall": {"core"},
    "hermit": {"core"},
    "scanner": {"core", "hall", "hermit", "wintext"},
    "watch": {"core", "wintext"},
    "handover": {"core", "wintext"},
    "dialog": {"core", "hall", "hermit", "scanner", "watch", "handover", "wintext"},
    "cli": {"core", "scanner", "watch", "handover", "wintext"},
    "web": {"core", "hall", "hermit", "scanner"},
}
# Folders above every library, which may include anything below them.
ABOVE_ALL = {"tests", "bench", "fuzz", "packaging", "examples"}

NODE = re.compile(r'^\s*"(node\d+)" \[ label = "([^"]+)", shape = (\w+)')
EDGE = re.compile(r'^\s*"(node\d+)" -> "(node\d+)"(?: \[ style = (\w+) \])?')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def read_graph(dot):
    """Our targets' direct links: {target: {library, ...}}, from a graphviz file."""
    labels, links = {}, {}
    for line in Path(dot).read_text(encoding="utf-8").splitlines():
        node = NODE.match(line)
        if node:
            labels[node.group(1)] = node.group(2)
            continue
        edge = EDGE.match(line)
        if edge and edge.group(1) in labels and edge.group(2) in labels:
            source, target = labels[edge.group(1)], labels[edge.group(2)]
            if source != target:
                links.setdefault(source, set()).add(target)
    return links


def ours(name):
    """Our own targets; the object libraries that Qt makes for compiled-in resources
    (talvorix_qt_resources_1) belong to the target they serve."""
    return name.startswith("talvorix") and not re.search(r"_resources_\d+$", name)


def holds(links, target):
    """Every library a target links, directly or through another."""
    seen, stack = set(), [target]
    while stack:
        for library in links.get(stack.pop(), ()):
            if library not in seen:
                seen.add(library)
                stack.append(library)
    return seen


def check_graph(links, where):
    faults = []
    libraries = {t for linked in links.values() for t in linked} | set(links)
    for target in sorted(libraries):
        if not ours(target):
            continue
        if target.startswith("talvorix_") and target not in MAY_LINK:
            faults.append(f"{where}: {target} has no place in the layers (add it to MAY_LINK)")
    for target, linked in sorted(links.items()):
        if target not in MAY_LINK:
            continue
        for library in sorted(linked):
            if ours(library) and library not in MAY_LINK[target]:
                faults.append(f"{where}: {target} links {library}, which its layer does not allow")
    for program, banned in sorted(NEVER_HOLDS.items()):
        if program in links:
            for library in sorted(holds(links, program) & banned):
                faults.append(f"{where}: {program} holds {library} (it must not, not even through another library)")
    return faults


def check_includes(source):
    faults = []
    for folder, allowed in sorted(MAY_INCLUDE.items()):
        for path in sorted((source / folder).rglob("*")):
            if path.suffix not in {".h", ".cpp", ".inc", ".c"}:
                continue
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                included = INCLUDE.match(line)
                if not included:
                    continue
                top = included.group(1)
                known = top in MAY_INCLUDE or top in ABOVE_ALL
                if known and top != folder and top not in allowed:
                    faults.append(f"{path.relative_to(source)}:{number}: includes {top}/, above or beside {folder}/")
    return faults


def configure(source, build, arguments):
    build = Path(build)
    build.mkdir(parents=True, exist_ok=True)
    dot = build / "layers.dot"
    done = subprocess.run(["cmake", "-S", str(source), "-B", str(build), f"--graphviz={dot}", *arguments],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0 or not dot.exists():
        sys.stderr.write(done.stderr)
        return None
    return dot


def layer_lines(graphs):
    """One line per target of ours, what it links directly, over every configuration
    checked: a link or a target found in only some of them is marked with their names
    ([windows]). docs/architecture.md shows these lines."""
    names = [name for name, _ in graphs]
    lines = []
    for target in MAY_LINK:
        present = [name for name, links in graphs
                   if target in links or any(target in linked for linked in links.values())]
        if not present:
            continue
        linked = {}
        for name, links in graphs:
            for library in links.get(target, ()):
                if ours(library):
                    linked.setdefault(library, []).append(name)
        shown = []
        for library in sorted(linked):
            where = linked[library]
            shown.append(library if len(where) == len(present) else f"{library} [{', '.join(where)}]")
        line = f"{target} -> {', '.join(shown) if shown else '(nothing of ours)'}"
        if len(present) != len(names):
            line += f"  [{', '.join(present)} only]"
        lines.append(line)
    return lines


DOC_BEGIN = "<!-- layers: begin (cmake/check_layers.py) -->"
DOC_END = "<!-- layers: end -->"


def check_doc(doc, lines):
    """The lines between the markers of `doc` (inside a code fence) against the graph's."""
    text = Path(doc).read_text(encoding="utf-8")
    if DOC_BEGIN not in text or DOC_END not in text:
        return [f"{doc}: no layer list between {DOC_BEGIN} and {DOC_END}"]
    block = text.split(DOC_BEGIN, 1)[1].split(DOC_END, 1)[0]
    shown = [line for line in block.splitlines() if line.strip() and not line.startswith("```")]
    if shown == lines:
        return []
    return [f"{doc}: its layer list differs from the link graph; it should read:"] + lines


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    source = Path(argv[1]).resolve()
    graphs, rest, doc, printing = [], argv[2:], None, False
    while rest:
        option = rest.pop(0)
        if option == "--dot" and rest:
            dot = Path(rest.pop(0))
            graphs.append((dot.stem, dot))
        elif option == "--doc" and rest:
            doc = Path(rest.pop(0))
        elif option == "--print":
            printing = True
        elif option == "--configure" and rest:
            build, arguments = rest.pop(0), []
            if rest and rest[0] == "--":
                rest.pop(0)
                while rest and rest[0] not in {"--configure", "--dot", "--doc", "--print"}:
                    arguments.append(rest.pop(0))
            dot = configure(source, build, arguments)
            if dot is None:
                print(f"check_layers: cannot configure {build}", file=sys.stderr)
                return 2
            graphs.append((Path(build).name, dot))
        else:
            print(f"check_layers: unknown argument {option}", file=sys.stderr)
            return 2
    read = [(name, read_graph(dot)) for name, dot in graphs]
    if printing:
        print("\n".join(layer_lines(read)))
        return 0
    faults = check_includes(source)
    for name, links in read:
        faults += check_graph(links, name)
    if doc is not None:
        # The list shows every build: the native one with the Qt dialog, and Windows.
        graphs_by_name = dict(read)
        complete = sorted(graphs_by_name) == ["native", "windows"] and "talvorix_qt" in graphs_by_name["native"]
        if complete:
            faults += check_doc(doc, layer_lines(read))
        else:
            print(f"check_layers: {doc} not compared: that needs the native graph with the Qt dialog and the windows one")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
