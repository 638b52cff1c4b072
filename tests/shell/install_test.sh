#!/usr/bin/env bash
# Installs the build into temporary prefixes, as a user or a packager does, and checks that
# the installed desktop entry starts the installed program: the path under the prefix of the
# install, quoted where needed, the command-line tools beside it, and the desktop's own tools
# (desktop-file-validate, xdg-mime) agreeing.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

exec_line() { grep '^Exec=' "$1" | head -n1; }

check_prefix() {  # root of the files, prefix the entry must name
  local root=$1 prefix=$2 entry=$1/share/applications/tirelo.desktop
  [ -f "$entry" ] || fail "no desktop entry in $root"
  for tool in tirelo tirelo-evd ladeko-ftp; do
    [ -x "$root/bin/$tool" ] || fail "$tool not installed in $root/bin"
  done
  [ -f "$root/share/mime/packages/tirelo.xml" ] || fail "no MIME package in $root"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  fi
  echo "$(exec_line "$entry")"
}

# 1. A prefix chosen at install time, not at configure time.
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
line=$(check_prefix "$prefix" "$prefix")
[ "$line" = "Exec=$prefix/bin/tirelo %f" ] || fail "plain prefix: $line"

# 2. A prefix with a space: the path is quoted by the Exec rules.
spaced="$scratch/mein Programm"
cmake --install "$build" --prefix "$spaced" >/dev/null
line=$(check_prefix "$spaced" "$spaced")
[ "$line" = "Exec=\"$spaced/bin/tirelo\" %f" ] || fail "spaced prefix: $line"

# 3. A staged install for a package: the files under DESTDIR, the entry naming the final place.
DESTDIR=$scratch/stage cmake --install "$build" --prefix /opt/tirelo-probe >/dev/null
line=$(check_prefix "$scratch/stage/opt/tirelo-probe" /opt/tirelo-probe)
[ "$line" = "Exec=/opt/tirelo-probe/bin/tirelo %f" ] || fail "staged install: $line"

# 4. What a file manager asks: the type of a vocabulary file and the program for it, with only
#    the installed prefix as data folder (the plain install refreshed its databases).
if command -v xdg-mime >/dev/null && [ -f "$prefix/share/applications/mimeinfo.cache" ]; then
  export XDG_DATA_HOME=$scratch/home-data XDG_CONFIG_HOME=$scratch/home-config
  export XDG_DATA_DIRS=$prefix/share XDG_CONFIG_DIRS=$scratch/etc-xdg
  unset XDG_CURRENT_DESKTOP
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
  printf 'x' > "$scratch/box.evd"
  type=$(xdg-mime query filetype "$scratch/box.evd")
  [ "$type" = application/x-tirelo-vokabel-datei ] || fail "xdg-mime filetype: $type"
  app=$(xdg-mime query default application/x-tirelo-vokabel-datei)
  [ "$app" = tirelo.desktop ] || fail "xdg-mime default: $app"
fi
echo "install checks passed"
