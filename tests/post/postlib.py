"""Helpers for the tests that start the built programs: natively or, for the
Windows build, under Wine (the run prefix is the build's Wine runner); the
recording user interface's record file; and a virtual X display in which a
simulated user answers the real Windows message boxes."""
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time

QUESTION_TEXT = ("We're very sorry, but the installation failed. Would you like to send an "
                 "error report to help resolve this problem?")
QUESTION_CAPTION = "Installation failed"
THANKS_TEXT = "Thank you. The error report has been submitted."
THANKS_CAPTION = "Report submitted"
FAILURE_CAPTION = "Report not submitted"


class Runner:
    """Starts programs of one build; `prefix` is the list that goes in front
    of the program (empty natively)."""

    def __init__(self, prefix, shows_windows=False):
        self.prefix = [p for p in prefix if p]
        self.windows = bool(self.prefix)
        self.shows_windows = shows_windows and self.windows

    def for_display(self):
        """A runner for programs that show real windows. Under Wine they get
        a prefix of their own, and its Wine session is ended before every
        start: a session begun by a program without the display (a test
        running alongside, or the previous run's display, now gone) would
        serve them, and their message boxes would fail at once."""
        if not self.windows or len(self.prefix) < 3:
            return self
        prefix = list(self.prefix)
        prefix[2] = prefix[2] + "-gui"
        return Runner(prefix, shows_windows=True)

    def _fresh_session(self):
        if self.shows_windows and os.path.isdir(self.prefix[2]):
            subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=dict(os.environ, WINEPREFIX=self.prefix[2]),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def native_path(self, path):
        """A path as the program sees it: Wine maps / to drive Z:."""
        if not self.windows:
            return path
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def run(self, program, args=(), cwd=None, env=None, stdin_text=None, timeout=300):
        self._fresh_session()
        full_env = dict(os.environ)
        full_env.update(env or {})
        return subprocess.run(self.prefix + [program] + list(args), cwd=cwd, env=full_env,
                              input=(stdin_text or "").encode(), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=timeout)

    def start(self, program, args=(), cwd=None, env=None):
        """Starts the program with pipes for all three standard streams."""
        self._fresh_session()
        full_env = dict(os.environ)
        full_env.update(env or {})
        return subprocess.Popen(self.prefix + [program] + list(args), cwd=cwd, env=full_env,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x":
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append({"t": "\t", "r": "\r", "n": "\n"}.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def read_record(path):
    """The boxes a recording build showed: (kind, caption, text) each."""
    if not os.path.exists(path):
        return []
    boxes = []
    with open(path, encoding="latin-1") as f:
        for line in f.read().splitlines():
            kind, caption, text = line.split("\t")
            boxes.append((kind, unescape(caption), unescape(text)))
    return boxes


class TempFolder:
    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="tw-post-")
        return self.path

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


def utf16le(text, bom=True):
    return (b"\xff\xfe" if bom else b"") + text.encode("utf-16-le")


class VirtualDisplay:
    """An Xvfb display of its own; `env` holds the DISPLAY for programs."""

    def __enter__(self):
        if not shutil.which("Xvfb") or not shutil.which("xdotool"):
            raise RuntimeError("Xvfb and xdotool are needed (Debian packages xvfb, xdotool)")
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as f:
            while not number.endswith(b"\n"):
                chunk = f.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.env = {"DISPLAY": ":" + number.decode().strip()}
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=30)

    def windows_named(self, caption):
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(caption) + "$"],
                                env=dict(os.environ, **self.env), stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        return result.stdout.split()

    def press(self, window, key):
        env = dict(os.environ, **self.env)
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        subprocess.run(["xdotool", "key", key], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)


class BoxAnswerer(threading.Thread):
    """A simulated user: for each (caption, key) of the plan in turn, waits for
    a window with that caption, then presses the key in it ("y"/"n" for the
    Yes/No question, Return for an OK box). `answered` lists the captions
    met, in order."""

    def __init__(self, display, plan, timeout=240, on_box=None):
        super().__init__(daemon=True)
        self.display, self.plan, self.timeout = display, list(plan), timeout
        # Called with the caption when a box has been found, before the key.
        self.on_box = on_box
        self.answered = []
        self.stop = threading.Event()

    def run(self):
        end = time.monotonic() + self.timeout
        for caption, key in self.plan:
            while not self.stop.is_set() and time.monotonic() < end:
                windows = self.display.windows_named(caption)
                if windows:
                    # Give the box a moment to take input, press, and press
                    # again should the box still be there after a while.
                    time.sleep(0.5)
                    if self.on_box and caption not in self.answered:
                        self.on_box(caption)
                    self.display.press(windows[-1], key)
                    for _ in range(20):
                        time.sleep(0.25)
                        if not self.display.windows_named(caption):
                            break
                    else:
                        continue
                    self.answered.append(caption)
                    break
                time.sleep(0.2)
