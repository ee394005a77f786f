#!/usr/bin/env python3
"""Another user races the Linux program in a shared sticky folder: a real
attack, bounded in time, run as its own test since it takes most of a minute."""
import os
import shutil
import signal
import stat
import sys
import time
import unittest

from linux_e2e_test import NOBODY, Case, as_nobody, tree
from terminal_run import MESSAGE_END, Scratch


def attack(shared, targets, stop_at):
    """Until `stop_at`, in bursts with quiet moments between them: keeps a
    link, then its own open folder, where the program makes or checks its
    own, flipping them every few milliseconds."""
    spare = os.path.join(shared, ".spare")
    entries = [os.path.join(shared, "zelmorvika"), os.path.join(shared, "u")]

    def attempt(*steps):
        for step in steps:
            try:
                step()
            except OSError:
                pass

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
        pid = os.fork()
        if pid == 0:
            try:
                as_nobody()
                attack(shared, [attacker, home], time.monotonic() + 60)
            finally:
                os._exit(0)
        trials = refused = 0
        deadline = time.monotonic() + 45
        try:
            while time.monotonic() < deadline and trials < 400:
                for entry in ["zelmorvika", "u"]:  # the user's own from the last trial
                    path = os.path.join(shared, entry)
                    try:
                        st = os.lstat(path)
                    except FileNotFoundError:  # the attacker's, just gone
                        continue
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
                    self.assertTrue(folder.startswith(shared + "/"), folder)
                    self.assertEqual(os.path.realpath(folder), folder)
                    self.assertEqual((stat.S_ISDIR(st.st_mode), st.st_uid, st.st_mode & 0o777),
                                     (True, 0, 0o700), folder)
                trials += 1
        finally:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
        self.assertEqual((tree(attacker), tree(home)), ([], []))  # nothing made through links
        print("race: %d trials, %d refused" % (trials, refused), file=sys.stderr)


if __name__ == "__main__":
    Scratch.PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
