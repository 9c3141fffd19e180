#!/bin/sh
# Unpacks Debian's fathom source package into FOLDER (once) and prints the
# folder of the unpacked source, which the release and cross builds compile
# into the engine. Usage: fathom-source.sh FOLDER
# apt-get fetches it; the install script adds the deb-src line it needs.
set -e
folder=$1
unpacked=$(ls -d "$folder"/fathom-*/src 2>/dev/null | head -n 1)
if [ -z "$unpacked" ]; then
    mkdir -p "$folder"
    (cd "$folder" && apt-get source -q fathom > fetch.log 2>&1) || {
        cat "$folder/fetch.log" >&2
        echo "Cannot fetch Debian's fathom source package: run scripts/install-deps.sh as root." >&2
        exit 1
    }
    unpacked=$(ls -d "$folder"/fathom-*/src | head -n 1)
fi
realpath "$(dirname "$unpacked")"
