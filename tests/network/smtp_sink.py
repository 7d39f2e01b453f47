#!/usr/bin/python3
"""A loopback SMTP server (aiosmtpd) that keeps every message it accepts.

smtp_sink.py OUTPUT_FILE [LIFETIME_SECONDS]

Listens on 127.0.0.1 at a free port, prints that port on a line of its own
once it accepts connections, and for every message writes OUTPUT_FILE anew:
    from=<MAIL FROM address>
    to=<RCPT TO addresses, comma-separated>
    peer=<the client's EHLO/HELO name>
    (empty line)
    the content exactly as received, dot-stuffing removed
The file is complete before the reply to "." goes out. Ends on SIGTERM,
SIGINT, or after LIFETIME_SECONDS (default 300).
"""
import os
import signal
import socket
import sys
import threading

from aiosmtpd.controller import Controller


class Keeper:
    def __init__(self, path):
        self.path = path

    async def handle_DATA(self, server, session, envelope):
        head = "from=%s\nto=%s\npeer=%s\n\n" % (
            envelope.mail_from, ",".join(envelope.rcpt_tos), session.host_name)
        partial = self.path + ".part"
        with open(partial, "wb") as out:
            out.write(head.encode("utf-8"))
            out.write(envelope.original_content)
        os.replace(partial, self.path)
        return "250 Message accepted"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    path = sys.argv[1]
    lifetime = float(sys.argv[2]) if len(sys.argv) > 2 else 300.0
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    controller = None
    for _ in range(20):  # another program may take the probed port first
        port = free_port()
        candidate = Controller(Keeper(path), hostname="127.0.0.1", port=port)
        try:
            candidate.start()
        except Exception:
            continue
        controller = candidate
        break
    if controller is None:
        print("no port", file=sys.stderr)
        return 1
    print(port, flush=True)
    stop.wait(lifetime)
    controller.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
