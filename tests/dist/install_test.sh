#!/usr/bin/env bash
# `cmake --install` into a scratch folder: every file in its place, the
# menu entry and the AppStream metadata pass their validators, the manual
# page formats without warnings, and the installed program starts.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$root/usr" > "$root/install.log" || { cat "$root/install.log"; fail "cmake --install"; }
share=$root/usr/share
for f in "$root/usr/bin/quillora" "$share/applications/quillora.desktop" \
         "$share/metainfo/org.quillora.quillora.metainfo.xml" "$share/man/man1/quillora.1" \
         "$share/icons/hicolor/scalable/apps/quillora.svg"; do
  [ -f "$f" ] || fail "not installed: ${f#"$root"}"
done
[ -x "$root/usr/bin/quillora" ] || fail "the program is not executable"
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/quillora.png
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "icon $size is missing or of another size"
done

desktop-file-validate "$share/applications/quillora.desktop" | grep -v ': hint: ' && fail "desktop-file-validate (above)"
appstreamcli validate --no-net "$share/metainfo/org.quillora.quillora.metainfo.xml" || fail "appstreamcli validate"
grep -q '<release version="3.0.0.1"' "$share/metainfo/org.quillora.quillora.metainfo.xml" || fail "no release 3.0.0.1 in the metadata"
warnings=$(groff -k -man -Tutf8 -z -ww "$share/man/man1/quillora.1" 2>&1)
[ -z "$warnings" ] || fail "the manual page: $warnings"

bash "$here/start_installed.sh" "$root/usr/bin/quillora"
echo "install test passed"
