#!/usr/bin/env bash
# Fetches the X core fonts a desktop has (the misc, 75 and 100 dpi bitmap
# sets and the Type1 set) into a folder without installing them, and prints
# the X font path that names them, in the X server's own order, for
# VORNHAL_FONT_PATH (scripts/with-display.sh). The system's fonts and every
# other X server stay as they are.
#   scripts/desktop-fonts.sh <folder>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <folder>" >&2; exit 2; }
mkdir -p "$1"
top=$(cd "$1" && pwd)
fonts=$top/root/usr/share/fonts/X11
dirs=(misc Type1 100dpi 75dpi)
if [ ! -e "$top/ready" ]; then
  rm -rf "$top/debs" "$top/root" "$top/tools"
  mkdir -p "$top/debs"
  # The font folders' index maker comes along, unpacked beside them.
  (cd "$top/debs" && apt-get download -qq xfonts-base xfonts-75dpi xfonts-100dpi fonts-urw-base35 xfonts-utils)
  for deb in "$top"/debs/*.deb; do
    case $deb in
      *xfonts-utils*) dpkg -x "$deb" "$top/tools" ;;
      *) dpkg -x "$deb" "$top/root" ;;
    esac
  done
  mkfontscale=$(command -v mkfontscale || echo "$top/tools/usr/bin/mkfontscale")
  # The indexes the packages' install scripts would make.
  cat "$top"/root/etc/X11/fonts/Type1/*.scale >"$fonts/Type1/fonts.scale"
  for dir in "${dirs[@]}"; do
    "$mkfontscale" -b -s -l "$fonts/$dir"
    cat "$top"/root/etc/X11/fonts/"$dir"/*.alias >"$fonts/$dir/fonts.alias"
  done
  touch "$top/ready"
fi
path=
for dir in "${dirs[@]}"; do
  path+="$fonts/$dir,"
done
echo "${path}built-ins"
