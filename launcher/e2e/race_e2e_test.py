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

from linux_e2e_test import MESSAGE_END, NOBODY, Scratch, as_nobody, tree


def attack(shared, targets, stop_at):
    """Another user's attack on the shared folder, until `stop_at`: plants,
    flips and moves links and its own open folders where the tool is about to
    make or check its own, as fast as it can."""
    planted = [os.path.join(shared, "zelmorvika"), os.path.join(shared, "u")]
    spare = os.path.join(shared, ".spare")
    while time.monotonic() < stop_at:
        for entry in planted:
            for target in targets:
                for step in (lambda: os.symlink(target, entry), lambda: os.unlink(entry),
                             lambda: os.mkdir(spare, 0o777), lambda: os.chmod(spare, 0o777),
                             lambda: os.rename(spare, entry), lambda: os.rmdir(entry),
                             lambda: os.rename(entry, spare)):
                    try:
                        step()
                    except OSError:
                        pass


class RacingAttacker(Scratch, unittest.TestCase):
    """Another user races the run in a shared sticky folder."""

    def test_browser_only_ever_gets_a_private_folder_reached_without_links(self):
        if os.geteuid() != 0:
            self.skipTest("needs a second user")
        self.write_path_file(self.browser.encode())
        shared = os.path.join(self.root, "shared")
        os.makedirs(shared)
        os.chmod(shared, 0o1777)
        home = os.path.join(self.root, "home")  # one of the user's own folders
        os.makedirs(home, mode=0o700)
        attacker = os.path.join(shared, "attacker")
        os.makedirs(attacker)
        os.chmod(attacker, 0o777)
        os.chown(attacker, NOBODY, NOBODY)
        pid = os.fork()
        if pid == 0:
            try:
                as_nobody()
                attack(shared, [attacker, home], time.monotonic() + 60)
            finally:
                os._exit(0)
        try:
            outcomes = self.trials(shared, deadline=time.monotonic() + 45)
        finally:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
        self.assertEqual(tree(attacker), [])
        self.assertEqual(tree(home), [])
        print("race trials: %d started, %d refused" % outcomes, file=sys.stderr)

    def trials(self, shared, deadline):
        started = refused = 0
        while time.monotonic() < deadline and started + refused < 60:
            for entry in ["zelmorvika", "u"]:  # the user's own, from the last trial
                path = os.path.join(shared, entry)
                try:
                    st = os.lstat(path)
                except FileNotFoundError:
                    continue
                if stat.S_ISDIR(st.st_mode) and st.st_uid == 0:  # nobody else can move it
                    shutil.rmtree(path)
            tmpdir = shared if (started + refused) % 2 == 0 else os.path.join(shared, "u", "tmp")
            before = len(self.starts())
            run = self.run_to_prompt(tmpdir)
            run.type("1")
            if self.ends_or_waits(run):
                refused += 1
                run.type("")
            self.assertEqual(run.finish(), 0)
            for _, args in self.starts()[before:]:
                self.assert_private_and_linkless(args[0][len("--user-data-dir="):], shared)
            started += len(self.starts()) - before
        return started, refused

    def ends_or_waits(self, run):
        """True when the run refused and waits for Enter, False when it ended."""
        deadline = time.monotonic() + 10
        while MESSAGE_END not in run.output:
            if time.monotonic() > deadline:
                raise AssertionError("neither ended nor refused: %r" % run.output)
            if not run._read(0.1):
                return False  # the terminal closed: the run ended
        return True

    def assert_private_and_linkless(self, folder, shared):
        self.assertTrue(folder.startswith(shared + "/"), folder)
        self.assertEqual(os.path.realpath(folder), folder)
        st = os.lstat(folder)
        self.assertTrue(stat.S_ISDIR(st.st_mode), folder)
        self.assertEqual((st.st_uid, stat.S_IMODE(st.st_mode)), (0, 0o700), folder)


if __name__ == "__main__":
    Scratch.PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
