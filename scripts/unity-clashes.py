#!/usr/bin/env python3
"""Lists the files that cannot share a unity batch: names that two files of one batch both define
at file level (in an anonymous namespace or static), which the compiler then sees twice.

    scripts/unity-clashes.py BUILD_DIR

Reads the batches CMake wrote (BUILD_DIR/**/Unity/unity_*.cxx) and prints, per batch, each name
defined in more than one of its files (an alias
may stand twice, and overloads may be harmless: the compiler has the last word). Give the later file SKIP_UNITY_BUILD_INCLUSION in its
CMakeLists.txt (or a name of its own). A name is anything the file defines at column 0 (the
tree is clang-formatted, namespaces do not indent): a function, a constant, a class or a struct.
"""
import collections, pathlib, re, sys

DEFINES = [
    re.compile(r'^(?:class|struct|enum(?: class)?|union)\s+(\w+)\b(?!.*;\s*$)'),
    re.compile(r'^(?:static\s+|inline\s+|constexpr\s+|const\s+)+[\w:<>,\*&\s]*?\b(\w+)\s*(?:=|\{|\[|\()'),
    re.compile(r'^(?!return\b|TEST|template\b|namespace\b|using\b|typedef\b|#|//|\}|extern\b)'
               r'[\w:<>,\*&\s]+?[\s\*&](\w+)\s*\((?!.*;\s*$)'),
]

def names(path):
    """The names path defines at file level, each with the namespace it stands in."""
    found = set()
    try:
        text = path.read_text(errors='replace')
    except OSError:
        return found
    scope = []
    for line in text.splitlines():
        m = re.match(r'^namespace\s*([\w:]*)\s*\{', line)
        if m:
            scope.append(m.group(1) or '(anonymous)')
            continue
        if re.match(r'^\}\s*//\s*namespace', line) and scope:
            scope.pop()
            continue
        if not line or line[0] in ' \t#/}{':
            continue
        for pattern in DEFINES:
            m = pattern.match(line)
            if m and m.group(1) not in ('main', 'operator'):
                found.add('::'.join(scope + [m.group(1)]))
                break
    return found

def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else 'build')
    clashes = 0
    # CMake leaves the batches of an earlier configuration behind: only those the build uses.
    used = set(re.findall(r'(\S+/Unity/unity_\d+_cxx\.cxx)', (build / 'build.ninja').read_text()))
    for batch in sorted(build.resolve().glob('**/Unity/unity_*.cxx')):
        if str(batch) not in used:
            continue
        files = [pathlib.Path(m) for m in re.findall(r'#include "([^"]+)"', batch.read_text())]
        seen = collections.defaultdict(list)
        for f in files:
            for n in names(f):
                seen[n].append(f)
        for n, where in sorted(seen.items()):
            if len(where) > 1:
                clashes += 1
                print(f'{batch.relative_to(build.resolve())}: {n}: ' + ', '.join(str(w) for w in where))
    return 1 if clashes else 0

sys.exit(main())
