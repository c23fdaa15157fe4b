#!/usr/bin/env bash
# The Debian package: built by CPack from the build tree, its dependencies
# computed from the libraries the program links, its files those of the
# install, and the program unpacked from it starts.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -I "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
# Found by dpkg-shlibdeps, not written by hand: the C library and Qt.
for lib in libc6 libqt6widgets6; do
  grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -q 'qt6-qpa-plugins' <<<"$depends" || fail "Depends lacks the X11 platform plugin: $depends"
for lib in libmpv2 libavformat59 libavcodec59 libavutil57 libswresample4 libpulse0 libmp3lame0; do
  grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib, opened at run time: $depends"
done

dpkg -x "$deb" "$work/root"
for f in usr/bin/quillora usr/share/applications/quillora.desktop usr/share/metainfo/org.quillora.quillora.metainfo.xml \
         usr/share/man/man1/quillora.1 usr/share/icons/hicolor/256x256/apps/quillora.png; do
  [ -f "$work/root/$f" ] || fail "not in the package: /$f"
done
bash "$here/start_installed.sh" "$work/root/usr/bin/quillora"
echo "package test passed"
