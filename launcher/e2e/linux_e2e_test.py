#!/usr/bin/env python3
"""End-to-end runs of the Linux program in a pseudo-terminal, with a fake
browser that records its arguments, a scratch working folder and TMPDIR."""
import os
import shutil
import stat
import sys
import tempfile
import time
import unittest

from terminal_run import Run

PROGRAM = None  # set from the command line

GREEN = b"\x1b[92;49m"
RED = b"\x1b[91;49m"


def gbk(text):
    return text.encode("gbk")


BANNER_TITLE = "欢迎使用Kovo谷歌浏览器多开工具"
PROMPT_END = "输入要开的浏览器数量后按回车："
NOT_FOUND_START = "谷歌浏览器程序未找到"

FAKE_BROWSER = """#!/bin/sh
# Records one start: the time, then each argument on a line of its own.
{ date +%s.%N; for a in "$@"; do printf '%s\\n' "$a"; done; echo ---; } >> "$ZV_BROWSER_LOG"
"""


class LinuxEndToEnd(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="zv-e2e-")
        self.work = os.path.join(self.root, "work")
        self.tmp = os.path.join(self.root, "tmp")
        os.makedirs(self.work)
        os.makedirs(self.tmp)
        self.log = os.path.join(self.root, "browser.log")
        self.browser = os.path.join(self.root, "fake-browser")
        with open(self.browser, "w") as f:
            f.write(FAKE_BROWSER)
        os.chmod(self.browser, 0o755)

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def env(self, tmpdir=None):
        env = {
            "PATH": "/usr/bin:/bin",
            "HOME": self.root,
            "LANG": "C.UTF-8",
            "TERM": "xterm",
            "ZV_BROWSER_LOG": self.log,
        }
        env["TMPDIR"] = tmpdir if tmpdir is not None else self.tmp
        return env

    def write_path_file(self, content):
        with open(os.path.join(self.work, "path.txt"), "wb") as f:
            f.write(content)

    def starts(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            records = f.read().split("---\n")[:-1]
        return [(float(r.split("\n")[0]), r.split("\n")[1:-1]) for r in records]

    def run_to_prompt(self, tmpdir=None):
        run = Run([PROGRAM], self.work, self.env(tmpdir))
        run.read_until(gbk_to_utf8(PROMPT_END))
        return run

    def folders(self, tmpdir=None):
        base = os.path.join(tmpdir or self.tmp, "zelmorvika")
        return sorted(os.listdir(base)) if os.path.isdir(base) else []

    def test_three_starts_share_one_fresh_private_folder_half_a_second_apart(self):
        self.write_path_file(self.browser.encode())
        run = self.run_to_prompt()
        begun = time.monotonic()
        run.type("3")
        self.assertEqual(run.finish(), 0)
        elapsed = time.monotonic() - begun
        out = run.output
        self.assertTrue(out.startswith(GREEN), out[:40])
        self.assertIn(gbk_to_utf8(BANNER_TITLE), out)
        self.assertIn("o(*￣▽￣*)ブ".encode("utf-8"), out)
        folders = self.folders()
        self.assertEqual(len(folders), 1)
        self.assertRegex(folders[0], r"^\d{13}$")
        self.assertTrue(folders[0].endswith("000"))
        folder = os.path.join(self.tmp, "zelmorvika", folders[0])
        self.assertEqual(stat.S_IMODE(os.stat(folder).st_mode), 0o700)
        starts = self.starts()
        self.assertEqual([args for _, args in starts], [["--user-data-dir=" + folder]] * 3)
        gaps = [b[0] - a[0] for a, b in zip(starts, starts[1:])]
        self.assertTrue(all(g > 0.4 for g in gaps), gaps)
        self.assertGreater(elapsed, 1.4)  # a pause after the last start too

    def test_full_width_count_and_blank_padded_path_file(self):
        self.write_path_file(b"  \xa1\xa1" + self.browser.encode() + b" \xa1\xa1 ")
        run = self.run_to_prompt()
        run.type("２")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 2)

    def test_counts_that_are_not_positive_numbers_start_nothing(self):
        self.write_path_file(self.browser.encode())
        for typed in ["abc", "-1", "0", ""]:
            run = self.run_to_prompt()
            run.type(typed)
            self.assertEqual(run.finish(), 0, typed)
            self.assertEqual(self.starts(), [], typed)
            self.assertEqual(self.folders(), [], typed)
            self.assertFalse(RED in run.output)

    def test_folder_with_a_space_reaches_the_browser_as_one_argument(self):
        spaced = os.path.join(self.root, "my temp")
        os.makedirs(spaced)
        self.write_path_file(self.browser.encode())
        run = self.run_to_prompt(spaced)
        run.type("1")
        self.assertEqual(run.finish(), 0)
        folders = self.folders(spaced)
        self.assertEqual(len(folders), 1)
        expected = "--user-data-dir=" + os.path.join(spaced, "zelmorvika", folders[0])
        self.assertEqual(self.starts()[0][1], [expected])

    def test_missing_browser_shows_the_message_in_red_and_waits_for_enter(self):
        for content in [None, self.browser.encode() + b"\r\n", b"   ", b""]:
            if content is None:
                path_file = os.path.join(self.work, "path.txt")
                if os.path.exists(path_file):
                    os.remove(path_file)
            else:
                self.write_path_file(content)
            run = Run([PROGRAM], self.work, self.env())
            out = run.read_until(gbk_to_utf8("运行该软件。"))
            self.assertIn(RED + gbk_to_utf8("   \r\n   " + NOT_FOUND_START), out)
            if content is None:
                self.assertIn(b"\r\n   /usr/bin/google-chrome\r\n", out)
            self.assertTrue(run.alive_after(0.3), "it must wait for Enter")
            run.type("")
            self.assertEqual(run.finish(), 0)
            self.assertEqual(self.starts(), [])
            self.assertEqual(self.folders(), [])

    def test_path_file_in_the_program_folder_is_not_seen(self):
        other = os.path.join(self.root, "elsewhere")
        os.makedirs(other)
        with open(os.path.join(self.root, "path.txt"), "wb") as f:
            f.write(self.browser.encode())
        run = Run([PROGRAM], self.work, self.env())
        run.read_until(gbk_to_utf8("运行该软件。"))
        run.type("")
        self.assertEqual(run.finish(), 0)

    def test_standard_input_that_is_not_a_terminal_reads_as_no_count(self):
        self.write_path_file(self.browser.encode())
        with open(os.devnull, "rb") as devnull:
            pid = os.fork()
            if pid == 0:
                os.chdir(self.work)
                os.dup2(devnull.fileno(), 0)
                out = os.open(os.path.join(self.root, "out"), os.O_WRONLY | os.O_CREAT)
                os.dup2(out, 1)
                os.execve(PROGRAM, [PROGRAM], self.env())
            _, status = os.waitpid(pid, 0)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)
        with open(os.path.join(self.root, "out"), "rb") as f:
            written = f.read()
        # Not a terminal: raw GBK bytes, no colour sequences.
        self.assertTrue(written.startswith(b"\r\n   \r\n   ****"))
        self.assertTrue(written.endswith(gbk(PROMPT_END)))
        self.assertEqual(self.starts(), [])


def gbk_to_utf8(text):
    return text.encode("utf-8")


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
