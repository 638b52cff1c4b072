#!/usr/bin/env python3
"""An on-path TCP relay for the FTP TLS tests.

Relays a control connection and the server's passive data ports from LISTEN to TARGET (the
client finds its data ports on the control connection's peer, so each data port is relayed
under its own number). With --cut N a data connection's stream from the server ends after N
bytes, without TLS close_notify, while the rest the server sends is swallowed, so the server
believes all went through. With --cert/--key a data connection is answered by the relay
itself with that certificate, as a man in the middle would. Prints the control port once
everything listens.
"""
import argparse
import socket
import ssl
import sys
import threading


def listen(host, port):
    sock = socket.socket()
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind((host, port))
    sock.listen(8)
    return sock


def forward(source, target, limit=0):
    sent = 0
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            if limit and sent + len(data) >= limit:
                target.sendall(data[:limit - sent])
                target.shutdown(socket.SHUT_RDWR)
                while source.recv(65536):
                    pass
                break
            target.sendall(data)
            sent += len(data)
    except OSError:
        pass
    try:
        target.shutdown(socket.SHUT_WR)
    except OSError:
        pass


def relay(client, target, limit=0):
    try:
        server = socket.create_connection(target)
    except OSError:
        client.close()
        return
    upstream = threading.Thread(target=forward, args=(client, server), daemon=True)
    upstream.start()
    forward(server, client, limit)
    upstream.join(30)
    client.close()
    server.close()


def impostor(client, context, target):
    # The server must see its data connection, or it never tells the client to start TLS.
    try:
        server = socket.create_connection(target)
    except OSError:
        client.close()
        return
    try:
        tls = context.wrap_socket(client, server_side=True)
        while tls.recv(65536):
            pass
    except (OSError, ssl.SSLError):
        pass
    client.close()
    server.close()


def serve(sock, handle):
    while True:
        client, _ = sock.accept()
        threading.Thread(target=handle, args=(client,), daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--listen", default="127.0.0.2")
    parser.add_argument("--target", default="127.0.0.1")
    parser.add_argument("--target-port", type=int, required=True)
    parser.add_argument("--data-ports", type=int, nargs=2, metavar=("FIRST", "COUNT"), required=True)
    parser.add_argument("--cut", type=int, default=0)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()

    control = listen(args.listen, 0)
    threading.Thread(target=serve, daemon=True, args=(
        control, lambda c: relay(c, (args.target, args.target_port)))).start()
    context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
    first, count = args.data_ports
    for port in range(first, first + count):
        if context:
            handle = lambda c, p=port: impostor(c, context, (args.target, p))
        else:
            handle = lambda c, p=port: relay(c, (args.target, p), args.cut)
        threading.Thread(target=serve, args=(listen(args.listen, port), handle), daemon=True).start()
    print(control.getsockname()[1], flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    sys.exit(main())
