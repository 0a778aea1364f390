#!/usr/bin/python3
"""Starts three runs of scripts/run without a display side by side and checks what it serves: a private
run folder, loopback-only VNC behind the printed password, an X display closed to clients without
the cookie, a window manager, and nothing left of the run once it ends.

Needs ZEV_PROGRAM (the built program, so the runs do not build); ZEV_PICTURES_DIR receives a
screenshot taken through VNC. Exits 77 (skipped) where the serving tools are not installed."""

import contextlib
import ipaddress
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
import zlib
from pathlib import Path

SKIPPED = 77
UNSET = ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR")
REPO = Path(__file__).resolve().parents[2]
BANNER = {
    "display": r"virtual display :(\d+)\.",
    "port": r"VNC on 127\.0\.0\.1:(\d+) only",
    "password": r"password made for this run: (\S+)",
    "folder": r"also in (/\S+)/password,",
}


def missing_tools():
    missing = [t for t in ("Xvfb", "x11vnc", "xauth", "openbox", "ss") if not shutil.which(t)]
    try:
        des_cipher(b"\0" * 8)
    except ImportError:
        missing.append("python3-cryptography")
    return missing


def des_cipher(key):
    # Triple DES with one 8-byte key is single DES, the cipher of VNC authentication.
    try:
        from cryptography.hazmat.decrepit.ciphers.algorithms import TripleDES
    except ImportError:
        from cryptography.hazmat.primitives.ciphers.algorithms import TripleDES
    from cryptography.hazmat.primitives.ciphers import Cipher, modes

    return Cipher(TripleDES(key), modes.ECB()).encryptor()


def vnc_response(password, challenge):
    # VNC takes the password's first 8 bytes as the DES key, each byte with its bits reversed.
    key = bytes(int(f"{b:08b}"[::-1], 2) for b in password.encode()[:8].ljust(8, b"\0"))
    return des_cipher(key).update(challenge)


def read_exactly(sock, size):
    data = bytearray()
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        if not chunk:
            raise ConnectionError(f"connection closed after {len(data)} of {size} bytes")
        data += chunk
    return bytes(data)


class VncSession:
    """The client side of an RFB 3.8 handshake with VNC authentication."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        assert read_exactly(self.sock, 12).startswith(b"RFB 003.")
        self.sock.sendall(b"RFB 003.008\n")
        count = read_exactly(self.sock, 1)[0]
        self.security_types = set(read_exactly(self.sock, count))

    def authenticate(self, password):
        """True when the server accepts the password."""
        if 2 not in self.security_types:
            return False
        self.sock.sendall(bytes([2]))
        challenge = read_exactly(self.sock, 16)
        self.sock.sendall(vnc_response(password, challenge))
        return struct.unpack(">I", read_exactly(self.sock, 4))[0] == 0

    def start(self):
        """Shares the desktop and asks for 32-bit pixels with red in the lowest byte."""
        self.sock.sendall(b"\1")
        self.width, self.height, _ = struct.unpack(">HH16s", read_exactly(self.sock, 20))
        read_exactly(self.sock, struct.unpack(">I", read_exactly(self.sock, 4))[0])
        pixel_format = struct.pack(">BBBBHHHBBB3x", 32, 24, 0, 1, 255, 255, 255, 0, 8, 16)
        self.sock.sendall(b"\0\0\0\0" + pixel_format)
        self.sock.sendall(struct.pack(">BxHi", 2, 1, 0))  # raw encoding only

    def screenshot(self):
        """The whole screen as RGB rows."""
        self.sock.sendall(struct.pack(">BBHHHH", 3, 0, 0, 0, self.width, self.height))
        while read_exactly(self.sock, 1)[0] != 0:  # skip anything but a framebuffer update
            pass
        frame = bytearray(self.width * self.height * 4)
        (rects,) = struct.unpack(">xH", read_exactly(self.sock, 3))
        for _ in range(rects):
            x, y, w, h, encoding = struct.unpack(">HHHHi", read_exactly(self.sock, 12))
            assert encoding == 0, f"encoding {encoding}"
            for row in range(y, y + h):
                start = (row * self.width + x) * 4
                frame[start : start + w * 4] = read_exactly(self.sock, w * 4)
        del frame[3::4]
        self.last_screenshot = bytes(frame)
        return self.last_screenshot

    def key(self, keysym, down):
        self.sock.sendall(struct.pack(">BBxxI", 4, int(down), keysym))

    def close(self):
        self.sock.close()


def write_png(path, width, height, rgb):
    rows = b"".join(b"\0" + rgb[r * width * 3 : (r + 1) * width * 3] for r in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
    Path(path).write_bytes(png + chunk(b"IEND", b""))


def x_server_accepts(display):
    """Whether display :n lets in a client that brings no cookie."""
    with socket.socket(socket.AF_UNIX) as sock:
        sock.settimeout(10)
        sock.connect(f"/tmp/.X11-unix/X{display}")
        sock.sendall(struct.pack("<cxHHHHxx", b"l", 11, 0, 0, 0))
        return read_exactly(sock, 1)[0] == 1


def process_start(pid):
    try:
        return Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[19]
    except (FileNotFoundError, ProcessLookupError):
        return None


def session_processes(sid):
    """(pid, start time) of every process in the session, the way to find what a run started."""
    found = set()
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                fields = (entry / "stat").read_text().rsplit(")", 1)[1].split()
            except (FileNotFoundError, ProcessLookupError):
                continue
            if int(fields[3]) == sid:
                found.add((int(entry.name), fields[19]))
    return found


def listening_addresses(pids):
    """Local addresses of the TCP sockets these processes listen on."""
    inodes = set()
    for pid in pids:
        try:
            for fd in Path(f"/proc/{pid}/fd").iterdir():
                target = os.readlink(fd)
                if target.startswith("socket:["):
                    inodes.add(target[8:-1])
        except (FileNotFoundError, ProcessLookupError):
            continue
    addresses = []
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        for line in Path(table).read_text().splitlines()[1:]:
            fields = line.split()
            if fields[3] == "0A" and fields[9] in inodes:
                address, port = fields[1].split(":")
                raw = bytes.fromhex(address)  # 32-bit words in host order
                words = (raw[i : i + 4][::-1] for i in range(0, len(raw), 4))
                addresses.append((ipaddress.ip_address(b"".join(words)), int(port, 16)))
    return addresses


class Run:
    """One scripts/run in a session of its own, its output gathered as it comes."""

    def __init__(self, env):
        self.process = subprocess.Popen(
            [str(REPO / "scripts/run")],
            env=env,
            stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT,
            start_new_session=True,
            text=True,
        )
        self.output = ""
        self.banner_done = threading.Event()
        # A thread, because processes the run fails to end would keep the pipe open.
        self.reader = threading.Thread(target=self._gather_output, daemon=True)
        self.reader.start()

    def _gather_output(self):
        for line in self.process.stdout:
            self.output += line
            if "to stop." in line:
                self.banner_done.set()
        self.banner_done.set()

    def read_banner(self, timeout=40):
        if not self.banner_done.wait(timeout) or "to stop." not in self.output:
            raise AssertionError(f"no banner from scripts/run:\n{self.output}")
        self.info = {k: re.search(p, self.output).group(1) for k, p in BANNER.items()}
        self.processes = set()
        self.note_processes()

    def note_processes(self):
        self.processes |= session_processes(self.process.pid)

    def program_running(self):
        program = os.path.realpath(os.environ["ZEV_PROGRAM"])
        for pid, _ in self.processes:
            try:
                if os.path.realpath(f"/proc/{pid}/exe") == program:
                    return True
            except OSError:
                continue
        return False

    def finish(self, timeout=20):
        """Waits for the run to end; one that hangs is asked to stop, then killed."""
        for stop in (self.process.terminate, lambda: os.killpg(self.process.pid, signal.SIGKILL)):
            try:
                self.process.wait(timeout)
                break
            except subprocess.TimeoutExpired:
                stop()
                timeout = 10
        self.process.wait()
        self.reader.join(2)
        return self.process.returncode


def close_window_with_alt_f4(run):
    vnc = VncSession(int(run.info["port"]))
    assert vnc.authenticate(run.info["password"])
    vnc.start()
    for keysym, down in ((0xFFE9, True), (0xFFC1, True), (0xFFC1, False), (0xFFE9, False)):
        vnc.key(keysym, down)
    vnc.close()


# How each run is ended: the window closed through VNC, Ctrl+C, and a plain kill of the script.
ENDINGS = {
    "window closed": (close_window_with_alt_f4, 0),
    "Ctrl+C": (lambda run: os.killpg(run.process.pid, signal.SIGINT), 130),
    "killed": (lambda run: run.process.send_signal(signal.SIGTERM), 143),
}


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, message):
        if not condition:
            self.failures.append(message)
            print("FAIL:", message)


def check_serving(checks, name, run, sandbox_tmp):
    info = run.info
    folder = Path(info["folder"])
    checks.expect(folder.parent == sandbox_tmp, f"{name}: run folder {folder} not under TMPDIR")
    checks.expect(stat.S_IMODE(folder.stat().st_mode) == 0o700, f"{name}: run folder not private")
    password_mode = stat.S_IMODE((folder / "password").stat().st_mode)
    checks.expect(password_mode & 0o077 == 0, f"{name}: password file readable by others")
    checks.expect(len(info["password"]) == 8, f"{name}: password {info['password']!r} not 8 long")

    addresses = listening_addresses(p for p, _ in run.processes)
    checks.expect(
        (ipaddress.ip_address("127.0.0.1"), int(info["port"])) in addresses,
        f"{name}: nothing listens on 127.0.0.1:{info['port']}",
    )
    checks.expect(
        all(a.is_loopback for a, _ in addresses), f"{name}: listens beyond loopback: {addresses}"
    )
    checks.expect(not x_server_accepts(info["display"]), f"{name}: X display open without cookie")

    vnc = VncSession(int(info["port"]))
    checks.expect(vnc.security_types == {2}, f"{name}: security types {vnc.security_types}")
    checks.expect(not vnc.authenticate("wrong"), f"{name}: a wrong password was accepted")
    vnc.close()
    vnc = VncSession(int(info["port"]))
    checks.expect(vnc.authenticate(info["password"]), f"{name}: the printed password was refused")
    vnc.close()


def screenshot_when_window_shows(run, path, timeout=20):
    """Waits for the window to cover part of the black screen, then saves what a viewer sees."""
    vnc = VncSession(int(run.info["port"]))
    assert vnc.authenticate(run.info["password"])
    vnc.start()
    deadline = time.monotonic() + timeout
    while not (shown := lit_share(vnc.screenshot()) > 0.1) and time.monotonic() < deadline:
        time.sleep(0.5)
    write_png(path, vnc.width, vnc.height, vnc.last_screenshot)
    vnc.close()
    return shown


def lit_share(rgb, step=97):
    """About which share of the screen's pixels is not black."""
    pixels = range(0, len(rgb), 3 * step)
    return sum(1 for i in pixels if rgb[i : i + 3] != b"\0\0\0") / len(pixels)


def check_nothing_left(checks, name, run):
    info = run.info
    alive = {(p, start) for p, start in run.processes if process_start(p) == start}
    alive |= session_processes(run.process.pid)
    checks.expect(not alive, f"{name}: processes left: {sorted(alive)}")
    for pid, _ in alive:  # so that a failing run does not keep serving
        os.kill(pid, signal.SIGTERM)
    display = info["display"]
    for leftover in (info["folder"], f"/tmp/.X11-unix/X{display}", f"/tmp/.X{display}-lock"):
        checks.expect(not os.path.lexists(leftover), f"{name}: {leftover} left behind")


def free_display_and_port():
    display = next(n for n in range(90, 200) if not os.path.lexists(f"/tmp/.X{n}-lock"))
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        return display, sock.getsockname()[1]


@contextlib.contextmanager
def started_runs(env):
    """The runs by the way each is ended; on leaving, every run has ended and holds its status."""
    runs = {}
    try:
        # The fixed run starts first so the free ones see its display and port taken.
        display, port = free_display_and_port()
        runs["killed"] = Run(dict(env, ZEV_DISPLAY_NUMBER=str(display), ZEV_VNC_PORT=str(port)))
        runs["killed"].read_banner()
        runs["window closed"] = Run(env)
        runs["Ctrl+C"] = Run(env)
        for run in runs.values():
            run.read_banner()
        runs["killed"].fixed = (str(display), str(port))
        yield runs
    except BaseException:
        for run in runs.values():
            run.process.terminate()
        raise
    finally:
        for run in runs.values():
            run.status = run.finish()


def check_killed_outright(checks, env, sandbox_tmp):
    """A run killed with SIGKILL runs no trap: its processes must still end with it, and the next
    start must clear the folder it left. That start finds its fixed port taken and must say why."""
    display, port = free_display_and_port()
    run = Run(dict(env, ZEV_DISPLAY_NUMBER=str(display), ZEV_VNC_PORT=str(port)))
    run.read_banner()
    run.process.kill()
    run.finish()
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and any(process_start(p) == s for p, s in run.processes):
        time.sleep(0.1)
    left = sorted(p for p, s in run.processes if process_start(p) == s)
    checks.expect(not left, f"SIGKILL: processes outlived the script: {left}")
    for pid in left:
        os.kill(pid, signal.SIGKILL)
    checks.expect(Path(run.info["folder"]).exists(), "SIGKILL: the folder is expected to stay")

    with socket.socket() as taken:
        taken.bind(("127.0.0.1", 0))
        taken.listen()
        busy = Run(dict(env, ZEV_VNC_PORT=str(taken.getsockname()[1])))
        status = busy.finish(30)
    checks.expect(status != 0, f"busy port: scripts/run ended with {status}")
    reason = busy.output.partition("The VNC server did not start:")[2].strip()
    checks.expect(reason, f"busy port: no reason given:\n{busy.output}")
    stale = [p.name for p in sandbox_tmp.iterdir()]
    checks.expect(not stale, f"the next start left stale run folders: {stale}")


def main():
    missing = missing_tools()
    if missing:
        print(f"SKIPPED: serving without a display needs {', '.join(missing)} (scripts/setup --run)")
        return SKIPPED
    checks = Checks()
    with tempfile.TemporaryDirectory() as sandbox:
        sandbox = Path(sandbox)
        (sandbox / "home").mkdir()
        (sandbox / "tmp").mkdir()
        env = {k: v for k, v in os.environ.items() if k not in UNSET}
        env.update(HOME=str(sandbox / "home"), TMPDIR=str(sandbox / "tmp"))
        # As under scripts/test: the served program must still go to the virtual display.
        env.update(ASAN_OPTIONS="detect_leaks=0", QT_QPA_PLATFORM="offscreen")

        with started_runs(env) as runs:
            fixed = runs["killed"]
            checks.expect(
                (fixed.info["display"], fixed.info["port"]) == fixed.fixed,
                f"fixed display and port {fixed.fixed} not used: {fixed.info}",
            )
            for key in ("display", "port", "password", "folder"):
                values = [run.info[key] for run in runs.values()]
                checks.expect(len(set(values)) == len(values), f"runs share a {key}: {values}")
            for name, run in runs.items():
                check_serving(checks, name, run, sandbox / "tmp")

            picture = Path(os.environ.get("ZEV_PICTURES_DIR", Path.cwd())) / "headless_run.png"
            shown = screenshot_when_window_shows(runs["window closed"], picture)
            checks.expect(shown, f"no window on the served screen (see {picture})")
            print(f"screenshot through VNC: {picture}")

            for name, (end, _) in ENDINGS.items():
                runs[name].note_processes()
                checks.expect(runs[name].program_running(), f"{name}: the program is not running")
                end(runs[name])

        for name, run in runs.items():
            expected = ENDINGS[name][1]
            checks.expect(
                run.status == expected,
                f"{name}: scripts/run ended with {run.status}, not {expected}:\n{run.output}",
            )
            check_nothing_left(checks, name, run)
        check_killed_outright(checks, env, sandbox / "tmp")
        left = [str(p) for p in sandbox.rglob("*") if p.name not in ("home", "tmp")]
        checks.expect(not left, f"files left behind: {left}")
    print("\n".join(checks.failures) if checks.failures else "headless runs: all checks passed")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
