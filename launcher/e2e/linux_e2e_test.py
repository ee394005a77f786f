#!/usr/bin/env python3
"""End-to-end runs of the Linux program on a pseudo-terminal, in scratch folders."""
import contextlib
import multiprocessing
import os
import pwd
import shutil
import signal
import stat
import sys
import time
import unittest

from terminal_run import FAKE_BROWSER, OWN, Scratch
from texts import GBK, LINUX_BROWSER, MESSAGE_END, UTF8

GREEN, RED, RESET = b"\x1b[92;49m", b"\x1b[91;49m", b"\x1b[0m"
NOBODY = 65534


def as_user(uid):
    return lambda: (os.setgroups([]), os.setgid(uid), os.setuid(uid))


class Case(Scratch, unittest.TestCase):
    def refused(self, run, head, shown=b"", key=""):  # the message whose head is named
        super().refused(run, RED + UTF8[head + "_head"], shown, key)
        self.assertTrue(run.output.endswith(RESET))


class Flow(Case):
    def test_starts_share_one_fresh_private_folder_half_a_second_apart(self):
        self.write_path_file(b"  \xa1\xa1" + self.browser.encode() + b" \xa1\xa1 \x00junk")
        begun = time.monotonic()
        run = self.start("３")  # full-width digits count
        self.assertEqual(run.finish(), 0)
        self.assertGreater(time.monotonic() - begun, 1.4)  # a pause after the last start too
        self.assertTrue(run.output.startswith(GREEN + UTF8["banner"]))
        self.assertTrue(run.output.endswith(RESET))
        self.assertNotIn(b"browser-", run.output)  # the browser writes elsewhere
        starts = self.starts()
        folder = os.path.join(self.tmp, OWN, self.folders()[0])
        self.assertEqual([args for _, args in starts], [["--user-data-dir=" + folder]] * 3)
        self.assertTrue(all(b[0] - a[0] > 0.4 for a, b in zip(starts, starts[1:])))

    def test_path_file_that_names_no_usable_browser_gives_the_message(self):
        self.write_script(os.path.join(self.root, "a"))
        quoted = self.write_script(os.path.join(self.root, 'a"b')).encode()
        # path.txt beside the program goes unread, so the default is named; end
        # of input at the wait ends the run as Enter does.
        os.rename(os.path.join(self.work, "path.txt"), os.path.join(self.root, "path.txt"))
        self.refused(self.start(), "not_found", LINUX_BROWSER.encode() + b"\r\n", key=b"\x04")
        browser = self.browser.encode()
        for content in [b"   ", b"", b"a" * (100 << 20), bytes(range(1, 256)) * 40,
                        browser + b"\xd6", b"\xff\x80\xfe\x7f" + browser, quoted, b'"' + browser]:
            self.write_path_file(content)
            self.refused(self.start(), "not_found")
        self.assertEqual(self.folders(), [])

    def test_relative_and_quoted_browser_paths_start_the_file_that_was_checked(self):
        # Namesakes on the search path must not run in place of the files here.
        search = os.path.join(self.root, "bin")
        names = ["fb", "-browser", "sub/fb"]
        for name in names:
            self.write_script(os.path.join(self.work, name))
            self.write_script(os.path.join(search, os.path.basename(name)))
        env = dict(self.env(), PATH=search + ":/usr/bin:/bin")
        for content in [n.encode() for n in names] + [b'"' + self.browser.encode() + b'"']:
            self.write_path_file(content)
            self.assertEqual(self.start("1", env=env).finish(), 0)
        started = [program for _, program in self.starts(programs=True)]
        self.assertEqual(started, [os.path.join(self.work, n) for n in names] + [self.browser])


class PathFile(Case):
    def test_path_file_as_echo_writes_it_starts_a_gbk_path_and_names_what_gbk_lacks(self):
        # Characters GBK lacks, in the browser's path or the working folder, are named as such.
        self.write_path_file(self.write_script(os.path.join(self.root, "ö", "fb")).encode())
        self.refused(self.start(), "unusable")
        os.rename(self.work, self.work + "ö")
        self.work += "ö"
        self.write_script(os.path.join(self.work, "fb"))
        self.write_path_file(b"fb")
        self.refused(self.start(), "unusable", b"fb")
        browser = self.write_script(os.path.join(self.root, "浏览器", "fb"))
        self.write_path_file(browser.encode() + b"\n")  # as echo writes it; the unit tests read all
        self.assertEqual(self.start("1").finish(), 0)
        self.assertEqual([program for _, program in self.starts(programs=True)], [browser])


class TempFolder(Case):
    def test_folders_that_cannot_be_made_or_named_are_refused(self):
        a_file = self.browser  # where the folder would go
        self.refused(self.start("1", a_file), "not_made", (a_file + "/" + OWN + "/").encode())
        for name in ["\u0e44\u0e17\u0e22".encode(), b"caf\xe9"]:  # Thai; Latin-1 on UTF-8
            path = os.path.join(self.root.encode(), name)
            os.makedirs(path)
            self.refused(self.start("1", path), "temp_name")
            self.assertEqual(os.listdir(path), [])
        self.assertFalse([n for n in os.listdir(self.root) if "?" in n])


class Terminal(Case):
    def test_colours_come_back_after_ctrl_c_and_sigterm_and_stay_off_when_asked(self):
        interrupted, stopped = self.start(b"\x03"), self.start("5")
        time.sleep(0.3)
        os.kill(stopped.pid, signal.SIGTERM)
        for run, sig in [(interrupted, signal.SIGINT), (stopped, signal.SIGTERM)]:
            self.assertEqual(run.finish(), -sig)
            self.assertTrue(run.output.endswith(RESET))
        for name, value in [("NO_COLOR", "1"), ("TERM", "dumb")]:
            run = self.start("1", env=dict(self.env(), **{name: value}))
            self.assertEqual(run.finish(), 0)
            self.assertNotIn(b"\x1b[", run.output)
        self.assertEqual(len(self.starts()), 3)

    def test_big5_and_gbk_terminals_show_the_texts_and_take_their_own_full_width_digits(self):
        for locale, codec in [("zh_TW.BIG5", "big5"), ("zh_CN.GBK", "gbk")]:  # iconv; as it is
            run = self.start(env=dict(self.env(), LANG=locale))
            run.read_until(GBK["count_prompt"].decode("gbk").encode(codec, errors="replace"))
            run.type("２".encode(codec) + b"\r")
            self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 4)

    def test_lost_streams_neither_stop_the_starts_nor_lose_the_count(self):
        # The pipe's read end closes at the exec: a broken pipe, SIGPIPE not ignored as by a shell.
        for setup in [lambda: os.close(1), lambda: (signal.signal(signal.SIGPIPE, signal.SIG_DFL),
                                                    os.dup2(os.pipe()[1], 1))]:
            run = self.start(before_exec=setup)
            time.sleep(0.5)
            run.type("1")
            self.assertEqual(run.finish(), 0)
        run = self.start("3")
        time.sleep(0.2)
        os.close(run.fd)  # the terminal's window closed during the pauses
        run.fd = None
        self.assertEqual(run.finish(), 0)
        self.assertEqual(len(self.starts()), 5)


def attack(shared, targets, stop_at):
    """As another user until `stop_at`, in bursts with quiet moments between them: keeps a link,
    then its own open folder, where the program makes or checks its own, flipping every few ms."""
    as_user(NOBODY)()
    spare = os.path.join(shared, ".spare")
    entries = [os.path.join(shared, OWN), os.path.join(shared, "u")]

    def attempt(*steps):
        for step in steps:
            with contextlib.suppress(OSError):
                step()

    while time.monotonic() < stop_at:
        burst_end = time.monotonic() + 0.03
        while time.monotonic() < burst_end:
            for entry in entries:
                for target in targets:
                    attempt(lambda: os.symlink(target, entry))
                    time.sleep(0.002)
                    attempt(lambda: os.mkdir(spare, 0o777), lambda: os.chmod(spare, 0o777),
                            lambda: os.rename(spare, entry))  # replaces the link
                    time.sleep(0.002)
                    attempt(lambda: os.rename(entry, spare), lambda: os.rmdir(spare))
        for entry in entries:
            attempt(lambda: os.unlink(entry), lambda: os.rmdir(entry))
        time.sleep(0.04)


class RacingAttacker(Case):
    """Another user races the program in a shared sticky folder: a real attack."""

    def test_browser_only_ever_gets_a_private_folder_reached_without_links(self):
        if os.geteuid() != 0:
            self.skipTest("needs a second user")
        shared = os.path.join(self.root, "shared")
        home = os.path.join(self.root, "home")  # one of the user's own folders
        attacker = os.path.join(shared, "attacker")
        for folder, mode in [(shared, 0o1777), (home, 0o700), (attacker, 0o777)]:
            os.makedirs(folder)
            os.chmod(folder, mode)
        os.chown(attacker, NOBODY, NOBODY)
        spoiler = multiprocessing.Process(target=attack, args=(
            shared, [attacker, home], time.monotonic() + 60))
        spoiler.start()
        trials = refused = 0
        deadline = time.monotonic() + 39  # the shared-machine tests run beside it in that time
        try:
            while time.monotonic() < deadline and trials < 400:
                for entry in [OWN, "u"]:  # the user's own from the last trial
                    path = os.path.join(shared, entry)
                    with contextlib.suppress(FileNotFoundError):  # the attacker's, just gone
                        st = os.lstat(path)
                        if stat.S_ISDIR(st.st_mode) and st.st_uid == 0:  # nobody else moves it
                            shutil.rmtree(path)
                before = len(self.starts())
                run = self.start("1", shared if trials % 2 else os.path.join(shared, "u", "tmp"))
                if run.read_until(MESSAGE_END, or_end=True):  # refused: it waits for Enter
                    refused += 1
                    run.type("")
                self.assertEqual(run.finish(), 0)
                for _, args in self.starts()[before:]:
                    folder = args[0][len("--user-data-dir="):]
                    st = os.lstat(folder)
                    self.assertTrue(folder.startswith(shared + "/") and
                                    os.path.realpath(folder) == folder, folder)
                    self.assertEqual((stat.S_ISDIR(st.st_mode), st.st_uid, st.st_mode & 0o777),
                                     (True, 0, 0o700), folder)
                trials += 1
        finally:
            spoiler.kill()
            spoiler.join()
        self.assertEqual((os.listdir(attacker), os.listdir(home)), ([], []))  # none made by links
        print("race: %d trials, %d refused" % (trials, refused), file=sys.stderr)


class SharedMachine(Case):
    """Users that share one machine and its /tmp: A, a user id no account has, and B, nobody."""

    @classmethod
    def setUpClass(cls):
        if os.geteuid() != 0:
            raise unittest.SkipTest("needs two more users")
        cls.a = next(u for u in range(4242, 9999) if u not in {p.pw_uid for p in pwd.getpwall()})

    def setUp(self):
        super().setUp()
        os.chmod(self.tmp, 0o1777)
        os.chmod(self.log, 0o666)  # each account's browser records its start

    def test_each_account_gets_a_private_folder_of_its_own_and_none_is_refused(self):
        for users in [[self.a], [NOBODY], [self.a], [self.a, NOBODY]]:  # the last two at once
            runs = [self.start("1", before_exec=as_user(user)) for user in users]
            self.assertEqual([run.finish() for run in runs], [0] * len(users))
        folders = [args[0][len("--user-data-dir="):] for _, args in self.starts()]
        for folder in folders:
            st = os.stat(folder)
            self.assertEqual((stat.S_IMODE(st.st_mode), os.path.dirname(folder)),
                             (0o700, "%s/zelmorvika-%d" % (self.tmp, st.st_uid)))
        self.assertEqual(sorted(os.stat(f).st_uid for f in folders), [self.a] * 3 + [NOBODY] * 2)

    def test_only_files_of_the_user_or_root_decide_what_runs(self):
        self.work = self.tmp  # a working folder shared as /tmp is: sticky, open to all

        def owned(name, uid, content=None):
            path = os.path.join(self.work, name)
            if content is not None:
                self.write_script(path, content)
            os.lchown(path, uid, uid)

        def refused_for(culprit):
            shown = os.path.join(self.work, culprit).encode() + UTF8["foreign_middle"] + b"nobody"
            shown += UTF8["foreign_tail"]
            self.refused(self.start(before_exec=as_user(self.a)), "foreign", shown)
            os.unlink(os.path.join(self.work, "path.txt"))

        owned("path.txt", NOBODY, self.browser)  # B's path.txt
        refused_for("path.txt")
        owned("mine.txt", self.a, self.browser)
        os.symlink("mine.txt", os.path.join(self.work, "path.txt"))  # B's link to A's own
        owned("path.txt", NOBODY)
        refused_for("path.txt")
        owned("fast-browser", NOBODY, FAKE_BROWSER)  # planted by B where A's would go
        owned("path.txt", self.a, "fast-browser")
        refused_for("fast-browser")
        owned("my-browser", self.a, FAKE_BROWSER)
        for owner, browser in [(self.a, "my-browser"), (0, self.browser)]:  # A's, then root's
            owned("path.txt", owner, browser)
            self.assertEqual(self.start("1", before_exec=as_user(self.a)).finish(), 0)
        started = [program for _, program in self.starts(programs=True)]
        self.assertEqual(started, [os.path.join(self.work, "my-browser"), self.browser])


if __name__ == "__main__":
    Scratch.PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
