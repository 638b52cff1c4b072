#!/usr/bin/env python3
"""An FTP server that speaks TLS after AUTH TLS and, once logged in, answers the next command
in plain text on the raw socket, as vsftpd does when the process of a session ends
("500 OOPS: child died"). Usage: tls_plain_reply.py CERT KEY REPLY. Prints its port.
"""
import os
import socket
import ssl
import sys

ANSWERS = {"PBSZ": "200 PBSZ=0", "PROT": "200 PROT P", "USER": "331 Passwort?", "PASS": "230 Angemeldet",
           "TYPE": "200 Typ I", "SYST": "215 UNIX Type: L8"}


def main():
    cert, key, reply = sys.argv[1:4]
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    conn, _ = listener.accept()
    plain = conn.makefile("rwb", buffering=0)
    plain.write(b"220 Bereit\r\n")
    assert plain.readline().startswith(b"FEAT")
    plain.write(b"211-Features:\r\n AUTH TLS\r\n211 End\r\n")
    assert plain.readline().startswith(b"AUTH TLS")
    plain.write(b"234 AUTH TLS ok\r\n")
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    secure = context.wrap_socket(conn, server_side=True)
    lines = secure.makefile("rwb", buffering=0)
    while True:
        command = lines.readline().decode().strip()
        if not command:
            return
        answer = ANSWERS.get(command.split(" ")[0])
        if answer is None:
            os.write(secure.fileno(), (reply + "\r\n").encode())
            try:
                secure.recv(1)  # until the client hangs up
            except (ssl.SSLError, OSError):
                pass
            return
        lines.write((answer + "\r\n").encode())


main()
