#!/bin/sh
# Installs a build into a temporary prefix and checks it as a desktop would see it: the files in
# their places, the menu entry and the AppStream metainfo accepted by the freedesktop tools, and
# the installed program started from elsewhere finding its data without -l.
#   scripts/check-install.sh BUILD_FOLDER
# Runs as the ctest test Install. The validators are used when they are installed
# (desktop-file-utils, appstream; scripts/setup.sh installs them).
set -eu
build=$1
prefix=$(mktemp -d /tmp/vyrex-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "install: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.vyrex.Vyrex
for f in bin/vyrex share/vyrex/data/vyrex2.vfs share/vyrex/data/catalog.vfs share/vyrex/systems \
         share/vyrex/marker share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/256x256/apps/$id.png \
         share/doc/vyrex/CREDITS; do
    [ -e "$prefix/$f" ] || fail "$f is not installed"
done
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "the menu entry is not valid"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml" >"$prefix/as.txt" 2>&1 ||
        { cat "$prefix/as.txt" >&2; fail "the metainfo is not valid"; }
fi

# Started from a folder without packs, with no display: it finds share/vyrex, runs ten frames on
# SDL's dummy driver and ends. (Not the offscreen driver: that loads the system's GL library,
# whose own leaks the sanitizer build's leak checker would report.) The log goes where the
# program folder allows.
run=$(mktemp -d /tmp/vyrex-run-XXXXXX)
trap 'rm -rf "$prefix" "$run"' EXIT
(cd "$run" && SDL_VIDEODRIVER=dummy VYREX_EXIT_AFTER_FRAMES=10 XDG_CONFIG_HOME="$run/config" \
    XDG_STATE_HOME="$run/state" "$prefix/bin/vyrex" -c -d) || fail "the installed program did not run"
log="$prefix/share/vyrex/vyrex.log"
[ -w "$prefix/share/vyrex" ] || log="$run/state/vyrex/vyrex.log"
[ -f "$log" ] || fail "no log at $log"
grep -q "PATH:$prefix/share/vyrex" "$log" || fail "the program folder is not the installed data"
echo "install: $prefix checked"
