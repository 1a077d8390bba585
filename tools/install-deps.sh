#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program, but only those that
# are missing, so that a machine that has them all stays quiet and needs no root rights.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6concurrent6 qt6-qpa-plugins libgl-dev libxcb1-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth openbox icewm xdotool wmctrl x11-utils
  fontconfig fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation
  xdg-utils imagemagick
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  # "install ok installed" or "hold ok installed"; anything else (absent, removed with its
  # configuration left, half-installed) needs installing.
  if [[ $status != *" ok installed" ]]; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if ((EUID == 0)); then
  as_root=(env)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo env)
else
  echo "vellora: missing packages: ${missing[*]}; install them as root (sudo is not available)" >&2
  exit 1
fi

echo "vellora: installing missing packages: ${missing[*]}" >&2
"${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get -q update
"${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends \
  "${missing[@]}"
