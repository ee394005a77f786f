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

from terminal_run import Run, Scratch

PROGRAM = None  # set from the command line

GREEN = b"\x1b[92;49m"
RED = b"\x1b[91;49m"


def gbk(text):
    return text.encode("gbk")


BANNER_TITLE = "欢迎使用Kovo谷歌浏览器多开工具"
PROMPT_END = "输入要开的浏览器数量后按回车："
NOT_FOUND_START = "谷歌浏览器程序未找到"


class LinuxEndToEnd(Scratch, unittest.TestCase):
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


NOBODY = 65534
UNSAFE_START = "浏览器资料文件夹不安全".encode("utf-8")
MESSAGE_END = "运行该软件。".encode("utf-8")


def as_nobody():
    os.setgroups([])
    os.setgid(NOBODY)
    os.setuid(NOBODY)


def tree(path):
    """Every name below `path`."""
    return sorted(os.path.join(d, n) for d, ds, fs in os.walk(path) for n in ds + fs)


class SharedTempFolder(Scratch, unittest.TestCase):
    """Another user plants zelmorvika in the shared temporary folder first."""

    def refused(self, planted, target=None):
        self.write_path_file(self.browser.encode())
        run = self.run_to_prompt()
        run.type("2")
        out = run.read_until(MESSAGE_END)
        self.assertIn(RED + b"   \r\n   " + UNSAFE_START, out)
        self.assertIn(b"\r\n   " + planted.encode() + b"\r\n", out)
        self.assertTrue(run.alive_after(0.3), "it must wait for Enter")
        run.type("")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.starts(), [])
        if target is not None:
            self.assertEqual(tree(target), [])

    def test_planted_link_is_refused_and_nothing_is_written_through_it(self):
        target = os.path.join(self.root, "attacker")
        os.makedirs(target)
        planted = os.path.join(self.tmp, "zelmorvika")
        os.symlink(target, planted)
        if os.geteuid() == 0:
            os.lchown(planted, NOBODY, NOBODY)
            os.chown(target, NOBODY, NOBODY)
        self.refused(planted, target)

    def test_planted_world_writable_folder_is_refused_and_left_empty(self):
        planted = os.path.join(self.tmp, "zelmorvika")
        os.makedirs(planted)
        os.chmod(planted, 0o777)
        if os.geteuid() == 0:
            os.chown(planted, NOBODY, NOBODY)
        self.refused(planted, planted)

    def test_own_folder_from_an_earlier_run_is_used_again(self):
        os.makedirs(os.path.join(self.tmp, "zelmorvika"), mode=0o700)
        self.write_path_file(self.browser.encode())
        run = self.run_to_prompt()
        run.type("1")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 1)


class BadPathFile(Scratch, unittest.TestCase):
    """Whatever path.txt holds, the run ends normally and starts no stranger."""

    def not_found(self, content):
        self.write_path_file(content)
        run = Run([PROGRAM], self.work, self.env())
        run.read_until(MESSAGE_END, timeout=60)
        run.type("")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.starts(), [])
        self.assertEqual(self.folders(), [])

    def test_100_megabytes_give_the_not_found_message(self):
        self.not_found(b"a" * (100 << 20))

    def test_binary_junk_gives_the_not_found_message(self):
        self.not_found(bytes(range(1, 256)) * 40 + b"\x00\x01\xff")

    def test_path_ending_in_a_lone_lead_byte_gives_the_not_found_message(self):
        self.not_found(self.browser.encode() + b"\xd6")

    def test_invalid_gbk_gives_the_not_found_message(self):
        self.not_found(b"\xff\x80\xfe\x7f" + self.browser.encode())

    def test_utf8_byte_order_mark_is_kept_so_the_path_is_not_found(self):
        self.not_found(b"\xef\xbb\xbf" + self.browser.encode())

    def test_bytes_after_a_nul_are_ignored(self):
        self.write_path_file(self.browser.encode() + b"\x00junk \xd6")
        run = self.run_to_prompt()
        run.type("1")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 1)


class BadTerminalInput(Scratch, unittest.TestCase):
    def setUp(self):
        super().setUp()
        self.write_path_file(self.browser.encode())

    def test_count_line_of_5000_letters_starts_nothing(self):
        run = self.run_to_prompt()
        run.type("x" * 5000)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.starts(), [])

    def test_end_of_input_at_the_prompt_ends_the_run(self):
        run = self.run_to_prompt()
        run.send(b"\x04")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.starts(), [])

    def test_end_of_input_at_the_wait_for_enter_ends_the_run(self):
        os.remove(os.path.join(self.work, "path.txt"))
        run = Run([PROGRAM], self.work, self.env())
        run.read_until(MESSAGE_END)
        run.send(b"\x04")
        self.assertEqual(run.finish(), 0)

    def test_terminal_hanging_up_during_the_pauses_lets_the_starts_finish(self):
        run = self.run_to_prompt()
        run.type("3")
        time.sleep(0.2)
        run.hang_up()
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 3)


class BadTempFolder(Scratch, unittest.TestCase):
    def setUp(self):
        super().setUp()
        self.write_path_file(self.browser.encode())

    def run_with(self, tmpdir, typed="1", **options):
        run = self.run_to_prompt(tmpdir, **options)
        run.type(typed)
        return run

    def test_temp_folder_that_is_a_file_gets_nothing_written(self):
        path = os.path.join(self.root, "a-file")
        with open(path, "w") as f:
            f.write("x")
        run = self.run_with(path)
        self.assertEqual(run.finish(), 0)
        with open(path) as f:
            self.assertEqual(f.read(), "x")

    def test_temp_folder_that_does_not_exist_is_made_private(self):
        path = os.path.join(self.root, "new", "tmp")
        run = self.run_with(path)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.folders(path)), 1)
        self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o700)
        self.assertEqual(len(self.starts()), 1)

    def test_temp_folder_we_cannot_write_gets_nothing_written(self):
        if os.geteuid() != 0:
            self.skipTest("runs the program as another user")
        locked = os.path.join(self.root, "locked")
        os.makedirs(locked, mode=0o755)
        os.chmod(self.root, 0o755)
        open(self.log, "a").close()
        os.chmod(self.log, 0o666)  # the fake browser runs as that user too
        run = self.run_with(locked, before_exec=as_nobody)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(tree(locked), [])

    def test_temp_folder_gbk_cannot_name_is_refused(self):
        path = os.path.join(self.root, "\u0e44\u0e17\u0e22")
        os.makedirs(path)
        run = self.run_with(path)
        out = run.read_until(MESSAGE_END)
        self.assertIn(UNSAFE_START, out)
        run.type("")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.starts(), [])
        self.assertEqual(sorted(os.listdir(self.root)), sorted(["work", "tmp", path.split("/")[-1],
                                                                "fake-browser"]))

    def test_temp_folder_longer_than_260_characters_is_used_whole(self):
        path = os.path.join(self.root, *(["d" * 50] * 6))
        os.makedirs(path)
        run = self.run_with(path)
        self.assertEqual(run.finish(), 0)
        folders = self.folders(path)
        self.assertEqual(len(folders), 1)
        expected = "--user-data-dir=" + os.path.join(path, "zelmorvika", folders[0])
        self.assertEqual(self.starts()[0][1], [expected])


class BadStandardOutput(Scratch, unittest.TestCase):
    def setUp(self):
        super().setUp()
        self.write_path_file(self.browser.encode())

    def test_closed_standard_output_still_reads_the_count_and_starts(self):
        run = Run([PROGRAM], self.work, self.env(), before_exec=lambda: os.close(1))
        time.sleep(0.5)
        run.type("2")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 2)

    def test_broken_pipe_on_standard_output_still_reads_the_count_and_starts(self):
        def broken_pipe():
            read_end, write_end = os.pipe()
            os.close(read_end)
            os.dup2(write_end, 1)

        run = Run([PROGRAM], self.work, self.env(), before_exec=broken_pipe)
        time.sleep(0.5)
        run.type("1")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 1)


def gbk_to_utf8(text):
    return text.encode("utf-8")


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
