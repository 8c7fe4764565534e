#!/usr/bin/env python3
"""Writes the large files of the bad-file corpus into a folder (default: build/bad-files).

They are generated rather than kept in the repository: a 50 MB entry file, one with
100,000 variables and one with lines of 1 MB. The output is the same on every run; a
file already there is left alone unless this script is newer. Files appear complete or
not at all.
"""
import os
import sys

MB = 1 << 20


def entry_head(name, use_custom_env=b"1"):
    return (b"[MoxEnvExec]\r\nAppName=" + name + b"\r\nAppPath=\\apps\\a.exe\r\nCmdOpt=-x\r\n"
            b"CurrentDir=\r\nUseCustomEnv=" + use_custom_env + b"\r\nOverWriteEnv=0\r\nStartUp=1\r\n"
            b"[MoxEnvExec_Env]\r\n")


def big_50mb():
    # About 25,000 variables of 2,000 bytes: text, double-byte characters (one with a
    # trail byte '\\', one with '|'), and a reference to the variable before. It starts
    # without composing an environment (that would be a block of about 100 MB).
    out = [entry_head(b"Big 50 MB", use_custom_env=b"0")]
    size = len(out[0])
    n = 0
    while size < 50 * MB:
        value = (b"%%B%d%%;" % max(n - 1, 0) + b"\x95\x5c\x83\x7c" * 100 +
                 (b"abcdefghij" * 200)[: 2000 - 400 - 10])
        line = b"ENV%04d_Key=B%d\r\nENV%04d_Val=%s\r\n" % (n, n, n, value)
        out.append(line)
        size += len(line)
        n += 1
    return b"".join(out)


def vars_100000():
    # Each value refers to the one before; one pair in the middle names the drive variable.
    out = [entry_head(b"100000 variables")]
    for n in range(100000):
        name = b"_verrow_drv_" if n == 50000 else b"V%d" % n
        out.append(b"ENV%04d_Key=%s\r\nENV%04d_Val=%%V%d%%;\\bin%d\r\n" % (n, name, n, max(n - 1, 0), n))
    return b"".join(out)


def lines_1mb():
    # A key name of 1 MB, a value of 1 MB, and a line of 1 MB without '='.
    return (b"[MoxEnvExec]\r\nAppName=Long lines\r\n" + b"K" * MB + b"=v\r\n" +
            b"AppPath=\\" + b"p" * MB + b"\r\n" + b"\x83\x41" * (MB // 2) + b"\r\nStartUp=1\r\n"
            b"[MoxEnvExec_Env]\r\nENV0000_Key=" + b"N" * MB + b"\r\nENV0000_Val=" + b"%" * MB + b"\r\n")


FILES = {
    "big-50mb.vrc": big_50mb,
    "vars-100000.vrc": vars_100000,
    "key-line-1mb.vrc": lines_1mb,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "bad-files")
    os.makedirs(folder, exist_ok=True)
    for name, make in FILES.items():
        path = os.path.join(folder, name)
        if os.path.exists(path) and os.path.getmtime(path) >= os.path.getmtime(__file__):
            continue
        temp = "%s.%d.part" % (path, os.getpid())
        with open(temp, "wb") as f:
            f.write(make())
        os.replace(temp, path)
    print(folder)


if __name__ == "__main__":
    main()
