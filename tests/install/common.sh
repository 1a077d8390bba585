# Shared by the install tests: the program's id, the icon sizes every desktop looks for, and
# the way a test reports.
app_id=org.vellora.Vellora
icon_sizes=(16 24 32 48 64 128 256)
failures=0

skip() {
  echo "skipped: $*"
  exit 77
}

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"
  done
}

finish() {
  if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
