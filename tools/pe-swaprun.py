#!/usr/bin/env python3
"""Marks a Windows program to be run from memory when it is started from removable media
or from the network: the system then copies the whole program into memory at its start,
and pulling the stick no longer takes away code that it has not run yet (the messages
about what could not be saved, say). The header's checksum is made anew. The linker has no
option for these flags, and stripping drops them, so this runs after either.
    pe-swaprun.py EXE"""
import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800
FLAGS = REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP


def header_offsets(data):
    if data[:2] != b"MZ":
        sys.exit("not a Windows program: no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a Windows program: no PE header")
    # The file header's characteristics; the optional header's checksum, at the same
    # place in 32-bit and 64-bit programs.
    return pe + 4 + 18, pe + 24 + 64


def pe_checksum(data, at):
    total = 0
    padded = bytes(data) + b"\0" * (len(data) % 2)
    for index, (word,) in enumerate(struct.iter_unpack("<H", padded)):
        if index * 2 in (at, at + 2):
            continue  # the checksum itself counts as zero
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total & 0xFFFF) + len(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    flags_at, checksum_at = header_offsets(data)
    flags = struct.unpack_from("<H", data, flags_at)[0]
    struct.pack_into("<H", data, flags_at, flags | FLAGS)
    struct.pack_into("<I", data, checksum_at, pe_checksum(data, checksum_at))
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
