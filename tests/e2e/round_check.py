#!/usr/bin/env python3
"""Checks the score sheets four clients traced for one round: every client shows each seat's
column and result box alike (each built from the records the server sent it), the columns stay
side by side, the places are 1..4, the final points make 200 and the final amounts sum to zero."""
import re
import sys
from pathlib import Path

work = Path(sys.argv[1])
seat_of = {}
for line in (work / "server.log").read_text(errors="replace").splitlines():
    m = re.search(r"seat (\d): player(\d) sits down", line)
    if m:
        seat_of[int(m.group(2))] = int(m.group(1))

problems = []
sheets = {}
for i in range(4):
    lists = {}
    for line in (work / f"c{i}" / "log.txt").read_text(errors="replace").splitlines():
        m = re.match(r"trace: score: (\d): (.*)$", line)
        if m:
            lists[int(m.group(1))] = m.group(2).split("|")
    if len(lists) != 8:
        problems.append(f"client {i}: {len(lists)} score lists traced")
        continue
    sheets[i] = lists

by_seat = {}
for i, lists in sheets.items():
    own = seat_of[i]
    for r in range(4):
        seat = (own + r) & 3
        entry = (lists[r], lists[r + 4])
        if seat in by_seat and by_seat[seat] != entry:
            problems.append(f"seat {seat}: client {i} shows {entry}, another client {by_seat[seat]}")
        by_seat.setdefault(seat, entry)
    totals = [next((k for k, s in enumerate(lists[r]) if s.startswith("总分:")), -1) for r in range(4)]
    if len(set(totals)) != 1 or totals[0] < 0:
        problems.append(f"client {i}: columns not side by side, total lines at {totals}")

if len(by_seat) == 4:
    columns = [by_seat[s][0] for s in range(4)]
    places = sorted(int(m.group(1)) for c in columns for l in c for m in [re.fullmatch(r"第(\d)名", l)] if m)
    hidden_or_roar = any(l.startswith(("暗叫", "吼")) for c in columns for l in c)
    if not hidden_or_roar and places != [1, 2, 3, 4]:
        problems.append(f"places {places}")
    finals = [int(m.group(1)) for c in columns for l in c for m in [re.fullmatch(r"最终得分: (\d+)", l)] if m]
    if not hidden_or_roar and sum(finals) != 200:
        problems.append(f"final points {finals} do not make 200")
    amounts = []
    for s in range(4):
        box = by_seat[s][1]
        m = re.fullmatch(r"最终分: (-?\d+)金币", box[-1])
        if not m:
            problems.append(f"seat {s}: result box {box}")
        else:
            amounts.append(int(m.group(1)))
    if len(amounts) == 4 and sum(amounts) != 0:
        problems.append(f"final amounts {amounts} do not sum to zero")

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
