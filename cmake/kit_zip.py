#!/usr/bin/env python3
"""Writes a ZIP archive whose bytes depend only on the files' contents.

    kit_zip.py <folder> <archive.zip> <seconds since 1970>

Every file below <folder> goes in under its path relative to <folder>, in
byte order of those paths, deflated at level 9, with the given time (as UTC,
so the builder's time zone does not show), mode 755 for modules and 644 for
the rest, and no extra fields (no owner, no access times).
"""
import os
import sys
import time
import zipfile

EXECUTABLE_SUFFIXES = (".dll", ".exe")


def main(folder, archive, epoch):
    stamp = time.gmtime(int(epoch))[:6]
    paths = []
    for root, _dirs, files in os.walk(folder):
        for name in files:
            full = os.path.join(root, name)
            paths.append(os.path.relpath(full, folder).replace(os.sep, "/"))
    paths.sort(key=lambda p: p.encode("utf-8"))
    with zipfile.ZipFile(archive, "w") as out:
        for path in paths:
            info = zipfile.ZipInfo(path, date_time=stamp)
            info.create_system = 3  # Unix, so that the mode below is read
            mode = 0o755 if path.lower().endswith(EXECUTABLE_SUFFIXES) else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(folder, path), "rb") as data:
                out.writestr(info, data.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip())
    main(*sys.argv[1:])
