#!/usr/bin/env python3
"""The Linux program against a real Chromium under Xvfb: asked for 3, it
opens 3 windows in one browser process using the fresh profile folder."""
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

from terminal_run import OWN, Scratch

CHROMIUM = "/usr/bin/chromium"
# Chromium as root in a box without a sandbox, a GPU or a network.
WRAPPER = """#!/bin/sh
exec %s --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run \\
  --no-default-browser-check --disable-background-networking --disable-component-update \\
  --disable-sync --password-store=basic --use-mock-keychain "$@" >>%s 2>&1
"""


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.5)


def browser_processes(folder):
    """Main browser processes (not its helpers) using the folder as profile."""
    listed = subprocess.run(["ps", "-e", "-ww", "-o", "pid=,args="], capture_output=True,
                            text=True, check=True).stdout.splitlines()
    return [int(line.split()[0]) for line in listed
            if "--user-data-dir=" + folder in line.split() and " --type=" not in line]


class ChromiumEndToEnd(Scratch, unittest.TestCase):
    def setUp(self):
        super().setUp()
        self.chromium_log = os.path.join(self.root, "chromium.log")
        wrapper = self.write_script(os.path.join(self.root, "chromium-for-tests"),
                                    WRAPPER % (CHROMIUM, self.chromium_log))
        self.write_path_file(wrapper.encode())
        xvfb = self.enterContext(subprocess.Popen(
            ["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
        self.addCleanup(xvfb.terminate)  # before the context's end waits for it
        # Xvfb names its display once it is ready; the pipe stays open for the rest.
        self.display = ":" + xvfb.stdout.readline().decode().strip()

    def windows(self):
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "chromium"],
                              capture_output=True, env={"DISPLAY": self.display}).stdout.split()

    def test_three_windows_open_in_one_browser_on_the_fresh_profile(self):
        run = self.start("3", env=dict(self.env(), DISPLAY=self.display))
        self.assertEqual(run.finish(timeout=30), 0)
        folder = os.path.join(self.tmp, OWN, self.folders()[0])
        try:
            wait_for(lambda: len(self.windows()) >= 3, 150, "three windows")
            # The later starts hand their window to the first browser and end.
            wait_for(lambda: len(browser_processes(folder)) == 1, 60, "one browser process")
            time.sleep(2)  # no more than three windows come
            self.assertEqual(len(self.windows()), 3)
            wait_for(lambda: os.path.isdir(os.path.join(folder, "Default")), 60, "the profile")
        except AssertionError:
            with open(self.chromium_log, errors="replace") as f:
                print("Chromium said:\n" + f.read()[-3000:])
            raise
        finally:
            for pid in browser_processes(folder):  # each leads a session of its own
                os.killpg(pid, signal.SIGKILL)


if __name__ == "__main__":
    Scratch.PROGRAM = os.path.abspath(sys.argv.pop(1))
    if not all(map(shutil.which, [CHROMIUM, "Xvfb", "xdotool"])):
        print("skipped: Chromium, Xvfb and xdotool are needed (tools/install-deps)")
        sys.exit(77)
    unittest.main(verbosity=2)
