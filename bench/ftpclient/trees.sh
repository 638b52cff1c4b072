#!/usr/bin/env bash
# Trees of small files and one big download to disk: ladeko-ftp next to lftp, wget and curl,
# all against the same vsftpd (plain, then explicit TLS) started here on a loopback port; then
# the trees over SFTP next to lftp's sftp, against an sshd of its own.
#
#   bench/ftpclient/trees.sh [LADEKO_FTP] [ROUNDS] [FILES] [BIG_MIB]
#
# The tree holds FILES files (default 3000) of 1-20 KB in 100 folders. Rounds alternate the
# tools (A B A B ...); each result is compared with its source by diff -r, and the medians
# and the time ratios ours/peer are printed. Not part of CI.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
ladeko="${1:-$here/../../build/ftptool/tools/ladeko-ftp}"
rounds="${2:-5}"
files="${3:-3000}"
big_mib="${4:-512}"
[ -x "$ladeko" ] || { echo "ladeko-ftp not found at $ladeko (build it first)" >&2; exit 1; }
for tool in lftp wget curl; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
. "$here/vsftpd_server.sh"
. "$here/sshd_server.sh"
. "$here/timing.sh"

work="$(mktemp -d /tmp/ftp-trees-XXXXXX)"
cleanup() {
  stop_vsftpd
  stop_sshd
  rm -rf "$work"
}
trap cleanup EXIT

ratio_line() {
  awk -v n="$1" -v o="$2" -v p="$3" -v pn="$4" \
    'BEGIN { printf "%-34s ours %7.2f s   %-14s %7.2f s   ratio %.2f\n", n, o, pn, p, o / p }'
}

# One measure: "$name" with our command and a peer's, each run ROUNDS times alternately.
# Each command is a function taking the round's output folder; check compares it.
measure() {
  local name="$1" ours="$2" peer="$3" peer_name="$4" check="$5"
  local ours_t=() peer_t=() out
  for r in $(seq "$rounds"); do
    out="$work/out/ours-$r"; rm -rf "$out"; mkdir -p "$out"
    ours_t+=("$(timed "$ours" "$out")"); "$check" "$out"; rm -rf "$out"
    out="$work/out/peer-$r"; rm -rf "$out"; mkdir -p "$out"
    peer_t+=("$(timed "$peer" "$out")"); "$check" "$out"; rm -rf "$out"
  done
  ratio_line "$name" "$(median "${ours_t[@]}")" "$(median "${peer_t[@]}")" "$peer_name"
}

# ---- the commands ----
ours_getdir() { "$ladeko" "${ladeko_tls[@]}" --port "$vsftpd_port" 127.0.0.1 getdir pub/tree "$1"; }
# lftp runs only its last -e: the TLS settings go in front of the command.
lftp_getdir() { lftp -p "$vsftpd_port" -u anonymous, 127.0.0.1 -e "${lftp_set}mirror pub/tree $1/tree; quit"; }
wget_getdir() { wget -q -m --remove-listing -nH --cut-dirs=1 -P "$1" "ftp://127.0.0.1:$vsftpd_port/pub/tree/"; }
check_getdir() { same_tree "$work/tree" "$1/tree"; }

# Uploads go to a fresh folder below pub/ named after the round's output folder; the check
# compares the server's folder on disk.
up_folder() { local d="$work/root/pub/$(basename "$1")"; mkdir -p "$d"; chmod 777 "$d"; }
ours_putdir() { up_folder "$1"
  "$ladeko" "${ladeko_tls[@]}" --port "$vsftpd_port" 127.0.0.1 cd "pub/$(basename "$1")" putdir "$work/tree"; }
lftp_putdir() { up_folder "$1"
  lftp -p "$vsftpd_port" -u anonymous, 127.0.0.1 -e "${lftp_set}mirror -R $work/tree pub/$(basename "$1")/tree; quit"; }
check_putdir() { local d="$work/root/pub/$(basename "$1")"; same_tree "$work/tree" "$d/tree"; rm -rf "$d"; }

ours_big() { "$ladeko" "${ladeko_tls[@]}" --port "$vsftpd_port" 127.0.0.1 get pub/big.bin "$1/big.bin"; }
curl_big() { curl "${curl_tls[@]}" -sS -o "$1/big.bin" "ftp://127.0.0.1:$vsftpd_port/pub/big.bin"; }
check_big() { cmp -s "$work/root/pub/big.bin" "$1/big.bin" || { echo "big.bin differs" >&2; exit 1; }; }

# ---- over SFTP: absolute paths below the sshd's folder, the keys made here only ----
sftp_ours() { SSH_AUTH_SOCK= "$ladeko" --known-hosts "$sshd_known" --identity "$sshd_key" \
  "sftp://$sshd_user@127.0.0.1:$sshd_port" "$@"; }
sftp_lftp() { lftp -e "set sftp:connect-program 'ssh -a -x -i $sshd_key -o IdentitiesOnly=yes \
-o BatchMode=yes -o UserKnownHostsFile=$sshd_known'; $1; quit" "sftp://$sshd_user:@127.0.0.1:$sshd_port"; }
sftp_root="$work/sftproot"
ours_sftp_getdir() { sftp_ours cd "$sftp_root" getdir tree "$1"; }
lftp_sftp_getdir() { sftp_lftp "mirror $sftp_root/tree $1/tree"; }
sftp_up_folder() { mkdir -p "$sftp_root/$(basename "$1")"; }
ours_sftp_putdir() { sftp_up_folder "$1"; sftp_ours cd "$sftp_root/$(basename "$1")" putdir "$work/tree"; }
lftp_sftp_putdir() { sftp_up_folder "$1"; sftp_lftp "mirror -R $work/tree $sftp_root/$(basename "$1")/tree"; }
check_sftp_putdir() { local d="$sftp_root/$(basename "$1")"; same_tree "$work/tree" "$d/tree"; rm -rf "$d"; }

make_tree "$work/tree" "$files" 100
for mode in ${TREES_MODES:-plain tls sftp}; do
  stop_vsftpd
  if [ "$mode" = sftp ]; then
    start_sshd "$work"
    mkdir -p "$sftp_root"; cp -r "$work/tree" "$sftp_root/tree"
    echo "== sftp: $files files in 100 folders, medians of $rounds rounds, sshd on 127.0.0.1:$sshd_port"
    measure "getdir" ours_sftp_getdir lftp_sftp_getdir "lftp mirror" check_getdir
    measure "putdir" ours_sftp_putdir lftp_sftp_putdir "lftp mirror -R" check_sftp_putdir
    continue
  fi
  stop_vsftpd
  if [ "$mode" = tls ]; then
    start_vsftpd "$work" --tls
    lftp_set="set ftp:ssl-force true; set ftp:ssl-protect-data true; set ssl:verify-certificate no; "
    curl_tls=(--ssl-reqd -k)
  else
    start_vsftpd "$work"
    lftp_set=""; curl_tls=()
  fi
  rm -rf "$work/root/pub/tree"; cp -r "$work/tree" "$work/root/pub/tree"
  echo "== $mode: $files files in 100 folders, medians of $rounds rounds, vsftpd on 127.0.0.1:$vsftpd_port"
  measure "getdir" ours_getdir lftp_getdir "lftp mirror" check_getdir
  [ "$mode" = plain ] && measure "getdir" ours_getdir wget_getdir "wget -m" check_getdir
  measure "putdir" ours_putdir lftp_putdir "lftp mirror -R" check_putdir
  if [ "$mode" = plain ] && [ "$big_mib" -gt 0 ]; then
    head -c "$((big_mib * 1024 * 1024))" /dev/urandom > "$work/root/pub/big.bin"
    measure "get ${big_mib} MiB to disk" ours_big curl_big "curl -o" check_big
    rm -f "$work/root/pub/big.bin"
  fi
done
