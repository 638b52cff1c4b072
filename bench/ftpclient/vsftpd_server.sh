# Sourced by the FTP benchmarks: starts a vsftpd of its own on a free loopback port, serving
# "$work/root" to anonymous users (uploads and new folders below pub/).
#   start_vsftpd WORK [--tls]
# sets vsftpd_port and vsftpd_pid, and with --tls ladeko_tls (the options for ladeko-ftp) and
# vsftpd_fingerprint; stop_vsftpd ends it. The certificate is self-signed, made here.

start_vsftpd() {
  local work="$1" tls="${2:-}"
  local bin
  bin="$(command -v vsftpd || echo /usr/sbin/vsftpd)"
  [ -x "$bin" ] || { echo "vsftpd is missing (scripts/setup installs it)" >&2; return 1; }
  vsftpd_port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
  # vsftpd refuses a root writable by the anonymous user, so uploads go to pub/.
  mkdir -p "$work/root/pub" "$work/empty"
  chmod 555 "$work/root"
  chmod 777 "$work/root/pub"
  cat > "$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$vsftpd_port
background=NO
anonymous_enable=YES
local_enable=NO
no_anon_password=YES
anon_root=$work/root
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
run_as_launching_user=YES
seccomp_sandbox=NO
allow_writeable_chroot=YES
xferlog_enable=NO
vsftpd_log_file=$work/vsftpd.log
secure_chroot_dir=$work/empty
max_clients=0
max_per_ip=0
ftpd_banner=bench
CONF
  ladeko_tls=()
  vsftpd_fingerprint=""
  if [ "$tls" = --tls ]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
      -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
    vsftpd_fingerprint="$(openssl x509 -noout -fingerprint -sha256 -in "$work/cert.pem" | cut -d= -f2)"
    ladeko_tls=(--tls --fingerprint "$vsftpd_fingerprint")
    cat >> "$work/vsftpd.conf" <<CONF
ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=YES
force_anon_data_ssl=YES
require_ssl_reuse=YES
rsa_cert_file=$work/cert.pem
rsa_private_key_file=$work/key.pem
CONF
  fi
  "$bin" "$work/vsftpd.conf" &
  vsftpd_pid=$!
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$vsftpd_port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "vsftpd did not start" >&2
  return 1
}

stop_vsftpd() {
  if [ -n "${vsftpd_pid:-}" ]; then
    kill "$vsftpd_pid" 2>/dev/null && wait "$vsftpd_pid" 2>/dev/null || true
    vsftpd_pid=""
  fi
}
