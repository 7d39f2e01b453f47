"""The report tool's test build with the real user interface: natively the
question on standard error answered on standard input, under Wine the real
message boxes in a virtual X display answered by a simulated user.

Usage: post_real_ui_test.py RUN_PREFIX PROGRAM PORT [unittest args]
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import postlib  # noqa: E402
from smtp_sink import Sink, port_in_use  # noqa: E402

RUNNER = PROGRAM = PORT = None
LOG = b"web/2031/ dialog SetupError: Error 1720. failed\r\n"


def write_log(folder):
    with open(os.path.join(folder, "install.txt"), "wb") as f:
        f.write(LOG)


class RealInterface(unittest.TestCase):
    def run_with_boxes(self, folder, plan):
        with postlib.VirtualDisplay() as display:
            user = postlib.BoxAnswerer(display, plan)
            user.start()
            result = RUNNER.for_display().run(PROGRAM, ["1603"], cwd=folder, env=display.env)
            user.stop.set()
            user.join(timeout=30)
        return result.returncode, user.answered

    def test_answers(self):
        if RUNNER.windows:
            cases = [("y", 1), ("n", 0)]
        else:
            cases = [("y\n", 1), ("yes\n", 1), (" YES \n", 1), ("n\n", 0), ("no\n", 0), ("", 0), ("x\n", 0)]
        for answer, sent in cases:
            with self.subTest(answer=answer), Sink(PORT) as sink, postlib.TempFolder() as folder:
                write_log(folder)
                if RUNNER.windows:
                    plan = [(postlib.QUESTION_CAPTION, answer)]
                    if sent:
                        plan.append((postlib.THANKS_CAPTION, "Return"))
                    status, answered = self.run_with_boxes(folder, plan)
                    self.assertEqual(answered, [caption for caption, _ in plan])
                else:
                    result = RUNNER.run(PROGRAM, ["1603"], cwd=folder, stdin_text=answer)
                    status, err = result.returncode, result.stderr.decode()
                    expected = (f"{postlib.QUESTION_CAPTION}\n{postlib.QUESTION_TEXT}\n[y/N] " +
                                (f"{postlib.THANKS_CAPTION}\n{postlib.THANKS_TEXT}\n" if sent else ""))
                    self.assertEqual(err, expected)
                self.assertEqual(status, 0)
                self.assertEqual(len(sink.wait_for(sent, seconds=5 if sent else 1)), sent)

    def test_refused_connection(self):
        self.assertFalse(port_in_use(PORT), f"nothing may listen on port {PORT} for this test")
        with postlib.TempFolder() as folder:
            write_log(folder)
            if RUNNER.windows:
                plan = [(postlib.QUESTION_CAPTION, "y"), (postlib.FAILURE_CAPTION, "Return")]
                status, answered = self.run_with_boxes(folder, plan)
                self.assertEqual(answered, [caption for caption, _ in plan])
            else:
                result = RUNNER.run(PROGRAM, ["1603"], cwd=folder, stdin_text="y\n")
                status = result.returncode
                self.assertTrue(result.stderr.decode().endswith(
                    f"{postlib.FAILURE_CAPTION}\n"
                    "internet.transport.connection_failed.connection_refused[connect() failed]\n"))
            self.assertEqual(status, 0)


if __name__ == "__main__":
    RUNNER = postlib.Runner(sys.argv[1].split(";") if sys.argv[1] else [])
    PROGRAM, PORT = sys.argv[2], int(sys.argv[3])
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
