"""The end-to-end harness: an Xvfb display of the test's own, throw-away program folders, the real
program started in them, the input a person gives through xdotool. Everything a test starts dies
with it (a parent death signal) and ends on every way out of the `Display` context."""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
TITLE = "ゼルノア"
# The probe's settings: a profile and a plan of the probe's weapon, so that the catalogue's
# profile list and the load dialog's list have a row to measure.
PROBE_INI = ("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\r\n[PROFILE1]\r\nName=x\r\n"
             "[WEAPON2]\r\nCount=1\r\nName1=p\r\nData1=23 101.\r\nSpec1=x\r\nDate1=x\r\n")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def skip_unless_installed(*tools):
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


def _die_with_parent():
    # PR_SET_PDEATHSIG: a driver killed by a CTest time-out takes its X server along.
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)


def wait_until(predicate, timeout, what):
    end = time.monotonic() + timeout
    while not (result := predicate()):
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)
    return result


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Program:
    """One run of the program (or of the probe) on the display, its output in a log file."""

    def __init__(self, display, argv, extra_env=None):
        self.log = os.path.join(display.work, f"{len(display.programs):02d}.log")
        with open(self.log, "wb") as log:
            self.proc = subprocess.Popen(argv, env={**display.env, **(extra_env or {})},
                                         stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                         preexec_fn=_die_with_parent)
        self.pid = self.proc.pid
        display.programs.append(self)

    def wait_exit(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"process {self.pid} still runs after {timeout} s") from None


class Window:
    def __init__(self, display, wid):
        self.display, self.id = display, wid

    def name(self):
        return self.display.xdotool("getwindowname", self.id).strip()

    def geometry(self):
        out = self.display.xdotool("getwindowgeometry", "--shell", self.id)
        values = dict(line.split("=", 1) for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

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

    def click(self, x, y, repeat=1):
        self.display.xdotool("mousemove", "--sync", *self.point(x, y))
        self.display.xdotool("click", "--repeat", repeat, "--delay", 80, 1)

    def shot(self, label, folder=None):
        return self.display.shot(label, self.geometry(), folder)

    def wait_closed(self, what):
        wait_until(lambda: not self.visible(), 5, what + " to close")


class Display:
    """An Xvfb server on a free display number, with a work folder that goes with it."""

    def __init__(self, args, test, screen="1280x1024x24"):
        self.args, self.test, self.screen, self.programs, self.shots = args, test, screen, [], 0

    def __enter__(self):
        self.work = tempfile.mkdtemp(prefix="zelnoa-e2e-")
        runtime = os.path.join(self.work, "runtime")
        os.mkdir(runtime, 0o700)
        # -displayfd picks a free display number and writes it once the server accepts clients.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten", "tcp",
             "-noreset"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()  # empty if the server ended
        if not number:
            self.__exit__(None, None, None)
            raise Failure("Xvfb did not start")
        # The program gets a plain environment: nothing of the test runner's leaks into it.
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.work,
                    "DISPLAY": ":" + number, "XDG_RUNTIME_DIR": runtime, "QT_QPA_PLATFORM": "xcb",
                    "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"}
        self.artifacts = os.path.join(self.args.artifacts, self.test)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        return self

    def __exit__(self, kind, value, tb):
        for p in self.programs:
            if kind is not None:
                sys.stdout.write(f"--- output of {p.proc.args}:\n{read_bytes(p.log).decode()}")
            p.proc.kill()
            p.proc.wait()
        self.xvfb.kill()
        self.xvfb.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    def run(self, *argv, timeout=20, extra_env=None):
        return subprocess.run([str(a) for a in argv], env={**self.env, **(extra_env or {})},
                              capture_output=True, timeout=timeout, preexec_fn=_die_with_parent)

    def xdotool(self, *argv):
        result = self.run("xdotool", *argv)
        check(result.returncode == 0, f"xdotool {argv}: {result.stderr.decode()}")
        return result.stdout.decode("utf-8", "replace")

    def settle(self):
        # The program handles its input in order, so input needs no pause; what is looked at
        # (a screenshot) waits a moment for the program to catch up and repaint.
        time.sleep(0.3)

    def visible_windows(self, pid=None, title=None):
        """Ids of the mapped windows (of that process, with exactly that title)."""
        argv = ["search", "--onlyvisible", "--all"] + (["--pid", pid] if pid else [])
        result = self.run("xdotool", *argv, "--name", f"^{title}$" if title else "")
        return result.stdout.decode().split()

    def wait_window(self, title, pid=None, timeout=15, exclude=()):
        """The first visible window with exactly this title (of that process), once shown."""
        found = wait_until(lambda: [w for w in self.visible_windows(pid, title) if w not in exclude],
                           timeout, f"a window titled {title!r}")
        self.settle()
        return Window(self, found[0])

    def clipboard(self):
        result = self.run("xclip", "-o", "-selection", "clipboard", timeout=5)
        check(result.returncode == 0, "nothing on the clipboard: " + result.stderr.decode())
        return result.stdout.decode("utf-8")

    def shot(self, label, rect=(0, 0, -1, -1), folder=None):
        """Saves a screenshot of rect (else of the whole screen) among the test's artefacts."""
        self.settle()
        self.shots += 1
        path = os.path.join(folder or self.artifacts, f"{self.shots:02d}-{label}.png")
        self.probe("shot", path, *rect)
        return path

    def program_folder(self, name="program", database=True, ini=None):
        """A fresh program folder: the program, its converter, the sample database, settings."""
        folder = os.path.join(self.work, name)
        os.mkdir(folder)
        shutil.copy2(self.args.program, os.path.join(folder, "zelnoa"))
        shutil.copy2(self.args.converter, os.path.join(folder, "zelnoa-import"))
        if database:
            shutil.copyfile(self.args.sample_db, os.path.join(folder, "vaelbuki.mdb"))
        if ini:
            with open(os.path.join(folder, "zelnoa.ini"), "wb") as f:
                f.write(ini.encode("cp932"))
        return folder

    def start(self, folder, extra_env=None):
        return Program(self, [os.path.join(folder, "zelnoa")], extra_env)

    def probe(self, *argv, extra_env=None):
        result = self.run(self.args.probe, *argv, timeout=30, extra_env=extra_env)
        check(result.returncode == 0,
              f"probe {argv[0]} failed:\n{result.stdout.decode()}{result.stderr.decode()}")
        return result.stdout.decode("utf-8")

    def layout(self, extra_env=None):
        """Where the controls stand, by window and name (see the probe): (x, y, width, height)."""
        folder = self.program_folder("probe", ini=PROBE_INI)
        out = self.probe("layout", folder, extra_env=extra_env)
        shutil.rmtree(folder)
        return {name: tuple(map(int, rect)) for name, *rect in map(str.split, out.splitlines())}

    def check_message_box(self, box, icon, text, label):
        """The window is the program's message box showing exactly this text: it looks to the
        pixel as the probe draws that box (a message box gives its text to no other program)."""
        box.focus()
        shown = box.shot(label)
        probe = Program(self, [self.args.probe, "msgbox", icon, text])
        drawn = self.wait_window(TITLE, pid=probe.pid)
        drawn.focus()
        expected = drawn.shot(label, folder=self.work)
        drawn.key("Return")
        check(probe.wait_exit() == 0, "the probe's message box did not close")
        check(read_bytes(shown) == read_bytes(expected),
              f"the message box {label} does not show {text!r}")
