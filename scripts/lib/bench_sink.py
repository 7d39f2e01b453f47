#!/usr/bin/env python3
"""A fast SMTP sink for the send benchmarks: answers every command with a
success reply and discards the message, keeping only its length and CRC-32.

    bench_sink.py REPORT_FILE

Listens on 127.0.0.1 on a free port and prints the port on the first line of
standard output. Serves one connection after the other on one thread with
plain blocking sockets (no asyncio, no aiosmtpd: the sink should cost the
clients as little as possible). After each message it appends a JSON line
to REPORT_FILE: {"bytes": n, "crc32": c, "data_seconds": t}, where n and c
cover the bytes of the DATA phase before the final "." line (dot-stuffing
included, as on the wire) and t runs from the 354 reply to the final ".".
Runs until it is terminated.
"""
import json
import socket
import sys
import time
import zlib

TERMINATOR = b"\r\n.\r\n"
CHUNK = 1 << 20


class connection_closed(Exception):
    pass


class session:
    def __init__(self, sock, report_path):
        self.sock = sock
        self.pending = bytearray()
        self.report_path = report_path

    def recv(self):
        chunk = self.sock.recv(CHUNK)
        if not chunk:
            raise connection_closed()
        return chunk

    def read_line(self):
        while True:
            end = self.pending.find(b"\r\n")
            if end >= 0:
                line = bytes(self.pending[:end])
                del self.pending[: end + 2]
                return line
            self.pending += self.recv()

    def reply(self, text):
        self.sock.sendall(text.encode("ascii") + b"\r\n")

    def read_data(self):
        """Reads the DATA phase up to and including the final "." line."""
        started = time.perf_counter()
        size = 0
        crc = 0
        # The CR LF that ended the DATA command counts as the line end in
        # front of the first line, so an empty message (".") ends at once.
        window = b"\r\n" + bytes(self.pending)
        self.pending.clear()
        virtual = 2  # bytes at the window's start that are not message data
        while True:
            at = window.find(TERMINATOR)
            if at >= 0:
                data_end = at + 2
                if data_end > virtual:
                    piece = window[virtual:data_end]
                    size += len(piece)
                    crc = zlib.crc32(piece, crc)
                self.pending += window[at + len(TERMINATOR):]
                break
            # Keep the last 4 bytes: they may begin the terminator.
            keep_from = max(virtual, len(window) - 4)
            if keep_from > virtual:
                piece = window[virtual:keep_from]
                size += len(piece)
                crc = zlib.crc32(piece, crc)
            window = window[keep_from:] + self.recv()
            virtual = 0
        return {"bytes": size, "crc32": crc, "data_seconds": time.perf_counter() - started}

    def run(self):
        self.reply("220 bench-sink ready")
        while True:
            line = self.read_line()
            verb = line[:4].upper()
            if verb == b"EHLO":
                self.reply("250-bench-sink\r\n250 8BITMIME")
            elif verb == b"DATA":
                self.reply("354 end data with <CR><LF>.<CR><LF>")
                figures = self.read_data()
                with open(self.report_path, "a") as report:
                    report.write(json.dumps(figures) + "\n")
                self.reply("250 queued")
            elif verb == b"QUIT":
                self.reply("221 bye")
                return
            else:  # HELO, RSET, MAIL, RCPT, NOOP and anything else
                self.reply("250 ok")


def main():
    report_path = sys.argv[1]
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(4)
    print(server.getsockname()[1], flush=True)
    while True:
        sock, _ = server.accept()
        with sock:
            try:
                session(sock, report_path).run()
            except (connection_closed, ConnectionError):
                pass


if __name__ == "__main__":
    main()
