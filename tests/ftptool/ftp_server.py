"""The FTP client tests' pyftpdlib server, with an idle limit for the tool's reconnect tests.

Usage: ftp_server.py HOME USER PASSWORD [--bind ADDRESS] [--tls CERTFILE KEYFILE]
Listens on a free port of ADDRESS (127.0.0.1 when not given), prints that port on one line,
then serves until killed. With --tls the server offers AUTH TLS and PROT P.
When FTPTOOL_IDLE_SECONDS is set, the server closes a control connection that stayed idle
that long, as servers on the internet do.
"""
import logging
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class IdleLimit:
    """Closes the control connection after idle_limit seconds without a command."""

    idle_limit = None

    def on_connect(self):
        self._last_command = time.monotonic()
        self._watch = None
        if self.idle_limit:
            self._watch = self.ioloop.call_every(0.2, self._check_idle)

    def found_terminator(self):
        self._last_command = time.monotonic()
        super().found_terminator()

    def _check_idle(self):
        if self.data_channel is None and time.monotonic() - self._last_command > self.idle_limit:
            self._stop_watch()
            self.respond("421 Control connection timed out.")
            self.close_when_done()

    def _stop_watch(self):
        if self._watch is not None and not self._watch.cancelled:
            self._watch.cancel()

    def on_disconnect(self):
        self._stop_watch()


class IdleLimitedHandler(IdleLimit, FTPHandler):
    pass


def main():
    home, user, password = sys.argv[1:4]
    options = sys.argv[4:]
    bind = "127.0.0.1"
    tls = None
    while options:
        if options[0] == "--bind":
            bind, options = options[1], options[2:]
        elif options[0] == "--tls":
            tls, options = (options[1], options[2]), options[3:]
        else:
            sys.exit("unknown option " + options[0])
    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, home, perm="elradfmwMT")
    handler = IdleLimitedHandler
    if tls:
        from pyftpdlib.handlers import TLS_FTPHandler

        class IdleLimitedTlsHandler(IdleLimit, TLS_FTPHandler):
            pass

        handler = IdleLimitedTlsHandler
        handler.certfile, handler.keyfile = tls
    handler.authorizer = authorizer
    idle = os.environ.get("FTPTOOL_IDLE_SECONDS")
    if idle:
        handler.idle_limit = float(idle)
    server = FTPServer((bind, 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
