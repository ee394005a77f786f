"""A program run on a pseudo-terminal, for the end-to-end tests."""
import os
import pty
import select
import signal
import termios
import time
import tty


class Run:
    """One run of the program on a pseudo-terminal."""

    def __init__(self, argv, cwd, env, raw=False, before_exec=None):
        """raw: the terminal passes keys through untouched, for a program that
        does its own line editing (Wine's console). before_exec: run in the
        child just before the program starts."""
        self.output = b""
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
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
