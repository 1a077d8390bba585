#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree, as `dpkg-buildpackage -us -uc -b`
# does from the project's folder, has lintian check it, and checks what it holds and depends on:
#   package_test.sh SOURCE_FOLDER
set -euo pipefail
source_folder=$1
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# dpkg-dev, debhelper, lintian
need_tools dpkg-buildpackage dpkg-deb dh lintian

# dpkg-buildpackage writes the package beside the tree it builds: a copy in a folder of its own
# leaves the project's folder and its parent alone. The build folders stay behind; dh makes its
# own.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/vellora"
tar -C "$source_folder" --exclude=./.git --exclude='./build*' --exclude='./obj-*' \
  --exclude=./.cache -cf - . | tar -C "$out/vellora" -xf -
# parallel=2 unless the caller says otherwise: the machines that run the tests have two cores.
(cd "$out/vellora" &&
  DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=2} dpkg-buildpackage -us -uc -b) \
  >"$out/build.log" 2>&1 ||
  { tail -n 60 "$out/build.log"; fail "dpkg-buildpackage -us -uc -b"; finish; }
packages=("$out"/vellora_*.deb)
if [[ ${#packages[@]} != 1 || ! -f ${packages[0]} ]]; then
  fail "expected one vellora_*.deb, found: ${packages[*]}"
  finish
fi
deb=${packages[0]}

# Every package of the build, errors and warnings alike; informational tags pass. lintian warns
# on standard error when run as root, which says nothing about the package.
tags=$(lintian "$out"/vellora_*.changes 2>/dev/null) || true
echo "lintian: ${tags:-no tags}"
if grep -qE '^[EW]: ' <<<"$tags"; then fail "lintian reports errors or warnings"; fi

contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
expected=(
  ./usr/bin/vellora
  "./usr/share/applications/$app_id.desktop"
  "./usr/share/metainfo/$app_id.metainfo.xml"
  ./usr/share/man/man1/vellora.1.gz
  ./usr/share/man/ja/man1/vellora.1.gz
  ./usr/share/doc/vellora/copyright
  ./usr/share/doc/vellora/changelog.gz
)
for size in "${icon_sizes[@]}"; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done

# Depends comes from the libraries the program links, plus Qt's X11 plugin loaded at run time.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libqt6widgets6 libxcb1 qt6-qpa-plugins libtesseract5; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done
# Text in pins needs the language data, which the package recommends.
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in tesseract-ocr-jpn tesseract-ocr-eng; do
  grep -qE "(^|, )$package( |,|$)" <<<"$recommends" || fail "Recommends lacks $package"
done

# The package's version (debian/changelog) is the one the program it holds says it is (CMake's
# project version); --version needs no display.
dpkg-deb -x "$deb" "$out/root"
version=$(dpkg-deb -f "$deb" Version)
said=$("$out/root/usr/bin/vellora" --version) || fail "vellora --version"
[[ $said == "Vellora $version" ]] || fail "the package is $version, the program says \"$said\""

finish
