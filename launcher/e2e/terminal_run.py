"""A program run on a pseudo-terminal, and the scratch folders it runs in:
shared by the end-to-end tests and tools/measure."""
import os
import pty
import select
import shutil
import signal
import tempfile
import termios
import time
import tty

from texts import MESSAGE_END, PROMPT_END

OWN = "zelmorvika-%d" % os.geteuid()  # the user's own folder in the temporary-files folder

FAKE_BROWSER = """#!/bin/sh
# One start in one write (starts may run at once): the time, its name, each argument on a line.
record=$(date +%s.%N; echo "$0"; for a in "$@"; do printf '%s\\n' "$a"; done; echo ---)
printf '%s\\n' "$record" >> "$ZV_BROWSER_LOG"
echo browser-output; echo browser-errors >&2  # must not reach the tool's terminal
"""


class Run:
    """One run of the program on a pseudo-terminal. raw: keys pass through untouched, for a
    program that edits its own lines (Wine's console). before_exec: run in the child at exec."""

    def __init__(self, argv, cwd, env, raw=False, before_exec=None):
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

    def read_until(self, needle, timeout=10, or_end=False):
        """The output once `needle` is in it; with `or_end`, None if it ends first."""
        deadline = time.monotonic() + timeout
        while needle not in self.output:
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("timed out waiting for %r in %r" % (needle, self.output))
            if self._read(left) is False:
                if or_end:
                    return None
                raise AssertionError("output ended before %r: %r" % (needle, self.output))
        return self.output

    def _read(self, timeout):
        """True when output came, None when none came in time, False once it has ended."""
        if self.fd is None:
            return False
        if not select.select([self.fd], [], [], timeout)[0]:
            return None
        try:
            chunk = os.read(self.fd, 4096)
        except OSError:
            return False
        self.output += chunk
        return bool(chunk)

    def type(self, keys):
        """Text, then Enter; bytes go as they are."""
        os.write(self.fd, keys if isinstance(keys, bytes) else keys.encode("utf-8") + b"\r")

    def finish(self, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                # Whatever is still on its way; helpers of the program (Wine's
                # server) may hold the terminal open, so no end of file is awaited.
                while self._read(0.2):
                    pass
                if self.fd is not None:
                    os.close(self.fd)
                return os.waitstatus_to_exitcode(status)
            if self._read(0.1) is False:
                time.sleep(0.1)
        os.kill(self.pid, signal.SIGKILL)
        raise AssertionError("the program did not end: %r" % self.output)


class Scratch:
    """A scratch working folder and TMPDIR, a copy of the program and a fake browser named in
    path.txt that records its starts, in a folder any user may enter; test cases mix it in."""

    PROGRAM = None  # the program under test, set by the test's main

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="zv-e2e-")
        os.chmod(self.root, 0o755)
        self.work, self.tmp = os.path.join(self.root, "work"), os.path.join(self.root, "tmp")
        os.makedirs(self.work)
        os.makedirs(self.tmp)
        self.program = os.path.join(self.root, os.path.basename(Scratch.PROGRAM or "zelmorvika"))
        if Scratch.PROGRAM:
            shutil.copy(Scratch.PROGRAM, self.program)
        self.log = os.path.join(self.root, "browser.log")
        open(self.log, "w").close()
        self.browser = self.write_script(os.path.join(self.root, "fake-browser"))
        self.write_path_file(self.browser.encode())

    def write_script(self, path, text=FAKE_BROWSER):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
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
        with open(self.log, encoding="utf-8") as f:
            records = [r.split("\n") for r in f.read().split("---\n")[:-1]]
        return [(float(r[0]), r[1] if programs else r[2:-1]) for r in records]

    def start(self, keys=None, tmpdir=None, env=None, argv=None, timeout=10, **options):
        run = Run(argv or [self.program], self.work, env or self.env(tmpdir), **options)
        if keys is not None:
            run.read_until(PROMPT_END, timeout)
            run.type(keys)
        return run

    def refused(self, run, reason, shown=b"", key=""):
        """The run says why (and where: `shown`), starts nothing and waits for Enter (or `key`)."""
        out = run.read_until(MESSAGE_END, timeout=60)
        self.assertIn(reason, out)
        self.assertIn(b"\r\n   " + shown, out)
        time.sleep(0.3)
        self.assertEqual(os.waitpid(run.pid, os.WNOHANG)[0], 0, "it must wait for Enter")
        run.type(key)
        self.assertEqual(run.finish(timeout=60), 0)
        self.assertEqual(self.starts(), [])

    def folders(self):
        base = os.path.join(self.tmp, OWN)
        return sorted(os.listdir(base)) if os.path.isdir(base) else []
