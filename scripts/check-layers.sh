#!/usr/bin/env bash
# Checks that the libraries keep the layers of scripts/layers.txt: every
# #include "<folder>/..." of a source file below the folders listed there names a
# folder its line allows, and every target_link_libraries of those folders' CMake
# files names only the targets of allowed folders. Prints each fault as
# file:line: the pair that goes up, and fails; builds nothing (well under a second).
#   bash scripts/check-layers.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec python3 - "$root" <<'PY'
import os, re, sys

root = sys.argv[1]
table_file = 'scripts/layers.txt'
allowed, target_of = {}, {}
with open(os.path.join(root, table_file)) as f:
    for line in f:
        words = line.split('#', 1)[0].split()
        if words:
            path, target, *below = words
            allowed[path], target_of[path] = set(below), target
path_of = {t: p for p, t in target_of.items()}

def layer(path):
    """The longest path of the table that is `path` or holds it; None outside them all."""
    best = None
    for p in allowed:
        if (path == p or path.startswith(p + '/')) and (best is None or len(p) > len(best)):
            best = p
    return best

def may_include(owner, folder):
    own = owner if os.path.isdir(os.path.join(root, owner)) else os.path.dirname(owner)
    return folder == own or folder in allowed[owner]

faults = []
include = re.compile(r'^\s*#\s*include\s*["<]([^">]+)[">]')
checked = 0
for top in sorted({p.split('/')[0] for p in allowed}):
    for folder, dirs, files in os.walk(os.path.join(root, top)):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith(('.h', '.hpp', '.cpp', '.cc', '.c', '.inl')):
                continue
            rel = os.path.relpath(os.path.join(folder, name), root)
            owner = layer(rel)
            checked += 1
            with open(os.path.join(root, rel), errors='replace') as src:
                for n, text in enumerate(src, 1):
                    m = include.match(text)
                    if not m or '/' not in m.group(1):
                        continue
                    header = m.group(1)
                    to = layer(header)
                    if to is None and header.split('/')[0] in ('tests', 'bench'):
                        to = header.split('/')[0]
                    if to is not None and not may_include(owner, to):
                        faults.append(f'{rel}:{n}: {owner} -> {to} '
                                      f'(#include "{header}") goes up the layers')

links = re.compile(r'\btarget_link_libraries\s*\(([^)]*)\)')
for top in sorted({p.split('/')[0] for p in allowed}):
    for folder, dirs, files in os.walk(os.path.join(root, top)):
        if 'CMakeLists.txt' not in files:
            continue
        rel = os.path.relpath(os.path.join(folder, 'CMakeLists.txt'), root)
        with open(os.path.join(root, rel)) as f:
            body = ''.join(l.split('#', 1)[0] + '\n' for l in f)
        for m in links.finditer(body):
            n = body.count('\n', 0, m.start()) + 1
            target, *names = m.group(1).split()
            if target not in path_of:
                faults.append(f'{rel}:{n}: target {target} is not in {table_file}')
                continue
            owner = path_of[target]
            for name in names:
                if name in path_of and name != target and path_of[name] not in allowed[owner]:
                    faults.append(f'{rel}:{n}: {owner} -> {path_of[name]} '
                                  f'(target {target} links {name}) goes up the layers')

for fault in faults:
    print(fault, file=sys.stderr)
if faults:
    print(f'check-layers: {len(faults)} upward include(s) or link(s); the layers are in '
          f'{table_file}', file=sys.stderr)
    sys.exit(1)
print(f'check-layers: {checked} source files and their link lines keep the layers of {table_file}')
PY
