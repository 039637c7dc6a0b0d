"""The end-to-end harness: an Xvfb display of the test's own, a throw-away program folder, the real
program started in it, and the input a person gives through xdotool.

Everything a test starts dies with it: the X server and the programs are started with a parent
death signal and ended again on every way out of the `Display` context.
"""

import ctypes
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SKIPPED = 77
TITLE = "ゼルノア"
TOOLS = ("Xvfb", "xdotool", "xclip")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def skip_without_tools():
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


def _die_with_parent():
    # PR_SET_PDEATHSIG: a driver killed by a CTest time-out takes its X server along.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)


def wait_until(predicate, timeout, what, interval=0.05):
    end = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


def write_png(path, width, height, rgb):
    stride = width * 3
    raw = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(chunk(b"IEND", b""))


class Screen:
    """One screenshot: width, height and packed RGB bytes."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def crop(self, x, y, w, h):
        x, y = max(0, x), max(0, y)
        w, h = min(w, self.width - x), min(h, self.height - y)
        rows = [self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3]
                for r in range(h)]
        return Screen(w, h, b"".join(rows))

    def save(self, path):
        write_png(path, self.width, self.height, self.rgb)


class Program:
    """One run of the program (or of the probe) on the display."""

    def __init__(self, display, argv, log_name, extra_env=None):
        self.display = display
        self.log_path = os.path.join(display.work, log_name)
        env = dict(display.env)
        env.update(extra_env or {})
        with open(self.log_path, "ab") as log:
            self.proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                         stderr=log, preexec_fn=_die_with_parent)
        display.programs.append(self)

    @property
    def pid(self):
        return self.proc.pid

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"process {self.pid} still runs after {timeout} s") from None

    def log(self):
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stop(self):
        if self.running():
            self.proc.kill()
            self.proc.wait()


class Window:
    def __init__(self, display, wid):
        self.display = display
        self.id = wid

    def name(self):
        # Empty for a window that has gone meanwhile.
        result = self.display.run("xdotool", "getwindowname", self.id)
        return result.stdout.decode("utf-8", "replace").strip() if result.returncode == 0 else ""

    def geometry(self):
        out = self.display.xdotool("getwindowgeometry", "--shell", self.id)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def visible(self):
        return self.id in self.display.visible_windows()

    def focus(self):
        self.display.xdotool("windowfocus", "--sync", self.id)

    def key(self, *keys):
        self.focus()
        self.display.xdotool("key", "--clearmodifiers", "--delay", "60", *keys)

    def type(self, text):
        self.focus()
        self.display.xdotool("type", "--delay", "40", text)

    def point(self, x, y):
        """A point of the window in screen coordinates."""
        wx, wy, _, _ = self.geometry()
        return wx + x, wy + y

    def click(self, x, y, button=1, repeat=1):
        sx, sy = self.point(x, y)
        self.display.xdotool("mousemove", "--sync", sx, sy)
        self.display.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def shot(self, label):
        x, y, w, h = self.geometry()
        return self.display.shot(label, (x, y, w, h))


class Display:
    """An Xvfb server on a free display number, with a work folder that goes with it."""

    def __init__(self, args, test, screen="1280x1024x24"):
        self.args = args
        self.test = test
        self.screen = screen
        self.programs = []
        self.xvfb = None
        self.shots = 0

    def __enter__(self):
        self.work = tempfile.mkdtemp(prefix="zelnoa-e2e-")
        runtime = os.path.join(self.work, "runtime")
        os.mkdir(runtime, 0o700)
        read_end, write_end = os.pipe()
        # -displayfd picks a free display number and tells it once the server accepts clients.
        with open(os.path.join(self.work, "xvfb.log"), "wb") as log:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten",
                 "tcp", "-noreset"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=log, preexec_fn=_die_with_parent)
        os.close(write_end)
        number = b""
        end = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, end - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.__exit__(None, None, None)
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()
        # The program gets a plain environment: nothing of the test runner's leaks into it.
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.work,
            "DISPLAY": self.name,
            "XDG_RUNTIME_DIR": runtime,
            "QT_QPA_PLATFORM": "xcb",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        }
        self.artifacts = os.path.join(self.args.artifacts, self.test)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None:
            for p in self.programs:
                if p.log():
                    sys.stdout.write(f"--- output of {os.path.basename(p.log_path)}:\n{p.log()}")
        for p in self.programs:
            p.stop()
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        shutil.rmtree(self.work, ignore_errors=True)
        return False

    # --- tools -----------------------------------------------------------------------------

    def run(self, *argv, timeout=20, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        result = subprocess.run([str(a) for a in argv], env=env, capture_output=True,
                                timeout=timeout, preexec_fn=_die_with_parent)
        return result

    def xdotool(self, *argv):
        result = self.run("xdotool", *argv)
        if result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, argv))}: {result.stderr.decode()}")
        return result.stdout.decode("utf-8", "replace")

    def settle(self, seconds=0.3):
        # The program handles its input in order, so input needs no pause; what is looked at
        # (a screenshot) waits a moment for the program to catch up and repaint.
        time.sleep(seconds)

    def visible_windows(self, pid=None, title=None):
        """Ids of the mapped windows (of that process, with exactly that title)."""
        argv = ["search", "--onlyvisible", "--all"]
        if pid is not None:
            argv += ["--pid", str(pid)]
        pattern = "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title) + "$" if title else ""
        result = self.run("xdotool", *argv, "--name", pattern)
        return [line for line in result.stdout.decode().split() if line]

    def wait_window(self, title, pid=None, timeout=15, exclude=()):
        """The first visible window with exactly this title (of that process), once shown."""

        def find():
            found = [w for w in self.visible_windows(pid, title) if w not in exclude]
            return Window(self, found[0]) if found else None

        window = wait_until(find, timeout, f"a window titled {title!r}")
        self.settle()
        return window

    def clipboard(self):
        result = self.run("xclip", "-o", "-selection", "clipboard", timeout=5)
        check(result.returncode == 0, "nothing on the clipboard: " + result.stderr.decode())
        return result.stdout.decode("utf-8")

    def grab(self):
        path = os.path.join(self.work, "screen.ppm")
        result = self.run(self.args.x11, "shot", path)
        check(result.returncode == 0, "screenshot failed: " + result.stderr.decode())
        with open(path, "rb") as f:
            data = f.read()
        header = data.split(b"\n", 3)
        width, height = map(int, header[1].split())
        return Screen(width, height, header[3])

    def shot(self, label, rect=None):
        """Saves a screenshot (of rect, else of the whole screen) among the test's artefacts."""
        self.settle()
        screen = self.grab()
        image = screen.crop(*rect) if rect else screen
        self.shots += 1
        image.save(os.path.join(self.artifacts, f"{self.shots:02d}-{label}.png"))
        return image

    # --- the program ---------------------------------------------------------------------

    def program_folder(self, name="program", database=True):
        """A fresh program folder: the program, its converter and the sample database."""
        folder = os.path.join(self.work, name)
        os.mkdir(folder)
        shutil.copy2(self.args.program, os.path.join(folder, "zelnoa"))
        shutil.copy2(self.args.converter, os.path.join(folder, "zelnoa-import"))
        if database:
            shutil.copyfile(self.args.sample_db, os.path.join(folder, "vaelbuki.mdb"))
        return folder

    def start(self, folder, extra_env=None):
        return Program(self, [os.path.join(folder, "zelnoa")], "zelnoa.log", extra_env)

    def probe(self, *argv, extra_env=None):
        result = self.run(self.args.probe, *argv, timeout=30, extra_env=extra_env)
        check(result.returncode == 0,
              f"probe {argv[0]} failed:\n{result.stdout.decode()}{result.stderr.decode()}")
        return result.stdout.decode("utf-8")

    def layout(self, weapon_row, ini=None, extra_env=None):
        """Where the controls stand (see the probe); ini is the probe's settings file."""
        folder = self.program_folder("probe")
        if ini:
            with open(os.path.join(folder, "zelnoa.ini"), "wb") as f:
                f.write(ini.encode("cp932"))
        try:
            return json.loads(self.probe("layout", folder, weapon_row, extra_env=extra_env))
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def expected_message_box(self, icon, text):
        """How the program's message box with this text looks, drawn by the probe."""
        probe = Program(self, [self.args.probe, "msgbox", icon, text], "probe.log")
        box = self.wait_window(TITLE, pid=probe.pid)
        box.focus()
        self.settle()
        image = self.grab().crop(*box.geometry())
        box.key("Return")
        check(probe.wait_exit() == 0, "the probe's message box did not close")
        return image

    def check_message_box(self, window, icon, text, label):
        """The window is the program's message box showing exactly this text."""
        window.focus()
        shown = window.shot(label)
        expected = self.expected_message_box(icon, text)
        check((shown.width, shown.height) == (expected.width, expected.height) and
              shown.rgb == expected.rgb, f"the message box {label} does not show {text!r}")


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()
