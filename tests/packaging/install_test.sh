#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package into a scratch root with dpkg --root, checks what it put there,
# starts the installed programs from it (the libraries are this machine's), opens a .evd file
# the way a double click does, removes the package and checks that /usr is empty again.
#   tests/packaging/install_test.sh tirelo_VERSION_ARCH.deb VERSION
set -euo pipefail
deb=$(realpath "$1")
version=$2
here=$(dirname "$(realpath "$0")")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
fail() { echo "FEHLER: $*" >&2; exit 1; }

mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# The scratch root has no Qt of its own, so dpkg is told to install without the dependencies.
dpkg --root="$root" --force-depends -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -i"; }

# Every file under /usr, and the ones the package is for.
dpkg --root="$root" -L tirelo | grep -v '^/\.$' | grep -v '^/usr\(/\|$\)' && fail "Dateien außerhalb von /usr"
for f in bin/tirelo bin/tirelo-evd bin/ladeko-ftp share/applications/tirelo.desktop \
         share/mime/packages/tirelo.xml share/icons/hicolor/scalable/apps/tirelo.svg \
         share/metainfo/de.ombrax.tirelo.metainfo.xml share/man/man1/tirelo.1.gz \
         share/man/man1/tirelo-evd.1.gz share/man/man1/ladeko-ftp.1.gz \
         share/tirelo/help/vokhelp share/tirelo/help/ftphelp \
         share/doc/tirelo/copyright share/doc/tirelo/changelog.gz; do
  [ -e "$root/usr/$f" ] || fail "/usr/$f fehlt"
done
grep -qx 'Exec=/usr/bin/tirelo %f' "$root/usr/share/applications/tirelo.desktop" || fail "Exec-Zeile"
for p in tirelo tirelo-evd ladeko-ftp; do
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$p" --version)
  [ "$got" = "$p (Tirelo V) $version" ] || fail "$p --version: $got"
  MANWIDTH=80 man -l "$root/usr/share/man/man1/$p.1.gz" | grep -q "Tirelo V $version" || fail "man $p"
done
echo "installiert: $(dpkg --root="$root" -L tirelo | wc -l) Einträge, --version und man-Seiten gehen"

# The double click: the types and the default application as a desktop finds them in the
# installed data folder (the databases built as the triggers of shared-mime-info and
# desktop-file-utils build them, in a copy, so the removal below sees only the package).
home=$scratch/home
mkdir -p "$home/Documents" "$scratch/data"
cp -a "$root/usr/share/mime" "$root/usr/share/applications" "$scratch/data/"
update-mime-database "$scratch/data/mime" >/dev/null 2>&1
update-desktop-database "$scratch/data/applications" >/dev/null 2>&1
printf '#box\t1\nLektion\tDeutsch\tFranzösisch\nL1\tdas Haus\tla maison\n' |
  "$root/usr/bin/tirelo-evd" build "$scratch/Lektion 1.evd"
export HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config
# Only the installed data folder, and no system-wide default applications, decide.
export XDG_DATA_DIRS=$scratch/data
type=$(XDG_CONFIG_DIRS=$scratch/config xdg-mime query filetype "$scratch/Lektion 1.evd")
[ "$type" = application/x-tirelo-vokabel-datei ] || fail "Typ von .evd: $type"
app=$(XDG_CONFIG_DIRS=$scratch/config xdg-mime query default "$type")
[ "$app" = tirelo.desktop ] || fail "Programm für $type: $app"
# The entry's Exec line with its program taken from the scratch root and %f filled in.
exec_line=$(sed -n 's/^Exec=//p' "$scratch/data/applications/$app")
program=${exec_line%% %f}
[ "$program" = /usr/bin/tirelo ] || fail "Exec: $exec_line"
# The session itself sees the system's data folders again: openbox takes its theme from them.
XDG_DATA_DIRS=/usr/local/share:/usr/share xvfb-run -a -s "-screen 0 1024x768x24" "$here/open_and_close.sh" "$root$program" "$scratch/Lektion 1.evd" ||
  fail "das Hauptfenster kam nicht oder schloss nicht"
data="$home/Documents/Ombrax/Tirelo V"
grep -qa "Lektion 1.evd" "$data/vokfr.dtp" || fail "vokfr.dtp nennt die geöffnete Datei nicht"
[ -d "$data/help/vokhelp" ] || fail "die Hilfe kam nicht aus /usr/share/tirelo in den Datenordner"
echo "Doppelklick: $type -> $app -> $exec_line öffnete die Datei"

dpkg --root="$root" --purge tirelo >/dev/null
left=$(cd "$root" && find usr 2>/dev/null || true)
[ -z "$left" ] || fail "nach dem Entfernen bleibt in /usr: $left"
echo "entfernt: nichts bleibt in /usr"
