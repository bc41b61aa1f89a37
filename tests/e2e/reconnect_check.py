#!/usr/bin/env python3
"""Checks a round in which the relay cut player0's connection and player0 came back by itself.

    reconnect_check.py WORK_DIR

WORK_DIR holds server.log, relay.log (relay.py's frame log) and c0..c3/log.txt (the clients'
traces; client i plays as player<i>). The frames the server sent to player1, who stayed connected
throughout, are the server's account of the round; player0's connections before the cut and after
the reconnect are measured against it:
- the relay cut player0's first connection, a second one opened with a reconnect login (28) and got
  an accepting answer (29) and a deal; the server logged the reconnect and refused nothing of player0;
- what player0 traced before the cut is what player1 traced up to then, and every play the server
  reported after the reconnect player0 traced exactly as player1 did;
- the trick lying on player0's table once the resend is through is the server's trick in progress at
  the reconnect, play by play (seat, cards, type);
- the cards player0 played after the reconnect were all in its hand as the server kept it.
"""
import re
import sys
from collections import Counter
from pathlib import Path

ATTEMPT = "trace: sysmsg0: 正在重新连接服务器..."
ACCEPTED = "trace: sysmsg0: 正在重连服务器，请等待...！"
REFUSED = "重连服务器失败，退出后请重新入座！"
CLEARS = (1, 9)  # trick flags on which a client clears the table

work = Path(sys.argv[1])
problems = []


def fail(text):
    problems.append(text)


def finish():
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


seat_of = {}
server_log = (work / "server.log").read_text(errors="replace").splitlines()
for line in server_log:
    m = re.search(r"seat (\d): player(\d) sits down", line)
    if m:
        seat_of[int(m.group(2))] = int(m.group(1))
if len(seat_of) != 4:
    fail(f"server log seats {seat_of}")
    finish()
own = seat_of[0]

# The relay's log.
events = []
for line in (work / "relay.log").read_text(errors="replace").splitlines():
    m = re.match(r"(\d+) (.*)$", line)
    if m:
        events.append((int(m.group(1)), m.group(2)))


def frames(conn, direction, cmd):
    out = []
    for n, text in events:
        m = re.match(rf"conn {conn} {direction} cmd {cmd}\b ?(.*)$", text)
        if m:
            out.append((n, m.group(1)))
    return out


def conn_of(account, cmd, after=0):
    for n, text in events:
        m = re.match(rf"conn (\d+) c>s cmd {cmd} account {account}\b", text)
        if m and n > after:
            return int(m.group(1)), n
    return None, None


def report(details):
    m = re.match(r"seat (\d) next (\d) flag (\d+) type (\d+) cards (\S*)$", details)
    return {"seat": int(m.group(1)), "flag": int(m.group(3)),
            "cards": [int(c, 16) for c in m.group(5).split(",") if c]}


def card_id(code):
    return code >> 24


first, _ = conn_of("player0", 18)
stayer, _ = conn_of("player1", 18)
cut = next((n for n, text in events if text == f"cut conn {first}"), None)
if first is None or stayer is None or cut is None:
    fail(f"relay log: player0's connection {first}, player1's {stayer}, cut at {cut}")
    finish()
back, login_at = conn_of("player0", 28, cut)
if back is None:
    fail("relay log: no reconnect login (28) from player0 after the cut")
    finish()
answers = frames(back, "s>c", 29)
if not answers or answers[0][1] != "answer 1":
    fail(f"relay log: reconnect answers on connection {back}: {answers}")
    finish()
accepted_at = answers[0][0]
resent_deals = frames(back, "s>c", 1)
if not resent_deals:
    fail("relay log: no deal resent after the reconnect")
if not any(re.search(rf"seat {own}: player0 reconnects", l) for l in server_log):
    fail("server log: no reconnect of player0")
refusals = [l for l in server_log if re.search(rf"seat {own}: refused", l)]
if refusals:
    fail(f"server refused player0's frames: {refusals}")

# The server's account: every play report player1 got, and how many came before the reconnect.
reports = [(n, report(d)) for n, d in frames(stayer, "s>c", 6)]
before = sum(1 for n, _ in reports if n < accepted_at)

# The server's hand of player0 at the reconnect: as dealt, less what it had played by then.
dealt = frames(first, "s>c", 1)
if len(dealt) != 1:
    fail(f"relay log: {len(dealt)} deals to player0's first connection")
    finish()
hand = Counter(card_id(int(c, 16)) for c in re.search(r"cards (\S*)", dealt[0][1]).group(1).split(","))
for _, r in reports[:before]:
    if r["seat"] == own:
        hand.subtract(card_id(c) for c in r["cards"])
if any(v < 0 for v in hand.values()):
    fail(f"player0 played cards the server had not dealt it: {hand}")
played_after = Counter()
for n, d in frames(back, "c>s", 7):
    m = re.search(r"play cards (\S+)", d)
    if m:
        played_after.update(int(c, 16) for c in m.group(1).split(","))
if played_after - hand:
    fail(f"player0 played cards it no longer held: {sorted((played_after - hand).elements())}")


# The clients' traces, seats turned from the client's own view into the server's.
def plays(client, lines):
    mine = seat_of[client]
    out = []
    for line in lines:
        m = re.match(r"trace: play: seat (\d) cards (\d+) type (\d+) flag (\d+) next (\d) \| (.*)$", line)
        if m:
            out.append({"seat": (int(m.group(1)) + mine) & 3, "count": int(m.group(2)),
                        "type": int(m.group(3)), "flag": int(m.group(4)),
                        "next": (int(m.group(5)) + mine) & 3, "shown": m.group(6)})
    return out


def lines_of(i):
    return (work / f"c{i}" / "log.txt").read_text(errors="replace").splitlines()


c0, c1 = lines_of(0), lines_of(1)
if any(REFUSED in l for l in c0):
    fail("client 0 was refused")
try:
    attempt = c0.index(ATTEMPT)
    accepted = c0.index(ACCEPTED, attempt)
except ValueError:
    fail("client 0 traced no reconnect attempt followed by the accepted line")
    finish()
seen = plays(1, c1)
if len(seen) != len(reports):
    fail(f"client 1 traced {len(seen)} plays, the server sent it {len(reports)}")
    finish()

early = plays(0, c0[:attempt])
if early != seen[:len(early)]:
    fail("client 0's plays before the cut differ from client 1's")
if len(early) > before:
    fail(f"client 0 traced {len(early)} plays before the cut, the server had sent {before}")

late_lines = c0[accepted:]
deal_after = next((l for l in late_lines if l.startswith("trace: deal:")), None)
resent_cards = len(re.search(r"cards (\S*)", resent_deals[0][1]).group(1).split(",")) if resent_deals else -1
if deal_after != f"trace: deal: {resent_cards} cards":
    fail(f"client 0 after the reconnect traced {deal_after!r}, the server resent {resent_cards} cards")

late = plays(0, late_lines)
live = len(seen) - before
if live and late[-live:] != seen[before:]:
    fail("client 0's plays after the reconnect differ from client 1's")
resent = late[:len(late) - live]


def trick(ps):
    start = max((k + 1 for k, p in enumerate(ps) if p["flag"] in CLEARS), default=0)
    return [(p["seat"], p["count"], p["type"], p["shown"]) for p in ps[start:]]


# The hand client 0 shows once the resend is through, against the hand the server kept for it.
SUITS = {1: "♦", 2: "♣", 4: "♥", 8: "♠"}
RANKS = {11: "J", 12: "Q", 13: "K", 14: "A", 15: "2", 16: "小王", 17: "大王"}


def card_text(code):
    rank = (code >> 8) & 0xFF
    if rank >= 16:
        return RANKS[rank]
    return SUITS.get(code & 0x0F, "?") + RANKS.get(rank, str(rank))


dealt_codes = {card_id(int(c, 16)): int(c, 16)
               for c in re.search(r"cards (\S*)", dealt[0][1]).group(1).split(",")}
kept = Counter(card_text(dealt_codes[i]) for i in hand.elements())
shown_hand, plays_seen = None, 0
for line in late_lines:
    if line.startswith("trace: play:"):
        plays_seen += 1
        if plays_seen > len(resent):
            break
    elif line.startswith("trace: hand:"):
        shown_hand = line
if shown_hand is None:
    fail("client 0 traced no hand after the reconnect")
else:
    held = Counter(shown_hand.split("|", 1)[1].split())
    if held != kept:
        fail(f"client 0 shows {shown_hand!r} after the reconnect; the server kept {sorted(kept.elements())}")

table_then = trick(seen[:before])
table_shown = trick(resent)
if table_shown != table_then:
    fail(f"client 0's table after the reconnect {table_shown}, the server's trick {table_then}")

print(f"player0 on seat {own}: cut after {len(early)} plays, back after {before} with "
      f"{sum(hand.values())} cards held and {len(table_then)} plays on the table; "
      f"{live} plays after the reconnect")
finish()
