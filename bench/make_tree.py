#!/usr/bin/env python3
"""Builds a deterministic folder tree for timing duplicate scans.

The same preset and seed always give the same names, sizes and bytes. Each tree
holds duplicate groups of 2 to 5 copies, groups of files that share a size but
not their content, groups that share their first 4 KiB and differ later, empty
files and files of a size nobody else has, spread over nested folders.

Layout under ROOT (default $NORVALIS_BENCH_DIR or /var/tmp/norvalis-bench):
  ROOT/<preset>-seed<seed>/tree/             the files
  ROOT/<preset>-seed<seed>/expected.txt      the duplicate groups of non-empty files,
                                             one path per line, a blank line between
                                             groups, groups sorted
  ROOT/<preset>-seed<seed>/stamp.json        written last; when it matches, the tree
                                             is complete and is not built again
The path of the tree folder is printed on standard output.
"""

import argparse
import json
import math
import os
import random
import shutil
import sys
import time

GENERATOR_VERSION = 2
KIB = 1024
MIB = 1024 * KIB
GIB = 1024 * MIB

PREFIX_BYTES = 4096  # the part the shared-prefix groups have in common
CHUNK = 1 * MIB  # bytes written per call; each chunk starts with a 16-byte mark
POOL_BYTES = 8 * MIB

# files: how many in all. total/shared: bytes in all files and in files whose size
# another file shares. lo/hi/shape: size range of non-empty files and how sizes spread
# in it (see fit_sizes). The shares are of the
# file count: files in duplicate groups, in same-size groups, in shared-prefix groups,
# empty files; the rest have a size of their own when unique_sizes is set.
PRESETS = {
    "tiny": dict(files=300, total=24 * MIB, shared=11 * MIB, lo=256, hi=1 * MIB,
                 shape="even", dup=0.30, same_size=0.10, prefix=0.06, empty=0.02, files_per_dir=12,
                 unique_sizes=True),
    "small": dict(files=20_000, total=1 * GIB, shared=454 * MIB, lo=256, hi=8 * MIB,
                  shape="even", dup=0.30, same_size=0.10, prefix=0.06, empty=0.01, files_per_dir=40,
                  unique_sizes=True),
    "large": dict(files=2_000, total=4.7 * GIB, shared=2.1 * GIB, lo=1 * MIB, hi=64 * MIB,
                  shape="tail", dup=0.30, same_size=0.10, prefix=0.06, empty=0.01, files_per_dir=20,
                  unique_sizes=True),
    "million": dict(files=1_000_000, total=640 * MIB, shared=300 * MIB, lo=16, hi=16 * KIB,
                    shape="even", dup=0.30, same_size=0.10, prefix=0.02, empty=0.01, files_per_dir=200,
                    unique_sizes=False),
}

EXTENSIONS = ["bin", "dat", "jpg", "png", "txt", "doc", "pdf", "mp3", "zip", "csv"]


def fit_sizes(rng, weights, target, lo, hi, shape):
    """One size in [lo, hi] per weight, so that sum(size * weight) is close to target.

    shape "even": log-uniform between lo and an upper bound found by bisection, so
    sizes spread evenly over the orders of magnitude. shape "tail": lo * (hi/lo) **
    (u ** p), with p found by bisection; most files stay near lo and a long tail
    reaches hi.
    """
    if not weights:
        return []
    us = [rng.random() for _ in weights]
    ratio = hi / lo

    if shape == "even":
        def sizes_for(x):
            return [int(lo * (1 + x * (ratio - 1)) ** u) for u in us]
        low, high, grows = 0.0, 1.0, True
    else:
        def sizes_for(x):
            return [int(lo * ratio ** (u ** x)) for u in us]
        low, high, grows = 0.01, 200.0, False

    for _ in range(60):
        mid = (low + high) / 2
        total = sum(s * w for s, w in zip(sizes_for(mid), weights))
        if (total > target) == grows:
            high = mid
        else:
            low = mid
    return sizes_for((low + high) / 2)


def split_groups(rng, count, smallest, largest):
    """Group sizes between smallest and largest that add up to about count."""
    groups = []
    left = count
    while left >= smallest:
        n = min(rng.randint(smallest, largest), left)
        if n < smallest:
            break
        groups.append(n)
        left -= n
    return groups


class Plan:
    """What to write: folders, then (path, size, ident, prefix_ident) per file."""

    def __init__(self, preset, seed):
        cfg = PRESETS[preset]
        rng = random.Random(f"{preset}:{seed}")
        n = cfg["files"]

        dup_groups = split_groups(rng, int(n * cfg["dup"]), 2, 5)
        same_groups = split_groups(rng, int(n * cfg["same_size"]), 2, 4)
        prefix_groups = split_groups(rng, int(n * cfg["prefix"]), 2, 3)
        empties = int(n * cfg["empty"])
        shared_files = sum(dup_groups) + sum(same_groups) + sum(prefix_groups)
        singles = max(0, n - shared_files - empties)

        # One size per group; the byte targets are met by fitting the per-file sizes.
        group_counts = dup_groups + same_groups + prefix_groups
        per_group = fit_sizes(rng, group_counts, cfg["shared"], cfg["lo"], cfg["hi"], cfg["shape"])
        single_sizes = fit_sizes(rng, [1] * singles, cfg["total"] - cfg["shared"], cfg["lo"],
                                 cfg["hi"], cfg["shape"])

        used = set()

        def claim(size):
            # Every group and every single file gets a size no one else has, so the
            # bytes in files sharing a size are what the preset asks for. (Content
            # differs by identity anyway, so the expected groups never depend on it.)
            # A million small files cannot all differ in size; there sizes may repeat.
            if not cfg["unique_sizes"]:
                return size
            while size in used:
                size += 1
            used.add(size)
            return size

        entries = []  # (size, ident, prefix_ident, group_no or None)
        ident = 0
        group_no = 0
        expected = []
        for i, count in enumerate(group_counts):
            kind = "dup" if i < len(dup_groups) else (
                "same" if i < len(dup_groups) + len(same_groups) else "prefix")
            size = per_group[i]
            if kind == "prefix":
                size = max(size, PREFIX_BYTES + 1 + rng.randint(0, 4 * KIB))
            size = claim(size)
            if kind == "dup":
                ident += 1
                members = []
                for _ in range(count):
                    members.append(len(entries))
                    entries.append((size, ident, None))
                expected.append(members)
            elif kind == "same":
                for _ in range(count):
                    ident += 1
                    entries.append((size, ident, None))
            else:
                ident += 1
                shared_prefix = ident
                for _ in range(count):
                    ident += 1
                    entries.append((size, ident, shared_prefix))
            group_no += 1
        for size in single_sizes:
            ident += 1
            entries.append((claim(size), ident, None))
        for _ in range(empties):
            entries.append((0, 0, None))

        # Shuffle the files over a random tree of folders, so copies of a group land in
        # different places and at different depths.
        order = list(range(len(entries)))
        rng.shuffle(order)
        dir_count = max(1, len(entries) // cfg["files_per_dir"])
        self.dirs = [""]
        for d in range(1, dir_count):
            parent = self.dirs[rng.randrange(len(self.dirs))] if rng.random() < 0.8 else ""
            self.dirs.append(os.path.join(parent, f"dir{d:05d}") if parent else f"dir{d:05d}")
        self.files = [None] * len(entries)
        for position, e in enumerate(order):
            folder = self.dirs[rng.randrange(len(self.dirs))]
            name = f"f{position:07d}.{EXTENSIONS[rng.randrange(len(EXTENSIONS))]}"
            size, ident_, prefix = entries[e]
            self.files[e] = (os.path.join(folder, name), size, ident_, prefix)
        self.expected = [sorted(self.files[m][0] for m in g) for g in expected]
        self.expected.sort()


class Writer:
    """Writes file content from a seeded pool of random bytes.

    Every chunk starts with a 16-byte mark of the file's identity and the chunk
    number, so two files differ exactly when their identities differ, and writing
    is bound by the disk, not by the random generator.
    """

    def __init__(self, seed):
        self.pool = memoryview(random.Random(f"pool:{seed}").randbytes(POOL_BYTES + CHUNK))
        self.prefixes = {}

    def _offset(self, ident, chunk):
        return (ident * 2654435761 + chunk * 40503) % POOL_BYTES

    def _prefix(self, prefix_ident):
        if prefix_ident not in self.prefixes:
            self.prefixes[prefix_ident] = bytes(self._chunks(prefix_ident, PREFIX_BYTES))
        return self.prefixes[prefix_ident]

    def _chunks(self, ident, size):
        out = bytearray()
        chunk = 0
        while len(out) < size:
            mark = ident.to_bytes(8, "little") + chunk.to_bytes(8, "little")
            want = min(CHUNK, size - len(out))
            piece = mark[:want]
            if want > len(mark):
                start = self._offset(ident, chunk)
                piece += self.pool[start:start + want - len(mark)]
            out += piece
            chunk += 1
        return out

    def write(self, path, size, ident, prefix_ident):
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        try:
            written = 0
            if prefix_ident is not None:
                os.write(fd, self._prefix(prefix_ident))
                written = PREFIX_BYTES
            chunk = 1 if prefix_ident is not None else 0
            while written < size:
                want = min(CHUNK, size - written)
                mark = ident.to_bytes(8, "little") + chunk.to_bytes(8, "little")
                if want <= len(mark):
                    os.write(fd, mark[:want])
                else:
                    start = self._offset(ident, chunk)
                    os.writev(fd, [mark, self.pool[start:start + want - len(mark)]])
                written += want
                chunk += 1
        finally:
            os.close(fd)


def build(preset, seed, root, force=False, quiet=False):
    base = os.path.join(root, f"{preset}-seed{seed}")
    tree = os.path.join(base, "tree")
    stamp_path = os.path.join(base, "stamp.json")
    stamp = {"preset": preset, "seed": seed, "version": GENERATOR_VERSION}
    if not force and os.path.exists(stamp_path):
        with open(stamp_path) as f:
            old = json.load(f)
        if all(old.get(k) == v for k, v in stamp.items()):
            return tree
    if os.path.exists(base):
        shutil.rmtree(base)
    os.makedirs(tree)
    started = time.monotonic()
    plan = Plan(preset, seed)
    for d in plan.dirs[1:]:
        os.makedirs(os.path.join(tree, d), exist_ok=True)
    writer = Writer(seed)
    total = 0
    for rel, size, ident, prefix in plan.files:
        writer.write(os.path.join(tree, rel), size, ident, prefix)
        total += size
    with open(os.path.join(base, "expected.txt"), "w", encoding="utf-8") as f:
        f.write("\n".join("\n".join(os.path.join(tree, p) for p in g) + "\n"
                          for g in plan.expected))
    sizes = {}
    for _, size, _, _ in plan.files:
        sizes[size] = sizes.get(size, 0) + 1
    shared = sum(size for _, size, _, _ in plan.files if size and sizes[size] > 1)
    stamp.update(files=len(plan.files), folders=len(plan.dirs), bytes=total, shared_bytes=shared,
                 groups=len(plan.expected), seconds=round(time.monotonic() - started, 1))
    with open(stamp_path + ".part", "w") as f:
        json.dump(stamp, f, indent=1)
    os.replace(stamp_path + ".part", stamp_path)
    if not quiet:
        print(f"built {preset}: {len(plan.files)} files, {total / MIB:.0f} MiB, "
              f"{shared / MIB:.0f} MiB sharing a size, {len(plan.expected)} duplicate groups, "
              f"{stamp['seconds']} s", file=sys.stderr)
    return tree


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("preset", choices=sorted(PRESETS))
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--root", default=os.environ.get("NORVALIS_BENCH_DIR",
                                                         "/var/tmp/norvalis-bench"))
    parser.add_argument("--force", action="store_true", help="build again even when stamped")
    parser.add_argument("--quiet", action="store_true")
    args = parser.parse_args()
    print(build(args.preset, args.seed, os.path.abspath(args.root), args.force, args.quiet))


if __name__ == "__main__":
    main()
