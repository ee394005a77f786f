#!/usr/bin/env python3
"""The Linux program against a real Chromium under Xvfb: asked for 3, it
opens 3 windows in one browser process using the fresh profile folder."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from terminal_run import Run

PROGRAM = None  # set from the command line
CHROMIUM = "/usr/bin/chromium"
SKIP = 77  # tells CTest the test was skipped
PROMPT_END = "输入要开的浏览器数量后按回车：".encode("utf-8")

# Chromium as root in a box without a sandbox, a GPU or a network.
WRAPPER = """#!/bin/sh
exec {chromium} --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run \\
  --no-default-browser-check --disable-background-networking --disable-component-update \\
  --disable-sync --password-store=basic --use-mock-keychain "$@" >>{log} 2>&1
"""


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.5)
    raise AssertionError("timed out waiting for " + what)


def browser_processes(folder):
    """Main browser processes (not its helpers) using the folder as profile."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                args = f.read().split(b"\0")
        except OSError:
            continue
        option = ("--user-data-dir=" + folder).encode()
        if option in args and not any(a.startswith(b"--type=") for a in args):
            found.append(int(pid))
    return found


class ChromiumEndToEnd(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="zv-chromium-e2e-")
        self.work = os.path.join(self.root, "work")
        self.tmp = os.path.join(self.root, "tmp")
        self.log = os.path.join(self.root, "chromium.log")
        os.makedirs(self.work)
        os.makedirs(self.tmp)
        wrapper = os.path.join(self.root, "chromium-for-tests")
        with open(wrapper, "w") as f:
            f.write(WRAPPER.format(chromium=CHROMIUM, log=self.log))
        os.chmod(wrapper, 0o755)
        with open(os.path.join(self.work, "path.txt"), "w") as f:
            f.write(wrapper)
        number = next(n for n in range(90, 200) if not os.path.exists("/tmp/.X%d-lock" % n))
        self.display = ":%d" % number
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
        wait_for(lambda: subprocess.run(["xdotool", "getdisplaygeometry"],
                                        env={"DISPLAY": self.display},
                                        capture_output=True).returncode == 0, 30, "Xvfb")
        self.browsers = []

    def tearDown(self):
        for pid in self.browsers:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and any(os.path.exists("/proc/%d" % p)
                                                  for p in self.browsers):
            time.sleep(0.2)
        for pid in self.browsers:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.root, ignore_errors=True)

    def windows(self):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "chromium"],
                             capture_output=True, env={"DISPLAY": self.display})
        return out.stdout.split()

    def test_three_windows_open_in_one_browser_on_the_fresh_profile(self):
        env = {"PATH": "/usr/bin:/bin", "HOME": self.root, "LANG": "C.UTF-8",
               "TERM": "xterm", "TMPDIR": self.tmp, "DISPLAY": self.display}
        run = Run([PROGRAM], self.work, env)
        run.read_until(PROMPT_END)
        run.type("3")
        self.assertEqual(run.finish(timeout=30), 0)

        base = os.path.join(self.tmp, "zelmorvika")
        names = os.listdir(base)
        self.assertEqual(len(names), 1)
        folder = os.path.join(base, names[0])

        try:
            self.browsers = wait_for(lambda: browser_processes(folder), 60, "the browser")
        except AssertionError:
            with open(self.log, errors="replace") as f:
                print("Chromium said:\n" + f.read()[-3000:])
            raise
        wait_for(lambda: len(self.windows()) >= 3, 90, "three windows")
        # The later starts hand their window to the first browser and end.
        wait_for(lambda: len(browser_processes(folder)) == 1, 60, "one browser process")
        self.browsers = browser_processes(folder)
        time.sleep(2)  # no more than three windows come
        self.assertEqual(len(self.windows()), 3)
        wait_for(lambda: os.path.exists(os.path.join(folder, "Local State"))
                 or os.path.isdir(os.path.join(folder, "Default")), 60, "the profile")
        self.assertTrue(os.path.isdir(os.path.join(folder, "Default")))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    for tool in (CHROMIUM, shutil.which("Xvfb"), shutil.which("xdotool")):
        if tool is None or not os.path.exists(tool):
            print("skipped: Chromium, Xvfb and xdotool are needed (tools/install-deps)")
            sys.exit(SKIP)
    unittest.main(verbosity=2)
