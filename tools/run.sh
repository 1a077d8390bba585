#!/usr/bin/env bash
# Builds the program and starts it on the current desktop.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

# Checked before the build so that a session without a desktop fails at once, not after minutes.
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  echo "vellora: no X display: start it from an X11 or Wayland desktop session" >&2
  exit 1
fi

tools/install-deps.sh run
# The release build has a folder of its own (build/release), without tests and with warnings
# left as warnings: one from a newer compiler must not keep the program from starting.
cmake --preset release
cmake --build --preset release -j"$(nproc)"

# The pictures are put back where they were pinned, which a native Wayland client cannot do;
# XWayland can.
if [[ -n ${WAYLAND_DISPLAY:-} ]]; then
  export QT_QPA_PLATFORM=xcb
fi

# The data file is kept in the user's data folder ($XDG_DATA_HOME/vellora); the browser starts
# in the folder this script was started from ($OLDPWD after the one cd above), where picture
# arguments are found too.
cd "$OLDPWD"
exec "$root/build/release/vellora" --user-data "$@"
