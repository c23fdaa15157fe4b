#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures and builds Quillora into DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j"$(nproc)"
