#!/usr/bin/env python3
"""Tests the headless path of scripts/run: the VNC session is password-protected, the X display
behind it needs its cookie, nothing secret shows up in the process list, a busy port is
reported, and the session leaves no process or file behind.

Usage: run_headless_test.py PATH/TO/scripts/run
A stand-in program (standin_program) takes the trainer's place, chosen with TIRELO_PROGRAM.
"""
import os
import re
import shutil
import signal
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import vnc_client  # noqa: E402

failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def wait_for(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def process_args():
    return subprocess.run(["ps", "-eo", "args"], capture_output=True, text=True, check=True).stdout


class CommandLineWatch:
    """Records the command line of every process on the machine, read from /proc over and over
    while it runs: short-lived helpers such as x11vnc -storepasswd are caught too."""

    def __init__(self):
        self.seen = set()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, daemon=True)
        self._thread.start()

    def _watch(self):
        while not self._stop.is_set():
            for pid in os.listdir("/proc"):
                if pid.isdigit():
                    try:
                        with open(f"/proc/{pid}/cmdline", "rb") as f:
                            self.seen.add(f.read().replace(b"\0", b" ").decode("utf-8", "replace"))
                    except OSError:
                        pass

    def stop(self):
        self._stop.set()
        self._thread.join()
        return self.seen


def pids_mentioning(text):
    out = subprocess.run(["ps", "-eo", "pid=,args="], capture_output=True, text=True, check=True)
    pids = []
    for line in out.stdout.splitlines():
        pid, _, args = line.strip().partition(" ")
        if text in args and int(pid) != os.getpid() and not args.startswith("ps "):
            pids.append(int(pid))
    return pids


def read_xauthority(path):
    """Returns (name, data) of every entry of an X authority file."""
    entries = []
    with open(path, "rb") as f:
        blob = f.read()
    at = 0
    while at < len(blob):
        at += 2  # family
        fields = []
        for _ in range(4):  # address, display number, name, data
            (length,) = struct.unpack_from(">H", blob, at)
            fields.append(blob[at + 2:at + 2 + length])
            at += 2 + length
        entries.append((fields[2], fields[3]))
    return entries


def x_setup_status(display, name=b"", data=b""):
    """Opens the X display's local socket and returns the connection setup's status byte:
    1 accepted, 0 refused."""
    number = int(display.lstrip(":").split(".")[0])
    pad = lambda b: b + b"\0" * (-len(b) % 4)  # noqa: E731
    with socket.socket(socket.AF_UNIX) as s:
        s.settimeout(5)
        s.connect(f"/tmp/.X11-unix/X{number}")
        s.sendall(struct.pack("<BxHHHH2x", ord("l"), 11, 0, len(name), len(data))
                  + pad(name) + pad(data))
        reply = s.recv(8)
    return reply[0] if reply else None


class Run:
    """One start of scripts/run in its own process group, with output going to files."""

    def __init__(self, script, work, name, port, password=None, args=()):
        self.dir = os.path.join(work, name)
        self.port = port
        self.runtime = os.path.join(self.dir, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.report = os.path.join(self.dir, "report")
        self.stop = os.path.join(self.dir, "stop")
        self.out_path = os.path.join(self.dir, "out")
        self.err_path = os.path.join(self.dir, "err")
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "VNC_PASSWORD", "XAUTHORITY")}
        env.update(TIRELO_PROGRAM=os.path.join(HERE, "standin_program"), VNC_PORT=str(port),
                   XDG_RUNTIME_DIR=self.runtime, TMPDIR=self.dir, QT_QPA_PLATFORM="offscreen",
                   STANDIN_REPORT=self.report, STANDIN_STOP=self.stop)
        if password is not None:
            env["VNC_PASSWORD"] = password
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen([script, *args], env=env, stdout=out, stderr=err,
                                         stdin=subprocess.DEVNULL, start_new_session=True)

    def output(self):
        with open(self.out_path) as f:
            return f.read()

    def errors(self):
        with open(self.err_path) as f:
            return f.read()

    def report_lines(self):
        with open(self.report) as f:
            return f.read().splitlines()

    def private_dirs(self):
        return [os.path.join(self.runtime, d) for d in os.listdir(self.runtime)]

    def wait(self, seconds):
        try:
            return self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            for sig, grace in ((signal.SIGTERM, 3), (signal.SIGKILL, 2)):
                try:
                    os.killpg(self.proc.pid, sig)
                except ProcessLookupError:
                    break
                if self.wait(grace) is not None:
                    break
        # Children that outlived the script (a failure in itself) go too.
        for pid in pids_mentioning(self.dir):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


def started(run):
    """Waits until the session is up and returns (printed port, printed password line)."""
    up = wait_for(lambda: os.path.exists(run.report) or run.proc.poll() is not None, 20)
    if not check(up and run.proc.poll() is None, "scripts/run starts the program on a virtual display"):
        print(run.output() + run.errors())
        return None
    return run.output()


def check_ended_clean(run, label):
    check(not pids_mentioning(run.dir), f"{label}: no Xvfb, x11vnc or program is left running")
    check(run.private_dirs() == [], f"{label}: the password file and its folder are removed")
    with socket.socket() as s:
        check(s.connect_ex(("127.0.0.1", run.port)) != 0, f"{label}: the VNC port is closed")


def session_with_made_password(script, work):
    print("-- a session with a password made for it, ended by the program")
    port = free_port()
    watch = CommandLineWatch()
    run = Run(script, work, "made", port, args=["Wörter.evd", "two words"])
    try:
        out = started(run)
        command_lines = watch.stop()
        if out is None:
            return
        printed_port = re.search(r"port (\d+)", out)
        printed = re.search(r"password: (\S+)", out)
        check(printed_port is not None and int(printed_port.group(1)) == port,
              "the console shows the port from VNC_PORT")
        if not check(printed is not None and len(printed.group(1)) == 8,
                     "the console shows an 8-character password"):
            print(out)
            return
        password = printed.group(1)
        check(out.count(password) == 1, "the password is printed once")

        report = run.report_lines()
        check("QT_QPA_PLATFORM=xcb" in report, "the program is told to use the X display")
        check([l for l in report if l.startswith("ARG=")] == ["ARG=Wörter.evd", "ARG=two words"],
              "the program gets the command-line arguments unchanged")

        dirs = run.private_dirs()
        if check(len(dirs) == 1, "one private folder in XDG_RUNTIME_DIR holds the session's files"):
            folder = dirs[0]
            check(stat.S_IMODE(os.stat(folder).st_mode) == 0o700, "the folder is mode 0700")
            files = os.listdir(folder)
            check("vncpasswd" in files, "the VNC password file is there")
            check(all(stat.S_IMODE(os.stat(os.path.join(folder, f)).st_mode) == 0o600
                      for f in files), "every file in it is mode 0600: " + " ".join(sorted(files)))

        # VNC: no way in without the password, in with it.
        try:
            types = vnc_client.offered_security("127.0.0.1", port)
            check(types == [vnc_client.SECURITY_VNC],
                  f"the server offers VNC authentication only (offered: {types})")
        except (OSError, vnc_client.Refused) as e:
            check(False, f"the server answers the RFB handshake ({e})")
        for label, kwargs in (("asking for no authentication", {"password": None}),
                              ("an empty password", {"password": ""}),
                              ("a wrong password", {"password": password[::-1]})):
            try:
                vnc_client.connect("127.0.0.1", port, **kwargs).close()
                check(False, f"{label} is refused")
            except vnc_client.Refused as e:
                check(True, f"{label} is refused ({e})")
            except OSError as e:
                check(False, f"{label} is refused by the server, not a broken connection ({e})")
        try:
            with vnc_client.connect("127.0.0.1", port, password) as session:
                check((session.width, session.height) == (1280, 900),
                      f"the printed password logs in to the 1280x900 desktop "
                      f"(got {session.width}x{session.height} '{session.name}')")
        except (OSError, vnc_client.Refused) as e:
            check(False, f"the printed password logs in ({e})")

        check(len(command_lines) > 1 and not any(password in l for l in command_lines),
              f"no command line during start-up holds the password ({len(command_lines)} seen)")
        args = process_args()
        check(password not in args, "the password appears nowhere in the process list")
        check(any("x11vnc" in l and "-rfbauth" in l for l in args.splitlines()),
              "x11vnc runs with -rfbauth")

        # The X display behind it needs the session's cookie.
        display = next((l[8:] for l in report if l.startswith("DISPLAY=")), "")
        xauthority = next((l[11:] for l in report if l.startswith("XAUTHORITY=")), "")
        if check(display.startswith(":") and os.path.exists(xauthority),
                 "the program gets DISPLAY and an X authority file"):
            check(x_setup_status(display) == 0, "the X display refuses a client without the cookie")
            cookies = [data for name, data in read_xauthority(xauthority)
                       if name == b"MIT-MAGIC-COOKIE-1"]
            check(len(cookies) == 1 and x_setup_status(display, b"MIT-MAGIC-COOKIE-1", cookies[0]) == 1,
                  "the X display accepts the session's cookie")

        open(run.stop, "w").close()
        status = run.wait(10)
        check(status == 3, f"scripts/run ends with the program's exit status (got {status})")
        check_ended_clean(run, "after the program ends")
    finally:
        watch.stop()
        run.kill()


def session_with_given_password(script, work):
    print("-- a session with VNC_PASSWORD, ended by SIGTERM")
    port = free_port()
    password = 'p$ s"w\\'
    watch = CommandLineWatch()
    run = Run(script, work, "given", port, password=password)
    try:
        out = started(run)
        command_lines = watch.stop()
        check(not any(password in l for l in command_lines),
              "no command line during start-up holds the given password")
        if out is None:
            return
        check(password not in out + run.errors(), "the given password is not echoed")
        check("VNC_PASSWORD_SET=" in run.report_lines(), "the program does not inherit VNC_PASSWORD")
        try:
            with vnc_client.connect("127.0.0.1", port, password) as session:
                check(session.width == 1280, "VNC_PASSWORD logs in")
        except (OSError, vnc_client.Refused) as e:
            check(False, f"VNC_PASSWORD logs in ({e})")
        try:
            vnc_client.connect("127.0.0.1", port, "password").close()
            check(False, "another password is refused")
        except vnc_client.Refused:
            check(True, "another password is refused")
        check(password not in process_args(), "the given password is not in the process list")
        os.kill(run.proc.pid, signal.SIGTERM)
        status = run.wait(10)
        check(status is not None and status != 0, f"SIGTERM ends scripts/run (status {status})")
        check_ended_clean(run, "after SIGTERM")
    finally:
        watch.stop()
        run.kill()


def busy_port(script, work):
    print("-- a port that is already taken")
    for family, host in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
        try:
            holder = socket.socket(family)
            holder.bind((host, 0))
        except OSError:
            print(f"skip  no {host} on this machine")
            continue
        with holder:
            holder.listen()
            port = holder.getsockname()[1]
            run = Run(script, work, f"busy{family}", port)
            try:
                status = run.wait(10)
                err = run.errors()
                check(status not in (None, 0) and "already in use" in err and str(port) in err,
                      f"a port taken on {host} is reported and stops the start "
                      f"(status {status}, said {err.strip()!r})")
                check(not os.path.exists(run.report), f"port taken on {host}: no program started")
                check(run.private_dirs() == [] and not pids_mentioning(run.dir),
                      f"port taken on {host}: nothing left behind")
            finally:
                run.kill()


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    script = os.path.abspath(sys.argv[1])
    for tool in ("Xvfb", "x11vnc", "xauth"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing; scripts/setup installs it")
    work = tempfile.mkdtemp(prefix="tirelo-run-test.")
    started_at = time.monotonic()
    try:
        session_with_made_password(script, work)
        session_with_given_password(script, work)
        busy_port(script, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} failure(s) in {time.monotonic() - started_at:.1f} s")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
