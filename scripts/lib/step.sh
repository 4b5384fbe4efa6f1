# step NAME [LOG COMMAND...]: tells which step a script has reached. With a
# command, runs it with its output in LOG; should it fail, shows the end of
# the log, names the step and the log, and stops the script. Sourced, not run.
step() {
  local name=$1
  echo "== $name"
  [ $# -gt 1 ] || return 0
  local log=$2
  shift 2
  if ! "$@" >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "$(basename "$0") FAILED at the step: $name (log: $(realpath -m "$log"))"
    exit 1
  fi
}
