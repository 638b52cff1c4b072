# Sourced by the tree benchmarks: timing, medians and the comparison of a result with its source.
# The sourcing script sets work (its scratch folder).

seconds() { date +%s.%N; }
# Runs the command quietly and prints the seconds it took; a failing command stops the run.
timed() {
  local start end
  start="$(seconds)"
  "$@" >/dev/null 2>"$work/last.err" || { echo "failed: $*" >&2; cat "$work/last.err" >&2; exit 1; }
  end="$(seconds)"
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
. "$(dirname "${BASH_SOURCE[0]}")/median.sh"
same_tree() { diff -r "$1" "$2" >/dev/null || { echo "differs: $1 $2" >&2; exit 1; }; }

# The same tree every run: sizes and contents come from a fixed seed.
#   make_tree ROOT FILES FOLDERS
make_tree() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, random, sys
root, count, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(1984)
for i in range(count):
    folder = os.path.join(root, "d%03d" % (i % folders))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.bin" % i), "wb") as f:
        f.write(rng.randbytes(rng.randint(1024, 20 * 1024)))
PY
}
