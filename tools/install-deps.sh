#!/usr/bin/env bash
# Installs the Debian 12 packages that the program needs, but only those that are missing, so
# that a machine that has them all stays quiet and needs no root rights:
#   tools/install-deps.sh run    what building and running the program needs
#   tools/install-deps.sh test   that, and what the tests, benchmarks and package build need
set -euo pipefail

run_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools libqt6concurrent6 qt6-qpa-plugins libgl-dev libxcb1-dev
  libexif-dev libpng-dev zlib1g-dev
  qt6-image-formats-plugins
  libxcb-xfixes0-dev libxcb-shape0-dev libxcb-render0-dev libxcb-keysyms1-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation
  xdg-utils
  # Text in pins: Tesseract's library and its Japanese (horizontal and vertical) and English data.
  libtesseract-dev tesseract-ocr-jpn tesseract-ocr-jpn-vert tesseract-ocr-eng
  # Codes in pins (QR, Data Matrix, EAN, UPC, Code 128), read before the text.
  libzxing-dev
)
test_packages=(
  libgtest-dev libbenchmark-dev
  xvfb xauth openbox icewm xdotool wmctrl x11-utils fontconfig imagemagick
  desktop-file-utils appstream man-db build-essential dpkg-dev debhelper lintian
  clang-14 libclang-rt-14-dev clang-format clang-tidy
  locales
  trayer
  xcompmgr
  xclip
  # The code tests' QR codes, made by a program that is not the one reading them.
  qrencode
  # The recognition benchmark's baseline: the tesseract command line on the same files.
  tesseract-ocr
  # The recognition benchmark's pictures: Japanese in Noto Sans CJK JP, English in Noto Sans
  # (beside DejaVu Sans, Liberation Sans and IPA Gothic above).
  fonts-noto-cjk fonts-noto-core fonts-dejavu-core
  # The restore tests under GNOME's, KDE's and Xfce's window managers: mutter runs headless with
  # its Xwayland and a session bus of its own (dbus-run-session comes with dbus-x11).
  mutter xwayland dbus-x11
  kwin-x11
  xfwm4
  # The capture's portal path talks to a stand-in portal on a private session bus of its own.
  dbus-daemon
)

case ${1:-} in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: tools/install-deps.sh run|test" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  # "install ok installed" or "hold ok installed"; anything else (absent, removed with its
  # configuration left, half-installed) needs installing.
  if [[ $status != *" ok installed" ]]; then
    missing+=("$package")
  fi
done

# The data file must read alike in every locale: some tests run a second time under de_DE.UTF-8,
# whose decimal separator is a comma (they report themselves skipped where it is missing). The
# program's texts are read through under en_US.UTF-8 and ja_JP.UTF-8, and the end-to-end tests
# run the program in English under en_US.UTF-8.
missing_locales=()
if [[ $1 == test ]]; then
  for locale in de_DE en_US ja_JP; do
    if ! locale -a 2>/dev/null | grep -qix "$locale.utf-\?8"; then
      missing_locales+=("$locale")
    fi
  done
fi
need_locale=false
if ((${#missing_locales[@]} > 0)); then
  need_locale=true
fi

if ((${#missing[@]} == 0)) && ! $need_locale; then
  exit 0
fi

if ((EUID == 0)); then
  as_root=(env)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo env)
elif ((${#missing[@]} == 0)); then
  echo "vellora: ${missing_locales[*]} (UTF-8) not installed and cannot be made without root" >&2
  exit 0
else
  echo "vellora: missing packages: ${missing[*]}; install them as root (sudo is not available)" >&2
  exit 1
fi

if ((${#missing[@]} > 0)); then
  echo "vellora: installing missing packages: ${missing[*]}" >&2
  "${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get -q update
  "${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends \
    "${missing[@]}"
fi

for locale in "${missing_locales[@]}"; do
  echo "vellora: generating the $locale.UTF-8 locale for the tests" >&2
  "${as_root[@]}" localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done
