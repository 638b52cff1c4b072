#!/usr/bin/env bash
# The round trips of the trainer's "Vom FTP-Server öffnen" and "Auf FTP-Server speichern":
# one open and the saves of the dialog page, against pyftpdlib and against OpenSSH's sshd
# (with sftp-server logging its requests), each started here on a loopback port. Prints the
# count of each step next to the counts before the dialog asked only what it needs
# (dialog_round_trips.before, measured by this script at the commit that added it).
#
#   bench/ftptool/dialog_round_trips.sh [DIALOG_ROUND_TRIPS]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
program="${1:-$here/../../build/bench/ftptool/dialog_round_trips}"
python="${TIRELO_PYTHON:-/usr/bin/python3}"  # Debian's, which has pyftpdlib
[ -x "$program" ] || { echo "dialog_round_trips not found at $program (build it first)" >&2; exit 1; }
. "$here/../ftpclient/sshd_server.sh"

work="$(mktemp -d /tmp/dialog-round-trips-XXXXXX)"
ftpd_pid=""
cleanup() {
  [ -n "$ftpd_pid" ] && kill -9 "$ftpd_pid" 2>/dev/null
  stop_sshd
  rm -rf "$work"
}
trap cleanup EXIT

# The server folder: the document and another learner's file beside it.
fill() {
  mkdir -p "$1"
  head -c 6000 /dev/urandom > "$1/lektion.evd"
  head -c 4000 /dev/urandom > "$1/andere.evd"
}

fill "$work/ftp"
coproc FTPD { exec "$python" "$here/../../tests/support/ftp_server.py" "$work/ftp" bench bench; }
ftpd_pid=$FTPD_PID
read -r ftp_port <&"${FTPD[0]}"
after="$("$program" ftp "$ftp_port" bench bench "$work/ftp")"

mkdir -p "$work/sshd"
sshd_sftp_log="$work/sftp.log"
start_sshd "$work/sshd"
fill "$work/sftp"
after+=$'\n'"$("$program" sftp "$sshd_port" "$sshd_user" "$sshd_key" "$sshd_known" "$sshd_sftp_log" "$work/sftp")"

# Lines "PROTOCOL<tab>STEP<tab>COUNT"; the release before's counts joined by protocol and step.
awk -F'\t' 'FILENAME == ARGV[1] { before[$1 FS $2] = $3; next }
             FNR == 1 && !header++ { printf "%6s %6s  %s\n", "vorher", "jetzt", "Schritt" }
             { printf "%6s %6s  %-5s %s\n", ($1 FS $2) in before ? before[$1 FS $2] : "-", $3, $1, $2 }' \
  "$here/dialog_round_trips.before" - <<< "$after"
