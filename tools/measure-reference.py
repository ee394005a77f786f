#!/usr/bin/env python3
"""zelmorvika's job written as a plain Python script: the yardstick that
tools/measure compares the program with. Same texts, same browser lookup
(path.txt in the working folder, else /usr/bin/google-chrome), same profile
folder under the temporary-files folder, same 500 ms between starts."""
import os
import subprocess
import sys
import time

DEFAULT_BROWSER = "/usr/bin/google-chrome"

BANNER = (
    "\n   \n"
    "   **************************************************************\n"
    "   *                                                            *\n"
    "   *         欢迎使用Kovo谷歌浏览器多开工具                     *\n"
    "   *                                                            *\n"
    "   *              version 1.0.0                                 *\n"
    "   *                                                            *\n"
    "   *              o(*￣▽￣*)ブ                                 *\n"
    "   *                                                            *\n"
    "   **************************************************************\n"
)
PROMPT = "\n   \n   说吧，要开几个浏览器？\n\n   输入要开的浏览器数量后按回车："
NOT_FOUND = (
    "   \n   谷歌浏览器程序未找到，请查看谷歌浏览器目录地址是否是：\n   "
    + DEFAULT_BROWSER
    + "\n   \n   如果不是，请在运行目录下新建文件 path.txt 里面保存谷歌浏览器的真实地址后运行该软件。"
)


def leading_integer(text):
    """The number a text begins with, as atol reads it (0 when none)."""
    text = text.strip()
    sign, digits = 1, ""
    if text and text[0] in "+-":
        sign = -1 if text[0] == "-" else 1
        text = text[1:]
    for c in text:
        if not c.isdigit():
            break
        digits += c
    return sign * int(digits) if digits else 0


def main():
    sys.stdout.write("\x1b[92m" + BANNER)
    browser = DEFAULT_BROWSER
    if os.path.exists("path.txt"):
        with open("path.txt", encoding="gbk", errors="replace") as f:
            browser = f.read().strip(" \u3000")
    if not os.path.exists(browser):
        sys.stdout.write("\x1b[91m" + NOT_FOUND)
        sys.stdout.flush()
        sys.stdin.readline()
        return
    sys.stdout.write(PROMPT)
    sys.stdout.flush()
    count = leading_integer(sys.stdin.readline())
    now = time.time()
    stamp = "%d%03d" % (int(now), int(now * 1000) % 1000)
    folder = os.path.join(os.environ.get("TMPDIR") or "/tmp", "zelmorvika", stamp)
    for _ in range(count):
        os.makedirs(folder, exist_ok=True)
        subprocess.Popen(
            [browser, "--user-data-dir=" + folder],
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            start_new_session=True,
        )
        time.sleep(0.5)


if __name__ == "__main__":
    main()
