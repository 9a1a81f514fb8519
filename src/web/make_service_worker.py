#!/usr/bin/env python3
"""make_service_worker.py: writes the site's service worker once the site folder is complete.

Usage: make_service_worker.py SITE_FOLDER WORKER_SOURCE

Writes SITE_FOLDER/<the source's file name>: the source with 'use strict' and two definitions in
front of it, SITE_FILES (every other file of the folder with the SHA-256 digest a fetch's
integrity check takes) and BUILD (a digest of those files and of the source). Any changed file
gives another BUILD, and so another cache. Python 3 standard library only.
"""

import base64
import hashlib
import json
import os
import sys

BUILD_DIGITS = 16  # hex digits of the site's digest that name the build


def site_files(folder, worker_name):
    """(name, digest) of every file in FOLDER but the worker, sorted by name."""
    files = []
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if name == worker_name:
            continue
        if not os.path.isfile(path):
            sys.exit("make_service_worker.py: %s is not a file; the site is one flat folder" % path)
        with open(path, "rb") as f:
            files.append((name, hashlib.sha256(f.read()).digest()))
    return files


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, source = sys.argv[1:]
    worker_name = os.path.basename(source)
    with open(source, encoding="utf-8") as f:
        code = f.read()
    files = site_files(folder, worker_name)
    build = hashlib.sha256(code.encode("utf-8"))
    for name, digest in files:
        build.update(name.encode("utf-8") + b"\0" + digest)
    entries = ",\n".join("  [%s, %s]" % (json.dumps(name), json.dumps(
        "sha256-" + base64.b64encode(digest).decode("ascii"))) for name, digest in files)
    header = ("'use strict';\n"
              "// Written by the build: this build's name and its files with their digests.\n"
              "var BUILD = %s;\nvar SITE_FILES = [\n%s\n];\n\n"
              % (json.dumps(build.hexdigest()[:BUILD_DIGITS]), entries))
    with open(os.path.join(folder, worker_name), "w", encoding="utf-8") as f:
        f.write(header + code)


if __name__ == "__main__":
    main()
