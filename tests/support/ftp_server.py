"""A pyftpdlib server for the FTP client's and the FTP tool's tests.

Usage: ftp_server.py HOME USER PASSWORD [--bind ADDRESS] [--tls CERTFILE KEYFILE]
                     [--throttle BYTES] [--idle SECONDS] [--max-per-ip COUNT]
Listens on a free port of ADDRESS (127.0.0.1 when not given), prints that port on one line,
then serves until killed. With --tls the server offers AUTH TLS and PROT P; with --throttle
it moves at most BYTES per second on each data connection, in both directions. With --idle it
closes a control connection that stayed SECONDS without a command, as servers on the internet
do, and prints "idle-closed" on a line of its own once that connection is closed. With
--max-per-ip it refuses (421) a control connection beyond COUNT from one address.
A refused log-in is answered at once: the tests have no attacker to slow down.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class TellsIdleClose:
    """Announces on standard output each control connection closed for being idle."""

    _timed_out = False

    def handle_timeout(self):
        self._timed_out = True
        super().handle_timeout()

    def on_disconnect(self):
        if self._timed_out:
            print("idle-closed", flush=True)


def parse(options):
    parsed = {"bind": "127.0.0.1", "tls": None, "throttle": None, "idle": None, "max_per_ip": None}
    while options:
        if options[0] == "--bind":
            parsed["bind"], options = options[1], options[2:]
        elif options[0] == "--throttle":
            parsed["throttle"], options = int(options[1]), options[2:]
        elif options[0] == "--max-per-ip":
            parsed["max_per_ip"], options = int(options[1]), options[2:]
        elif options[0] == "--idle":
            parsed["idle"], options = float(options[1]), options[2:]
        elif options[0] == "--tls":
            parsed["tls"], options = (options[1], options[2]), options[3:]
        else:
            sys.exit("unknown option " + options[0])
    return parsed


def make_handler(options):
    base = FTPHandler
    if options["tls"]:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler

    class Handler(TellsIdleClose, base):
        pass

    if options["tls"]:
        Handler.certfile, Handler.keyfile = options["tls"]
    Handler.auth_failed_timeout = 0
    if options["idle"]:
        Handler.timeout = options["idle"]
    if options["throttle"]:
        from pyftpdlib.handlers import ThrottledDTPHandler

        class Throttled(ThrottledDTPHandler):
            read_limit = options["throttle"]
            write_limit = options["throttle"]

        Handler.dtp_handler = Throttled
        # sendfile() would send a download past the throttle.
        Handler.use_sendfile = False
    return Handler


def main():
    home, user, password = sys.argv[1:4]
    options = parse(sys.argv[4:])
    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, home, perm="elradfmwMT")
    handler = make_handler(options)
    handler.authorizer = authorizer
    server = FTPServer((options["bind"], 0), handler)
    if options["max_per_ip"]:
        server.max_cons_per_ip = options["max_per_ip"]
    print(server.address[1], flush=True)
    # pyftpdlib's poll loop reads a timer that is due at once (timeout 0) as "no timer" and then
    # waits for the next socket event, so the idle limit or the answer to a refused log-in could
    # wait for ever. Waking every 50 ms lets every timer fire on time.
    server.serve_forever(timeout=0.05, handle_exit=True)


if __name__ == "__main__":
    main()
