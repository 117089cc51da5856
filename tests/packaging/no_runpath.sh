#!/bin/sh
# SPDX-License-Identifier: MIT
# Fails when a built program or module carries an RPATH or RUNPATH: the linker's install
# placeholder leaves empty entries, and an empty entry is the current folder.
command -v readelf >/dev/null || { echo "SKIP: readelf is not installed"; exit 77; }
status=0
for file in "$@"; do
    if readelf -d "$file" | grep -E '\((RPATH|RUNPATH)\)'; then
        echo "FAIL: $file"
        status=1
    fi
done
exit $status
