#!/usr/bin/env python3
"""End-to-end runs of the Windows program under Wine on a pseudo-terminal,
with a fake browser program that records its exact command line."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from terminal_run import Run

EXE = FAKE = WINE_RUN = None  # set from the command line
WINE_START_TIMEOUT = 120

PROMPT_END = "输入要开的浏览器数量后按回车：".encode("utf-8")
MESSAGE_END = "运行该软件。".encode("utf-8")


def winepath(flag, path):
    out = subprocess.run([WINE_RUN, "winepath", flag, path], capture_output=True, check=True)
    return out.stdout.decode().strip()


class WineEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Wine names of the scratch files, asked once: each question starts Wine.
        cls.root = tempfile.mkdtemp(prefix="zv-wine-e2e-")
        cls.log = os.path.join(cls.root, "browser.log")
        cls.browser = winepath("-w", FAKE)
        cls.env = dict(os.environ, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", TERM="xterm",
                       ZV_BROWSER_LOG=winepath("-w", cls.log))
        cls.temp = subprocess.run([WINE_RUN, "cmd", "/c", "echo %TEMP%"], capture_output=True,
                                  env=cls.env).stdout.decode(errors="replace").strip()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def setUp(self):
        self.work = tempfile.mkdtemp(dir=self.root)
        if os.path.exists(self.log):
            os.remove(self.log)

    def run_tool(self):
        return Run([WINE_RUN, EXE], self.work, self.env, raw=True)

    def starts(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, "rb") as f:
            records = f.read().split(b"---\n")[:-1]
        return [(float(r.split(b"\n")[0]), r.split(b"\n")[1].decode()) for r in records]

    def test_starts_get_the_exact_command_line_and_one_folder_under_wine_temp(self):
        browser = self.browser
        with open(os.path.join(self.work, "path.txt"), "wb") as f:
            f.write(b" " + browser.encode() + b" ")
        run = self.run_tool()
        run.read_until(PROMPT_END, timeout=WINE_START_TIMEOUT)
        run.type("2")
        self.assertEqual(run.finish(timeout=60), 0)
        starts = self.starts()
        self.assertEqual(len(starts), 2, run.output)
        self.assertEqual(starts[0][1], starts[1][1])
        self.assertGreater(starts[1][0] - starts[0][0], 0.4)
        pattern = re.escape('"' + browser + '" --user-data-dir=') + r"(.*\\zelmorvika\\(\d{13}))$"
        match = re.match(pattern, starts[0][1])
        self.assertIsNotNone(match, starts[0][1])
        folder, name = match.group(1), match.group(2)
        self.assertTrue(name.endswith("000"))
        self.assertEqual(folder.lower(), (self.temp + "\\zelmorvika\\" + name).lower())
        self.assertTrue(os.path.isdir(winepath("-u", folder)))

    def test_path_file_of_junk_gives_the_message_and_ends_normally(self):
        with open(os.path.join(self.work, "path.txt"), "wb") as f:
            f.write(bytes(range(1, 256)) * 8 + b"\x00tail\xd6")
        run = self.run_tool()
        run.read_until(MESSAGE_END, timeout=WINE_START_TIMEOUT)
        run.type("")
        self.assertEqual(run.finish(timeout=60), 0)
        self.assertEqual(self.starts(), [])

    def test_missing_browser_shows_the_message_and_waits_for_enter(self):
        run = self.run_tool()
        out = run.read_until(MESSAGE_END, timeout=WINE_START_TIMEOUT)
        self.assertIn(b"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", out)
        self.assertTrue(run.alive_after(0.5), "it must wait for Enter")
        run.type("")
        self.assertEqual(run.finish(timeout=60), 0)
        self.assertEqual(self.starts(), [])


if __name__ == "__main__":
    EXE, FAKE, WINE_RUN = (os.path.abspath(a) for a in sys.argv[1:4])
    del sys.argv[1:4]
    unittest.main(verbosity=2)
