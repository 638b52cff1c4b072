"""A pyftpdlib server for the FTP client tests.

Usage: ftp_server.py HOME USER PASSWORD [--bind ADDRESS] [--tls CERTFILE KEYFILE] [--throttle BYTES]
Listens on a free port of ADDRESS (127.0.0.1 when not given), prints that port on one line,
then serves until killed. With --tls the server offers AUTH TLS and PROT P; with --throttle
it moves at most BYTES per second on each data connection, in both directions.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    home, user, password = sys.argv[1:4]
    options = sys.argv[4:]
    bind = "127.0.0.1"
    tls = None
    throttle = None
    while options:
        if options[0] == "--bind":
            bind, options = options[1], options[2:]
        elif options[0] == "--throttle":
            throttle, options = int(options[1]), options[2:]
        elif options[0] == "--tls":
            tls, options = (options[1], options[2]), options[3:]
        else:
            sys.exit("unknown option " + options[0])
    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, home, perm="elradfmwMT")
    handler = FTPHandler
    if tls:
        from pyftpdlib.handlers import TLS_FTPHandler
        handler = TLS_FTPHandler
        handler.certfile, handler.keyfile = tls
    handler.authorizer = authorizer
    if throttle:
        from pyftpdlib.handlers import ThrottledDTPHandler
        ThrottledDTPHandler.read_limit = throttle
        ThrottledDTPHandler.write_limit = throttle
        handler.dtp_handler = ThrottledDTPHandler
    server = FTPServer((bind, 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
