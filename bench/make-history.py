#!/usr/bin/env python3
"""Writes a launch history of N entries, sorted by file name as the launcher keeps it."""
import sys

n, path = int(sys.argv[1]), sys.argv[2]
with open(path, "wb") as out:
    for i in range(n):
        s = i % 86400
        out.write(b"2026/01/%02d %02d:%02d:%02d - 04 /home/user/projects/p%07d/Project1.dpr\r\n"
                  % (1 + i // 86400 % 28, s // 3600, s // 60 % 60, s % 60, i))
