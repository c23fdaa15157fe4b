#!/usr/bin/env bash
# Installs what is missing, builds Quillora and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"
exec "$root/build/quillora"
