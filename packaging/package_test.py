#!/usr/bin/env python3
"""Smoke test of a package for users: CPack makes it from this build into a
scratch folder, it is unpacked as a user would, and the program runs from
there, in a folder without path.txt, where it shows the not-found message.
The .deb must pass lintian without errors or warnings.

  package_test.py deb BUILD_DIR           .deb, unpacked with dpkg -x
  package_test.py zip BUILD_DIR WINE_RUN  zip of the Windows program, run under Wine
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

MODE = BUILD = WINE_RUN = None  # set from the command line

NOT_FOUND = "谷歌浏览器程序未找到".encode("gbk")
TITLE = "欢迎使用Kovo谷歌浏览器多开工具".encode("gbk")
LINUX_BROWSER = "/usr/bin/google-chrome"
WINDOWS_BROWSER = b"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"


class Package(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="zv-package-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.work = self.folder("work")
        self.tmp = self.folder("tmp")

    def folder(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path)
        return path

    def make(self, generator, suffix):
        out = self.folder("out")
        subprocess.run(["cpack", "-G", generator, "-B", out], cwd=BUILD, check=True,
                       stdout=subprocess.DEVNULL)
        found = glob.glob(os.path.join(out, "*" + suffix))
        self.assertEqual(len(found), 1, found)
        return found[0]

    def run_program(self, argv):
        """Runs it with standard input and output not a terminal: the wait for
        Enter returns at once, and the texts come as GBK bytes."""
        env = dict(os.environ, TMPDIR=self.tmp, LANG="C.UTF-8")
        return subprocess.run(argv, cwd=self.work, env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=180)

    def test_deb_installs_the_program_as_usr_bin_zelmorvika(self):
        if MODE != "deb":
            self.skipTest("the Linux package")
        deb = self.make("DEB", ".deb")
        fields = subprocess.run(["dpkg-deb", "-f", deb, "Package", "Architecture", "Depends"],
                                capture_output=True, text=True, check=True).stdout
        self.assertIn("Package: zelmorvika", fields)
        self.assertIn("libc6", fields)  # dependencies found from the program
        files = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True,
                               check=True).stdout.split("\n")
        installed = [f.split()[-1] for f in files if f and not f.endswith("/")]
        self.assertEqual([f for f in installed if "/share/" not in f], ["./usr/bin/zelmorvika"])
        lint = subprocess.run(["lintian", "--fail-on", "error,warning", deb],
                              capture_output=True, text=True)
        self.assertEqual(lint.returncode, 0, lint.stdout + lint.stderr)

        scratch_root = self.folder("root")
        subprocess.run(["dpkg", "-x", deb, scratch_root], check=True)
        program = os.path.join(scratch_root, "usr", "bin", "zelmorvika")
        run = self.run_program([program])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn(TITLE, run.stdout)
        if os.path.exists(LINUX_BROWSER):  # a machine with the browser gets the prompt
            self.assertNotIn(NOT_FOUND, run.stdout)
        else:
            self.assertIn(NOT_FOUND, run.stdout)
            self.assertIn(LINUX_BROWSER.encode(), run.stdout)
        self.assertEqual(os.listdir(self.work), [])

    def test_zip_holds_the_program_and_readme_and_runs_unpacked(self):
        if MODE != "zip":
            self.skipTest("the Windows package")
        package = self.make("ZIP", ".zip")
        top = os.path.basename(package)[: -len(".zip")]
        with zipfile.ZipFile(package) as z:
            names = sorted(n for n in z.namelist() if not n.endswith("/"))
            self.assertEqual(names, [top + "/README.txt", top + "/zelmorvika.exe"])
            z.extractall(self.root)

        with open(os.path.join(self.root, top, "README.txt"), "rb") as f:
            readme = f.read()
        self.assertTrue(readme.startswith(b"\xef\xbb\xbf"))
        self.assertNotIn(b"@", readme)  # the version was filled in
        self.assertEqual(readme.count(b"\n"), readme.count(b"\r\n"))
        text = readme.decode("utf-8-sig")
        for words in ("path.txt", "ANSI", "使用方法", "How to use it"):
            self.assertIn(words, text)

        run = self.run_program([WINE_RUN, os.path.join(self.root, top, "zelmorvika.exe")])
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn(TITLE, run.stdout)
        self.assertIn(NOT_FOUND, run.stdout)
        self.assertIn(WINDOWS_BROWSER, run.stdout)


if __name__ == "__main__":
    MODE, BUILD = sys.argv[1], os.path.abspath(sys.argv[2])
    if MODE == "zip":
        WINE_RUN = sys.argv[3]
    unittest.main(argv=sys.argv[:1], verbosity=2)
