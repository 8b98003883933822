#!/bin/sh
# Checks the layers of src/ (docs/architecture.md) and prints every offence as file:line: what.
#   scripts/check-layers.sh [SOURCE_ROOT]
# Fails (exit 1) when a source includes a header of a layer above its own or another layer's
# private header, when a call to the machine (files, clocks, modules, environment, standard
# streams, SDL, POSIX headers) appears outside src/platform, or when the camera's flags or
# records are written outside src/navigation.
set -eu
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Bottom to top; a folder may include its own headers and those of the folders before it.
LAYERS="platform base vfs video catalog navigation render systems console zwindows extensions launcher program"

rank() {
    r=0
    for l in $LAYERS; do
        [ "$l" = "$1" ] && { echo $r; return; }
        r=$((r + 1))
    done
    echo -1
}

status=0
report() {
    echo "$1"
    status=1
}

# Private headers: only their own folder includes them.
private_header() {
    case "$1" in
        */*_internal.h | render/lists.h | platform/backend.h | navigation/camera_edit.h) return 0 ;;
    esac
    return 1
}

for file in $(find src -name '*.cpp' -o -name '*.h' | sort); do
    layer=$(echo "$file" | cut -d/ -f2)
    own=$(rank "$layer")
    if [ "$own" -lt 0 ]; then
        report "$file:1: not in a layer folder of src/ ($LAYERS)"
        continue
    fi

    # Includes of a layer above, and of another layer's private headers.
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | while IFS= read -r line; do
        number=${line%%:*}
        header=$(echo "$line" | sed 's/.*"\(.*\)".*/\1/')
        target=${header%%/*}
        [ "$target" = "$header" ] && continue
        other=$(rank "$target")
        if [ "$other" -gt "$own" ]; then
            echo "$file:$number: $layer includes $header of $target, a layer above it"
        elif [ "$target" != "$layer" ] && private_header "$header"; then
            # The platform's backends share its private parts.
            [ "$layer" = platform ] || echo "$file:$number: $layer includes $header, private to $target"
        fi
    done > /tmp/check-layers.$$
    if [ -s /tmp/check-layers.$$ ]; then
        cat /tmp/check-layers.$$
        status=1
    fi
    rm -f /tmp/check-layers.$$

    [ "$layer" = platform ] && continue

    # Calls to the machine outside the platform.
    if grep -nE '#[[:space:]]*include[[:space:]]*<(unistd\.h|fcntl\.h|dlfcn\.h|dirent\.h|termios\.h|pthread\.h|poll\.h|signal\.h|sys/[^>]*|SDL[^>]*|filesystem|fstream|chrono|thread|ctime|time\.h)>' "$file" |
        sed "s|^\([0-9]*\):\(.*\)|$file:\1: the machine is reached through src/platform only: \2|" | grep . ; then
        status=1
    fi
    if grep -nE '(^|[^_[:alnum:]:.>])(std::)?(fopen|freopen|fdopen|tmpfile|popen|system|getenv|setenv|dlopen|dlsym|remove|rename|fprintf|printf|puts|exit|time|clock|gmtime_r|localtime_r|nanosleep|usleep)[[:space:]]*\(|std::(filesystem|chrono|this_thread|cout|cerr)|(^|[^_[:alnum:]])::(open|read|write|close|stat|fstat|pread|unlink|access)[[:space:]]*\(|(stdout|stderr)' "$file" |
        grep -vE '^[0-9]+:[[:space:]]*//' |
        sed "s|^\([0-9]*\):\(.*\)|$file:\1: the machine is reached through src/platform only: \2|" | grep . ; then
        status=1
    fi

    [ "$layer" = navigation ] && continue

    # The camera belongs to navigation: its flags and records change through its operations.
    if grep -nE '(^|[^_[:alnum:]])(camera::)?(rebuildSky|lockChanged|systemReload|frameChanged)[[:space:]]*([-+*/|&^]?=[^=]|\+\+|--)' "$file" |
        sed "s|^\([0-9]*\):\(.*\)|$file:\1: the camera's flags change through navigation's operations: \2|" | grep . ; then
        status=1
    fi
done

[ "$status" -eq 0 ] && echo "layers: no offence in src/"
exit "$status"
