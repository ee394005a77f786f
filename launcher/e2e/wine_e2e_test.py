#!/usr/bin/env python3
"""End-to-end runs of the Windows program under Wine on a pseudo-terminal,
with a fake browser program that records its exact command line."""
import os
import re
import shutil
import subprocess
import sys
import unittest

from terminal_run import Scratch
from texts import GBK, WINDOWS_BROWSER, words

FAKE = WINE_RUN = None  # set from the command line
SHOWN = words("banner") + words("count_prompt")  # the lines a console shows
NOT_MADE, NOT_FOUND = (words(name + "_head")[0].encode() for name in ("not_made", "not_found"))


def windows_name(path):  # through Wine's Z: drive
    return "Z:" + path.replace("/", "\\")


class WineEndToEnd(Scratch, unittest.TestCase):
    def env(self, tmpdir=None):
        return dict(os.environ, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", TERM="xterm", TZ="UTC",
                    ZV_BROWSER_LOG=windows_name(self.log))

    def run_tool(self, path_file, count="1", temp=None):
        """The program, the count typed at its prompt; with its own TEMP when one is given."""
        self.write_path_file(path_file.encode("latin-1"))
        argv = [WINE_RUN, self.program]
        if temp is not None:
            script = self.write_script(os.path.join(self.root, "run.bat"),
                                       '@set "TMP="\r\n@set "TEMP=%s"\r\n@"%s"\r\n'
                                       % (temp, windows_name(self.program)))
            argv = [WINE_RUN, "cmd", "/c", windows_name(script)]
        return self.start(count, argv=argv, raw=True, timeout=120)

    def only_start(self, run):
        self.assertEqual(run.finish(timeout=60), 0)
        self.assertEqual(len(self.starts(programs=True)), 1, run.output)
        return self.starts(programs=True)[0][1]

    def test_starts_get_the_exact_command_line_and_one_folder_under_wine_temp(self):
        browser = windows_name(FAKE)
        self.assertEqual(self.run_tool(" " + browser + " ", "2").finish(timeout=60), 0)
        (first, line), (second, again) = self.starts(programs=True)
        self.assertEqual(line, again)
        self.assertGreater(second - first, 0.4)
        folder = re.fullmatch(re.escape('"%s" --user-data-dir=' % browser) +
                              r"(.*\\zelmorvika\\\d{13})", line).group(1)
        temp = subprocess.run([WINE_RUN, "cmd", "/c", "echo %TEMP%"], capture_output=True,
                              env=self.env()).stdout.decode(errors="replace").strip()
        self.assertEqual(folder.lower()[:len(temp)], temp.lower())
        self.assertTrue(os.path.isdir(subprocess.run(
            [WINE_RUN, "winepath", "-u", folder], capture_output=True).stdout.decode().strip()))

    def test_relative_path_file_starts_the_browser_in_the_working_folder(self):
        for folder in [self.root, self.work]:  # a namesake beside the program must not run
            shutil.copy(FAKE, os.path.join(folder, "fb.exe"))
        line = self.only_start(self.run_tool("fb.exe"))
        full = windows_name(os.path.join(self.work, "fb.exe"))
        self.assertTrue(line.lower().startswith('"%s" ' % full.lower()), line)

    def test_batch_file_wrapper_gets_a_folder_with_shell_characters_whole(self):
        temp = os.path.join(self.work, "R&D(1)")
        os.makedirs(temp)
        self.write_script(os.path.join(self.work, "wrapper.bat"),
                          '@"%s" %%*\r\n' % windows_name(FAKE))
        line = self.only_start(self.run_tool("wrapper.bat", temp=windows_name(temp)))
        folder = re.escape(windows_name(temp))
        self.assertRegex(line, r' --user-data-dir="%s\\zelmorvika\\\d{13}"$' % folder)
        self.assertEqual(sorted(os.listdir(self.work)), ["R&D(1)", "path.txt", "wrapper.bat"])

    def test_a_temp_folder_too_long_for_windows_starts_nothing_and_says_so(self):
        temp = windows_name(self.work) + "\\" + "t" * 300
        self.refused(self.run_tool(windows_name(FAKE), "2", temp), NOT_MADE, b"zelmorvika\\")
        self.assertEqual(os.listdir(self.work), ["path.txt"])

    def test_every_console_shows_the_texts_and_takes_full_width_digits(self):
        plain, utf8 = [WINE_RUN, self.program], [WINE_RUN, "cmd", "/c", "chcp 65001 >nul & " +
                                                 windows_name(self.program)]
        env = dict(self.env(), LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
        self.write_path_file(b"none.exe")  # the message; into a pipe, the GBK bytes
        self.refused(self.start(env=env, argv=utf8, raw=True), NOT_FOUND)
        piped = subprocess.run(plain, cwd=self.work, env=env, stdin=subprocess.DEVNULL,
                               capture_output=True, timeout=120).stdout
        self.assertEqual(piped, GBK["banner"] + GBK["not_found_head"] + WINDOWS_BROWSER.encode() +
                         GBK["not_found_tail"])
        self.write_path_file(windows_name(FAKE).encode())
        # Code pages 936, 950, 437, 932, then 65001.
        for locale, argv in [("zh_CN", plain), ("zh_TW", plain), ("en_US", plain),
                             ("ja_JP", plain), ("en_US", utf8)]:
            env = dict(self.env(), LANG=locale + ".UTF-8", LC_ALL=locale + ".UTF-8")
            run = self.start("２", env=env, argv=argv, raw=True, timeout=120)
            self.assertEqual(run.finish(timeout=60), 0)
            shown = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", run.output).decode()
            self.assertEqual([text for text in SHOWN if text not in shown], [], locale)
        self.assertEqual(len(self.starts()), 10)

    def test_path_file_in_each_encoding_notepad_saves_and_temp_folders_outside_gbk(self):
        browser = os.path.join(self.root, "浏览器", "fb.exe")
        os.makedirs(os.path.dirname(browser))
        shutil.copy(FAKE, browser)
        line = windows_name(browser) + "\r\n"  # ANSI, Unicode; the unit tests take every one
        for content in [line.encode("gbk"), b"\xff\xfe" + line.encode("utf-16-le")]:
            self.write_path_file(content)
            self.assertEqual(self.start("1", argv=[WINE_RUN, self.program], raw=True,
                                        timeout=120).finish(timeout=60), 0)
        for name in ["김민준", "Björn"]:  # made by their short names
            temp = os.path.join(self.work, name)  # set as an argument: a batch file cannot
            os.makedirs(temp)
            argv = [WINE_RUN, "cmd", "/c", "set", "TMP=&", "set", "TEMP=%s&" % windows_name(temp),
                    windows_name(self.program)]
            self.assertEqual(self.start("1", argv=argv, raw=True, timeout=120).finish(timeout=60), 0)
            self.assertRegex(os.listdir(os.path.join(temp, "zelmorvika"))[0], r"^\d{13}$")
        with open(self.log, "rb") as log:  # the command lines hold GBK
            self.assertEqual(log.read().count(b"\n---\n"), 4)

if __name__ == "__main__":
    Scratch.PROGRAM, FAKE, WINE_RUN = (os.path.abspath(a) for a in sys.argv[1:4])
    del sys.argv[1:4]
    unittest.main(verbosity=2)
