#!/usr/bin/env bash
# Regenerates the program pack's contents in data/vyrex2/ (fonts, sprites, body mesh, surface and
# colour maps, nebula models, interface bitmaps) from public data with the project's own tools.
#
#   tools/build_assets.sh [STELLARIUM_DIR HERSHEY_DIR XFONTS_DIR]
#
# The three folders are unpacked data roots: …/usr/share/stellarium, …/usr/share/hershey-fonts
# and …/usr/share/fonts/X11/misc. Without them the Debian packages stellarium-data,
# hershey-fonts-data and xfonts-base are fetched with apt-get download into CACHE_DIR (default
# build-assets/packages) and unpacked there with dpkg -x; only their data files are read.
# PREVIEW_DIR, if set, receives PNG pictures of every generated file. The tools are built in
# build-assets (BUILD_DIR overrides).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-assets}
cache=${CACHE_DIR:-$build/packages}
out=$root/data/vyrex2

# Versions the committed files were made from; another version still builds, with a warning.
declare -A tested=([stellarium-data]=0.22.2-1 [hershey-fonts-data]=0.1-1.1 [xfonts-base]=1:1.0.5+nmu1)

unpack() {  # package → prints the unpacked root
  local pkg=$1 dir=$cache/$1
  if [ ! -d "$dir/usr/share" ]; then
    mkdir -p "$cache"
    (cd "$cache" && rm -f "${pkg}"_*.deb && apt-get download "$pkg" >&2)
    local deb version
    deb=$(ls "$cache/${pkg}"_*.deb | head -n 1)
    version=$(dpkg-deb -f "$deb" Version)
    [ "$version" = "${tested[$pkg]}" ] || echo "build_assets: $pkg $version differs from the tested ${tested[$pkg]}" >&2
    mkdir -p "$dir"
    dpkg -x "$deb" "$dir"
  fi
  echo "$dir"
}

if [ $# -eq 3 ]; then
  stellarium=$1 hershey=$2 xfonts=$3
elif [ $# -eq 0 ]; then
  stellarium=$(unpack stellarium-data)/usr/share/stellarium
  hershey=$(unpack hershey-fonts-data)/usr/share/hershey-fonts
  xfonts=$(unpack xfonts-base)/usr/share/fonts/X11/misc
else
  sed -n '2,12p' "$0" >&2
  exit 2
fi
for d in "$stellarium/textures" "$stellarium/nebulae/default" "$hershey" "$xfonts"; do
  [ -d "$d" ] || { echo "build_assets: missing folder $d" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DVYREX_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target assetbuild bmptool
tool=$build/tools/assetbuild/assetbuild
bmptool=$build/tools/bmptool/bmptool

mkdir -p "$out"
"$tool" console-font "$xfonts/5x8.pcf.gz" "$out/default.bft"
"$tool" line-font "$hershey" "$out/default.lft"
"$tool" sprites "$out"
"$tool" mesh "$out/planet.shape" 24 48
"$tool" maps "$stellarium/textures" "$out"
"$tool" nebulae "$stellarium/nebulae/default" "$out"
# Interface bitmaps: drawn with the drawing layer and the console font just made.
"$bmptool" "$out" close.bmp buttons.bmp menu.bmp scroll.bmp scrollup.bmp scrolldown.bmp \
  speed.bmp speedcur.bmp helpBar.bmp

if [ -n "${PREVIEW_DIR:-}" ]; then
  mkdir -p "$PREVIEW_DIR"
  "$tool" preview "$out" "$PREVIEW_DIR"
  echo "build_assets: previews in $PREVIEW_DIR"
fi
