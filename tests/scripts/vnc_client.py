#!/usr/bin/env python3
"""A small RFB (VNC) client on the standard library: the 3.8 handshake, VNC authentication
(DES, written out below) and one raw framebuffer update.

As a program it grabs the screen of a running session into a PPM (or PNG, if ImageMagick's
convert is there):  vnc_client.py PORT OUTPUT [--host 127.0.0.1]; the password is read from
standard input, so it appears on no command line.
"""
import socket
import struct
import sys

# --- DES (FIPS 46-3), encryption only -------------------------------------------------------

_IP = [58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
       62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
       57, 49, 41, 33, 25, 17, 9, 1, 59, 51, 43, 35, 27, 19, 11, 3,
       61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7]
_FP = [40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
       38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
       36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
       34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9, 49, 17, 57, 25]
_E = [32, 1, 2, 3, 4, 5, 4, 5, 6, 7, 8, 9, 8, 9, 10, 11, 12, 13, 12, 13, 14, 15, 16, 17,
      16, 17, 18, 19, 20, 21, 20, 21, 22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1]
_P = [16, 7, 20, 21, 29, 12, 28, 17, 1, 15, 23, 26, 5, 18, 31, 10,
      2, 8, 24, 14, 32, 27, 3, 9, 19, 13, 30, 6, 22, 11, 4, 25]
_PC1 = [57, 49, 41, 33, 25, 17, 9, 1, 58, 50, 42, 34, 26, 18, 10, 2, 59, 51, 43, 35, 27, 19, 11, 3,
        60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7, 62, 54, 46, 38, 30, 22, 14, 6,
        61, 53, 45, 37, 29, 21, 13, 5, 28, 20, 12, 4]
_PC2 = [14, 17, 11, 24, 1, 5, 3, 28, 15, 6, 21, 10, 23, 19, 12, 4, 26, 8, 16, 7, 27, 20, 13, 2,
        41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32]
_SHIFTS = [1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1]
_S = [
    [14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7,
     0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8,
     4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0,
     15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13],
    [15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10,
     3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
     0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15,
     13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9],
    [10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8,
     13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1,
     13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7,
     1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12],
    [7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15,
     13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9,
     10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4,
     3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14],
    [2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9,
     14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6,
     4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14,
     11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3],
    [12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11,
     10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8,
     9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6,
     4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13],
    [4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1,
     13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6,
     1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2,
     6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12],
    [13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7,
     1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2,
     7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8,
     2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11],
]


def _permute(value, table, width):
    """Bit i of the result (1 = most significant) is bit table[i] of value, which has width bits."""
    out = 0
    for position in table:
        out = (out << 1) | ((value >> (width - position)) & 1)
    return out


def _subkeys(key):
    cd = _permute(int.from_bytes(key, "big"), _PC1, 64)
    c, d = cd >> 28, cd & 0xFFFFFFF
    keys = []
    for shift in _SHIFTS:
        c = ((c << shift) | (c >> (28 - shift))) & 0xFFFFFFF
        d = ((d << shift) | (d >> (28 - shift))) & 0xFFFFFFF
        keys.append(_permute((c << 28) | d, _PC2, 56))
    return keys


def des_encrypt_block(key, block):
    """Encrypts one 8-byte block with an 8-byte key (the key's parity bits are ignored)."""
    if len(key) != 8 or len(block) != 8:
        raise ValueError("DES works on 8-byte keys and blocks")
    value = _permute(int.from_bytes(block, "big"), _IP, 64)
    left, right = value >> 32, value & 0xFFFFFFFF
    for subkey in _subkeys(key):
        x = _permute(right, _E, 32) ^ subkey
        s_out = 0
        for box in range(8):
            six = (x >> (42 - 6 * box)) & 0x3F
            row = ((six >> 4) & 2) | (six & 1)
            column = (six >> 1) & 0xF
            s_out = (s_out << 4) | _S[box][row * 16 + column]
        left, right = right, left ^ _permute(s_out, _P, 32)
    return _permute((right << 32) | left, _FP, 64).to_bytes(8, "big")


def vnc_key(password):
    """The DES key VNC makes of a password: its first 8 bytes, zero-padded, each byte's bits
    reversed (the reference implementation numbers key bits from the low end)."""
    raw = password.encode("latin-1")[:8].ljust(8, b"\0")
    return bytes(int(f"{b:08b}"[::-1], 2) for b in raw)


def vnc_response(password, challenge):
    key = vnc_key(password)
    return des_encrypt_block(key, challenge[:8]) + des_encrypt_block(key, challenge[8:16])


# --- RFB ---------------------------------------------------------------------------------

SECURITY_NONE = 1
SECURITY_VNC = 2


class Refused(Exception):
    """The server turned the client away; the message is the server's reason, if it gave one."""


class Session:
    def __init__(self, sock, width, height, name):
        self.sock, self.width, self.height, self.name = sock, width, height, name

    def close(self):
        self.sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def grab(self):
        """Asks for the whole screen in raw 32-bit pixels and returns it as RGB bytes."""
        pixel_format = struct.pack(">BBBBHHHBBB3x", 32, 24, 0, 1, 255, 255, 255, 16, 8, 0)
        self.sock.sendall(b"\0\0\0\0" + pixel_format)  # SetPixelFormat
        self.sock.sendall(struct.pack(">BxHi", 2, 1, 0))  # SetEncodings: raw only
        self.sock.sendall(struct.pack(">BBHHHH", 3, 0, 0, 0, self.width, self.height))
        rgb = bytearray(self.width * self.height * 3)
        while True:
            kind = _recv(self.sock, 1)[0]
            if kind == 0:
                break
            if kind == 2:  # Bell
                continue
            if kind == 3:  # ServerCutText
                _recv(self.sock, 3)
                _recv(self.sock, struct.unpack(">I", _recv(self.sock, 4))[0])
                continue
            raise Refused(f"unexpected server message {kind}")
        _recv(self.sock, 1)
        (rects,) = struct.unpack(">H", _recv(self.sock, 2))
        for _ in range(rects):
            x, y, w, h, encoding = struct.unpack(">HHHHi", _recv(self.sock, 12))
            if encoding != 0:
                raise Refused(f"server sent encoding {encoding} though only raw was asked for")
            data = _recv(self.sock, w * h * 4)
            for row in range(h):
                for col in range(w):
                    b, g, r = data[(row * w + col) * 4:(row * w + col) * 4 + 3]
                    at = ((y + row) * self.width + x + col) * 3
                    rgb[at:at + 3] = bytes((r, g, b))
        return bytes(rgb)


def _recv(sock, count):
    data = bytearray()
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise Refused("the server closed the connection")
        data += chunk
    return bytes(data)


def _reason(sock):
    try:
        (length,) = struct.unpack(">I", _recv(sock, 4))
        return _recv(sock, length).decode("utf-8", "replace")
    except (Refused, OSError):
        return "(no reason given)"


def offered_security(host, port, timeout=5.0):
    """Connects, does the version handshake and returns the security types the server offers."""
    with socket.create_connection((host, port), timeout=timeout) as sock:
        return _security_types(sock)


def _security_types(sock):
    version = _recv(sock, 12)
    if not version.startswith(b"RFB 003."):
        raise Refused(f"not an RFB server: {version!r}")
    sock.sendall(b"RFB 003.008\n")
    count = _recv(sock, 1)[0]
    if count == 0:
        raise Refused(_reason(sock))
    return list(_recv(sock, count))


def connect(host, port, password=None, security=None, timeout=5.0):
    """Logs in and returns a Session past ServerInit, or raises Refused.

    security picks the type to ask for (by default VNC authentication if a password is given,
    else none), whether or not the server offers it: a server has to turn down what it did not
    offer."""
    if security is None:
        security = SECURITY_NONE if password is None else SECURITY_VNC
    sock = socket.create_connection((host, port), timeout=timeout)
    try:
        _security_types(sock)
        sock.sendall(bytes([security]))
        if security == SECURITY_VNC:
            challenge = _recv(sock, 16)
            sock.sendall(vnc_response(password or "", challenge))
        (result,) = struct.unpack(">I", _recv(sock, 4))
        if result != 0:
            raise Refused(_reason(sock))
        sock.sendall(b"\1")  # ClientInit: share the desktop
        width, height = struct.unpack(">HH", _recv(sock, 4))
        _recv(sock, 16)
        name = _reason(sock)
        return Session(sock, width, height, name)
    except BaseException:
        sock.close()
        raise


def main(argv):
    import argparse
    import shutil
    import subprocess
    parser = argparse.ArgumentParser(description="Grab the screen of a VNC session.")
    parser.add_argument("port", type=int)
    parser.add_argument("output", help="a .ppm file, or .png when ImageMagick is installed")
    parser.add_argument("--host", default="127.0.0.1")
    args = parser.parse_args(argv)
    password = sys.stdin.readline().rstrip("\n")
    with connect(args.host, args.port, password, timeout=15) as session:
        print(f"logged in: {session.width}x{session.height} desktop '{session.name}'")
        rgb = session.grab()
    ppm = f"P6 {session.width} {session.height} 255\n".encode() + rgb
    if args.output.endswith(".ppm") or not shutil.which("convert"):
        with open(args.output, "wb") as out:
            out.write(ppm)
    else:
        subprocess.run(["convert", "ppm:-", args.output], input=ppm, check=True)
    print(f"wrote {args.output}")


if __name__ == "__main__":
    main(sys.argv[1:])
