#!/usr/bin/python3
"""Every include of the program's own headers points down the stack of source folders:
text <- model <- files <- report, import <- window, cli. A folder may include its own headers
and those of the folders it stands on, never one above or beside it; in particular nothing
outside window/ includes a window header."""
import pathlib
import re
import sys

ALLOWED = {
    "text": {"text"},
    "model": {"text", "model"},
    "files": {"text", "model", "files"},
    "report": {"text", "model", "files", "report"},
    "import": {"text", "model", "files", "import"},
    "window": {"text", "model", "files", "report", "import", "window"},
    "cli": {"text", "model", "files", "report", "import", "cli"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.M)

src = pathlib.Path(sys.argv[1])
faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in {".h", ".cpp"} or path.parent == src:
        continue
    folder = path.relative_to(src).parts[0]
    if folder not in ALLOWED:
        faults.append(f"{path}: folder {folder} has no place in the stack")
        continue
    for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
        if target in ALLOWED and target not in ALLOWED[folder]:
            faults.append(f"{path}: {folder}/ may not include {target}/")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
