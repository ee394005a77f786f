#!/usr/bin/env python3
"""Smoke test of a package for users: CPack makes it from this build, it is
unpacked as a user would, and the program, run from there in a folder without
path.txt, shows the not-found message. lintian must pass the .deb cleanly.
Usage: package_test.py deb BUILD_DIR | package_test.py zip BUILD_DIR WINE_RUN"""
import glob
import os
import subprocess
import sys
import tempfile
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../launcher/e2e"))
from texts import GBK, LINUX_BROWSER, WINDOWS_BROWSER  # noqa: E402


def run(*argv, **options):
    return subprocess.run(argv, capture_output=True, check=True, **options).stdout


def shows_the_message(argv, work, browser):
    """Runs it with standard input and output not a terminal: the wait for
    Enter returns at once, and the texts come as GBK bytes."""
    env = dict(os.environ, TMPDIR=work, LANG="C.UTF-8")
    out = run(*argv, cwd=work, env=env, stdin=subprocess.DEVNULL, timeout=180)
    if not os.path.exists(browser):  # a machine with the browser gets the prompt
        assert out.endswith(GBK["not_found_head"] + browser.encode() + GBK["not_found_tail"]), out
    assert os.listdir(work) == [], os.listdir(work)


def main(mode, build, wine_run=None):
    with tempfile.TemporaryDirectory(prefix="zv-package-", ignore_cleanup_errors=True) as root:
        work = tempfile.mkdtemp(dir=root)
        run("cpack", "-G", mode.upper(), "-B", root, cwd=build)
        (package,) = glob.glob(os.path.join(root, "*." + mode))
        if mode == "deb":
            fields = run("dpkg-deb", "-f", package, "Package", "Depends").decode()
            assert "Package: zelmorvika" in fields and "libc6" in fields, fields
            listed = run("dpkg-deb", "-c", package).decode().split("\n")
            files = [f.split()[-1] for f in listed if f and not f.endswith("/")]
            assert [f for f in files if "/share/" not in f] == ["./usr/bin/zelmorvika"], files
            subprocess.run(["lintian", "--fail-on", "error,warning", package], check=True)
            run("dpkg", "-x", package, os.path.join(root, "unpacked"))
            program = os.path.join(root, "unpacked", "usr", "bin", "zelmorvika")
            shows_the_message([program], work, LINUX_BROWSER)
            return
        top = os.path.basename(package)[: -len(".zip")]
        with zipfile.ZipFile(package) as z:
            names = sorted(n for n in z.namelist() if not n.endswith("/"))
            assert names == [top + "/README.txt", top + "/zelmorvika.exe"], names
            z.extractall(root)
            readme = z.read(top + "/README.txt")
        # UTF-8 with a byte-order mark and CR LF, so that every Notepad shows it.
        assert readme.startswith(b"\xef\xbb\xbf") and b"@" not in readme
        assert readme.count(b"\n") == readme.count(b"\r\n")
        text = readme.decode("utf-8-sig")
        assert all(w in text for w in ("path.txt", "ANSI", "使用方法", "How to use it")), text
        shows_the_message([wine_run, os.path.join(root, top, "zelmorvika.exe")], work,
                          WINDOWS_BROWSER)


if __name__ == "__main__":
    main(sys.argv[1], os.path.abspath(sys.argv[2]), *sys.argv[3:])
