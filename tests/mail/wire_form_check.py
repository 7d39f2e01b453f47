#!/usr/bin/python3
"""Reads the wire forms that wire_form_tool writes back with Python's own
MIME parser (the email package) and compares them with the text put in.

usage: wire_form_check.py [RUN PREFIX...] WIRE_FORM_TOOL
"""

import email
import email.header
import email.policy
import email.quoprimime
import os
import subprocess
import sys
import tempfile
import unittest

COMMAND = sys.argv[1:]

# A log-like text: CR LF line ends, long lines, every script the log of a
# localised setup may carry, characters outside the BMP, no final line end.
LOG_TEXT = (
    "=== Verbose logging started: 11.12.2026  13:05:01 ===\r\n"
    "MSI (c) (A4:B8) [13:05:01:123]: Product: Tarnwick -- Installation failed.\r\n"
    "Fehler 1603. Schwerwiegender Fehler bei der Installation. Größe: 12 KB; café, naïve, Ærø\r\n"
    "Ошибка установки; 安装失败; インストールに失敗しました; 설치 실패; خطأ; שגיאה\r\n"
    "emoji \U0001F600 and math \U0001D49C outside the basic plane\r\n"
    "trailing blanks   \r\n"
    "\r\n"
    "=?not-an-encoded-word?= tab\tseparated\tfields = \"quoted\" _under_ ?question?\r\n"
    + "long line " * 40 + "\r\n"
    + "".join(chr(c) for c in range(0x20, 0x7F))
    + "\r\nLF only\nCR only\rend without line end"
)


def run_tool(*args):
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "in.txt"), "wb") as f:
            f.write(args[-1].encode("utf-8"))
        # Relative names: the same under Wine and natively.
        subprocess.run(COMMAND + list(args[:-1]) + ["in.txt", "out.eml"], cwd=folder, check=True,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        with open(os.path.join(folder, "out.eml"), "rb") as f:
            return f.read()


def crlf_lines(wire):
    assert wire.endswith(b"\r\n")
    return wire[:-2].split(b"\r\n")


class ReportMessage(unittest.TestCase):
    def check_report(self, msg, text):
        self.assertEqual(msg.defects, [])
        self.assertEqual(list(msg.keys()), ["Subject", "To", "Content-Transfer-Encoding", "Content-Type"])
        self.assertEqual(msg["Subject"], "TW:1  OS:10.0  ExitCode:1603 (Error:1603)")
        self.assertEqual(msg["To"].addresses[0].addr_spec, "install-support@tarnwick.example")
        self.assertEqual(msg["To"].addresses[0].display_name, "Installation Support")
        self.assertEqual(msg.get_content_type(), "text/plain")
        self.assertEqual(msg.get_content_charset(), "utf-8")
        self.assertEqual(msg["Content-Transfer-Encoding"], "base64")
        self.assertEqual(msg.get_payload(decode=True).decode("utf-8"), text)

    def test_report_reads_back(self):
        for text in (LOG_TEXT, "OK", "x" * 57, "y" * 58):
            with self.subTest(length=len(text)):
                wire = run_tool("report", text)
                msg = email.message_from_bytes(wire, policy=email.policy.default)
                self.check_report(msg, text)
                body = crlf_lines(wire)[5:]
                self.assertTrue(all(len(line) <= 76 for line in body))
                self.assertTrue(all(len(line) == 76 for line in body[:-1]))

    def test_report_of_the_two_byte_text(self):
        self.assertEqual(crlf_lines(run_tool("report", "OK")), [
            b"Subject: TW:1  OS:10.0  ExitCode:1603 (Error:1603)",
            b"To: \"Installation Support\" <install-support@tarnwick.example>",
            b"Content-Transfer-Encoding: base64",
            b"Content-Type: text/plain; charset=\"utf-8\"",
            b"",
            b"T0s=",
        ])


class MultipartMessage(unittest.TestCase):
    def test_parts_read_back(self):
        wire = run_tool("multipart", LOG_TEXT)
        msg = email.message_from_bytes(wire, policy=email.policy.default)
        self.assertEqual(msg.defects, [])
        self.assertTrue(msg.is_multipart())
        self.assertEqual(msg.get_boundary(), "=_varrow_boundary")
        first, second = msg.get_payload()
        self.assertEqual(first["Content-Transfer-Encoding"], "base64")
        self.assertEqual(first.get_payload(decode=True).decode("utf-8"), LOG_TEXT)
        self.assertEqual(second["Content-Transfer-Encoding"], "quoted-printable")
        self.assertEqual(second.get_content_charset(), "utf-8")
        # Quoted-printable keeps the text, not its line ends: every line end
        # of the text becomes CR LF.
        expected = LOG_TEXT.replace("\r\n", "\n").replace("\r", "\n").replace("\n", "\r\n")
        self.assertEqual(second.get_payload(decode=True).decode("utf-8"), expected)
        # The strict decoder strips blanks at line ends, as transports may add them.
        strict = email.quoprimime.body_decode(second.get_payload(), eol="\r\n")
        strict = strict.removesuffix("\r")  # the parser leaves the CR of the delimiter's line end
        self.assertEqual(strict.encode("latin-1").decode("utf-8"), expected)


class EncodedWords(unittest.TestCase):
    def test_header_texts_decode(self):
        cases = {
            "utf-8": ["plain ascii", "café au lait", "a b_c d é", "ééé", "安装失败 — Ошибка",
                      "\U0001F600", "x?y=z \"q\" _u_ é"],
            "iso-8859-1": ["café", "Größe ½ ×", "x?y=z \"q\" _u_ é"],
        }
        for charset, texts in cases.items():
            wire = run_tool("words", charset, "\n".join(texts))
            for text, line in zip(texts, crlf_lines(wire), strict=True):
                with self.subTest(charset=charset, text=text):
                    word = line.decode("ascii")
                    decoded = str(email.header.make_header(email.header.decode_header(word)))
                    self.assertEqual(decoded, text)
                    if text.isascii():
                        self.assertEqual(word, text)
                    else:
                        self.assertTrue(word.startswith("=?" + charset + "?"))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
