#!/usr/bin/env bash
# The memory a tree of many files takes: the peak resident size of ladeko-ftp getdir and putdir
# (and of lftp mirror beside it) over FTP (vsftpd) and SFTP (sshd), both started here on
# loopback ports, for FILES files (default 30000) spread over FOLDERS folders and all in one.
#
#   bench/ftpclient/memory_trees.sh [LADEKO_FTP] [FILES] [FOLDERS]
#
# Each result is compared with its source by diff -r. Not part of CI.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
ladeko="${1:-$here/../../build/ftptool/tools/ladeko-ftp}"
files="${2:-30000}"
folders="${3:-300}"
[ -x "$ladeko" ] || { echo "ladeko-ftp not found at $ladeko (build it first)" >&2; exit 1; }
. "$here/vsftpd_server.sh"
. "$here/sshd_server.sh"
. "$here/timing.sh"

work="$(mktemp -d /tmp/ftp-memory-XXXXXX)"
cleanup() {
  stop_vsftpd
  stop_sshd
  rm -rf "$work"
}
trap cleanup EXIT

# Runs the command and prints its peak resident size in MiB; a failing command stops the run.
peak() {
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>"$work/last.err" ||
    { echo "failed: $*" >&2; cat "$work/last.err" >&2; exit 1; }
  awk '{ printf "%.1f", $1 / 1024 }' "$work/peak"
}
row() { printf '%-44s %8s MiB\n' "$1" "$2"; }

# /usr/bin/time runs programs, not functions: the SFTP call is a command line.
sftp_ours() { sftp_call=(env SSH_AUTH_SOCK= "$ladeko" --known-hosts "$sshd_known" --identity "$sshd_key"
  "sftp://$sshd_user@127.0.0.1:$sshd_port"); }

for shape in "$folders" 1; do
  rm -rf "$work/tree"
  make_tree "$work/tree" "$files" "$shape"
  label="$files files in $shape folder(s)"
  start_vsftpd "$work"
  cp -r "$work/tree" "$work/root/pub/tree"
  out="$work/out"; rm -rf "$out"; mkdir -p "$out"
  row "ftp getdir, $label" "$(peak "$ladeko" --port "$vsftpd_port" 127.0.0.1 getdir pub/tree "$out")"
  same_tree "$work/tree" "$out/tree"; rm -rf "$out"; mkdir -p "$out"
  row "lftp mirror, $label" "$(peak lftp -p "$vsftpd_port" -u anonymous, 127.0.0.1 -e "mirror pub/tree $out/tree; quit")"
  same_tree "$work/tree" "$out/tree"; rm -rf "$out"
  mkdir -p "$work/root/pub/up"; chmod 777 "$work/root/pub/up"
  row "ftp putdir, $label" "$(peak "$ladeko" --port "$vsftpd_port" 127.0.0.1 cd pub/up putdir "$work/tree")"
  same_tree "$work/tree" "$work/root/pub/up/tree"
  stop_vsftpd
  start_sshd "$work"
  sftp_ours
  mkdir -p "$work/sftproot/up"; cp -r "$work/tree" "$work/sftproot/tree"
  out="$work/out"; rm -rf "$out"; mkdir -p "$out"
  row "sftp getdir, $label" "$(peak "${sftp_call[@]}" cd "$work/sftproot" getdir tree "$out")"
  same_tree "$work/tree" "$out/tree"; rm -rf "$out"
  row "sftp putdir, $label" "$(peak "${sftp_call[@]}" cd "$work/sftproot/up" putdir "$work/tree")"
  same_tree "$work/tree" "$work/sftproot/up/tree"
  stop_sshd
  rm -rf "$work/root" "$work/sftproot"
done
