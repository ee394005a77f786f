"""A program run on a pseudo-terminal, and the scratch folders it runs in:
shared by the end-to-end tests and tools/measure."""
import os
import pty
import select
import shutil
import signal
import sys
import tempfile
import termios
import time
import tty

PROMPT_END = "输入要开的浏览器数量后按回车：".encode("utf-8")

FAKE_BROWSER = """#!/bin/sh
# Records one start in one write, as starts may run at once: the time, its own
# name, then each argument on a line of its own.
record=$(date +%s.%N; echo "$0"; for a in "$@"; do printf '%s\\n' "$a"; done; echo ---)
printf '%s\\n' "$record" >> "$ZV_BROWSER_LOG"
echo browser-output; echo browser-errors >&2  # must not reach the tool's terminal
"""


class Run:
    """One run of the program on a pseudo-terminal."""

    def __init__(self, argv, cwd, env, raw=False, before_exec=None):
        """raw: the terminal passes keys through untouched, for a program that
        does its own line editing (Wine's console). before_exec: run in the
        child just before the program starts."""
        self.output = b""
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            try:  # the child never returns into the caller's code, whatever fails
                if raw:
                    tty.setraw(0)
                # Show the bytes as written: no CR added before each LF.
                attrs = termios.tcgetattr(0)
                attrs[1] &= ~termios.OPOST
                termios.tcsetattr(0, termios.TCSANOW, attrs)
                os.chdir(cwd)
                if before_exec:
                    before_exec()
                os.execve(argv[0], argv, env)
            finally:
                os._exit(127)

    def read_until(self, needle, timeout=10):
        deadline = time.monotonic() + timeout
        while needle not in self.output:
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("timed out waiting for %r in %r" % (needle, self.output))
            if not self._read(left):
                raise AssertionError("output ended before %r: %r" % (needle, self.output))
        return self.output

    def _read(self, timeout):
        if self.fd is None:
            return False
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            return True
        try:
            chunk = os.read(self.fd, 4096)
        except OSError:
            return False
        self.output += chunk
        return bool(chunk)

    def type(self, text):
        os.write(self.fd, text.encode("utf-8") + b"\r")

    def send(self, data):
        os.write(self.fd, data)

    def hang_up(self):
        """Closes the terminal, as when its window is closed."""
        os.close(self.fd)
        self.fd = None

    def alive_after(self, seconds):
        time.sleep(seconds)
        pid, _ = os.waitpid(self.pid, os.WNOHANG)
        return pid == 0

    def finish(self, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                # Whatever is still on its way; helpers of the program (Wine's
                # server) may hold the terminal open, so no end of file is awaited.
                while self.fd is not None and select.select([self.fd], [], [], 0.2)[0] \
                        and self._read(0):
                    pass
                if self.fd is not None:
                    os.close(self.fd)
                return os.waitstatus_to_exitcode(status)
            if self.fd is None:
                time.sleep(0.1)
            else:
                self._read(0.1)
        os.kill(self.pid, signal.SIGKILL)
        raise AssertionError("the program did not end: %r" % self.output)


class Scratch:
    """A scratch working folder and TMPDIR, a copy of the program and a fake
    browser that records its starts. A test case mixes it in (setUp, tearDown).
    Everything lies in a folder that every user may enter, the program
    included: runs as another user must not depend on where the checkout lies."""

    PROGRAM = None  # the program under test, set by the test's main

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="zv-e2e-")
        os.chmod(self.root, 0o755)
        self.work = os.path.join(self.root, "work")
        self.tmp = os.path.join(self.root, "tmp")
        os.makedirs(self.work)
        os.makedirs(self.tmp)
        self.program = os.path.join(self.root, "zelmorvika")
        if Scratch.PROGRAM:
            shutil.copy(Scratch.PROGRAM, self.program)
        self.log = os.path.join(self.root, "browser.log")
        self.browser = self.fake_browser(os.path.join(self.root, "fake-browser"))

    def fake_browser(self, path):
        with open(path, "w") as f:
            f.write(FAKE_BROWSER)
        os.chmod(path, 0o755)
        return path

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def env(self, tmpdir=None):
        return {"PATH": "/usr/bin:/bin", "HOME": self.root, "LANG": "C.UTF-8", "TERM": "xterm",
                "TZ": "UTC", "ZV_BROWSER_LOG": self.log,
                "TMPDIR": tmpdir if tmpdir is not None else self.tmp}

    def write_path_file(self, content):
        with open(os.path.join(self.work, "path.txt"), "wb") as f:
            f.write(content)

    def starts(self, programs=False):
        """(time, arguments) of each start; (time, program) with `programs`."""
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            records = [r.split("\n") for r in f.read().split("---\n")[:-1]]
        if programs:
            return [(float(r[0]), r[1]) for r in records]
        return [(float(r[0]), r[2:-1]) for r in records]

    def start(self, env=None, **options):
        return Run([self.program], self.work, env or self.env(), **options)

    def run_to_prompt(self, tmpdir=None, **options):
        run = self.start(self.env(tmpdir), **options)
        run.read_until(PROMPT_END)
        return run

    def folders(self, tmpdir=None):
        base = os.path.join(tmpdir or self.tmp, "zelmorvika")
        return sorted(os.listdir(base)) if os.path.isdir(base) else []
