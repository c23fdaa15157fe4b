#!/usr/bin/env bash
# Installs the Debian packages needed to build, run, test and benchmark
# Quillora. Packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libmpv-dev libmp3lame-dev libpulse-dev libmpg123-dev libxcb1-dev libasound2-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  # run
  qt6-qpa-plugins fonts-noto-cjk qt6-translations-l10n
  # tests and benchmarks: headless X server, sound server, screenshots
  xvfb xauth xdotool xclip x11-apps x11-utils imagemagick pulseaudio pulseaudio-utils lame ffmpeg mpv
  # spoken lessons for the benchmarks and pictures; a LibriVox reading for the sentence benchmark
  espeak-ng sox pocketsphinx-testdata
  # install and package checks; redrawing the icons from their SVG
  desktop-file-utils appstream dpkg-dev groff-base librsvg2-bin
  # fuzzing the file readers: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
