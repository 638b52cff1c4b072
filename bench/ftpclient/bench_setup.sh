# The common start of the FTP throughput benchmarks, sourced by them: the arguments, the
# tools needed, a scratch folder removed on exit with the vsftpd started in it, a free
# loopback port, and the server's folders.
here="$(cd "$(dirname "$0")" && pwd)"
ladeko="${1:-$here/../../build/ftptool/tools/ladeko-ftp}"
size_mib="${2:-1024}"
rounds="${3:-3}"

[ -x "$ladeko" ] || { echo "ladeko-ftp not found at $ladeko (build it first)" >&2; exit 1; }
vsftpd_bin="$(command -v vsftpd || echo /usr/sbin/vsftpd)"
[ -x "$vsftpd_bin" ] || { echo "vsftpd is missing (scripts/setup installs it)" >&2; exit 1; }
command -v curl >/dev/null || { echo "curl is missing" >&2; exit 1; }

work="$(mktemp -d /tmp/ftp-throughput-XXXXXX)"
vsftpd_pid=""
cleanup() {
  [ -n "$vsftpd_pid" ] && kill "$vsftpd_pid" 2>/dev/null && wait "$vsftpd_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"

# vsftpd refuses a root writable by the anonymous user, so uploads go to pub/.
mkdir -p "$work/root/pub" "$work/empty"
chmod 555 "$work/root"
chmod 777 "$work/root/pub"
