#!/bin/sh
# Installs the Debian packages that building and testing Vyrex need, skipping those already
# present. Safe to run again; runs apt-get directly as root (CI) and through sudo otherwise.
#   scripts/setup.sh [PACKAGE...]
# Packages named as arguments are installed too: scripts that run the real program under an X
# server ask for theirs this way (scripts/bench-frame.sh: xvfb and Mesa's OpenGL).
set -eu

PACKAGES="cmake gcc g++ make pkg-config libsdl2-dev libgtest-dev libbenchmark-dev zlib1g-dev libstb-dev desktop-file-utils appstream dpkg-dev $*"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "setup: missing packages:$missing (run as root or install sudo)" >&2
    exit 1
fi

echo "setup: installing$missing"
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
