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
  "$EVD" import "$DIR/list.$ext" "$DIR/$ext/a.evd" > /dev/null || fail "import $ext"
  "$EVD" export "$DIR/$ext/a.evd" "$DIR/$ext/rows.csv" || fail "export after import $ext"
  cmp -s "$DIR/rows.csv" "$DIR/$ext/rows.csv" || fail "rows differ after a round trip through $ext"
  "$EVD" export "$DIR/$ext/a.evd" "$DIR/$ext/list.$ext" || fail "second export $ext"
  # A KVTML export dates its grades with the time of writing.
  [ "$ext" = tsv ] || [ "$(sed '/<date>/d' "$DIR/list.$ext")" = "$(sed '/<date>/d' "$DIR/$ext/list.$ext")" ] ||
    fail "$ext text differs"
done
cmp -s "$DIR/list.tsv" "$DIR/a.txt" || fail "TSV export is not the dump text"
# A semicolon list in Windows-1252 without a header, columns given; rows go to box 1.
printf 'L1;maison;Haus\r\nL1;\351t\351;Sommer\r\n' > "$DIR/w.csv"
"$EVD" import "$DIR/w.csv" "$DIR/w.evd" --columns lektion,fr,de --separator ';' --encoding windows-1252 > /dev/null ||
  fail "import with options"
"$EVD" dump "$DIR/w.evd" | grep -q "^L1${tab}été${tab}Sommer$" || fail "rows of the options"
# Column names typed in a UTF-8 terminal, in any case.
"$EVD" import "$DIR/w.csv" "$DIR/w2.evd" --columns Lektion,FRANZÖSISCH,deutsch --separator ';' > /dev/null ||
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

# Lists of other trainers, written from the published formats. Each check is reported; the
# script fails at the end when any did.
DTD="$(dirname "$0")/data/kvtml2.dtd"
failed=0
check() { name="$1"; shift; if ! ( "$@" ) > "$DIR/check.out" 2>&1; then echo "FAILED: $name" >&2; sed 's/^/  /' "$DIR/check.out" >&2; failed=$((failed + 1)); fi; }
has() { grep -q -- "$2" "$1" || { echo "no \"$2\" in $1:"; cat "$1"; return 1; }; }
kvtml() { # kvtml FILE ENCODING IDENTIFIERS ENTRIES
  printf '<?xml version="1.0" encoding="%s"?>\n<kvtml version="2.0">\n<identifiers>%s</identifiers>\n<entries>\n%s</entries>\n</kvtml>\n' "$2" "$3" "$4" > "$1"
}
id() { printf '<identifier id="%s"><name>%s</name><locale>%s</locale></identifier>' "$1" "$2" "$3"; }
entry() { printf '<entry id="%s"><translation id="0"><text>%s</text></translation><translation id="1"><text>%s</text></translation></entry>\n' "$1" "$2" "$3"; }

kvtml "$DIR/fe.kvtml" UTF-8 "$(id 0 French '')$(id 1 English '')" "$(entry 0 être 'to be')$(entry 1 avoir 'to have')"
languages_named() {
  "$EVD" import "$DIR/fe.kvtml" "$DIR/fe.evd" 2> "$DIR/err.txt" && return 1
  has "$DIR/err.txt" "sie enthält: 0 French, 1 English" && has "$DIR/err.txt" "--languages" && [ ! -e "$DIR/fe.evd" ]
}
check "a KVTML list's languages that cannot be told are named" languages_named
languages_given() {
  "$EVD" import "$DIR/fe.kvtml" "$DIR/fe.evd" --languages French,English > "$DIR/out.txt" &&
    "$EVD" dump "$DIR/fe.evd" > "$DIR/fe.txt" && has "$DIR/fe.txt" "^ ${tab}être${tab}to be$" &&
    has "$DIR/out.txt" "^2 Zeilen übernommen.$"
}
check "--languages French,English takes KWordQuiz's French verbs" languages_given

kvtml "$DIR/one.kvtml" UTF-8 "$(id 0 Français fr)" '<entry id="0"><translation id="0"><text>le chien</text></translation></entry>'
one_language() {
  "$EVD" import "$DIR/one.kvtml" "$DIR/one.evd" > "$DIR/out.txt" && has "$DIR/out.txt" "nur eine Sprache" &&
    "$EVD" dump "$DIR/one.evd" > "$DIR/one.txt" && has "$DIR/one.txt" "^ ${tab}le chien${tab}$"
}
check "a list of one language goes into the French column" one_language

printf '<?xml version="1.0" encoding="ISO-8859-1"?>\n<kvtml version="2.0"><identifiers>%s</identifiers><entries>%s</entries></kvtml>\n' \
  "$(id 0 Deutsch de)$(id 1 Fr fr)" "$(entry 0 "$(printf 'K\344se')" "$(printf 'cr\350me')")" > "$DIR/latin1.kvtml"
latin1() { "$EVD" import "$DIR/latin1.kvtml" "$DIR/l.evd" && "$EVD" dump "$DIR/l.evd" | grep -q "crème${tab}Käse"; }
check "a KVTML list in ISO-8859-1 as declared" latin1

kvtml "$DIR/g.kvtml" UTF-8 "$(id 0 Deutsch de)$(id 1 Français fr)$(id 2 English en)" \
  "$(entry 0 Hund chien | sed 's|</text></translation></entry>|</text><grade fromid="2"><currentgrade>1</currentgrade><count>1</count><errorcount>0</errorcount><date>2009-01-01T00:00:00</date></grade><grade fromid="0"><currentgrade>6</currentgrade><count>6</count><errorcount>0</errorcount><date>2009-01-01T00:00:00</date></grade></translation></entry>|')
$(entry 1 Ton 'mǎ')$(entry 2 Fenster 'porte‑fenêtre')"
grades_and_characters() {
  "$EVD" import "$DIR/g.kvtml" "$DIR/g.evd" > "$DIR/out.txt" && "$EVD" dump "$DIR/g.evd" > "$DIR/g.txt" &&
    sed -n '/^#box.3/,$p' "$DIR/g.txt" | grep -q "chien${tab}Hund" && has "$DIR/g.txt" "porte-fenêtre" &&
    has "$DIR/out.txt" "ausgelassen, Zeichen ohne Windows-1252-Form: Zeile 6 (Zeichen U+01CE" &&
    has "$DIR/out.txt" "Nicht übernommen: English (en)."
}
check "grades follow their direction; one foreign character leaves out its row only" grades_and_characters

printf '#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n#deck column:3\n#tags column:6\n' > "$DIR/anki.txt"
printf 'Ab#1\tBasic\tFranz::L1\tdie Ziege\tla ch&egrave;vre\tTiere\ncD;2\tBasic\tFranz::L1\tZahlen\t2 &lt; 3<br>et &#233;t&eacute;\t\n' >> "$DIR/anki.txt"
anki() {
  "$EVD" import "$DIR/anki.txt" "$DIR/anki.evd" > "$DIR/out.txt" && "$EVD" dump "$DIR/anki.evd" > "$DIR/a2.txt" &&
    has "$DIR/a2.txt" "^Franz / L1${tab}la chèvre${tab}die Ziege$" && has "$DIR/a2.txt" "^Franz / L1${tab}2 < 3 et été${tab}Zahlen$" &&
    has "$DIR/out.txt" "^2 Zeilen übernommen.$"
}
check "an Anki export with note type and deck columns" anki

printf 'Deutsch;Französisch;Notiz\nHaus;maison;f.\nHaus;maison;f.\n' > "$DIR/h.csv"
header_and_duplicates() {
  "$EVD" import "$DIR/h.csv" "$DIR/h.evd" > "$DIR/out.txt" && "$EVD" dump "$DIR/h.evd" | grep -q "^ ${tab}maison${tab}Haus$" &&
    has "$DIR/out.txt" "schon vorhanden: Haus – maison"
}
check "a header with an unknown column; duplicates are told" header_and_duplicates

export_csv() {
  "$EVD" export "$DIR/h.evd" "$DIR/s.csv" && printf '\357\273\277Deutsch;Französisch;Lektion;Kasten\r\nHaus;maison;;1\r\n' | cmp -s - "$DIR/s.csv" &&
    "$EVD" export "$DIR/h.evd" "$DIR/c.csv" --separator , && printf '\357\273\277Deutsch,Französisch,Lektion,Kasten\r\nHaus,maison,,1\r\n' | cmp -s - "$DIR/c.csv"
}
check "CSV export for a German spreadsheet" export_csv

export_dtd() {
  "$EVD" export "$DIR/g.evd" "$DIR/g2.kvtml" && has "$DIR/g2.kvtml" "<date>" &&
    xmllint --nonet --noout --dtdvalid "$DTD" "$DIR/g2.kvtml"
}
check "KVTML export is valid against the DTD" export_dtd

# A list larger than the memory the program may take is refused with a message, not a crash.
awk 'BEGIN { print "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"><name>D</name><locale>de</locale></identifier><identifier id=\"1\"><name>F</name><locale>fr</locale></identifier></identifiers><entries>";
  for (i = 0; i < 400000; i++) printf "<entry id=\"%d\"><translation id=\"0\"><text>Haus%d</text></translation><translation id=\"1\"><text>maison%d</text></translation></entry>\n", i, i, i;
  print "</entries></kvtml>" }' > "$DIR/big.kvtml"
out_of_memory() {
  ( ulimit -v 60000; "$EVD" import "$DIR/big.kvtml" "$DIR/big.evd" ) 2> "$DIR/err.txt"
  status=$?
  [ "$status" -eq 1 ] || { echo "status $status"; return 1; }
  has "$DIR/err.txt" "Datei nicht eingelesen: zu wenig Speicher" && [ ! -e "$DIR/big.evd" ]
}
# AddressSanitizer reserves terabytes of address space: a limit on it cannot be tested there.
if ! nm -C "$EVD" 2>/dev/null | grep -q __asan_init; then
  check "out of memory ends with a message" out_of_memory
fi

[ "$failed" -eq 0 ] || fail "$failed checks of lists of other trainers"
echo "tirelo-evd round trip passed"
exit 0
