# Shared by the scripts that start Wine: the two loaders, the one probe of
# whether this machine runs 32-bit programs, the bitness of a PE file, and
# the path by which Wine's programs find a file of this machine.
# Sourced, not run.

PZ_WINE64=/usr/lib/wine/wine64
PZ_WINE32=/usr/lib/wine/wine

# PZ_WIN32_RUNS (yes/no) carries the probe's answer to every script and test
# of one run; PZ_NO_WIN32=1 makes any machine answer no, so the path of a
# machine whose kernel refuses 32-bit programs can be run anywhere.
pz_probe_win32() {
  if [ -z "${PZ_WIN32_RUNS:-}" ]; then
    if [ "${PZ_NO_WIN32:-0}" = 1 ]; then
      PZ_WIN32_RUNS=no
    elif "$PZ_WINE32" --version >/dev/null 2>&1; then
      PZ_WIN32_RUNS=yes
    else
      PZ_WIN32_RUNS=no
    fi
  fi
  export PZ_WIN32_RUNS
}

pz_can_run_win32() {
  pz_probe_win32
  [ "$PZ_WIN32_RUNS" = yes ]
}

# 32 or 64: the machine type in a PE file's header; 64 for anything else
# (Wine's own programs, named without a path).
pz_pe_bits() {
  local file=$1 offset machine
  if [ -f "$file" ]; then
    offset=$(od -An -tu4 -j60 -N4 "$file" 2>/dev/null | tr -d ' ')
    if [ -n "$offset" ]; then
      machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$file" 2>/dev/null | tr -d ' ')
      [ "$machine" = 014c ] && { echo 32; return; }
    fi
  fi
  echo 64
}

# A file of this machine as Windows programs name it: on Wine's Z: drive.
winpath() { printf 'Z:%s' "$(realpath "$1" | sed 's|/|\\|g')"; }
