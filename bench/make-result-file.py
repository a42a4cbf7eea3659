#!/usr/bin/python3
"""Writes a result file (one "path<TAB>key<CR><LF>" line per row) naming the files of a tree, to
time Open Result File with quilder-bench --open. The same arguments always give the same file.

    bench/make-result-file.py TREE LINES [REPEATS] > FILE

The first LINES - REPEATS lines name distinct files of TREE, in an order that spreads them over
its folders; the last REPEATS lines name files already listed once more, each in a later group
than its first line. Groups hold two or three lines and come in key order, as in a saved result.
"""
import os
import random
import sys


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    tree, lines = sys.argv[1], int(sys.argv[2])
    repeats = int(sys.argv[3]) if len(sys.argv) == 4 else 0
    paths = []
    for folder, subfolders, files in os.walk(os.fsencode(tree)):
        subfolders.sort()
        paths.extend(os.path.join(folder, name) for name in sorted(files))
    distinct = lines - repeats
    if distinct > len(paths) or repeats > distinct:
        sys.exit(f"{tree} holds {len(paths)} files: too few")
    chosen = random.Random(1).sample(paths, distinct)
    listed = chosen + random.Random(2).sample(chosen, repeats)
    out = sys.stdout.buffer
    group, left = 0, 0
    for path in listed:
        if left == 0:
            group, left = group + 1, 2 + group % 2
        out.write(path + b"\t%013d_%07d\r\n" % (4096, group))
        left -= 1


if __name__ == "__main__":
    main()
