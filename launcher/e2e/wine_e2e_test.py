#!/usr/bin/env python3
"""End-to-end runs of the Windows program under Wine on a pseudo-terminal,
with a fake browser program that records its exact command line."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from terminal_run import Run

EXE = FAKE = WINE_RUN = None  # set from the command line
WINE_START_TIMEOUT = 120

PROMPT_END = "输入要开的浏览器数量后按回车：".encode("utf-8")
MESSAGE_END = "运行该软件。".encode("utf-8")
NOT_MADE_START = "浏览器资料文件夹无法创建".encode("utf-8")


def windows_name(path):
    """The name Wine gives a Unix path, through its Z: drive."""
    return "Z:" + path.replace("/", "\\")


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
                       TZ="UTC", ZV_BROWSER_LOG=winepath("-w", cls.log))
        cls.temp = subprocess.run([WINE_RUN, "cmd", "/c", "echo %TEMP%"], capture_output=True,
                                  env=cls.env).stdout.decode(errors="replace").strip()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def setUp(self):
        self.work = tempfile.mkdtemp(dir=self.root)
        if os.path.exists(self.log):
            os.remove(self.log)

    def run_tool(self, temp=None):
        """The program, with its own TEMP when one is given (the prefix's stays)."""
        if temp is None:
            return Run([WINE_RUN, EXE], self.work, self.env, raw=True)
        script = os.path.join(self.work, "..", os.path.basename(self.work) + ".bat")
        with open(script, "w") as f:
            f.write('@set "TMP="\r\n@set "TEMP=%s"\r\n@"%s"\r\n' % (temp, windows_name(EXE)))
        return Run([WINE_RUN, "cmd", "/c", windows_name(script)], self.work, self.env, raw=True)

    def start_one(self, path_file, temp=None):
        """Runs the program for one start; its command line."""
        with open(os.path.join(self.work, "path.txt"), "w") as f:
            f.write(path_file)
        run = self.run_tool(temp)
        run.read_until(PROMPT_END, timeout=WINE_START_TIMEOUT)
        run.type("1")
        self.assertEqual(run.finish(timeout=60), 0)
        starts = self.starts()
        self.assertEqual(len(starts), 1, run.output)
        return starts[0][1]

    def scratch_temp(self, name):
        temp = os.path.join(self.work, name)
        os.makedirs(temp)
        return temp

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
        self.assertEqual(folder.lower(), (self.temp + "\\zelmorvika\\" + name).lower())
        self.assertTrue(os.path.isdir(winepath("-u", folder)))

    def test_relative_path_file_starts_the_browser_in_the_working_folder(self):
        # A namesake beside the program must not run in its place.
        app = os.path.join(self.work, "app")
        os.makedirs(app)
        shutil.copy(FAKE, os.path.join(app, "fb.exe"))
        shutil.copy(FAKE, os.path.join(self.work, "fb.exe"))
        shutil.copy(EXE, app)
        with open(os.path.join(self.work, "path.txt"), "w") as f:
            f.write("fb.exe")
        run = Run([WINE_RUN, os.path.join(app, os.path.basename(EXE))], self.work, self.env,
                  raw=True)
        run.read_until(PROMPT_END, timeout=WINE_START_TIMEOUT)
        run.type("1")
        self.assertEqual(run.finish(timeout=60), 0)
        full = windows_name(os.path.join(self.work, "fb.exe"))
        self.assertTrue(self.starts()[0][1].lower().startswith('"%s" ' % full.lower()))

    def test_batch_file_wrapper_gets_a_folder_with_shell_characters_whole(self):
        temp = self.scratch_temp("R&D(1)")
        with open(os.path.join(self.work, "wrapper.bat"), "w") as f:
            f.write('@"%s" %%*\r\n' % self.browser)
        line = self.start_one("wrapper.bat", windows_name(temp))
        pattern = r'.* --user-data-dir="%s\\zelmorvika\\\d{13}"$' % re.escape(windows_name(temp))
        self.assertRegex(line, pattern)
        self.assertEqual(sorted(os.listdir(self.work)), ["R&D(1)", "path.txt", "wrapper.bat"])

    def test_taken_names_give_the_next_milliseconds(self):
        temp = self.scratch_temp("temp")
        now = int(time.time()) - 8 * 3600  # seconds from 1970-01-01 08:00, TZ=UTC
        taken = ["%d%03d" % (now + s, ms) for s in range(-1, 8) for ms in (0, 1)]
        for name in taken:
            os.makedirs(os.path.join(temp, "zelmorvika", name))
        line = self.start_one(self.browser, windows_name(temp))
        name = re.search(r"\\(\d{13})$", line).group(1)
        self.assertNotIn(name, taken)
        self.assertTrue(os.path.isdir(os.path.join(temp, "zelmorvika", name)))

    def test_no_temp_folder_or_none_made_starts_nothing_and_says_so(self):
        with open(os.path.join(self.work, "path.txt"), "w") as f:
            f.write(self.browser)
        in_the_way = os.path.join(self.work, "a-file")
        open(in_the_way, "w").close()
        # Too long for GetTempPathW; a file where the folder would go.
        for temp, shown in [(windows_name(self.work) + "\\" + "t" * 300, b"\r\n   zelmorvika\\"),
                            (windows_name(in_the_way), windows_name(in_the_way).encode())]:
            run = self.run_tool(temp)
            run.read_until(PROMPT_END, timeout=WINE_START_TIMEOUT)
            run.type("2")
            out = run.read_until(MESSAGE_END, timeout=60)
            self.assertIn(NOT_MADE_START, out)
            self.assertIn(shown, out)
            run.type("")
            self.assertEqual(run.finish(timeout=60), 0)
            self.assertEqual(self.starts(), [])
        self.assertEqual(sorted(os.listdir(self.work)), ["a-file", "path.txt"])

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
