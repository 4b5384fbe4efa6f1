#!/usr/bin/env bash
# Registers the .ocx in a private prefix, runs Properties.vbs through cscript
# of the same bitness, checks its marker and the files its commands wrote,
# and unregisters.
# Usage: vbscript-test.sh WINE_RUN PREFIX OCX SCRIPT WORK --wine64|--wine32
set -uo pipefail
wine_run=$1 prefix=$2 ocx=$3 script=$4 work=$5 loader=$6

. "$(dirname "$wine_run")/lib/wine.sh"
run() { "$wine_run" --prefix "$prefix" $loader "$@"; }
finish() { WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; }
trap finish EXIT

rm -rf "$work" && mkdir -p "$work"
"$wine_run" --prefix "$prefix" --init-only || { echo "no Wine prefix"; exit 1; }
run regsvr32 /s "$(winpath "$ocx")" || { echo "FAIL regsvr32"; exit 1; }

out=$(timeout 120 "$wine_run" --prefix "$prefix" $loader cscript //nologo "$(winpath "$script")" "$(winpath "$work")" 2>&1 | tr -d '\r')
echo "$out"
status=0
grep -qx 'PZ-SCRIPT-OK' <<<"$out" || { echo "FAIL the script did not reach its end"; status=1; }

wait_for() {
  for _ in $(seq 100); do [ -s "$1" ] && return 0; sleep 0.2; done
  return 1
}
if wait_for "$work/direct.txt" && grep -q direct "$work/direct.txt"; then
  echo "ok the program wrote direct.txt"
else
  echo "FAIL direct.txt"; status=1
fi
if wait_for "$work/started.txt" && grep -q "through start" "$work/started.txt"; then
  echo "ok the command through start wrote started.txt"
else
  echo "FAIL started.txt"; status=1
fi

run regsvr32 /u /s "$(winpath "$ocx")" || { echo "FAIL regsvr32 /u"; status=1; }
[ $status -eq 0 ] && echo "vbscript: all checks passed"
exit $status
