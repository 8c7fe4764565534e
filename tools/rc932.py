#!/usr/bin/env python3
"""Edit the code page 932 resource script through UTF-8.

    tools/rc932.py decode resources/verrow.rc > /tmp/verrow.rc.utf8
    (edit the UTF-8 copy)
    tools/rc932.py encode /tmp/verrow.rc.utf8 > resources/verrow.rc

windres reads a double-byte character whose trail byte is 0x5C (ソ, 表, 能, 十, ...) as
the character plus a backslash escape; "encode" doubles such trail bytes, which windres
then reads back as the single character, and "decode" undoes it.
"""
import sys


def is_lead(b):
    return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC


def encode(text):
    raw = text.encode("cp932")
    out = bytearray()
    i = 0
    while i < len(raw):
        b = raw[i]
        if is_lead(b) and i + 1 < len(raw):
            out += raw[i:i + 2]
            if raw[i + 1] == 0x5C:
                out.append(0x5C)
            i += 2
        else:
            out.append(b)
            i += 1
    return bytes(out)


def decode(raw):
    out = bytearray()
    i = 0
    while i < len(raw):
        b = raw[i]
        if is_lead(b) and i + 1 < len(raw):
            out += raw[i:i + 2]
            i += 2
            if raw[i - 1] == 0x5C and i < len(raw) and raw[i] == 0x5C:
                i += 1
        else:
            out.append(b)
            i += 1
    return bytes(out).decode("cp932")


def main(argv):
    if len(argv) != 3 or argv[1] not in ("encode", "decode"):
        sys.exit(__doc__)
    with open(argv[2], "rb") as f:
        data = f.read()
    if argv[1] == "encode":
        sys.stdout.buffer.write(encode(data.decode("utf-8")))
    else:
        sys.stdout.buffer.write(decode(data).encode("utf-8"))


if __name__ == "__main__":
    main(sys.argv)
