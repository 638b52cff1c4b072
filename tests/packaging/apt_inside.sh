#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the throw-away system of apt_test.sh.
set -euo pipefail
deb=$1
version=$2
fail() { echo "FEHLER: $*" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive

# No build tools: what the package needs must come from its own dependencies.
tools=(g++ gcc cpp clang cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgtest-dev
       libgmock-dev googletest libbenchmark-dev libpugixml-dev libssl-dev libgl-dev scdoc
       qmake6 qmake6-bin build-essential make)
installed=()
for p in "${tools[@]}"; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok' && installed+=("$p"); done
apt-get purge -y -qq "${installed[@]}" >/dev/null 2>&1 || fail "apt-get purge der Werkzeuge"
for t in c++ g++ cmake make qmake6; do command -v "$t" >/dev/null && fail "$t ist noch da"; done
echo "ohne Bauwerkzeuge: ${#installed[@]} Pakete entfernt"

before=$(find /usr -xdev ! -type d | sort)
apt-get install -y -qq "$deb" > /tmp/in/apt.log 2>&1 || { cat /tmp/in/apt.log; fail "apt-get install"; }
grep -E "^(Setting up|Processing triggers)" /tmp/in/apt.log | sed 's/^/  /'
[ "$(tirelo --version)" = "tirelo (Tirelo V) $version" ] || fail "tirelo --version"
[ "$(ladeko-ftp --version)" = "ladeko-ftp (Tirelo V) $version" ] || fail "ladeko-ftp --version"
man -w tirelo-evd | grep -q '^/usr/share/man/man1/tirelo-evd.1.gz$' || fail "man -w tirelo-evd"
echo "installiert: tirelo --version: $(tirelo --version)"

# A double click: the type of a .evd file and the program a desktop picks for it, from the
# databases the triggers built; then the Exec line of that entry opens the file.
export HOME=/tmp/in/home
mkdir -p "$HOME/Documents"
printf '#box\t1\nLektion\tDeutsch\tFranzösisch\nL1\tdas Haus\tla maison\n' | tirelo-evd build "/tmp/in/Lektion 1.evd"
type=$(xdg-mime query filetype "/tmp/in/Lektion 1.evd")
[ "$type" = application/x-tirelo-vokabel-datei ] || fail "Typ von .evd: $type"
app=$(xdg-mime query default "$type")
[ "$app" = tirelo.desktop ] || fail "Programm für $type: $app"
exec_line=$(sed -n 's/^Exec=//p' "/usr/share/applications/$app")
xvfb-run -a -s "-screen 0 1024x768x24" sh /tmp/in/open_and_close.sh "${exec_line%% %f}" "/tmp/in/Lektion 1.evd" ||
  fail "das Hauptfenster kam nicht oder schloss nicht"
grep -qa "Lektion 1.evd" "$HOME/Documents/Ombrax/Tirelo V/vokfr.dtp" || fail "die Datei wurde nicht geöffnet"
echo "Doppelklick: $type -> $app -> $exec_line öffnete die Datei"

apt-get purge -y -qq tirelo >/dev/null 2>&1 || fail "apt-get purge tirelo"
after=$(find /usr -xdev ! -type d | sort)
# The triggers rebuild their caches on removal as well; their names stay, their contents change.
if [ "$before" != "$after" ]; then
  diff <(echo "$before") <(echo "$after") >&2 || true
  fail "nach dem Entfernen ist /usr nicht wie vorher"
fi
left=$(find /usr -xdev \( -name '*tirelo*' -o -name '*ladeko*' \) | head)
[ -z "$left" ] || fail "es bleibt: $left"
echo "entfernt: /usr wie vor der Installation"
