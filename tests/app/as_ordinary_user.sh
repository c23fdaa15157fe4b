#!/usr/bin/env bash
# Runs a test program as the unprivileged user "nobody" when started as root
# (as the suite is in CI), so that permission checks meet what a user meets;
# as any other user it runs the program as it is.
# Usage: as_ordinary_user.sh PROGRAM [ARGS...]
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"
fi
command -v setpriv >/dev/null || { echo "setpriv (util-linux) is needed to drop root"; exit 1; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
chown 65534:65534 "$home"
HOME=$home TMPDIR=$home XDG_RUNTIME_DIR=$home QUILLORA_EXPECT_UNPRIVILEGED=1 \
  setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
