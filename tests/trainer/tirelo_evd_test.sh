#!/bin/sh
# tirelo-evd round trip: text -> file -> text -> file gives the same text and the same bytes,
# and every failure ends with status 1 and the German message on standard error.
set -u
EVD="$1"
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
tab=$(printf '\t')

# Box 1 with German on the left, box 2 with accents, a TAB and a backslash inside cells and an
# empty lesson cell; box 3 has no section and gets the new-document state.
printf '#box\t1\nLektion\tDeutsch\tFranzösisch\nA-7-1\tHaus\tmaison\nA-7-1\tHerz\tcœur\n#box\t2\nLektion\tFranzösisch\tDeutsch\nB-8-2\tété\tSommer\nB-8-2\ta\\tb\tc\\\\d\n\tle chat\tdie Katze\n' > "$DIR/in.txt"

"$EVD" build "$DIR/a.evd" < "$DIR/in.txt" || fail "build"
"$EVD" dump "$DIR/a.evd" > "$DIR/a.txt" || fail "dump"
"$EVD" build "$DIR/b.evd" < "$DIR/a.txt" || fail "second build"
"$EVD" dump "$DIR/b.evd" > "$DIR/b.txt" || fail "second dump"
cmp -s "$DIR/a.txt" "$DIR/b.txt" || fail "texts differ"
"$EVD" build "$DIR/c.evd" < "$DIR/b.txt" || fail "third build"
cmp -s "$DIR/b.evd" "$DIR/c.evd" || fail "files differ"

# The empty lesson cell comes back as a single space, as the trainer reads it.
printf '#box\t1\nLektion\tDeutsch\tFranzösisch\nA-7-1\tHaus\tmaison\nA-7-1\tHerz\tcœur\n#box\t2\nLektion\tFranzösisch\tDeutsch\nB-8-2\tété\tSommer\nB-8-2\ta\\tb\tc\\\\d\n \tle chat\tdie Katze\n#box\t3\nLektion\tFranzösisch\tDeutsch\n\t\t\n' > "$DIR/expected.txt"
cmp -s "$DIR/a.txt" "$DIR/expected.txt" || { diff "$DIR/expected.txt" "$DIR/a.txt" >&2; fail "dump text"; }

# A new document is three sections of 47 bytes.
printf '' | "$EVD" build "$DIR/new.evd" || fail "build of empty text"
[ "$(wc -c < "$DIR/new.evd")" -eq 141 ] || fail "size of a new document"

# A file cut short is not read.
head -c 100 "$DIR/a.evd" > "$DIR/cut.evd"
"$EVD" dump "$DIR/cut.evd" > /dev/null 2> "$DIR/err.txt" && fail "cut file was read"
grep -q "Datei nicht eingelesen" "$DIR/err.txt" || fail "message for a cut file"

# Text that cannot be taken, and a file that cannot be written, leave status 1 and a message.
printf 'A\tB\tC\n' | "$EVD" build "$DIR/x.evd" 2> "$DIR/err.txt" && fail "row before a section"
grep -q "Zeile 1" "$DIR/err.txt" || fail "message for a row before a section"
[ -e "$DIR/x.evd" ] && fail "file written from bad text"
printf '#box\t1\na\tb\tc\td\n' | "$EVD" build "$DIR/x.evd" 2> /dev/null && fail "four cells"
printf '#box\t1\nA\tHa\000us\tmaison\n' | "$EVD" build "$DIR/x.evd" 2> "$DIR/err.txt" && fail "NUL in a cell"
grep -q "Zeile 2: Nullzeichen innerhalb einer Zelle" "$DIR/err.txt" || fail "message for a NUL in a cell"
[ -e "$DIR/x.evd" ] && fail "file written from text with a NUL"
"$EVD" build "$DIR/a.evd/sub.evd" < "$DIR/in.txt" 2> "$DIR/err.txt" && fail "write under a file"
grep -q "konnte nicht gespeichert werden" "$DIR/err.txt" || fail "message for a failed write"

# import and export: every format gives back the same rows, boxes and lessons (the CSV text
# names the language of each cell, so it does not depend on the column order of a box).
"$EVD" export "$DIR/a.evd" "$DIR/rows.csv" || fail "export csv"
for ext in kvtml csv tsv; do
  mkdir -p "$DIR/$ext"
  "$EVD" export "$DIR/a.evd" "$DIR/list.$ext" || fail "export $ext"
  "$EVD" import "$DIR/list.$ext" "$DIR/$ext/a.evd" || fail "import $ext"
  "$EVD" export "$DIR/$ext/a.evd" "$DIR/$ext/rows.csv" || fail "export after import $ext"
  cmp -s "$DIR/rows.csv" "$DIR/$ext/rows.csv" || fail "rows differ after a round trip through $ext"
  "$EVD" export "$DIR/$ext/a.evd" "$DIR/$ext/list.$ext" || fail "second export $ext"
  [ "$ext" = tsv ] || cmp -s "$DIR/list.$ext" "$DIR/$ext/list.$ext" || fail "$ext text differs"
done
cmp -s "$DIR/list.tsv" "$DIR/a.txt" || fail "TSV export is not the dump text"
# A semicolon list in Windows-1252 without a header, columns given; rows go to box 1.
printf 'L1;maison;Haus\r\nL1;\351t\351;Sommer\r\n' > "$DIR/w.csv"
"$EVD" import "$DIR/w.csv" "$DIR/w.evd" --columns lektion,fr,de --separator ';' --encoding windows-1252 ||
  fail "import with options"
"$EVD" dump "$DIR/w.evd" | grep -q "^L1${tab}été${tab}Sommer$" || fail "rows of the options"
# Column names typed in a UTF-8 terminal, in any case.
"$EVD" import "$DIR/w.csv" "$DIR/w2.evd" --columns Lektion,FRANZÖSISCH,deutsch --separator ';' ||
  fail "--columns with an umlaut"
[ "$("$EVD" dump "$DIR/w2.evd")" = "$("$EVD" dump "$DIR/w.evd")" ] || fail "--columns with an umlaut gives other rows"
# Bad lists: status 1, the German message, no output file.
printf 'a,"b\n' > "$DIR/bad.csv"
"$EVD" import "$DIR/bad.csv" "$DIR/bad.evd" 2> "$DIR/err.txt" && fail "unclosed quote"
grep -q "Zeile 1: Anführungszeichen nicht geschlossen" "$DIR/err.txt" || fail "message for a quote"
printf '<kvtml version="2.0">\n<entries>\n' > "$DIR/bad.kvtml"
"$EVD" import "$DIR/bad.kvtml" "$DIR/bad.evd" 2> "$DIR/err.txt" && fail "broken XML"
grep -q "XML-Fehler in Zeile" "$DIR/err.txt" || fail "message for broken XML"
[ -e "$DIR/bad.evd" ] && fail "file written from a bad list"
"$EVD" import "$DIR/w.csv" "$DIR/bad.evd" --columns de,xx 2> /dev/null && fail "bad --columns"
"$EVD" export "$DIR/a.evd" "$DIR/x.doc" 2> /dev/null && fail "export to an unknown format"
[ -e "$DIR/x.doc" ] && fail "file written for an unknown format"
"$EVD" 2> /dev/null && fail "no arguments"
echo "tirelo-evd round trip passed"
exit 0
