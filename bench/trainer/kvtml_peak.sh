#!/bin/sh
# Peak memory of "tirelo-evd import" for a KVTML list of about 60 MB as Parley writes it
# (indented, every French word graded), and the same under a memory limit: the import must
# stay within about four times the file's size and, when memory is short, end with a message.
# Usage: kvtml_peak.sh path/to/tirelo-evd [entries]
set -eu
EVD="$1"
ENTRIES="${2:-150000}"
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
awk -v n="$ENTRIES" 'BEGIN {
  print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">";
  print "<kvtml version=\"2.0\">\n <information>\n  <generator>Parley</generator>\n  <title>Gro\303\237</title>\n </information>";
  print " <identifiers>\n  <identifier id=\"0\">\n   <name>Deutsch</name>\n   <locale>de</locale>\n  </identifier>";
  print "  <identifier id=\"1\">\n   <name>Fran\303\247ais</name>\n   <locale>fr</locale>\n  </identifier>\n </identifiers>\n <entries>";
  for (i = 0; i < n; i++) {
    printf "  <entry id=\"%d\">\n   <translation id=\"0\">\n    <text>das Haus Nummer %d</text>\n   </translation>\n", i, i;
    printf "   <translation id=\"1\">\n    <text>la maison num\303\251ro %d</text>\n    <comment>f.</comment>\n", i;
    printf "    <grade fromid=\"0\">\n     <currentgrade>%d</currentgrade>\n     <count>4</count>\n", i % 8;
    printf "     <errorcount>1</errorcount>\n     <date>2009-01-02T10:00:00</date>\n    </grade>\n   </translation>\n  </entry>\n";
  }
  print " </entries>\n <lessons>";
  for (l = 0; l < n / 500; l++) {
    printf "  <container>\n   <name>Lektion %d</name>\n   <inpractice>true</inpractice>\n", l;
    for (i = l * 500; i < (l + 1) * 500; i++) printf "   <entry id=\"%d\"/>\n", i;
    print "  </container>";
  }
  print " </lessons>\n</kvtml>" }' > "$DIR/big.kvtml"
size=$(wc -c < "$DIR/big.kvtml")
/usr/bin/time -v "$EVD" import "$DIR/big.kvtml" "$DIR/big.evd" > "$DIR/summary.txt" 2> "$DIR/time.txt"
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$DIR/time.txt")
echo "file: $size bytes, $ENTRIES entries; $(head -1 "$DIR/summary.txt")"
echo "peak resident: ${peak} kB = $(awk -v p="$peak" -v s="$size" 'BEGIN { printf "%.2f", p * 1024 / s }') x the file"
echo "elapsed: $(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$DIR/time.txt")"
limit=$((size / 1024 * 3 / 2))
set +e
( ulimit -v "$limit"; "$EVD" import "$DIR/big.kvtml" "$DIR/small.evd" > /dev/null 2> "$DIR/err.txt" )
status=$?
set -e
echo "under ulimit -v $limit kB: status $status, $(cat "$DIR/err.txt")"
