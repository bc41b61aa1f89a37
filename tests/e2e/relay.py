#!/usr/bin/env python3
"""A TCP relay between table clients and the game server that can break one client's connection
on demand, and a log of the frames it carried.

    relay.py --server HOST:PORT --port-file FILE [--cut ACCOUNT] [--log FILE]

It listens on 127.0.0.1 on a port of its own choosing, writes that port to --port-file once it
listens, and opens one connection to the server for every connection it accepts. Bytes go through
unchanged and at once.

Cutting: on SIGUSR1 the relay closes, on both sides, the newest live connection whose first frame
(the login, command 18, or the reconnect login, 28) named ACCOUNT; without --cut, the oldest live
connection. The client sees its connection drop and the server sees its player's connection lost.

The log has one line per event, numbered in the order the relay saw them (one event loop, so the
order across connections is the order of arrival at the relay):
    N open conn C
    N conn C c>s cmd K account NAME [token T resume R]     the first frame of a connection
    N conn C c>s cmd 7 seat S pass|play cards HEX,...      the client's play (card ids)
    N conn C s>c cmd 1 seat S resume R cards HEX,...       a deal
    N conn C s>c cmd 6 seat S next S flag F type T cards HEX,...   a play report (cards as codes)
    N conn C s>c cmd 29 answer B                           the reconnect answer, byte 15
    N conn C s>c cmd K                                     any other server frame
    N cut conn C / N closed conn C by client|server
Seats are the server's seats 0..3 (seat bits turned back into numbers); card codes are the four
bytes of a card read least significant first, as eight hex digits.
"""
import argparse
import asyncio
import os
import signal
import sys

FRAME = 272


def seat_of(bits):
    bits &= 0x0F
    for seat in (3, 2, 1):
        if bits & (1 << seat):
            return seat
    return 0


def le32(frame, at):
    return int.from_bytes(frame[at:at + 4], "little")


def describe_deal(frame):
    cards = []
    for k in range(27):
        at = 16 + 4 * k
        if frame[at + 3] >= 0x80 or le32(frame, at) == 0:
            break
        cards.append(f"{le32(frame, at):08x}")
    resume = int.from_bytes(frame[268:272], "big")
    return f"seat {seat_of(frame[6])} resume {resume} cards {','.join(cards)}"


def describe_report(frame):
    count = min(frame[17], 24)
    cards = [f"{le32(frame, 20 + 4 * k):08x}" for k in range(count)]
    return (f"seat {seat_of(frame[6])} next {seat_of(frame[11])} flag {frame[15]} type {frame[18]} "
            f"cards {','.join(cards)}")


def describe_play(frame):
    if frame[15] != 2:
        return f"seat {seat_of(frame[6])} pass"
    count = min(frame[17], 24)
    return f"seat {seat_of(frame[6])} play cards {','.join(f'{frame[20 + k]:02x}' for k in range(count))}"


class Relay:
    def __init__(self, server_host, server_port, cut_account, log):
        self.server = (server_host, server_port)
        self.cut_account = cut_account
        self.log_file = log
        self.event = 0
        self.next_conn = 1
        self.live = {}  # conn -> (account or None, client writer, server writer)

    def log(self, text):
        self.event += 1
        self.log_file.write(f"{self.event} {text}\n")
        self.log_file.flush()

    async def accept(self, client_reader, client_writer):
        conn = self.next_conn
        self.next_conn += 1
        self.log(f"open conn {conn}")
        try:
            server_reader, server_writer = await asyncio.open_connection(*self.server)
        except OSError as e:
            self.log(f"conn {conn} server unreachable: {e}")
            client_writer.close()
            return
        self.live[conn] = [None, client_writer, server_writer]
        try:
            await asyncio.gather(self.pump(conn, client_reader, server_writer, "c>s"),
                                 self.pump(conn, server_reader, client_writer, "s>c"))
        except asyncio.CancelledError:
            pass  # the relay is stopping
        self.live.pop(conn, None)

    async def pump(self, conn, reader, writer, direction):
        pending = b""
        first = True
        try:
            while True:
                data = await reader.read(65536)
                if not data:
                    break
                writer.write(data)
                pending += data
                while len(pending) >= FRAME:
                    frame, pending = pending[:FRAME], pending[FRAME:]
                    self.note(conn, direction, frame, first)
                    first = False
                await writer.drain()
        except (ConnectionError, OSError):
            pass
        if conn in self.live:
            self.log(f"closed conn {conn} by {'client' if direction == 'c>s' else 'server'}")
            self.close(conn)

    def note(self, conn, direction, frame, first):
        cmd = frame[3]
        text = f"conn {conn} {direction} cmd {cmd}"
        if direction == "c>s" and first:
            account = frame[16:32].split(b"\0", 1)[0].decode("latin-1")
            if conn in self.live:
                self.live[conn][0] = account
            text += f" account {account}"
            if cmd == 28:
                token = frame[260] << 8 | frame[261]
                text += f" token {token} resume {int.from_bytes(frame[268:272], 'little')}"
        elif direction == "c>s" and cmd == 7:
            text += " " + describe_play(frame)
        elif direction == "s>c" and cmd == 1:
            text += " " + describe_deal(frame)
        elif direction == "s>c" and cmd == 6:
            text += " " + describe_report(frame)
        elif direction == "s>c" and cmd == 29:
            text += f" answer {frame[15]}"
        self.log(text)

    def close(self, conn):
        entry = self.live.pop(conn, None)
        if entry:
            for writer in entry[1:]:
                writer.close()

    def cut(self):
        chosen = None
        for conn in sorted(self.live):
            if self.cut_account is None:
                chosen = conn
                break
            if self.live[conn][0] == self.cut_account:
                chosen = conn
        if chosen is None:
            self.log("cut: no live connection to cut")
            return
        self.log(f"cut conn {chosen}")
        self.close(chosen)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--cut")
    parser.add_argument("--log")
    args = parser.parse_args()
    host, port = args.server.rsplit(":", 1)
    log = open(args.log, "w", encoding="utf-8") if args.log else sys.stdout
    relay = Relay(host, int(port), args.cut, log)
    listener = await asyncio.start_server(relay.accept, "127.0.0.1", 0)
    loop = asyncio.get_running_loop()
    loop.add_signal_handler(signal.SIGUSR1, relay.cut)
    stop = asyncio.Event()
    loop.add_signal_handler(signal.SIGTERM, stop.set)
    loop.add_signal_handler(signal.SIGINT, stop.set)
    with open(args.port_file + ".part", "w") as f:
        f.write(str(listener.sockets[0].getsockname()[1]))
    # The port file appears whole or not at all.
    os.replace(args.port_file + ".part", args.port_file)
    async with listener:
        await stop.wait()
    for conn in list(relay.live):
        relay.close(conn)


if __name__ == "__main__":
    asyncio.run(main())
