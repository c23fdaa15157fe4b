#!/usr/bin/env bash
# Installs what is missing, builds an optimised Quillora in build-release
# and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build-release
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j"$(nproc)" --target quillora
echo "run.sh: the program is $dir/quillora"
exec "$dir/quillora"
