#!/usr/bin/env python3
# A stand-in for speech-dispatcher: speaks its SSIP protocol on a unix socket
# and "plays" each message for a time that grows with its length, sending the
# BEGIN (701), END (702) and CANCELED (703) notifications libspeechd waits for.
#   ssip_server.py SOCKET [MODE] [MS_PER_CHAR]
# MODE: right (the default), silent (takes connections, never answers), or
# garbage (answers every command with a line that is no SSIP reply). Prints
# "ready" once listening, then one line per event, after a time stamp in
# milliseconds: "T say ID TEXT", "T begin ID", "T end ID", "T cancel ID",
# "T rate N", "T voice NAME".
import asyncio
import os
import sys
import time

SOCKET = sys.argv[1]
MODE = sys.argv[2] if len(sys.argv) > 2 else "right"
MS_PER_CHAR = float(sys.argv[3]) if len(sys.argv) > 3 else 8
VOICES = [("Alba", "en-GB", "none"), ("Bruno", "de-DE", "none"), ("Chloe, young", "fr-FR", "none")]
next_id = 100
SET_REPLIES = {"NOTIFICATION": "220 OK NOTIFICATION SET", "RATE": "203 OK RATE SET", "SYNTHESIS_VOICE": "209 OK VOICE SET",
               "CLIENT_NAME": "208 OK CLIENT NAME SET", "PRIORITY": "202 OK PRIORITY SET"}


def log(*words):
    print("%.1f" % (time.monotonic() * 1000), *words, flush=True)


class Client:
    def __init__(self, writer, number):
        self.writer, self.number = writer, number
        self.queue, self.player, self.notify = [], None, set()

    def send(self, *lines):
        # The lines of one reply: "CODE-value" each, the last "CODE text".
        self.writer.write("".join(line + "\r\n" for line in lines).encode())

    def event(self, code, kind, msg):
        log(kind, msg)
        # Sent only when asked for, by its kind ("SET SELF NOTIFICATION END on") or all.
        if kind in self.notify or "all" in self.notify:
            text = {701: "BEGIN", 702: "END", 703: "CANCELED"}[code]
            self.send("%d-%d" % (code, msg), "%d-%d" % (code, self.number), "%d %s" % (code, text))

    def say(self, msg, text):
        self.queue.append((msg, text))
        self.player = self.player if self.player and not self.player.done() else asyncio.ensure_future(self.play())

    async def play(self):
        while self.queue:
            msg, text = self.queue[0]
            self.event(701, "begin", msg)
            await asyncio.sleep((40 + MS_PER_CHAR * len(text)) / 1000)
            self.queue.pop(0)
            self.event(702, "end", msg)

    def cancel(self):
        if self.player:
            self.player.cancel()
        for msg, _ in self.queue:
            self.event(703, "cancel", msg)
        self.queue = []


async def serve(reader, writer):
    global next_id
    client = Client(writer, next_id)
    next_id += 1
    while True:
        line = await reader.readline()
        if not line:
            break
        if MODE == "silent":
            continue
        if MODE == "garbage":
            client.send("hello there")
            continue
        words = line.decode(errors="replace").strip().split(" ", 3)
        command = [w.upper() for w in words[:3]]
        if command[:1] == ["SPEAK"]:
            client.send("230 OK RECEIVING DATA")
            data = []
            while (part := (await reader.readline()).decode(errors="replace").rstrip("\r\n")) != ".":
                data.append(part[1:] if part.startswith("..") else part)
            msg, next_id = next_id, next_id + 1
            text = " ".join(data)
            log("say", msg, text)
            client.send("225-%d" % msg, "225 OK MESSAGE QUEUED")
            client.say(msg, text)
        elif command[:2] == ["SET", "SELF"] and len(words) > 3:
            what, value = command[2], words[3]
            if what == "NOTIFICATION":
                name, state = value.lower().split()
                (client.notify.add if state == "on" else client.notify.discard)(name)
            elif what in ("RATE", "SYNTHESIS_VOICE"):
                log("rate" if what == "RATE" else "voice", value)
            client.send(SET_REPLIES.get(what, "299 OK BUT NOT IMPLEMENTED -- DOES NOTHING"))
        elif command[:2] == ["CANCEL", "SELF"]:
            client.cancel()
            client.send("213 OK CANCELED")
        elif command[:2] == ["LIST", "SYNTHESIS_VOICES"]:
            client.send(*["249-%s\t%s\t%s" % v for v in VOICES], "249 OK VOICE LIST SENT")
        elif command[:3] == ["HISTORY", "GET", "CLIENT_ID"]:
            client.send("245-%d" % client.number, "245 OK CLIENT ID SENT")
        elif command[:1] == ["QUIT"]:
            client.send("231 HAPPY HACKING")
            break
        else:
            client.send("500 ERR INVALID COMMAND")
        await writer.drain()
    client.cancel()
    writer.close()


async def main():
    if os.path.exists(SOCKET):
        os.unlink(SOCKET)
    server = await asyncio.start_unix_server(serve, path=SOCKET)
    print("ready", flush=True)
    async with server:
        await server.serve_forever()


asyncio.run(main())
