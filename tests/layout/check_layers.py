#!/usr/bin/env python3
"""Fails when a module includes a module above it, or a module's tests include one above the module.

The order is the README's: each folder may include itself and the folders it lists here.
"""
import pathlib
import re
import sys

BELOW = {
    "profile": set(),
    "cards": {"profile"},
    "history": {"profile", "cards"},
    "backup": {"profile", "cards", "history"},
    "print": {"profile", "cards", "history"},
    "exchange": {"profile", "cards", "history", "backup", "print"},
    "sync": {"profile", "cards", "history", "backup", "print", "exchange"},
    "shell": {"profile", "cards", "history", "backup", "print", "exchange", "sync"},
    "dialogs": {"profile", "cards", "history", "backup", "print", "exchange", "sync", "shell"},
    "dial": {"profile", "cards", "history", "backup", "print", "exchange", "sync", "shell"},
    "mainwin": {"profile", "cards", "history", "backup", "print", "exchange", "sync", "shell", "dialogs", "dial"},
    "cli": {"profile", "cards", "history", "backup", "print", "exchange", "sync", "shell", "dial"},
    "app": {"profile", "cards", "history", "backup", "print", "exchange", "sync", "shell", "dialogs", "dial", "mainwin"},
}
# The gauge library is a library of its own: the windows may use it, it uses none of the program.
LIBRARY_USERS = {"shell", "dialogs", "dial", "mainwin", "app"}
LIBRARY_HEADERS = re.compile(r"^(lumet32|lumetctrl|lumetqt|lumetproppage|lumetrender)\.h$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def findings(root: pathlib.Path):
    for folder, tree in (("src", root / "src"), ("tests", root / "tests")):
        for module in BELOW:
            base = tree / module
            if not base.is_dir():
                continue
            for path in sorted(base.rglob("*")):
                if path.suffix not in (".h", ".cpp"):
                    continue
                for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                    top = name.split("/")[0]
                    if "/" in name and top in BELOW and top != module and top not in BELOW[module]:
                        yield f"{path.relative_to(root)} includes {name}: {top} is not below {module}"
                    if "/" not in name and LIBRARY_HEADERS.match(name) and module not in LIBRARY_USERS:
                        yield f"{path.relative_to(root)} includes {name}: {module} may not use the gauge"
    for path in sorted((root / "lib").rglob("*")):
        if path.suffix in (".h", ".cpp"):
            for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                if name.split("/")[0] in BELOW:
                    yield f"{path.relative_to(root)} includes {name}: the gauge library uses none of the program"


if __name__ == "__main__":
    found = list(findings(pathlib.Path(sys.argv[1])))
    for line in found:
        print(line)
    sys.exit(1 if found else 0)
