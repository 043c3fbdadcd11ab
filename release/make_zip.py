#!/usr/bin/env python3
"""Writes the release zip and its SHA-256 file.

Usage: make_zip.py SOURCE_DIR ZIP FOLDER DIST_DIR FILE [FILE ...]

The zip holds FOLDER/ with the FILEs in it, under their paths within
DIST_DIR (the pictures drawn for a size in a folder of their own), and
ZIP.sha256 beside it reads "HASH  ZIP-NAME" as sha256sum writes it.

The same files make the same bytes, on any machine and in any folder: the
entries are sorted by name, carry no owner, no extra fields and one time,
and the permissions are fixed. That time is SOURCE_DATE_EPOCH when it is
set, else the time of the last commit of SOURCE_DIR, else 1980-01-01 (the
earliest a zip can hold).
"""

import hashlib
import os
import subprocess
import sys
import time
import zipfile

EARLIEST = (1980, 1, 1, 0, 0, 0)


def source_time(source_dir):
    """The one time of every entry, as the zip's (year, month, day, hour, minute, second) in UTC."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if epoch is None:
        try:
            # The checkout may belong to another user than the one building: reading its date is safe.
            epoch = subprocess.run(["git", "-c", "safe.directory=*", "-C", source_dir, "log", "-1", "--format=%ct"],
                                   capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            print("make_zip.py: no SOURCE_DATE_EPOCH and no git history: the files are dated 1980-01-01")
            return EARLIEST
    return max(EARLIEST, time.gmtime(int(epoch))[:6])


def entry(name, date_time, mode):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = 3  # Unix, so that unzip there applies the mode below
    info.external_attr = mode << 16
    return info


def write_zip(path, folder, dist_dir, files, date_time):
    names = {os.path.relpath(file, dist_dir).replace(os.sep, "/"): file for file in files}
    folders = {folder} | {f"{folder}/{os.path.dirname(name)}" for name in names if "/" in name}
    # Written aside and then put in place: a build cut short leaves no zip that looks whole.
    partial = path + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted([f + "/" for f in folders] + [f"{folder}/{name}" for name in names]):
            if name.endswith("/"):
                directory = entry(name, date_time, 0o40755)
                directory.external_attr |= 0x10  # the MS-DOS directory flag
                archive.writestr(directory, b"")
                continue
            with open(names[name[len(folder) + 1:]], "rb") as f:
                data = f.read()
            mode = 0o100755 if name.lower().endswith(".exe") else 0o100644
            archive.writestr(entry(name, date_time, mode), data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(partial, path)


def main(argv):
    if len(argv) < 6:
        print(f"usage: {os.path.basename(argv[0])} SOURCE_DIR ZIP FOLDER DIST_DIR FILE [FILE ...]", file=sys.stderr)
        return 2
    source_dir, path, folder, dist_dir, files = argv[1], argv[2], argv[3], argv[4], argv[5:]
    write_zip(path, folder, dist_dir, files, source_time(source_dir))
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(path + ".sha256", "w", encoding="ascii", newline="\n") as f:
        f.write(f"{digest}  {os.path.basename(path)}\n")
    print(f"make_zip.py: wrote {path} and {os.path.basename(path)}.sha256")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
