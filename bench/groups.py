#!/usr/bin/env python3
"""Reads duplicate groups and compares them.

Input format: one full path per line, a blank line between groups (what
`norvalis-cli scan` prints and what make_tree.py writes as expected.txt).

  groups.py normalise FILE           prints the groups as sorted sets of sorted paths
  groups.py same EXPECTED ACTUAL     exit 0 when both hold the same groups, else 1 and
                                     a short account of the difference on stderr
  groups.py count FILE               prints "<groups> <files>"
"""

import sys


def read_groups(path):
    with open(path, "rb") as f:
        data = f.read()
    groups, current = [], []
    for line in data.split(b"\n"):
        if line:
            current.append(line)
        elif current:
            groups.append(tuple(sorted(current)))
            current = []
    if current:
        groups.append(tuple(sorted(current)))
    # A group of one is no duplicate; some output formats list every file.
    return sorted(g for g in groups if len(g) > 1)


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    command = sys.argv[1]
    if command == "normalise":
        out = sys.stdout.buffer
        for g in read_groups(sys.argv[2]):
            out.write(b"\n".join(g) + b"\n\n")
        return 0
    if command == "count":
        groups = read_groups(sys.argv[2])
        print(len(groups), sum(len(g) for g in groups))
        return 0
    if command == "same" and len(sys.argv) == 4:
        expected, actual = set(read_groups(sys.argv[2])), set(read_groups(sys.argv[3]))
        if expected == actual:
            return 0
        missing, extra = expected - actual, actual - expected
        print(f"{len(missing)} expected groups missing, {len(extra)} unexpected groups",
              file=sys.stderr)
        for label, groups in (("missing", missing), ("unexpected", extra)):
            for g in sorted(groups)[:3]:
                print(f"  {label}: " + b" | ".join(g).decode(errors="replace"), file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
