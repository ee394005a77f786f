"""The program's texts and default paths for the end-to-end and package tests and
tools/measure; the texts are read from the unit tests' fixture, launcher/texts.hex."""
import os
import re

LINUX_BROWSER = "/usr/bin/google-chrome"  # the default browser of each build
WINDOWS_BROWSER = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "texts.hex")) as f:
    _PARTS = re.split(r"([A-Za-z0-9_]+)\s*=", re.sub(r"#[^\n]*", "", f.read()))[1:]
# Each text as written into a file or pipe (GBK), and as a UTF-8 terminal shows it.
GBK = {name: bytes.fromhex(digits) for name, digits in zip(_PARTS[::2], _PARTS[1::2])}
UTF8 = {name: text.decode("gbk").encode() for name, text in GBK.items()}


def words(name):  # the lines of a text without the blanks and the box around them
    return [line.strip(" *") for line in GBK[name].decode("gbk").split("\r\n") if line.strip(" *")]


PROMPT_END = words("count_prompt")[-1].encode()
# What every message that waits for Enter ends with: the ends its texts share.
MESSAGE_END = os.path.commonprefix(
    [UTF8[n][::-1] for n in UTF8 if n.endswith("_tail") and n != "temp_name_tail"])[::-1]
