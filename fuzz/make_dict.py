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
for folder in ("scanner", "hall", "hermit"):
    for path in sorted((ROOT / folder).glob("*.[ch]*")):
        source = "\n".join(line for line in path.read_text(encoding="utf-8").splitlines()
                            if not line.lstrip().startswith("#include"))
        for match in LITERAL.finditer(source):
            text = match.group(1).encode("utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8")
            if text.strip() and len(text) <= 64:
                words.add(text.encode("cp1250"))
words.update({b"<BR>", b"<P>", b"\r\n", b"\n", b"\x1a", b"\x00", b". ", b", ", b":"})
for n, word in enumerate(sorted(words)):
    print(f'kw{n}="{escape(word)}"')
