#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what desktops read from it:
#   install_test.sh BUILD_FOLDER CMAKE
set -euo pipefail
build=$1
cmake=$2
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# desktop-file-utils, appstream, imagemagick, man-db
need_tools desktop-file-validate appstreamcli identify man

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >"$prefix/install.log" ||
  { cat "$prefix/install.log"; fail "cmake --install"; finish; }

share=$prefix/share
entry=$share/applications/$app_id.desktop
metainfo=$share/metainfo/$app_id.metainfo.xml

[[ -x $prefix/bin/vellora ]] || fail "bin/vellora is not installed"
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli validate $metainfo"
# The whole tree: the desktop entry the metainfo launches is installed beside it.
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"

# What the entry starts and shows must be installed.
# The entry and each of its actions.
while read -r exec_program; do
  [[ -x $prefix/bin/$exec_program ]] || fail "the entry starts \"$exec_program\", not installed"
done < <(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
for size in "${icon_sizes[@]}"; do
  icon=$share/icons/hicolor/${size}x${size}/apps/$icon_name.png
  if [[ ! -f $icon ]]; then
    fail "no ${size}x${size} icon: $icon"
    continue
  fi
  measured=$(identify -format '%wx%h' "$icon")
  [[ $measured == "${size}x${size}" ]] || fail "$icon is $measured"
done

# Both manual pages lay out on a terminal of 80 columns without a word from groff: a Japanese
# line too long to break there overflows it.
for page in "$share/man/man1/vellora.1" "$share/man/ja/man1/vellora.1"; do
  if [[ ! -f $page ]]; then
    fail "$page is not installed"
    continue
  fi
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page: $warnings"
done

# The licence the metainfo declares is the one shipped.
license=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$metainfo")
[[ -n $license ]] && grep -q "^$license License" "$share/doc/vellora/LICENSE" ||
  fail "metainfo licence \"$license\" is not the LICENSE file's"

finish
