"""A real SMTP server on loopback (aiosmtpd) that keeps what it receives.

As a module: `with Sink(port) as sink: ...; sink.messages` gives one
`Received` per accepted message. As a program (for the demo):
`smtp_sink.py PORT OUTFILE` serves until terminated and writes each message,
as JSON on one line, to OUTFILE.
"""
import base64
import json
import socket
import sys
import threading
import time

from aiosmtpd.controller import Controller


class Received:
    def __init__(self, envelope, session):
        self.mail_from = envelope.mail_from
        self.rcpt_tos = list(envelope.rcpt_tos)
        self.helo = session.host_name
        # The data as it arrived, line ends and all, dot-stuffing undone.
        self.data = envelope.original_content or envelope.content

    def lines(self):
        text = self.data.decode("ascii")
        assert text.endswith("\r\n"), "the data ends without a line end"
        return text[:-2].split("\r\n")

    def header_lines(self):
        lines = self.lines()
        return lines[:lines.index("")]

    def body_lines(self):
        lines = self.lines()
        return lines[lines.index("") + 1:]

    def headers(self):
        return [tuple(line.split(": ", 1)) for line in self.header_lines()]

    def header(self, name):
        return dict(self.headers())[name]

    def body(self):
        return base64.b64decode("".join(self.body_lines()), validate=True)

    def as_json(self):
        return json.dumps({"mail_from": self.mail_from, "rcpt_tos": self.rcpt_tos,
                           "helo": self.helo, "data": self.data.decode("ascii")})


class _Handler:
    def __init__(self, sink):
        self.sink = sink

    async def handle_DATA(self, server, session, envelope):
        with self.sink.lock:
            self.sink.messages.append(Received(envelope, session))
        return "250 OK"


def port_in_use(port):
    """True when something accepts connections on 127.0.0.1:port."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.settimeout(5)
        return probe.connect_ex(("127.0.0.1", port)) == 0


class Sink:
    def __init__(self, port):
        if port_in_use(port):
            raise RuntimeError(f"port {port} on 127.0.0.1 is busy: the SMTP sink cannot listen there "
                               "(the test builds of post send to this fixed port)")
        self.port = port
        self.messages = []
        self.lock = threading.Lock()
        self.controller = Controller(_Handler(self), hostname="127.0.0.1", port=port,
                                     decode_data=False, ready_timeout=30)

    def __enter__(self):
        self.controller.start()
        return self

    def __exit__(self, *exc):
        self.controller.stop()

    def wait_for(self, count, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            with self.lock:
                if len(self.messages) >= count:
                    return list(self.messages)
            time.sleep(0.05)
        with self.lock:
            return list(self.messages)


def main():
    port, out = int(sys.argv[1]), sys.argv[2]

    class Writer(_Handler):
        async def handle_DATA(self, server, session, envelope):
            with open(out, "a", encoding="ascii") as f:
                f.write(Received(envelope, session).as_json() + "\n")
            return "250 OK"

    if port_in_use(port):
        print(f"smtp_sink: port {port} on 127.0.0.1 is busy", file=sys.stderr)
        return 2
    controller = Controller(Writer(None), hostname="127.0.0.1", port=port, decode_data=False)
    controller.start()
    print("ready", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass
    finally:
        controller.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
