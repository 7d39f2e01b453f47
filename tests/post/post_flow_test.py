"""The report tool's whole flow, run as a program (the test build that
records its boxes), against a real SMTP server on loopback.

Usage: post_flow_test.py RUN_PREFIX PROGRAM PORT MAILBOX [unittest args]
RUN_PREFIX is empty natively, the Wine runner (";"-separated) otherwise.
"""
import os
import platform
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import postlib  # noqa: E402
from smtp_sink import Sink, port_in_use  # noqa: E402

RUNNER = PROGRAM = PORT = MAILBOX = None

# A realistic piece of setup log: the product number comes from the web/
# address, the error number from the SetupError dialog line.
ANSI_LOG = (b"=== Verbose logging started: 11.12.2026  09:14:02  Build type: SHIP UNICODE ===\r\n"
            b"Property(C): SOURCEURL = http://download.tarnwick.example/web/2031/full\r\n"
            b"Property(C): ProductVersion = 5.2.3.1\r\n"
            b"Action 09:14:07: SetupError. dialog SetupError: Error 1720. There is a problem "
            b"with this Windows Installer package.\r\n"
            b"Caf\xe9 d\xe9j\xe0 vu: 1603\r\n")
ANSI_TEXT = ANSI_LOG.decode("cp1252")

UTF16_TEXT = ("Property(S): ProductVersion = 5.2.3.1\r\n"
              "Action: dialog SetupError: Error 2350. Fehler beim Kopieren: Grüße\r\n")


def os_field():
    if RUNNER.windows:
        return r"\d+\.\d+"
    major, minor = platform.release().split(".")[:2]
    return re.escape(f"{int(major)}.{int(re.match(r'[0-9]+', minor).group())}")


class Flow(unittest.TestCase):
    def run_post(self, folder, args, log=None, answers="", env=None):
        if log is not None:
            with open(os.path.join(folder, "install.txt"), "wb") as f:
                f.write(log)
        record = os.path.join(folder, "boxes.txt")
        full_env = {"TW_UI_RECORD": RUNNER.native_path(record), "TW_UI_ANSWERS": answers,
                    "LC_ALL": "C"}
        full_env.update(env or {})
        result = RUNNER.run(PROGRAM, args, cwd=folder, env=full_env)
        return result.returncode, postlib.read_record(record)

    def assert_report(self, message, subject_pattern, log_text):
        # Envelope: the null sender (aiosmtpd writes it "<>"), the support
        # mailbox, the greeting name.
        self.assertEqual(message.mail_from, "<>")
        self.assertEqual(message.rcpt_tos, [MAILBOX])
        self.assertEqual(message.helo, "installer")
        names = [name for name, _ in message.headers()]
        self.assertEqual(names, ["Subject", "To", "Content-Transfer-Encoding", "Content-Type"])
        self.assertRegex(message.header("Subject"), "^" + subject_pattern + "$")
        self.assertEqual(message.header("To"), f'"Installation Support" <{MAILBOX}>')
        self.assertEqual(message.header("Content-Transfer-Encoding"), "base64")
        self.assertEqual(message.header("Content-Type"), 'text/plain; charset="utf-8"')
        body = message.body_lines()
        self.assertTrue(all(len(line) == 76 for line in body[:-1]), body)
        self.assertTrue(0 < len(body[-1]) <= 76)
        self.assertEqual(message.body(), log_text.encode("utf-8"))

    def test_ignored_codes_do_nothing(self):
        # An install.txt is there: the ignored codes must not even read it.
        for args in (["0"], ["1602"], ["3010"], ["0abc"], ["abc"], [], [" 0"]):
            with self.subTest(args=args), postlib.TempFolder() as folder:
                status, boxes = self.run_post(folder, args, log=ANSI_LOG, answers="y")
                self.assertEqual((status, boxes), (0, []))

    def test_log_sizes_and_a_missing_log(self):
        cases = [(None, 1, []), (b"ab", 0, []),
                 (b"abc", 0, [("question", postlib.QUESTION_CAPTION, postlib.QUESTION_TEXT)])]
        for log, status, boxes in cases:
            with self.subTest(log=log), postlib.TempFolder() as folder:
                self.assertEqual(self.run_post(folder, ["1603"], log=log, answers="n"), (status, boxes))

    def test_ansi_report_arrives(self):
        with Sink(PORT) as sink, postlib.TempFolder() as folder:
            status, boxes = self.run_post(folder, ["1603"], log=ANSI_LOG, answers="y")
            self.assertEqual(status, 0)
            self.assertEqual(boxes, [("question", postlib.QUESTION_CAPTION, postlib.QUESTION_TEXT),
                                     ("notice", postlib.THANKS_CAPTION, postlib.THANKS_TEXT)])
            messages = sink.wait_for(1, seconds=5)
            self.assertEqual(len(messages), 1)
            self.assert_report(
                messages[0],
                re.escape("TW:2031  OS:") + os_field() +
                re.escape("  ExitCode:1603 (Error:1720) (download IP: 127.0.0.1)"),
                ANSI_TEXT)

    def test_utf16_reports_with_and_without_byte_order_mark(self):
        for bom in (True, False):
            with self.subTest(bom=bom), Sink(PORT) as sink, postlib.TempFolder() as folder:
                status, boxes = self.run_post(folder, ["-1"], log=postlib.utf16le(UTF16_TEXT, bom),
                                              answers="y")
                self.assertEqual(status, 0)
                self.assertEqual(boxes[-1], ("notice", postlib.THANKS_CAPTION, postlib.THANKS_TEXT))
                messages = sink.wait_for(1, seconds=5)
                self.assertEqual(len(messages), 1)
                self.assert_report(
                    messages[0],
                    re.escape("TW:523  OS:") + os_field() +
                    re.escape("  ExitCode:-1 (Error:2350) (download IP: 127.0.0.1)"),
                    ("\ufeff" if bom else "") + UTF16_TEXT)

    def test_answer_no_sends_nothing(self):
        with Sink(PORT) as sink, postlib.TempFolder() as folder:
            status, boxes = self.run_post(folder, ["1603"], log=ANSI_LOG, answers="n")
            self.assertEqual((status, boxes),
                             (0, [("question", postlib.QUESTION_CAPTION, postlib.QUESTION_TEXT)]))
            self.assertEqual(sink.wait_for(1, seconds=1), [])

    def test_refused_connection_is_reported(self):
        self.assertFalse(port_in_use(PORT), f"nothing may listen on port {PORT} for this test")
        with postlib.TempFolder() as folder:
            status, boxes = self.run_post(folder, ["1603"], log=ANSI_LOG, answers="y")
            self.assertEqual(status, 0)
            self.assertEqual(boxes, [
                ("question", postlib.QUESTION_CAPTION, postlib.QUESTION_TEXT),
                ("notice", postlib.FAILURE_CAPTION,
                 "internet.transport.connection_failed.connection_refused[connect() failed]")])

    def test_log_rejected_by_the_code_page_is_shown_before_any_question(self):
        # Shift JIS (code page 932) as the ANSI code page, from a locale made
        # for the test: the lead byte 0x81 followed by a blank is no
        # character there, so setting the body fails before the question,
        # and the outermost handler shows the error.
        with postlib.TempFolder() as locales, postlib.TempFolder() as folder:
            made = subprocess.run(["localedef", "--no-warnings=ascii", "-i", "ja_JP", "-f", "SHIFT_JIS",
                                   os.path.join(locales, "ja_JP.SJIS")],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.assertEqual(made.returncode, 0, "localedef (Debian package locales): " + made.stdout.decode())
            # LeakSanitizer would count what glibc keeps of a LOCPATH locale.
            env = {"LOCPATH": locales, "LC_ALL": "ja_JP.SJIS", "ASAN_OPTIONS": "detect_leaks=0"}
            with Sink(PORT) as sink:
                status, boxes = self.run_post(folder, ["1603"], log=b"web/1/ \x81\x20 broken", answers="y",
                                              env=env)
                self.assertEqual(sink.wait_for(1, seconds=1), [])
            self.assertEqual(status, 0)
            self.assertEqual(boxes, [("notice", postlib.FAILURE_CAPTION, "unicode.unmappable_character[]")])

if __name__ == "__main__":
    RUNNER = postlib.Runner(sys.argv[1].split(";") if sys.argv[1] else [])
    PROGRAM, PORT, MAILBOX = sys.argv[2], int(sys.argv[3]), sys.argv[4]
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
