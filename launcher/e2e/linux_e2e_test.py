#!/usr/bin/env python3
"""End-to-end runs of the Linux program in a pseudo-terminal, with a fake
browser that records its arguments, a scratch working folder and TMPDIR."""
import os
import shutil
import signal
import stat
import sys
import tempfile
import time
import unittest

from terminal_run import Run, Scratch

GREEN = b"\x1b[92;49m"
RED = b"\x1b[91;49m"


def gbk(text):
    return text.encode("gbk")


BANNER_TITLE = "欢迎使用Kovo谷歌浏览器多开工具"
PROMPT_END = "输入要开的浏览器数量后按回车："
NOT_FOUND_START = "谷歌浏览器程序未找到"

RESET = b"\x1b[0m"


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
        self.assertTrue(out.endswith(RESET), out[-20:])  # the terminal's own colours back

    def test_relative_and_quoted_browser_paths_start_the_file_that_was_checked(self):
        # Namesakes on the search path must not run in place of the files here.
        search = os.path.join(self.root, "bin")
        os.makedirs(os.path.join(self.work, "sub"))
        os.makedirs(search)
        for name in ["fb", "-browser", "sub/fb"]:
            self.fake_browser(os.path.join(self.work, name))
            self.fake_browser(os.path.join(search, os.path.basename(name)))
        env = self.env()
        env["PATH"] = search + ":" + env["PATH"]
        quoted = b'"' + self.browser.encode() + b'"'
        for content in [b"fb", b"-browser", b"sub/fb", quoted]:
            self.write_path_file(content)
            run = self.start(env)
            run.read_until(gbk_to_utf8(PROMPT_END))
            run.type("1")
            self.assertEqual(run.finish(), 0, content)
        started = [program for _, program in self.starts(programs=True)]
        expected = [os.path.join(self.work, n) for n in ["fb", "-browser", "sub/fb"]]
        self.assertEqual(started, expected + [self.browser])

    def test_full_width_count_and_blank_padded_path_file(self):
        self.write_path_file(b"  \xa1\xa1" + self.browser.encode() + b" \xa1\xa1 ")
        run = self.run_to_prompt()
        run.type("２")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 2)

    def test_counts_that_are_not_positive_32_bit_numbers_start_nothing(self):
        self.write_path_file(self.browser.encode())
        # The last two would wrap around to 1,215,752,191 and to 2.
        for typed in ["abc", "-1", "0", "", "99999999999", "４２９４９６７２９８"]:
            run = self.run_to_prompt()
            run.type(typed)
            self.assertEqual(run.finish(), 0, typed)
            self.assertEqual(self.starts(), [], typed)
            self.assertEqual(self.folders(), [], typed)
            self.assertFalse(RED in run.output)

    def test_folder_with_blanks_or_shell_characters_reaches_the_browser_as_one_argument(self):
        self.write_path_file(self.browser.encode())
        for name in ["my temp", "R&D (1)|<x>^"]:
            spaced = os.path.join(self.root, name)
            os.makedirs(spaced)
            run = self.run_to_prompt(spaced)
            run.type("1")
            self.assertEqual(run.finish(), 0)
            folders = self.folders(spaced)
            self.assertEqual(len(folders), 1)
            expected = "--user-data-dir=" + os.path.join(spaced, "zelmorvika", folders[0])
            self.assertEqual(self.starts()[-1][1], [expected])

    def test_missing_browser_shows_the_message_in_red_and_waits_for_enter(self):
        for content in [None, self.browser.encode() + b"\r\n", b"   ", b""]:
            if content is None:
                path_file = os.path.join(self.work, "path.txt")
                if os.path.exists(path_file):
                    os.remove(path_file)
            else:
                self.write_path_file(content)
            run = self.start()
            out = run.read_until(gbk_to_utf8("运行该软件。"))
            self.assertIn(RED + gbk_to_utf8("   \r\n   " + NOT_FOUND_START), out)
            if content is None:
                self.assertIn(b"\r\n   /usr/bin/google-chrome\r\n", out)
            self.assertTrue(run.alive_after(0.3), "it must wait for Enter")
            run.type("")
            self.assertEqual(run.finish(), 0)
            self.assertTrue(run.output.endswith(RESET))
            self.assertEqual(self.starts(), [])
            self.assertEqual(self.folders(), [])

    def test_path_file_in_the_program_folder_is_not_seen(self):
        other = os.path.join(self.root, "elsewhere")
        os.makedirs(other)
        with open(os.path.join(self.root, "path.txt"), "wb") as f:
            f.write(self.browser.encode())
        run = self.start()
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
                os.execve(self.program, [self.program], self.env())
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
NOT_MADE_START = "浏览器资料文件夹无法创建".encode("utf-8")
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
        run = self.start()
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

    def test_path_a_command_line_cannot_carry_is_never_started(self):
        # The part before the quote would start, with the everyday profile.
        self.fake_browser(os.path.join(self.root, "a"))
        self.not_found(self.fake_browser(os.path.join(self.root, 'a"b')).encode())
        self.not_found(b'"' + self.browser.encode())

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
        run = self.start()
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

    def refused(self, tmpdir, start, **options):
        """The run starts nothing, says why in red and waits for Enter."""
        run = self.run_with(tmpdir, **options)
        out = run.read_until(MESSAGE_END)
        self.assertIn(RED + b"   \r\n   " + start, out)
        self.assertTrue(run.alive_after(0.3), "it must wait for Enter")
        run.type("")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.starts(), [])
        return out

    def test_temp_folder_where_nothing_can_be_made_gets_nothing_written(self):
        path = os.path.join(self.root, "a-file")
        with open(path, "w") as f:
            f.write("x")
        out = self.refused(path, NOT_MADE_START)
        self.assertIn(b"\r\n   " + path.encode() + b"/zelmorvika/", out)
        with open(path) as f:
            self.assertEqual(f.read(), "x")
        if os.geteuid() != 0:
            return
        locked = os.path.join(self.root, "locked")  # root's, read-only to the program
        os.makedirs(locked, mode=0o755)
        open(self.log, "a").close()
        os.chmod(self.log, 0o666)
        self.refused(locked, NOT_MADE_START, before_exec=as_nobody)
        self.assertEqual(tree(locked), [])

    def test_temp_folder_that_does_not_exist_is_made_private(self):
        path = os.path.join(self.root, "new", "tmp")
        run = self.run_with(path)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.folders(path)), 1)
        self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o700)
        self.assertEqual(len(self.starts()), 1)

    def test_relative_temp_folder_is_taken_against_the_working_folder(self):
        for relative in ["tmp", "a/b"]:
            run = self.run_with(relative)
            self.assertEqual(run.finish(), 0)
            path = os.path.join(self.work, relative)
            folders = self.folders(path)
            self.assertEqual(len(folders), 1, relative)
            expected = "--user-data-dir=" + os.path.join(path, "zelmorvika", folders[0])
            self.assertEqual(self.starts()[-1][1], [expected])
            self.assertEqual(stat.S_IMODE(os.stat(path).st_mode), 0o700)

    def test_temp_folder_gbk_or_the_system_cannot_name_is_refused(self):
        before = sorted(os.listdir(self.root))
        for name in ["\u0e44\u0e17\u0e22".encode(), b"caf\xe9"]:  # Thai; Latin-1 on UTF-8
            path = os.path.join(self.root.encode(), name)
            os.makedirs(path)
            self.refused(path, UNSAFE_START)
            self.assertEqual(os.listdir(path), [])
        self.assertEqual(len(os.listdir(self.root)), len(before) + 2)  # no "?" folder made

    def test_temp_folder_longer_than_260_characters_is_used_whole(self):
        path = os.path.join(self.root, *(["d" * 50] * 6))
        os.makedirs(path)
        run = self.run_with(path)
        self.assertEqual(run.finish(), 0)
        folders = self.folders(path)
        self.assertEqual(len(folders), 1)
        expected = "--user-data-dir=" + os.path.join(path, "zelmorvika", folders[0])
        self.assertEqual(self.starts()[0][1], [expected])


class FreshFolder(Scratch, unittest.TestCase):
    """Every run gets a folder of its own, even when its name is taken."""

    def setUp(self):
        super().setUp()
        self.write_path_file(self.browser.encode())

    def test_names_taken_by_an_earlier_run_or_a_clock_set_back_are_skipped(self):
        # Names of this second and the next few, as runs with a later clock left them.
        base = os.path.join(self.tmp, "zelmorvika")
        os.makedirs(base, mode=0o700)
        now = int(time.time()) - 8 * 3600  # seconds from 1970-01-01 08:00, TZ=UTC
        taken = ["%d%03d" % (now + s, ms) for s in range(-1, 4) for ms in (0, 1)]
        for name in taken:
            os.makedirs(os.path.join(base, name, "Default"))
        run = self.run_to_prompt()
        run.type("2")
        self.assertEqual(run.finish(), 0)
        fresh = sorted(set(self.folders()) - set(taken))
        self.assertEqual(len(fresh), 1)
        self.assertRegex(fresh[0], r"^\d{13}$")
        self.assertEqual(os.listdir(os.path.join(base, fresh[0])), [])
        expected = ["--user-data-dir=" + os.path.join(base, fresh[0])]
        self.assertEqual([args for _, args in self.starts()], [expected] * 2)

    def test_two_runs_at_once_get_two_folders(self):
        runs = [self.run_to_prompt() for _ in range(2)]
        for run in runs:
            run.type("1")
        self.assertEqual([run.finish() for run in runs], [0, 0])
        self.assertEqual(len(self.folders()), 2)
        self.assertEqual(len({args[0] for _, args in self.starts()}), 2)


class TerminalColours(Scratch, unittest.TestCase):
    """The terminal gets its own colours back however the run ends."""

    def setUp(self):
        super().setUp()
        self.write_path_file(self.browser.encode())

    def test_colours_come_back_after_ctrl_c_and_sigterm(self):
        run = self.run_to_prompt()
        run.send(b"\x03")
        self.assertEqual(run.finish(), -signal.SIGINT)
        self.assertTrue(run.output.endswith(RESET), run.output[-30:])
        run = self.run_to_prompt()
        run.type("5")
        time.sleep(0.3)
        os.kill(run.pid, signal.SIGTERM)
        self.assertEqual(run.finish(), -signal.SIGTERM)
        self.assertTrue(run.output.endswith(RESET), run.output[-30:])
        self.assertEqual(len(self.starts()), 1)

    def test_no_colour_sequences_with_no_color_or_a_dumb_terminal(self):
        for name, value in [("NO_COLOR", "1"), ("TERM", "dumb")]:
            env = self.env()
            env[name] = value
            run = self.start(env)
            run.read_until(gbk_to_utf8(PROMPT_END))
            run.type("1")
            self.assertEqual(run.finish(), 0)
            self.assertNotIn(b"\x1b[", run.output)


class BadStandardOutput(Scratch, unittest.TestCase):
    def setUp(self):
        super().setUp()
        self.write_path_file(self.browser.encode())

    def test_closed_standard_output_still_reads_the_count_and_starts(self):
        run = self.start(before_exec=lambda: os.close(1))
        time.sleep(0.5)
        run.type("2")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 2)

    def test_broken_pipe_on_standard_output_still_reads_the_count_and_starts(self):
        def broken_pipe():
            read_end, write_end = os.pipe()
            os.close(read_end)
            os.dup2(write_end, 1)

        run = self.start(before_exec=broken_pipe)
        time.sleep(0.5)
        run.type("1")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 1)


def gbk_to_utf8(text):
    return text.encode("utf-8")


if __name__ == "__main__":
    Scratch.PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
