#!/usr/bin/env python3
"""Reads the four clients' logs of chat_play.sh and checks what each showed and played.

player0 said "hello all" to everybody, then "too fast" within 800 ms (which must stay at home),
then "just you" privately to the player at its relative seat 2, then "done"; player1 sent quick
phrase 10 of list 2. Seats come from the clients' own "seat" lines, so the check holds whichever
seats the server gave.
"""
import re
import sys
from pathlib import Path

PHRASE = "漂亮，赢了！"


def read(work, i):
    log = (Path(work) / f"c{i}" / "log.txt").read_text(encoding="utf-8", errors="replace")
    seats = {}
    for m in re.finditer(r"^trace: seat: (\d) \[[^\]]*\] (\S+) ", log, re.M):
        seats[m.group(2)] = int(m.group(1))
    chat = re.findall(r"^trace: chat: (.*)$", log, re.M)
    history = re.findall(r"^trace: chat-history: (.*)$", log, re.M)
    bubbles = re.findall(r"^trace: bubble: (\d) (.*)$", log, re.M)
    voices = re.findall(r"^trace: voice: (\d) (\S+) (\w+)$", log, re.M)
    return seats, chat, history, bubbles, voices


def main(work):
    faults = []
    clients = [read(work, i) for i in range(4)]
    addressee = next((n for n, r in clients[0][0].items() if r == 2), None)
    if addressee is None:
        faults.append("player0 shows nobody at its relative seat 2")
    for i, (seats, chat, history, bubbles, voices) in enumerate(clients):
        me = f"player{i}"
        if len(seats) != 4:
            faults.append(f"{me}: {len(seats)} seats shown, not 4")
            continue
        speaker0 = "你" if i == 0 else "player0"
        speaker1 = "你" if i == 1 else "player1"
        expected = [f"{speaker0}说道： hello all", f"{speaker1}说道： {PHRASE}", f"{speaker0}说道： done"]
        for line in expected:
            if chat.count(line) != 1:
                faults.append(f"{me}: {line!r} shown {chat.count(line)} times")
        if any("too fast" in line for line in chat):
            faults.append(f"{me}: the line sent within 800 ms went out")
        private = [line for line in chat if "just you" in line]
        if i == 0:
            want = [f"你对{addressee}说道： just you"]
        elif me == addressee:
            want = ["player0对你说道： just you"]
        else:
            want = []
        if private != want:
            faults.append(f"{me}: private lines {private}, expected {want}")
        if i == 0 and "（发送消息太快！）" not in history:
            faults.append("player0: no （发送消息太快！） in its history")
        # The quick phrase: a bubble and a voice at player1's relative seat; players sit as men.
        rel = seats["player1"]
        if bubbles != [(str(rel), PHRASE)]:
            faults.append(f"{me}: bubbles {bubbles}, expected one at relative seat {rel}")
        voice = f"v{rel + 1}010210.wav"
        if len(voices) != 1 or voices[0][0] != str(rel) or not voices[0][1].endswith("/pk/" + voice) \
                or voices[0][2] != "playing":
            faults.append(f"{me}: voices {voices}, expected {voice} playing at relative seat {rel}")
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
