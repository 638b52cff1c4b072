#!/usr/bin/env bash
# Trees of small files over a slow link: ladeko-ftp next to lftp (one connection and four),
# wget and OpenSSH's sftp, through delay_relay.py in front of a vsftpd and an sshd of their own.
#
#   bench/ftpclient/relay_trees.sh [LADEKO_FTP] [LADEKO_FTP_BEFORE]
#
# A second binary (e.g. one built from an older commit) is measured beside the first. Settings
# by environment: RTTS (round trips in ms, default "0 40 100"), ROUNDS (default 3), FILES
# (default 100), FOLDERS (default 5), ONE_MIB (default 4), LADEKO_ARGS (more options for both
# ladeko-ftp runs). The tree holds FILES files of 1-20 KB; the columns "put 1" upload one file
# of ONE_MIB MiB, as the trainer saves a document. Every result is compared with its source.
# Prints one table per round trip, medians in seconds. Not part of CI.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
ladeko="${1:-$here/../../build/ftptool/tools/ladeko-ftp}"
before="${2:-}"
rounds="${ROUNDS:-3}"
files="${FILES:-100}"
folders="${FOLDERS:-5}"
read -r -a extra <<<"${LADEKO_ARGS:-}"
[ -x "$ladeko" ] || { echo "ladeko-ftp not found at $ladeko (build it first)" >&2; exit 1; }
for tool in lftp wget sftp; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
. "$here/vsftpd_server.sh"
. "$here/sshd_server.sh"
. "$here/timing.sh"

work="$(mktemp -d /tmp/relay-trees-XXXXXX)"
relays=()
cleanup() {
  for pid in "${relays[@]}"; do kill "$pid" 2>/dev/null || true; done
  stop_vsftpd
  stop_sshd
  rm -rf "$work"
}
trap cleanup EXIT

# start_relay TARGET_PORT ONE_WAY_MS [--ftp]: sets relay_port.
start_relay() {
  rm -f "$work/relay.port"
  python3 "$here/delay_relay.py" 0 "$1" "$2" ${3:-} --port-file "$work/relay.port" &
  relays+=($!)
  for _ in $(seq 100); do [ -s "$work/relay.port" ] && break; sleep 0.05; done
  relay_port="$(cat "$work/relay.port")"
}

# ---- the clients; each takes its output folder, the port to use comes from ftp_port/ssh_port ----
ladeko_ftp() { local bin="$1"; shift; "$bin" "${extra[@]}" --port "$ftp_port" 127.0.0.1 "$@"; }
up_folder() { local d="$work/root/pub/$(basename "$1")"; mkdir -p "$d"; chmod 777 "$d"; echo "pub/$(basename "$1")"; }
lftp_ftp() { lftp -p "$ftp_port" -u anonymous, 127.0.0.1 -e "$1; quit"; }

ftp_get_ours() { ladeko_ftp "$ladeko" getdir pub/tree "$1"; }
ftp_get_before() { ladeko_ftp "$before" getdir pub/tree "$1"; }
ftp_get_lftp() { lftp_ftp "mirror pub/tree $1/tree"; }
ftp_get_lftp4() { lftp_ftp "mirror --parallel=4 pub/tree $1/tree"; }
ftp_get_wget() { wget -q -m --remove-listing -nH --cut-dirs=1 -P "$1" "ftp://127.0.0.1:$ftp_port/pub/tree/"; }
ftp_put_ours() { ladeko_ftp "$ladeko" cd "$(up_folder "$1")" putdir "$work/tree"; }
ftp_put_before() { ladeko_ftp "$before" cd "$(up_folder "$1")" putdir "$work/tree"; }
ftp_put_lftp() { lftp_ftp "mirror -R $work/tree $(up_folder "$1")/tree"; }
ftp_put_lftp4() { lftp_ftp "mirror -R --parallel=4 $work/tree $(up_folder "$1")/tree"; }

ssh_opts() { echo "-i $sshd_key -o IdentitiesOnly=yes -o BatchMode=yes -o UserKnownHostsFile=$sshd_known"; }
ladeko_sftp() { local bin="$1"; shift
  SSH_AUTH_SOCK= "$bin" "${extra[@]}" --known-hosts "$sshd_known" --identity "$sshd_key" \
    "sftp://$sshd_user@127.0.0.1:$ssh_port" "$@"; }
openssh_sftp() { echo "$1" | SSH_AUTH_SOCK= sftp -q $(ssh_opts) -P "$ssh_port" -b - "$sshd_user@127.0.0.1"; }
lftp_sftp() { lftp -e "set sftp:connect-program 'ssh -a -x $(ssh_opts)'; $1; quit" \
  "sftp://$sshd_user:@127.0.0.1:$ssh_port"; }
sftp_up() { mkdir -p "$sftp_root/$(basename "$1")"; echo "$sftp_root/$(basename "$1")"; }

sftp_get_ours() { ladeko_sftp "$ladeko" cd "$sftp_root" getdir tree "$1"; }
sftp_get_before() { ladeko_sftp "$before" cd "$sftp_root" getdir tree "$1"; }
sftp_get_openssh() { openssh_sftp "get -r $sftp_root/tree $1/tree"; }
sftp_get_lftp() { lftp_sftp "mirror $sftp_root/tree $1/tree"; }
sftp_get_lftp4() { lftp_sftp "mirror --parallel=4 $sftp_root/tree $1/tree"; }
sftp_put_ours() { ladeko_sftp "$ladeko" cd "$(sftp_up "$1")" putdir "$work/tree"; }
sftp_put_before() { ladeko_sftp "$before" cd "$(sftp_up "$1")" putdir "$work/tree"; }
sftp_put_openssh() { openssh_sftp "put -r $work/tree $(sftp_up "$1")/tree"; }
sftp_put_lftp() { lftp_sftp "mirror -R $work/tree $(sftp_up "$1")/tree"; }
sftp_put_lftp4() { lftp_sftp "mirror -R --parallel=4 $work/tree $(sftp_up "$1")/tree"; }

ftp_one_ours() { ladeko_ftp "$ladeko" put "$work/one.bin" "$(up_folder "$1")/one.bin"; }
ftp_one_before() { ladeko_ftp "$before" put "$work/one.bin" "$(up_folder "$1")/one.bin"; }
ftp_one_lftp() { lftp_ftp "put $work/one.bin -o $(up_folder "$1")/one.bin"; }
sftp_one_ours() { ladeko_sftp "$ladeko" put "$work/one.bin" "$(sftp_up "$1")/one.bin"; }
sftp_one_before() { ladeko_sftp "$before" put "$work/one.bin" "$(sftp_up "$1")/one.bin"; }
sftp_one_openssh() { openssh_sftp "put $work/one.bin $(sftp_up "$1")/one.bin"; }
sftp_one_lftp() { lftp_sftp "put $work/one.bin -o $(sftp_up "$1")/one.bin"; }

check_get() { same_tree "$work/tree" "$1/tree"; }
check_ftp_put() { local d="$work/root/pub/$(basename "$1")"; same_tree "$work/tree" "$d/tree"; rm -rf "$d"; }
check_sftp_put() { local d="$sftp_root/$(basename "$1")"; same_tree "$work/tree" "$d/tree"; rm -rf "$d"; }
check_ftp_one() { local d="$work/root/pub/$(basename "$1")"; cmp -s "$work/one.bin" "$d/one.bin"; rm -rf "$d"; }
check_sftp_one() { local d="$sftp_root/$(basename "$1")"; cmp -s "$work/one.bin" "$d/one.bin"; rm -rf "$d"; }

# cell FUNCTION CHECK: the median of ROUNDS runs, "-" when the function does not exist, FAIL
# when a run fails or its result differs (the reason goes to standard error).
cell() {
  declare -F "$1" >/dev/null || { echo "-"; return; }
  local times=() out t
  for r in $(seq "$rounds"); do
    out="$work/out/$1-$r"; rm -rf "$out"; mkdir -p "$out"
    t="$( (timed "$1" "$out") )" && ( "$2" "$out" ) || { echo FAIL; return; }
    times+=("$t"); rm -rf "$out"
  done
  printf '%.2f' "$(median "${times[@]}")"
}

clients=(ours lftp lftp4 wget openssh)
[ -n "$before" ] && clients=(ours before "${clients[@]:1}")
label() {
  case "$1" in
    ours) echo "ladeko-ftp" ;; before) echo "ladeko-ftp (before)" ;; lftp) echo "lftp mirror" ;;
    lftp4) echo "lftp mirror --parallel=4" ;; wget) echo "wget -m" ;; openssh) echo "OpenSSH sftp -r" ;;
  esac
}

make_tree "$work/tree" "$files" "$folders"
head -c "$(( ${ONE_MIB:-4} * 1024 * 1024 ))" /dev/urandom > "$work/one.bin"
start_vsftpd "$work"
rm -rf "$work/root/pub/tree"; cp -r "$work/tree" "$work/root/pub/tree"
start_sshd "$work"
sftp_root="$work/sftproot"; mkdir -p "$sftp_root"; cp -r "$work/tree" "$sftp_root/tree"
host_key="$(cut -d' ' -f1,2 "$work/host_ed25519.pub")"

for rtt in ${RTTS:-0 40 100}; do
  if [ "$rtt" = 0 ]; then
    ftp_port=$vsftpd_port ssh_port=$sshd_port
  else
    half="$(awk -v r="$rtt" 'BEGIN { print r / 2 }')"
    start_relay "$vsftpd_port" "$half" --ftp; ftp_port=$relay_port
    start_relay "$sshd_port" "$half"; ssh_port=$relay_port
    echo "[127.0.0.1]:$ssh_port $host_key" >> "$sshd_known"
  fi
  echo "== round trip $rtt ms: $files files of 1-20 KB in $folders folders, medians of $rounds rounds (s)"
  printf '%-26s %11s %11s %11s %11s %11s %11s\n' client "FTP getdir" "FTP putdir" "SFTP getdir" "SFTP putdir" \
    "FTP put 1" "SFTP put 1"
  for c in "${clients[@]}"; do
    printf '%-26s %11s %11s %11s %11s %11s %11s\n' "$(label "$c")" \
      "$(cell "ftp_get_$c" check_get)" "$(cell "ftp_put_$c" check_ftp_put)" \
      "$(cell "sftp_get_$c" check_get)" "$(cell "sftp_put_$c" check_sftp_put)" \
      "$(cell "ftp_one_$c" check_ftp_one)" "$(cell "sftp_one_$c" check_sftp_one)"
  done
done
