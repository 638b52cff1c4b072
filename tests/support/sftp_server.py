#!/usr/bin/python3
"""A scripted SFTP server on paramiko for the cases a real sshd will not play: password and
keyboard-interactive log-in, a host key of the test's choosing, a download cut off or stalled
part-way, slow writes, an upload stalled part-way or a further connection dropped mid-upload,
a connection or its SFTP channel closed as the client enters a folder, OpenSSH's posix-rename
offered, a rename of an upload's temporary file refused or cut once. Serves ROOT; prints its
port once it listens. Log-in attempts go to --auth-log."""
import argparse
import os
import socket
import stat
import sys
import threading
import time

import paramiko
from paramiko.message import Message
from paramiko.sftp import CMD_VERSION, SFTP_OK, SFTP_NO_SUCH_FILE, SFTP_FAILURE

options = None
rename_faulted = False


def log_auth(text):
    if options.auth_log:
        with open(options.auth_log, "a") as out:
            out.write(text + "\n")


class Server(paramiko.ServerInterface):
    def get_allowed_auths(self, username):
        return options.auth

    def check_auth_password(self, username, password):
        log_auth("password " + username)
        if "password" in options.auth and password == options.password:
            return paramiko.AUTH_SUCCESSFUL
        return paramiko.AUTH_FAILED

    def check_auth_interactive(self, username, submethods):
        log_auth("interactive " + username)
        if "keyboard-interactive" not in options.auth:
            return paramiko.AUTH_FAILED
        return paramiko.InteractiveQuery("", "", ("Passwort: ", False))

    def check_auth_interactive_response(self, responses):
        ok = len(responses) == 1 and responses[0] == options.password
        return paramiko.AUTH_SUCCESSFUL if ok else paramiko.AUTH_FAILED

    def check_auth_publickey(self, username, key):
        log_auth("publickey " + username)
        return paramiko.AUTH_FAILED

    def check_auth_none(self, username):
        log_auth("none " + username)
        return paramiko.AUTH_FAILED

    def check_channel_request(self, kind, chanid):
        return paramiko.OPEN_SUCCEEDED if kind == "session" else paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED


class Handle(paramiko.SFTPHandle):
    def write(self, offset, data):
        if options.write_delay:
            time.sleep(options.write_delay)
        if options.stall_writes_after is not None and offset >= options.stall_writes_after:
            time.sleep(3600)
        joined = not (self.open_flags & os.O_CREAT)  # opened the file another connection made
        if joined and options.drop_joined_after is not None and offset >= options.drop_joined_after:
            self.transport.close()
            return SFTP_FAILURE
        return super().write(offset, data)

    def read(self, offset, length):
        inside = offset < os.fstat(self.readfile.fileno()).st_size
        if inside and options.cut_after is not None and offset >= options.cut_after:
            os._exit(0)  # the connection drops in the middle of the file
        if inside and options.stall_after is not None and offset >= options.stall_after:
            time.sleep(3600)
        if options.ragged_reads:
            length = min(length, 1 + (offset * 7919) % options.ragged_reads)
        if options.read_sizes:
            sizes = [int(size) for size in options.read_sizes.split(",")]
            self.reads = getattr(self, "reads", 0) + 1
            length = sizes[min(self.reads, len(sizes)) - 1]  # whatever was asked
        return super().read(offset, length)


def local(path):
    return os.path.join(options.root, path.lstrip("/"))


def endless(path):
    """Inside the folder --endless names, every folder holds one more folder "t"."""
    return options.endless is not None and options.endless in path.strip("/").split("/")


def folder_attributes(name):
    attr = paramiko.SFTPAttributes()
    attr.filename = name
    attr.st_mode = stat.S_IFDIR | 0o755
    attr.st_size = 0
    attr.st_mtime = attr.st_atime = 0
    return attr


class Files(paramiko.SFTPServerInterface):
    def __init__(self, server, *args, **kwargs):
        super().__init__(server, *args, **kwargs)
        self.transport = server.transport

    def canonicalize(self, path):
        name = os.path.basename(path.rstrip("/"))
        if name == options.close_on_enter:
            self.transport.close()  # the server goes away as the client enters that folder
        if name == options.end_sftp_on_enter:
            self.channel.close()  # the SFTP server ends; the SSH connection stays
        return "/" + os.path.normpath("/" + path).lstrip("/") if path not in ("", ".") else "/"

    def list_folder(self, path):
        if endless(path):
            return [folder_attributes("t")]
        try:
            result = []
            for name in os.listdir(local(path)):
                attr = paramiko.SFTPAttributes.from_stat(os.lstat(os.path.join(local(path), name)))
                attr.filename = name
                result.append(attr)
            return result
        except OSError as error:
            return paramiko.SFTPServer.convert_errno(error.errno)

    def stat(self, path):
        if endless(path):
            return folder_attributes(os.path.basename(path.rstrip("/")))
        try:
            return paramiko.SFTPAttributes.from_stat(os.stat(local(path)))
        except OSError as error:
            return paramiko.SFTPServer.convert_errno(error.errno)

    lstat = stat

    def open(self, path, flags, attr):
        try:
            fd = os.open(local(path), flags, 0o644)
            mode = "rb" if (flags & (os.O_WRONLY | os.O_RDWR)) == 0 else "r+b"
            handle = Handle(flags)
            handle.transport = self.transport
            handle.open_flags = flags
            handle.filename = local(path)
            handle.readfile = handle.writefile = os.fdopen(fd, mode)
            return handle
        except OSError as error:
            return paramiko.SFTPServer.convert_errno(error.errno)

    def remove(self, path):
        try:
            os.remove(local(path))
            return SFTP_OK
        except OSError as error:
            return paramiko.SFTPServer.convert_errno(error.errno)

    def fault(self, old):
        """The first rename of an upload's temporary file fails (--rename-fault): refused, or
        the connection goes as the request arrives."""
        global rename_faulted
        name = os.path.basename(old)
        if not options.rename_fault or rename_faulted or ".~ladeko-" not in name or ".~ladeko-alt-" in name:
            return None
        rename_faulted = True
        if options.rename_fault == "cut":
            self.transport.close()
        return SFTP_FAILURE

    def rename(self, old, new):
        if os.path.exists(local(new)):
            return SFTP_FAILURE  # as plain SFTP: no rename onto an existing name
        failed = self.fault(old)
        if failed is not None:
            return failed
        os.rename(local(old), local(new))
        return SFTP_OK

    def posix_rename(self, old, new):
        failed = self.fault(old)
        if failed is not None:
            return failed
        os.replace(local(old), local(new))
        return SFTP_OK


class Subsystem(paramiko.SFTPServer):
    def __init__(self, channel, name, server, sftp_si, *args, **kwargs):
        super().__init__(channel, name, server, sftp_si, *args, **kwargs)
        self.server.channel = channel

    def _send_server_version(self):
        if not options.posix_rename:
            return super()._send_server_version()
        _, data = self._read_packet()
        msg = Message()
        msg.add_int(3)
        msg.add("check-file", "md5,sha1", "posix-rename@openssh.com", "1")
        self._send_packet(CMD_VERSION, msg)
        return int.from_bytes(data[:4], "big")


def serve(client):
    transport = paramiko.Transport(client)
    transport.add_server_key(paramiko.Ed25519Key.from_private_key_file(options.host_key))
    transport.set_subsystem_handler("sftp", Subsystem, Files)
    server = Server()
    server.transport = transport
    transport.start_server(server=server)
    while transport.is_active():
        time.sleep(0.1)


def main():
    global options
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--host-key", required=True)
    parser.add_argument("--password", default="")
    parser.add_argument("--auth", default="password")
    parser.add_argument("--auth-log")
    parser.add_argument("--cut-after", type=int)
    parser.add_argument("--stall-after", type=int)
    parser.add_argument("--write-delay", type=float)
    parser.add_argument("--stall-writes-after", type=int)
    parser.add_argument("--drop-joined-after", type=int)
    parser.add_argument("--endless")
    parser.add_argument("--close-on-enter")
    parser.add_argument("--end-sftp-on-enter")
    # Answers a read with fewer bytes than asked, a different count at each offset.
    parser.add_argument("--ragged-reads", type=int)
    # Answers the n-th read of a file with the n-th of these sizes (the last one repeating),
    # more or less than asked.
    parser.add_argument("--read-sizes")
    parser.add_argument("--posix-rename", action="store_true")
    parser.add_argument("--rename-fault", choices=("refuse", "cut"))
    options = parser.parse_args()
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    print(listener.getsockname()[1], flush=True)
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client,), daemon=True).start()


if __name__ == "__main__":
    main()
