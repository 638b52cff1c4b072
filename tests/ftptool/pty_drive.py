"""Runs a program on a new pseudo terminal, as a user at a terminal would.

Usage: pty_drive.py PROMPT ANSWER PROGRAM [ARGS...]
Waits until the program has written PROMPT to the terminal, types ANSWER and Enter, and
prints everything the terminal showed. Exits with the program's exit code, or 90 when the
prompt never came.
"""
import os
import pty
import select
import sys
import time


def read_some(fd, timeout):
    ready, _, _ = select.select([fd], [], [], timeout)
    if not ready:
        return None
    try:
        return os.read(fd, 4096)
    except OSError:  # the program has ended and the terminal is gone
        return b""


def main():
    prompt, answer = os.fsencode(sys.argv[1]), os.fsencode(sys.argv[2])
    program = sys.argv[3:]
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(program[0], program)
    shown = b""
    deadline = time.monotonic() + 20
    while prompt not in shown and time.monotonic() < deadline:
        block = read_some(fd, 0.5)
        if block == b"":
            break
        shown += block or b""
    if prompt not in shown:
        os.kill(pid, 9)
        os.waitpid(pid, 0)
        sys.stdout.buffer.write(shown)
        sys.exit(90)
    os.write(fd, answer + b"\n")
    while time.monotonic() < deadline:
        block = read_some(fd, 0.5)
        if block == b"":
            break
        shown += block or b""
    ended, status = os.waitpid(pid, os.WNOHANG)
    if ended == 0:  # still waiting after the deadline
        os.kill(pid, 9)
        _, status = os.waitpid(pid, 0)
    sys.stdout.buffer.write(shown)
    sys.exit(os.waitstatus_to_exitcode(status))


if __name__ == "__main__":
    main()
