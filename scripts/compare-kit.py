#!/usr/bin/env python3
"""Compares two release archives of TNInstall file by file.

    compare-kit.py [--exact] A.zip B.zip

Prints each archive's SHA-256, then one line per file: the verdict and the
file's SHA-256 in A and in B. The verdicts:
  identical        the same bytes
  same unsigned    a module that differs only by its Authenticode signature:
                   the same bytes once the signature is set aside (the
                   certificate table, its directory entry and the header
                   checksum, which signing rewrites)
  DIFFERS          anything else, or a file only one archive holds
Exit status 0 when no file differs (with --exact: when every file is
identical). A signed release compared with a build of its source shows its
modules as "same unsigned" and every other file as "identical".
"""
import hashlib
import struct
import sys
import zipfile


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def pe_unsigned(data):
    """The PE image without its signature, with the checksum zeroed; None
    when data is not a PE image."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, 0)
    if directories == optional:
        return None
    security = directories + 4 * 8
    offset, size = struct.unpack_from("<II", data, security)
    image = bytearray(data[:offset] if size else data)
    struct.pack_into("<I", image, optional + 64, 0)
    struct.pack_into("<II", image, security, 0, 0)
    return bytes(image)


def same_unsigned(a, b):
    ua, ub = pe_unsigned(a), pe_unsigned(b)
    if ua is None or ub is None:
        return False
    # Signing pads an image whose length is not a multiple of 8 with zeros.
    short, long_ = sorted((ua, ub), key=len)
    tail = long_[len(short):]
    return long_.startswith(short) and len(tail) < 8 and not tail.strip(b"\0")


def main(argv):
    exact = "--exact" in argv
    paths = [a for a in argv if a != "--exact"]
    if len(paths) != 2:
        sys.exit(__doc__.strip())
    archives = []
    for path in paths:
        with open(path, "rb") as f:
            print(f"{sha256(f.read())}  {path}")
        with zipfile.ZipFile(path) as z:
            archives.append({n: z.read(n) for n in z.namelist() if not n.endswith("/")})
    a, b = archives
    differs = 0
    for name in sorted(set(a) | set(b)):
        ha = sha256(a[name]) if name in a else "-" * 64
        hb = sha256(b[name]) if name in b else "-" * 64
        if name in a and name in b and a[name] == b[name]:
            verdict = "identical"
        elif name in a and name in b and not exact and same_unsigned(a[name], b[name]):
            verdict = "same unsigned"
        else:
            verdict = "DIFFERS"
            differs += 1
        print(f"{verdict:<13}  {ha}  {hb}  {name}")
    print(f"{differs} of {len(set(a) | set(b))} files differ")
    return 1 if differs else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
