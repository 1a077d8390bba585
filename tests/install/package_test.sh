#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks what it holds and depends on:
#   package_test.sh BUILD_FOLDER CPACK
set -euo pipefail
build=$1
cpack=$2
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# dpkg-dev gives dpkg-shlibdeps, which fills in the libraries the program needs; CPack picks the
# programs to hand it with `file`.
need_tools dpkg-deb dpkg-shlibdeps file

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && "$cpack" -G DEB -B "$out") >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; fail "cpack -G DEB"; finish; }
packages=("$out"/vellora_*.deb)
if [[ ${#packages[@]} != 1 || ! -f ${packages[0]} ]]; then
  fail "expected one vellora_*.deb, found: ${packages[*]}"
  finish
fi
deb=${packages[0]}

contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
expected=(
  ./usr/bin/vellora
  "./usr/share/applications/$app_id.desktop"
  "./usr/share/metainfo/$app_id.metainfo.xml"
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
for package in libc6 libqt6widgets6 libxcb1 qt6-qpa-plugins; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done

finish
