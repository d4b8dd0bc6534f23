#!/usr/bin/env python3
"""The layers of docs/ARCHITECTURE.md against the includes of src/.

Reads the "may use" column of the Layers table and fails, naming the file
and the line, on:
  - an #include "folder/..." from a folder of src/ that its row does not allow
    (its own folder is always allowed; a subfolder is a row of its own);
  - an include of Qt, of the Windows headers or of libspng, libdeflate or zlib
    from a row that does not name them, in angle brackets or in quotes;
  - a folder under src/ that no row names, or a row that names no folder;
  - a use that names no row, or one that is not below the row using it.

    layers_test.py SOURCE_ROOT
"""
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".cpp", ".in")
# What a "may use" cell may name besides folders, and the includes each allows.
LIBRARIES = {
    "Qt": re.compile(r"Qt[A-Za-z]*/|Q[A-Z]\w*$"),
    "the Windows headers": re.compile(
        r"(windows|commctrl|commdlg|shellapi|olectl|uxtheme|winver|io)\.h$"),
    "libspng": re.compile(r"spng\.h$"),
    "libdeflate": re.compile(r"libdeflate\.h$"),
    "zlib": re.compile(r"zlib\.h$"),
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def read_table(path):
    """The Layers table's rows, top first: (folder, allowed folders, allowed libraries)."""
    text = open(path, encoding="utf-8").read()
    section = text.split("\n## Layers\n", 1)[1].split("\n## ", 1)[0]
    rows = []
    for line in section.splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if len(cells) != 3 or not cells[0].startswith("`src/"):
            continue
        folders = re.findall(r"`src/([^`]*)/`", cells[0])
        if len(folders) != 1:
            sys.exit(f"{path}: a row names one folder of src/: {cells[0]}")
        # Words in brackets narrow a use for the reader; they are not checked.
        uses = re.sub(r"\([^)]*\)", "", cells[2])
        allowed = set(re.findall(r"`([^`]+)/`", uses))
        libraries = {name for name in LIBRARIES if name in uses}
        rows.append((folders[0], allowed, libraries))
    return rows


def main(root):
    problems = []
    table = os.path.join(root, "docs", "ARCHITECTURE.md")
    rows = read_table(table)
    order = [folder for folder, _, _ in rows]
    allowed = {folder: uses for folder, uses, _ in rows}
    libraries = {folder: names for folder, _, names in rows}

    for at, (folder, uses, _) in enumerate(rows):
        for use in sorted(uses):
            if use not in order:
                problems.append(f"{table}: src/{folder}/ may use {use}/, which no row names")
            elif order.index(use) <= at:
                problems.append(f"{table}: src/{folder}/ may use {use}/, which is not below it")

    src = os.path.join(root, "src")
    found = set()
    for directory, subdirectories, files in os.walk(src):
        subdirectories.sort()
        folder = os.path.relpath(directory, src).replace(os.sep, "/")
        if folder == ".":
            continue
        found.add(folder)
        if folder not in allowed:
            problems.append(f"src/{folder}/: no row of the Layers table names this folder")
            continue
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(directory, name)
            text = open(path, encoding="utf-8").read()
            for match in INCLUDE.finditer(text):
                line = text.count("\n", 0, match.start()) + 1
                where = f"src/{folder}/{name}:{line}"
                included = match.group(2)
                if match.group(1) == '"':
                    target = os.path.dirname(included)
                    if target and target != folder and target not in allowed[folder]:
                        problems.append(f'{where}: includes "{included}": src/{folder}/ '
                                        f"may not use {target}/")
                    # A quoted name found in neither src/ nor beside the file
                    # comes from a library, and is judged as one below.
                    if os.path.exists(os.path.join(src, included)) or os.path.exists(
                            os.path.join(directory, included)):
                        continue
                for library, pattern in LIBRARIES.items():
                    if pattern.match(included) and library not in libraries[folder]:
                        problems.append(f"{where}: includes <{included}>: src/{folder}/ "
                                        f"may not use {library}")
    for folder in order:
        if folder not in found:
            problems.append(f"{table}: the row of src/{folder}/ names no folder of the tree")

    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) or folder(s) the Layers table of "
              "docs/ARCHITECTURE.md does not allow; mend the code or the table")
        return 1
    print(f"{len(order)} folders of src/, every include as the Layers table allows")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
