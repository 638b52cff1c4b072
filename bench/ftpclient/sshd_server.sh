# Sourced by the SFTP benchmark: starts OpenSSH's sshd of its own on a free loopback port, as
# the current user, with a host key and a user key made here.
#   start_sshd WORK
# sets sshd_port, sshd_pid, sshd_user, sshd_key (the user's private key), sshd_known (a
# known_hosts file holding the host key) and sshd_fingerprint (SHA256:...); stop_sshd ends it.
# With sshd_sftp_log set to a file, OpenSSH's sftp-server serves SFTP and logs every request
# and answer there (DEBUG3), so a benchmark can count them.

sftp_subsystem() {
  if [ -n "${sshd_sftp_log:-}" ]; then
    echo "/usr/lib/openssh/sftp-server -e -l DEBUG3 2>>$sshd_sftp_log"
  else
    echo internal-sftp
  fi
}

start_sshd() {
  local work="$1"
  [ -x /usr/sbin/sshd ] || { echo "sshd is missing (scripts/setup installs openssh-server)" >&2; return 1; }
  # sshd started by root separates privileges into this folder; the Debian service makes it.
  [ "$(id -u)" -ne 0 ] || mkdir -p /run/sshd
  sshd_port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
  sshd_user="$(id -un)"
  sshd_key="$work/user_ed25519"
  sshd_known="$work/known_hosts"
  # Fresh keys each start (ssh-keygen would ask before overwriting those of an earlier one).
  rm -f "$work/host_ed25519" "$work/host_ed25519.pub" "$sshd_key" "$sshd_key.pub"
  ssh-keygen -q -t ed25519 -N '' -f "$work/host_ed25519"
  ssh-keygen -q -t ed25519 -N '' -f "$sshd_key"
  cp "$sshd_key.pub" "$work/authorized_keys"
  echo "[127.0.0.1]:$sshd_port $(cut -d' ' -f1,2 "$work/host_ed25519.pub")" > "$sshd_known"
  sshd_fingerprint="$(ssh-keygen -l -E sha256 -f "$work/host_ed25519.pub" | cut -d' ' -f2)"
  cat > "$work/sshd_config" <<CONF
Port $sshd_port
ListenAddress 127.0.0.1
HostKey $work/host_ed25519
PidFile $work/sshd.pid
AuthorizedKeysFile $work/authorized_keys
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin yes
Subsystem sftp $(sftp_subsystem)
LogLevel ERROR
CONF
  /usr/sbin/sshd -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
  sshd_pid=$!
  for _ in $(seq 100); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $sshd_port)).close()" 2>/dev/null && return 0
    sleep 0.05
  done
  echo "sshd did not start: $(cat "$work/sshd.log")" >&2
  return 1
}

stop_sshd() {
  [ -n "${sshd_pid:-}" ] && kill "$sshd_pid" 2>/dev/null && wait "$sshd_pid" 2>/dev/null
  sshd_pid=""
}
