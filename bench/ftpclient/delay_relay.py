#!/usr/bin/env python3
"""A TCP relay on loopback that delays every byte by a fixed time in each direction.

    delay_relay.py LISTEN_PORT TARGET_PORT ONE_WAY_MS [--ftp] [--port-file FILE]

It stands for a server far away: a round trip through it costs 2 x ONE_WAY_MS. A connection's
set-up costs a round trip too, as over a real link: bytes the client sends are held until the
handshake would have finished. With --ftp the relay reads the server's control replies and
rewrites the passive answers (227 and 229) so that data connections go through a relay of the
same delay as well; only plain FTP can be read this way, not FTP over TLS. LISTEN_PORT 0 picks a
free port; --port-file receives the port once the relay listens. Runs until killed.
"""

import argparse
import asyncio
import re
import time

HOST = "127.0.0.1"
PASV = re.compile(rb"^227 .*?(\d+),(\d+),(\d+),(\d+),(\d+),(\d+)")
EPSV = re.compile(rb"^229 .*?\(\|\|\|(\d+)\|\)")


class Pipe:
    """One direction of a connection: bytes read now are written ONE_WAY later, in order."""

    def __init__(self, writer, delay, not_before=0.0):
        self.writer = writer
        self.delay = delay
        self.not_before = not_before
        self.queue = asyncio.Queue()
        self.task = asyncio.create_task(self._deliver())

    def send(self, data):
        due = max(time.monotonic(), self.not_before) + self.delay
        self.queue.put_nowait((due, data))

    async def _deliver(self):
        try:
            while True:
                due, data = await self.queue.get()
                wait = due - time.monotonic()
                if wait > 0:
                    await asyncio.sleep(wait)
                if data is None:
                    if self.writer.can_write_eof():
                        self.writer.write_eof()
                    return
                self.writer.write(data)
                await self.writer.drain()
        except (ConnectionError, OSError):
            pass


async def copy(reader, pipe, rewrite=None):
    """Reads until the end and hands every piece to the pipe, the end as None."""
    pending = b""
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            if rewrite is None:
                pipe.send(data)
                continue
            pending += data
            *lines, pending = pending.split(b"\n")
            for line in lines:
                pipe.send(await rewrite(line + b"\n"))
    except (ConnectionError, OSError):
        pass
    if pending:
        pipe.send(pending)
    pipe.send(None)


async def relay(client_reader, client_writer, target_port, delay, ftp):
    accepted = time.monotonic()
    await asyncio.sleep(delay)  # the client's connection request travels to the server
    try:
        server_reader, server_writer = await asyncio.open_connection(HOST, target_port)
    except OSError:
        client_writer.close()
        return
    # The client believes it is connected at once; a real link lets it send after a round trip.
    to_server = Pipe(server_writer, delay, not_before=accepted + 2 * delay)
    to_client = Pipe(client_writer, delay)
    rewrite = (lambda line: rewrite_passive(line, delay)) if ftp else None
    await asyncio.gather(copy(client_reader, to_server), copy(server_reader, to_client, rewrite))
    await asyncio.gather(to_server.task, to_client.task)
    for writer in (server_writer, client_writer):
        writer.close()


async def rewrite_passive(line, delay):
    """Points a passive answer at a new relay in front of the server's data port."""
    match = PASV.match(line)
    if match:
        port = int(match.group(5)) * 256 + int(match.group(6))
        mine = await data_relay(port, delay)
        return b"227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (mine // 256, mine % 256)
    match = EPSV.match(line)
    if match:
        mine = await data_relay(int(match.group(1)), delay)
        return b"229 Entering Extended Passive Mode (|||%d|)\r\n" % mine
    return line


async def data_relay(target_port, delay):
    """A relay for one data connection: it stops listening after the first client."""
    server = None

    async def accept(reader, writer):
        server.close()
        await relay(reader, writer, target_port, delay, ftp=False)

    server = await asyncio.start_server(accept, HOST, 0)
    return server.sockets[0].getsockname()[1]


async def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("listen_port", type=int)
    parser.add_argument("target_port", type=int)
    parser.add_argument("one_way_ms", type=float)
    parser.add_argument("--ftp", action="store_true")
    parser.add_argument("--port-file")
    args = parser.parse_args()
    delay = args.one_way_ms / 1000.0
    server = await asyncio.start_server(
        lambda r, w: relay(r, w, args.target_port, delay, args.ftp), HOST, args.listen_port)
    if args.port_file:
        with open(args.port_file, "w") as f:
            f.write("%d\n" % server.sockets[0].getsockname()[1])
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
