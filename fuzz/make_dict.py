#!/usr/bin/env python3
"""Writes the libFuzzer dictionary: every Windows-1250 literal of the engine's sources
(trigger phrases, solver keywords, statement and clue phrases, number words) plus the
marks, so the fuzzers reach the puzzle code quickly. Usage: fuzz/make_dict.py > fuzz/talvorix.dict"""
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
LITERAL = re.compile(r'(?<![\w])(?:u8)?"((?:[^"\\]|\\.)*)"')


def escape(raw: bytes) -> str:
    return "".join(chr(b) if 0x20 <= b < 0x7F and b not in (0x22, 0x5C) else f"\\x{b:02X}" for b in raw)


words = set()
for folder in ("core", "scanner", "hall", "hermit"):
    for path in sorted((ROOT / folder).glob("*.[ch]*")):
        source = "\n".join(line for line in path.read_text(encoding="utf-8").splitlines()
                            if not line.lstrip().startswith("#include"))
        for match in LITERAL.finditer(source):
            raw = match.group(1).encode("utf-8").decode("unicode_escape").encode("latin-1")
            try:
                word = raw.decode("utf-8").encode("cp1250")
            except (UnicodeDecodeError, UnicodeEncodeError):
                word = raw  # bytes written as escapes, such as a byte order mark
            if word.strip() and len(word) <= 64:
                words.add(word)
words.update({b"<BR>", b"<P>", b"\r\n", b"\n", b"\x1a", b"\x00", b". ", b", ", b":"})
words.update({b"<br>", b"<br />", b"</p><p>", b"\xc5\x91", b"\x00<\x00b\x00r\x00>"})  # saved pages
words.update({b"<!--", b"-->", b"MIME-Version: 1.0\r\n", b"Content-Type: multipart/related; boundary=",
              b"\r\n--", b"Content-Type: text/html", b"Content-Transfer-Encoding: ", b"quoted-printable",
              b"base64", b"charset=", b"=\r\n", b"\r\n\r\n"})  # single-file saves
for n, word in enumerate(sorted(words)):
    print(f'kw{n}="{escape(word)}"')
