#!/usr/bin/env bash
# Download and upload throughput of ladeko-ftp next to curl, both against the same vsftpd
# (started here with its own configuration on a free loopback port). With --tls both speak
# explicit TLS to a vsftpd with a self-signed certificate made here (control and data
# encrypted, data sessions resumed as vsftpd demands); curl runs with --ssl-reqd -k and
# ladeko-ftp with --tls and the certificate's fingerprint.
#
#   bench/ftpclient/throughput.sh [--tls] [LADEKO_FTP] [SIZE_MIB] [ROUNDS]
#   bench/ftpclient/throughput.sh --sftp [LADEKO_FTP] [SIZE_MIB] [ROUNDS]   (sftp_throughput.sh)
#
# Prints MiB/s of every tool and direction (medians of ROUNDS) and the ratio ours/curl.
# Downloads go to /dev/null so the figure is the client's, not the local disk's.
# ladeko-ftp uploads under a temporary name and renames after the 226, so its time includes
# what the server does between the 226 and the rename: vsftpd truncates every new file, and on
# ext4 closing such a file flushes it (about 0.1 s for 512 MiB). curl, ending at the 226,
# never waits for that; the row "upload+rename" times curl making the same safe upload.
# TMPDIR=/dev/shm puts the server's files in memory, which takes the disk out of both.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
if [ "${1:-}" = "--sftp" ]; then shift; exec "$here/sftp_throughput.sh" "$@"; fi
tls=no
if [ "${1:-}" = "--tls" ]; then tls=yes; shift; fi
ladeko="${1:-$here/../../build/ftptool/tools/ladeko-ftp}"
size_mib="${2:-1024}"
rounds="${3:-3}"

[ -x "$ladeko" ] || { echo "ladeko-ftp not found at $ladeko (build it first)" >&2; exit 1; }
command -v curl >/dev/null || { echo "curl is missing" >&2; exit 1; }
. "$here/vsftpd_server.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/ftp-throughput-XXXXXX")"
cleanup() {
  stop_vsftpd
  rm -rf "$work"
}
trap cleanup EXIT

ours_tls=(); curl_tls=(); label=""
if [ "$tls" = yes ]; then
  start_vsftpd "$work" --tls
  ours_tls=("${ladeko_tls[@]}")
  curl_tls=(--ssl-reqd -k)
  label="TLS: "
else
  start_vsftpd "$work"
fi
port="$vsftpd_port"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$work/root/pub/big.bin"
cp "$work/root/pub/big.bin" "$work/source.bin"

. "$here/turns.sh"
url="ftp://127.0.0.1:$port/pub"
ours_down() { "$ladeko" "${ours_tls[@]}" --port "$port" 127.0.0.1 get pub/big.bin /dev/null; }
curl_down() { curl "${curl_tls[@]}" -sS -o /dev/null "$url/big.bin"; }
ours_up() { "$ladeko" "${ours_tls[@]}" --port "$port" 127.0.0.1 put "$work/source.bin" pub/up.bin; }
curl_up() { curl "${curl_tls[@]}" -sS -T "$work/source.bin" "$url/up.bin"; }
# The upload is removed and the disk left idle, so no upload meets the writeback of the last.
ours_up_after() { rm -f "$work/root/pub/up.bin"; sync; }
curl_up_after() { ours_up_after; }
curl_up_renamed() {
  curl "${curl_tls[@]}" -sS -T "$work/source.bin" "$url/.up.part" -Q "-*RNFR .up.part" -Q "-RNTO up.bin"
}
curl_up_renamed_after() { ours_up_after; }
take_turns "$rounds" ours_down curl_down ours_up curl_up curl_up_renamed

report() {
  local name="$1" ours curl_time
  ours="$(median "${@:2:$rounds}")"
  shift $((rounds + 1))
  curl_time="$(median "$@")"
  awk -v n="$name" -v s="$size_mib" -v o="$ours" -v c="$curl_time" \
    'BEGIN { printf "%-13s ladeko-ftp %8.1f MiB/s   curl %8.1f MiB/s   ratio %.3f\n", n, s / o, s / c, c / o }'
}
echo "${label}file ${size_mib} MiB, medians of $rounds rounds, vsftpd on 127.0.0.1:$port"
report download "${ours_down[@]}" "${curl_down[@]}"
report upload "${ours_up[@]}" "${curl_up[@]}"
report upload+rename "${ours_up[@]}" "${curl_up_renamed[@]}"
