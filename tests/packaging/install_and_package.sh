#!/usr/bin/env bash
# Guards what a desktop gets from an install: exactly the expected files below the prefix, a
# valid launcher and AppStream description, icons that are the program's own picture, and a
# Debian package holding the same files whose dependencies name the Qt 6 libraries. As root,
# with ZELK_TEST_DEB_INSTALL=1, the package is also installed with apt-get and removed again.
# $1: the build directory. $2: the icon tool.
set -euo pipefail
build=$1
icons=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected="usr/bin/zelk
usr/share/applications/zelk.desktop
usr/share/icons/hicolor/16x16/apps/zelk.png
usr/share/icons/hicolor/256x256/apps/zelk.png
usr/share/icons/hicolor/32x32/apps/zelk.png
usr/share/icons/hicolor/48x48/apps/zelk.png
usr/share/man/man1/zelk.1
usr/share/metainfo/io.github.zelk.metainfo.xml"

fail() { echo "$1"; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log"
found=$(cd "$work/root" && find . -type f -o -type l | sed 's#^\./##' | LC_ALL=C sort)
[ "$found" = "$expected" ] || { diff <(echo "$expected") <(echo "$found") || true; fail "installed files differ"; }
share="$work/root/usr/share"
# Hints too: a second main category puts the launcher twice into some menus.
checked=$(desktop-file-validate "$share/applications/zelk.desktop") || { echo "$checked"; fail "the launcher is not valid"; }
[ -z "$checked" ] || { echo "$checked"; fail "the launcher draws remarks"; }
grep -qx 'Icon=zelk' "$share/applications/zelk.desktop" || fail "the launcher names another icon"
appstreamcli validate --no-net "$share/metainfo/io.github.zelk.metainfo.xml" ||
  fail "the AppStream description is not valid"
"$icons" check "$share/icons/hicolor" 16 32 48 256 2>"$work/icons.err" ||
  { cat "$work/icons.err"; fail "the icons are not the program's picture"; }
# The man page starts with its title line, so man finds name and section.
head -1 "$share/man/man1/zelk.1" | grep -q '^\.TH ZELK 1 ' || fail "the manual page has no title"

# A package of the same build.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/package/zelk_*.deb)
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's#^\./##' | LC_ALL=C sort)
[ "$listed" = "$expected" ] || { diff <(echo "$expected") <(echo "$listed") || true; fail "the package holds other files"; }
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
  echo "$depends" | grep -q "$lib" || fail "the package does not depend on $lib"
done

if [ "${ZELK_TEST_DEB_INSTALL:-}" = 1 ] && [ "$(id -u)" = 0 ]; then
  if dpkg-query -W -f='${Status}' zelk 2>/dev/null | grep -q "ok installed"; then
    echo "a zelk package is installed already: install test left out"
  else
    cp "$deb" "$work/zelk.deb"
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$work/zelk.deb" \
      >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get could not install the package"; }
    [ -x /usr/bin/zelk ] || fail "the installed package has no /usr/bin/zelk"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y --purge zelk >>"$work/apt.log" 2>&1 ||
      fail "apt-get could not remove the package"
    while read -r file; do
      [ ! -e "/$file" ] || fail "/$file stayed after removal"
    done <<<"$expected"
    echo "installed with apt-get and removed"
  fi
fi
echo "ok"
