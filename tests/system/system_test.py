"""The whole installer: Reader with an archive (packed by chunkpack) holding
the sample setup program, which writes a UTF-16 install.txt and fails with
1603, and the report tool (its test build, with the real user interface).
The report must arrive at a real SMTP server on loopback and the working
folder must be gone afterwards. Natively the report tool's question is
answered on standard input; under Wine a simulated user answers the real
message boxes in a virtual X display.

Usage: system_test.py RUN_PREFIX CHUNKPACK READER SETUP POST PORT MAILBOX [unittest args]
"""
import glob
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "post"))
import postlib  # noqa: E402
from smtp_sink import Sink  # noqa: E402

RUNNER = PORT = MAILBOX = None
PROGRAMS = {}


def pack(folder):
    """The installer, as the product's is packed: Reader as the stub, the
    setup program and the report tool as files."""
    installer = os.path.join(folder, "installer" + (".exe" if RUNNER.windows else ""))
    suffix = ".exe" if RUNNER.windows else ""
    p = RUNNER.native_path
    result = RUNNER.run(PROGRAMS["chunkpack"], [
        "create", p(installer), "--stub", p(PROGRAMS["Reader"]),
        "--file", "executable", "setup" + suffix, p(PROGRAMS["setup"]),
        "--file", "post", "post" + suffix, p(PROGRAMS["post"]),
        "--value", "parameters", ""])
    if result.returncode != 0:
        raise AssertionError("chunkpack failed: " + result.stderr.decode(errors="replace"))
    if not RUNNER.windows:
        os.chmod(installer, 0o755)
    return installer


def wine_temp_folders():
    """The TW* working folders in the Wine prefix's temporary folders."""
    prefix = RUNNER.prefix[2] if len(RUNNER.prefix) > 2 else os.environ.get("WINEPREFIX", "")
    return sorted(glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Local", "Temp", "TW*")) +
                  glob.glob(os.path.join(prefix, "drive_c", "users", "*", "Temp", "TW*")))


class WholeSystem(unittest.TestCase):
    def check_report(self, sink):
        messages = sink.wait_for(1, seconds=10)
        self.assertEqual(len(messages), 1)
        report = messages[0]
        self.assertEqual((report.mail_from, report.rcpt_tos), ("<>", [MAILBOX]))
        self.assertEqual([name for name, _ in report.headers()],
                         ["Subject", "To", "Content-Transfer-Encoding", "Content-Type"])
        # A POSIX exit status keeps only the low 8 bits of 1603.
        code = 1603 if RUNNER.windows else 1603 % 256
        self.assertRegex(report.header("Subject"), r"^TW:5230  OS:\d+\.\d+  ExitCode:%d \(Error:1720\) "
                         r"\(download IP: 127\.0\.0\.1\)$" % code)
        body = report.body().decode("utf-8")
        # UTF-16 with its byte-order mark, now UTF-8 with the mark in front.
        self.assertTrue(body.startswith("\ufeff=== Verbose logging started"), body[:80])
        self.assertIn("C:\\Users\\J\u00fcrgen\\AppData", body)
        self.assertIn("dialog SetupError: Error 1720.", body)
        self.assertTrue(body.endswith("=== Verbose logging stopped: 11.12.2026  09:14:09 ===\r\n"))

    def test_installer_run_end_to_end(self):
        with postlib.TempFolder() as folder, Sink(PORT) as sink:
            installer = pack(folder)
            if RUNNER.windows:
                before = wine_temp_folders()
                during = []
                with postlib.VirtualDisplay() as display:
                    user = postlib.BoxAnswerer(
                        display, [(postlib.QUESTION_CAPTION, "y"), (postlib.THANKS_CAPTION, "Return")],
                        on_box=lambda caption: during.append(wine_temp_folders()))
                    user.start()
                    result = RUNNER.run(installer, env=display.env, timeout=600)
                    user.stop.set()
                    user.join(timeout=30)
                self.assertEqual(user.answered, [postlib.QUESTION_CAPTION, postlib.THANKS_CAPTION])
                status, err = result.returncode, result.stderr.decode(errors="replace")
                # While the question was shown the working folder was there.
                self.assertEqual(len(during[0]), len(before) + 1, (before, during))
                self.assertEqual(wine_temp_folders(), before)
            else:
                temp = os.path.join(folder, "tmp")
                os.mkdir(temp)
                process = RUNNER.start(installer, env={"TMPDIR": temp})
                # Wait for the question on standard error, look at the
                # working folder, then answer Yes.
                err = b""
                while not err.endswith(b"[y/N] "):
                    chunk = process.stderr.read1(4096)
                    if not chunk:
                        break
                    err += chunk
                if not err.endswith(b"[y/N] "):
                    process.kill()
                    process.communicate()
                    self.fail("no question from the report tool; standard error: " + err.decode(errors="replace"))
                during = os.listdir(temp)
                out, rest = process.communicate(b"y\n", timeout=300)
                status, err = process.returncode, (err + rest).decode(errors="replace")
                self.assertEqual(len(during), 1, during)
                self.assertTrue(during[0].startswith("TW"), during)
                self.assertEqual(os.listdir(temp), [], "the working folder is left behind")
                self.assertIn(postlib.QUESTION_TEXT, err)
                self.assertIn(postlib.THANKS_TEXT, err)
            self.assertEqual(status, 0, err)
            self.check_report(sink)

if __name__ == "__main__":
    # Under Wine the installer shows real message boxes: a prefix of its own.
    RUNNER = postlib.Runner(sys.argv[1].split(";") if sys.argv[1] else []).for_display()
    PROGRAMS = dict(zip(["chunkpack", "Reader", "setup", "post"], sys.argv[2:6]))
    PORT, MAILBOX = int(sys.argv[6]), sys.argv[7]
    unittest.main(argv=[sys.argv[0]] + sys.argv[8:], verbosity=2)
