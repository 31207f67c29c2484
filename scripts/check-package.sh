#!/usr/bin/env bash
# Checks a built skimplane .deb: unpacks it and looks at what a user gets. Exits non-zero on the first fault.
# Usage: scripts/check-package.sh build/default/skimplane_VERSION_ARCH.deb
set -euo pipefail
deb=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
root=$work/root
id=org.skimplane.Skimplane

# The files every installation must have.
for f in usr/bin/skimplane usr/bin/skimplane-cli \
  usr/share/skimplane/packs/English.lng usr/share/skimplane/packs/Chinese-Traditional.lng \
  usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/skimplane.svg \
  usr/share/man/man1/skimplane.1.gz usr/share/man/man1/skimplane-cli.1.gz \
  usr/share/doc/skimplane/copyright usr/share/doc/skimplane/changelog.Debian.gz; do
  [ -f "$root/$f" ] || fail "missing /$f"
done
for size in 16 22 24 32 48 64 128 256; do
  f=usr/share/icons/hicolor/${size}x${size}/apps/skimplane.png
  [ -f "$root/$f" ] || fail "missing /$f"
  file "$root/$f" | grep -q "PNG image data, $size x $size" || fail "/$f is not a $size-pixel PNG"
done
for pack in "$root"/usr/share/skimplane/packs/*.lng; do
  cmp -s "$pack" "packs/$(basename "$pack")" || fail "pack $(basename "$pack") differs from the shipped one"
done
[ -x "$root/usr/bin/skimplane" ] && [ -x "$root/usr/bin/skimplane-cli" ] || fail "programs not executable"
file "$root/usr/bin/skimplane" | grep -q "stripped" && ! file "$root/usr/bin/skimplane" | grep -q "not stripped" \
  || fail "skimplane is not stripped"

# The control file: the libraries the programs link to, Qt's platform plugins, which none links to, and the
# fonts the window's captions are laid out for.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins fonts-noto-cjk fonts-liberation; do
  echo "$depends" | grep -q "$d" || fail "Depends lacks $d: $depends"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null \
  || fail "metainfo invalid: $(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml")"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ "$exec_line" = skimplane ] || fail "the desktop entry starts '$exec_line'"
man -l "$root/usr/share/man/man1/skimplane.1.gz" >/dev/null 2>&1 || zcat "$root/usr/share/man/man1/skimplane.1.gz" \
  | grep -q "^\.TH SKIMPLANE" || fail "skimplane.1 is no manual page"

# The programs run from where the package puts them, without a display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/skimplane" --version | head -n 1)
env -u DISPLAY "$root/usr/bin/skimplane" --version | grep -q "GPL-3.0-or-later" || fail "--version names no licence"
[ "$version" = "skimplane $(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')" ] || fail "--version says '$version'"
"$root/usr/bin/skimplane-cli" --x 20 --y 12 --layers 2 -o "$work/plate.nc"
[ "$(tail -n 1 "$work/plate.nc" | tr -d '\r')" = M02 ] || fail "skimplane-cli wrote no whole program"

# lintian: no errors (warnings are printed for the record).
if command -v lintian >/dev/null; then
  lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
  [ -n "$lintian_out" ] && echo "$lintian_out"
  ! echo "$lintian_out" | grep -q "^E:" || fail "lintian reports errors"
fi
# Its dependencies can be met on this system (a dry run: nothing is installed).
if [ "$(id -u)" -eq 0 ]; then
  apt-get install --simulate "$deb" >"$work/apt.txt" 2>&1 || { cat "$work/apt.txt"; fail "cannot be installed"; }
fi
echo "check-package: $(basename "$deb") is complete ($(dpkg-deb -c "$deb" | grep -vc '/$') files)"
