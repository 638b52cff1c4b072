# Sourced by the benchmarks: the median of the numbers given (the middle one, or the mean of
# the middle two), the figure every ratio is taken from.
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
