#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every code name the glossary lists exists in the code: each `Class::member` names a class or
struct of src/ and a member that one of that class's own files (the files that define the class
or its functions) spells, and each bare `Name` is a word of src/. A rename that forgets the
glossary, or a glossary row for code that is gone, fails here with the row's names."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
sources = {p: p.read_text(encoding="utf-8") for p in (root / "src").rglob("*") if p.suffix in (".cpp", ".h")}
words = set()
for text in sources.values():
    words.update(re.findall(r"[A-Za-z_][A-Za-z0-9_]*", text))


def files_of(cls):
    """The files that define the class or one of its functions."""
    defines = re.compile(r"\b(class|struct)\s+" + cls + r"\b[^;]*?[{:]|\b" + cls + r"::")
    return [text for text in sources.values() if defines.search(text)]


missing = []
rows = 0
for number, line in enumerate((root / "docs/glossary.md").read_text(encoding="utf-8").splitlines(), 1):
    cells = line.split("|")
    if len(cells) < 5 or not cells[3].strip().startswith("`") or "code name" in cells[3]:
        continue
    rows += 1
    for name in re.findall(r"`([^`]*)`", cells[3]):
        name = re.sub(r"\([^)]*\)", " ", name)  # words in brackets say what the name is
        for qualified in re.findall(r"\b([A-Z][A-Za-z0-9_]*)::([A-Za-z_~][A-Za-z0-9_]*)", name):
            cls, member = qualified
            owners = files_of(cls)
            if not owners:
                missing.append(f"line {number}: no class {cls} in src/")
            elif member.lstrip("~") != cls and not any(re.search(r"\b" + member + r"\b", t) for t in owners):
                missing.append(f"line {number}: {cls} has no {member}")
        bare = re.sub(r"\b[A-Z][A-Za-z0-9_]*::[A-Za-z_~][A-Za-z0-9_]*", " ", name)
        for word in re.findall(r"\b[A-Z][a-z0-9]+[A-Z][A-Za-z0-9_]*\b", bare):
            if word not in words:
                missing.append(f"line {number}: no {word} in src/")

if missing:
    print(f"{len(missing)} code names of docs/glossary.md are not in the code:")
    print("\n".join("  " + m for m in missing))
    sys.exit(1)
print(f"{rows} rows of docs/glossary.md, every code name found in src/")
