#!/usr/bin/env bash
# Download and upload throughput of ladeko-ftp over SFTP next to curl (sftp://, libssh2) and
# OpenSSH's sftp, all against the same sshd (started here with its own configuration and keys
# on a free loopback port). Run through "throughput.sh --sftp".
#
#   bench/ftpclient/throughput.sh --sftp [LADEKO_FTP] [SIZE_MIB] [ROUNDS]
#
# The tools take turns within each round (A B C A B C ...); prints MiB/s of every tool and
# direction (medians of ROUNDS) and the ratios ours/curl and ours/sftp. Downloads go to
# /dev/null (OpenSSH's sftp to a node of /dev/null's device made here: it sets the mode of
# the file it writes).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
ladeko="${1:-$here/../../build/ftptool/tools/ladeko-ftp}"
size_mib="${2:-512}"
rounds="${3:-2}"

[ -x "$ladeko" ] || { echo "ladeko-ftp not found at $ladeko (build it first)" >&2; exit 1; }
curl -V | grep -q '^Protocols:.* sftp' || { echo "this curl speaks no sftp" >&2; exit 1; }
command -v sftp >/dev/null || { echo "OpenSSH's sftp is missing" >&2; exit 1; }
. "$here/sshd_server.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/sftp-throughput-XXXXXX")"
cleanup() {
  stop_sshd
  rm -rf "$work"
}
trap cleanup EXIT
start_sshd "$work"
mkdir -p "$work/root"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$work/root/big.bin"
cp "$work/root/big.bin" "$work/source.bin"

. "$here/turns.sh"

export SSH_AUTH_SOCK=  # the keys made here only
ours() {
  "$ladeko" --known-hosts "$sshd_known" --identity "$sshd_key" "sftp://$sshd_user@127.0.0.1:$sshd_port" "$@"
}
curl_sftp() {
  curl -sS --key "$sshd_key" --pubkey "$sshd_key.pub" --hostpubsha256 "${sshd_fingerprint#SHA256:}" \
    -u "$sshd_user:" "$@"
}
openssh_sftp() {
  sftp -q -b - -i "$sshd_key" -P "$sshd_port" -o BatchMode=yes -o IdentitiesOnly=yes \
    -o StrictHostKeyChecking=yes -o UserKnownHostsFile="$sshd_known" "$sshd_user@127.0.0.1" 
}
remote="$work/root"
url="sftp://127.0.0.1:$sshd_port$remote"

# Every tool once, so a broken set-up fails here and not in the middle of the figures.
ours size "$remote/big.bin" >/dev/null
curl_sftp -o /dev/null -r 0-0 "$url/big.bin"
echo "ls $remote" | openssh_sftp
# sftp sets the mode of the file it writes: a device node of its own, not /dev/null (without
# the right to make one, a file on disk).
sftp_sink="$work/null"
mknod "$sftp_sink" c 1 3 2>/dev/null || { sftp_sink="$work/down.bin"; echo "sftp downloads to a file"; }

ours_down() { ours get "$remote/big.bin" /dev/null; }
curl_down() { curl_sftp -o /dev/null "$url/big.bin"; }
sftp_down() { openssh_sftp <<<"get $remote/big.bin $sftp_sink"; }
ours_up() { ours put "$work/source.bin" "$remote/up.bin"; }
curl_up() { curl_sftp -T "$work/source.bin" "$url/up.bin"; }
sftp_up() { openssh_sftp <<<"put $work/source.bin $remote/up.bin"; }
ours_up_after() { rm -f "$remote/up.bin"; }
curl_up_after() { ours_up_after; }
sftp_up_after() { ours_up_after; }
take_turns "$rounds" ours_down curl_down sftp_down ours_up curl_up sftp_up

report() {
  local name="$1" o c s
  shift
  o="$(median "${@:1:$rounds}")"
  c="$(median "${@:$((rounds + 1)):$rounds}")"
  s="$(median "${@:$((2 * rounds + 1)):$rounds}")"
  awk -v n="$name" -v m="$size_mib" -v o="$o" -v c="$c" -v s="$s" 'BEGIN {
    printf "%-9s ladeko-ftp %7.1f MiB/s  curl %7.1f MiB/s  sftp %7.1f MiB/s  ours/curl %.3f  ours/sftp %.3f\n",
      n, m / o, m / c, m / s, c / o, s / o }'
}
echo "SFTP: file ${size_mib} MiB, medians of $rounds rounds, sshd on 127.0.0.1:$sshd_port"
report download "${ours_down[@]}" "${curl_down[@]}" "${sftp_down[@]}"
report upload "${ours_up[@]}" "${curl_up[@]}" "${sftp_up[@]}"
