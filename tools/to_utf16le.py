#!/usr/bin/env python3
"""Writes a UTF-8 text file as UTF-16LE with a byte-order mark and CRLF line ends."""
import sys

BOM = "\ufeff"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: to_utf16le.py SOURCE DEST")
    with open(sys.argv[1], encoding="utf-8") as source:
        text = source.read().replace("\r\n", "\n").replace("\n", "\r\n")
    with open(sys.argv[2], "wb") as dest:
        dest.write((BOM + text).encode("utf-16-le"))


if __name__ == "__main__":
    main()
