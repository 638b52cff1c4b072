# Sourced by the throughput benchmarks: the tools take turns within each round (A B C A B C ...)
# so that a slow spell of the machine falls on all of them alike.
#   take_turns ROUNDS STEP...
# A STEP is a function; each run of it is timed (its output dropped) and the seconds are added
# to the array of the same name. A function STEP_after, where there is one, runs after each run
# of STEP, untimed (to remove what an upload left).

seconds() { date +%s.%N; }

# Runs the command and prints the seconds it took.
timed() {
  local start end
  start="$(seconds)"
  "$@" >/dev/null
  end="$(seconds)"
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

. "$(dirname "${BASH_SOURCE[0]}")/median.sh"

take_turns() {
  local rounds=$1 step took
  shift
  for step in "$@"; do eval "$step=()"; done
  for _ in $(seq "$rounds"); do
    for step in "$@"; do
      took="$(timed "$step")"
      eval "$step+=(\"\$took\")"
      if declare -F "${step}_after" >/dev/null; then "${step}_after"; fi
    done
  done
}
