#!/usr/bin/env python3
"""End-to-end tests: the real zelnoa executable on an Xvfb display, used the way a person uses it.

    e2e.py <case> --program ... --artifacts <folder>

Each case starts its own X server and works in throw-away copies of the program folder; its
screenshots stay in <artifacts>/<case>/. Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keeps the source folder free of compiled files
from harness import (TITLE, Display, Failure, Program, Window, check, read_bytes,
                     skip_unless_installed, wait_until)

WEAPON_ROW = 1  # 鉄の片手剣 in the "全て" tab of the sample master, the probe's weapon too


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def row_point(first_row, row, scale=1):
    # A point well inside the row's first column; the rows of a list are all of one height.
    x, y, _, h = first_row
    return (x + 30) * scale, (y + row * h + h // 2) * scale


def settings(folder):
    return read_bytes(os.path.join(folder, "zelnoa.ini")).decode("cp932")


def contents(folder):
    return {name: read_bytes(os.path.join(folder, name)) for name in os.listdir(folder)}


def program_texts(sources):
    """Every non-ASCII text of the windows' sources and of the sample master."""
    texts = set()
    for folder in ("app", "catalogue", "simulator", "editors", "ui"):
        for root, _, names in os.walk(os.path.join(sources, folder)):
            for name in (n for n in names if n.endswith((".cpp", ".h"))):
                with open(os.path.join(root, name), encoding="utf-8") as f:
                    texts.update(re.findall(r'"((?:[^"\\\n]|\\.)*)"', f.read()))
    with open(os.path.join(sources, "data", "sample.sql"), encoding="utf-8") as f:
        texts.update(re.findall(r"'((?:[^'\n]|'')*)'", f.read()))
    return sorted(t for t in texts if not t.isascii())


# --- start-up and shutdown --------------------------------------------------------------------

def case_startup(args):
    """Two runs on one folder, a start beside a running copy, a master that cannot be opened, the
    loading window and the fonts."""
    with Display(args, "startup") as d:
        folder = d.program_folder()
        app = d.start(folder)
        main = d.wait_window(TITLE, pid=app.pid)
        _, _, width, height = main.geometry()
        check(width > 600 and height > 400, f"the main window is only {width}x{height}")
        main.shot("catalogue")
        main.key("alt+x")  # 終了(&X) closes the window, which ends the run
        check(app.wait_exit() == 0, "the program did not end cleanly")
        first = contents(folder)
        check(sorted(first) == ["vaelbuki.mdb", "zelnoa", "zelnoa-import", "zelnoa.ini"] and
              settings(folder) == "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n",
              f"after the first run: {sorted(first)}, {settings(folder)!r}")

        # A second start beside the running copy says so and ends, touching neither.
        app = d.start(folder)
        main = d.wait_window(TITLE, pid=app.pid)
        geometry = main.geometry()
        second = d.start(folder)
        box = d.wait_window(TITLE, pid=second.pid)
        d.check_message_box(box, "critical", "既に起動しています。", "already-running")
        box.key("Return")
        check(second.wait_exit() == 1, "the second start did not end with exit code 1")
        check(app.proc.poll() is None and main.visible() and main.name() == TITLE and
              main.geometry() == geometry, "the first instance or its window changed")
        check(contents(folder) == first, "the second start touched the first instance's files")

        # A copy in another folder is not held back: it gets as far as its master, an Access
        # file without the master tables, says so, ends and leaves its folder as it was.
        other = d.program_folder("other", database=False,
                                 ini="[SYSTEM]\r\nDatabase=DateTestDatabase.mdb\r\n")
        shutil.copy(os.path.join(args.test_data, "access", "DateTestDatabase.mdb"), other)
        before = contents(other)
        third = d.start(other)
        box = d.wait_window(TITLE, pid=third.pid, timeout=30)
        d.check_message_box(box, "critical", "データベース接続に失敗しました。", "database-failure")
        box.key("Return")
        check(third.wait_exit() == 1, "the failed start did not end with exit code 1")
        check(contents(other) == before, "the failed start changed its folder")

        main.key("alt+x")
        check(app.wait_exit() == 0, "the second run did not end cleanly")
        check(contents(folder) == first, "the second run changed the folder")

        # The loading window, held open by the probe long enough to be seen.
        probe = Program(d, [args.probe, "wait"])
        loading = Window(d, wait_until(lambda: d.visible_windows(probe.pid), 10, "it")[0])
        loading.shot("loading-window")
        check(loading.name() == "", "the loading window shows a title")
        check(probe.wait_exit() == 0, "the loading window did not close after its job")

        # Every text of the program in every font its windows use, each a Japanese font.
        texts = program_texts(args.sources)
        check(len(texts) > 100, f"only {len(texts)} texts found in the sources")
        with open(os.path.join(d.work, "texts.txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(texts))
        print(d.probe("fonts", folder, f.name).strip())


def case_twenty_starts(args):
    """Twenty starts at the same instant leave exactly one window; the others say so and end."""
    with Display(args, "twenty_starts") as d:
        folder = d.program_folder()
        apps = [d.start(folder) for _ in range(20)]

        def shown():
            windows = [(app, Window(d, w)) for app in apps for w in d.visible_windows(app.pid)]
            return windows if len(windows) == 20 else None

        windows = wait_until(shown, 60, "twenty windows")
        mains = [(app, w) for app, w in windows if w.geometry()[2] > 600]
        check(len(mains) == 1, f"{len(mains)} main windows")
        for app, w in windows:
            if (app, w) != mains[0]:
                w.key("Return")
                check(app.wait_exit() == 1, "a second copy did not end with exit code 1")
        app, main = mains[0]
        main.shot("the-one-window")
        main.key("alt+x")
        check(app.wait_exit() == 0, "the one copy did not end cleanly")


# --- a whole plan, the editors and the dialogs ----------------------------------------------

PLAN = "75式鉄の片手剣 刃の研磨→重量増加→刃先強化"
SUMMARY = ("○費用8,500\r\n○刃の研磨→重量増加→刃先強化\r\n"
           "○ダメージ13-21　クリティカル13　バランス52　耐久15\r\n○バランス80％達成DEX 122")
PLAN_SECTION = (r"\[WEAPON2\]\r\nCount=1\r\nName1=75式\r\nData1=23 101\.102\.104\.\r\n"
                r"Spec1=13～21 クリティカル13 バランス52 耐久15\r\nDate1=\S.*\S\r\n")
SAVED = re.compile(r"\[SYSTEM\]\r\nDatabase=vaelbuki\.mdb\r\n" + PLAN_SECTION)


class Simulator:
    """The simulator window of a run, opened by a double click on the weapon in the catalogue."""

    def __init__(self, d, app, layout, scale=1):
        self.d, self.app, self.layout = d, app, layout
        self.main = d.wait_window(TITLE, pid=app.pid)
        self.main.click(*row_point(layout["buki.lvwBuki"], WEAPON_ROW, scale), repeat=2)
        self.window = d.wait_window("武器改造 - 鉄の片手剣", pid=app.pid)

    def apply(self, row, by_key=False):
        """Applies a row of the list by a double click, or by a click and the right arrow."""
        self.window.click(*row_point(self.layout["kaizo.lvwKaizo"], row), 1 if by_key else 2)
        if by_key:
            self.window.key("Right")

    def stroke(self, *offsets):
        """A right-button stroke over the list through these horizontal offsets."""
        x, y = row_point(self.layout["kaizo.lvwKaizo"], 0)
        sx, sy = self.window.point(x + 300, y)
        self.d.xdotool("mousemove", "--sync", sx, sy, "mousedown", "3")
        for dx in offsets:
            self.d.xdotool("mousemove", "--sync", sx + dx, sy)
        self.d.xdotool("mouseup", "3")

    def copy(self, action, label, expected_box=None):
        """A clipboard export by keys ("alt+c") or a click on a button ("shift+" first: with shift
        held); the copied text, read while its message box is up."""
        button = action.removeprefix("shift+")
        if "kaizo." + button not in self.layout:
            self.window.key(action)
        else:
            self.window.focus()  # the shift goes to the simulator
            if button != action:
                self.d.xdotool("keydown", "shift")
            self.window.click(*centre(self.layout["kaizo." + button]))
            if button != action:
                self.d.xdotool("keyup", "shift")
        box = self.d.wait_window(TITLE, pid=self.app.pid, exclude={self.main.id})
        text = self.d.clipboard()
        if expected_box:
            self.d.check_message_box(box, "none", expected_box, label)
        else:
            box.shot(label)
        box.key("Return")
        box.wait_closed("the message box")
        return text

    def dialog(self, keys, title, label):
        self.window.key(keys)
        dialog = self.d.wait_window(title, pid=self.app.pid)
        dialog.shot(label)
        return dialog

    def close(self):
        self.window.key("alt+x")
        self.window.wait_closed("the simulator")

    def quit(self, run):
        """Closes the simulator, then the catalogue, which must end the run cleanly."""
        self.close()
        self.main.key("alt+x")
        check(self.app.wait_exit() == 0, run + " did not end cleanly")

    def save_plan(self, folder):
        """Saves the plan under the proposed name: the settings file in folder once written."""
        self.dialog("alt+s", "改造データ保存", "save-dialog").key("Return")
        # The dialog writes the plan once it has closed.
        return wait_until(lambda: SAVED.fullmatch(settings(folder)), 5, "the saved plan")[0]

    def load_plan(self):
        """Loads the first saved plan by a double click on it in the load dialog."""
        dialog = self.dialog("alt+l", "改造データ読み出し", "load-dialog")
        dialog.click(*row_point(self.layout["load.lvwSaveData"], 0), repeat=2)
        dialog.wait_closed("the load dialog")
        self.window.shot("simulator-loaded")
        check(self.copy("cmdClipKaizo", "copy-loaded") == PLAN, "the loaded plan")


# The profile typed into the editor saved at the shutdown: its count in the first section, its own
# section after the plan's.
WITH_PROFILE = re.compile(r"\[SYSTEM\]\r\nDatabase=vaelbuki\.mdb\r\nCount=1\r\n" + PLAN_SECTION +
                          r"\[PROFILE1\]\r\nName=Alice\r\nStr=120\r\nInt=80\r\nDex=150\r\n"
                          r"Will=60\r\nLuck=40\r\nAttack=(\S+)\r\nRange=\1\r\n")


def case_plan(args):
    """A plan made by keys and gestures, copied, saved and loaded again in the next run; between
    the runs the editors and the simulator's dialogs."""
    with Display(args, "plan") as d:
        layout = d.layout()
        folder = d.program_folder()
        app = d.start(folder)
        sim = Simulator(d, app, layout)
        main = sim.main
        main.shot("catalogue-locked")
        sim.window.shot("simulator-step0")
        # 刃の研磨 by a double click, 重量増加 by the right arrow, 軽量化 by a double click.
        sim.apply(0)
        sim.apply(1, by_key=True)
        sim.apply(2)
        sim.window.shot("simulator-step3")
        check(sim.copy("cmdClipKaizo", "copy-step3") == "60式鉄の片手剣 刃の研磨→重量増加→軽量化",
              "the plan after three steps")
        # A right-button stroke to the left undoes the last step; then 刃先強化 instead.
        sim.stroke(-40, -80, -120, -160)
        sim.apply(3, by_key=True)
        text = sim.copy("cmdClipKaizo", "copy-plan", expected_box=(
            "クリップボードにコピーしました。\r\nCtrl+[V]でコピーした情報を貼り付けることが出来ます。"
            "\r\n\r\n" + PLAN))
        check(text == PLAN, f"plan steps copied: {text!r}")
        text = sim.copy("alt+c", "copy-figures")
        check(text == "75式鉄の片手剣　ダメージ13-21　クリティカル13　バランス52　耐久15",
              f"weapon figures copied: {text!r}")
        text = sim.copy("shift+cmdBukiClip", "copy-summary")
        check(text == SUMMARY, f"weapon summary copied (shift-click): {text!r}")
        plan = sim.save_plan(folder)
        sim.close()
        main.shot("catalogue-after-simulation")

        # A new profile, typed in with Enter between the fields; a Str of 1000 is refused first.
        main.click(*centre(layout["buki.cmdReg"]))
        editor = d.wait_window("キャラクター情報", pid=app.pid)
        editor.type("Alice")
        for value in ("1000", "80", "150", "60", "40"):
            editor.key("Return")
            editor.type(value)
        editor.key("Return", "Return", "Return")  # past the two rank lists to OK
        editor.shot("profile-editor")
        editor.key("space")
        box = d.wait_window(TITLE, pid=app.pid, exclude={main.id})
        d.check_message_box(box, "exclamation",
                            "入力制限を超過しています。-999～999の間で値を入力してください。",
                            "profile-limit")
        box.key("Return")
        editor.type("120")  # the refused field has the focus, its text selected
        editor.key(*["Return"] * 7, "space")
        editor.wait_closed("the profile editor")
        main.click(*centre(layout["buki.cmdRegEnchant"]))
        editor = d.wait_window("エンチャント＆タイトル補正", pid=app.pid)
        editor.shot("enchant-editor")
        editor.key("Escape")
        editor.wait_closed("the bonus set editor")

        # The simulator with the new profile: its performance change and status dialogs.
        main.click(*row_point(layout["buki.lvwProfile"], 0))
        main.shot("catalogue-with-profile")
        sim = Simulator(d, app, layout)
        sim.window.shot("simulator-with-profile")
        for keys, title, label in (("alt+w", "武器性能変化", "performance-change"),
                                   ("alt+t", "キャラクター情報", "profile-in-simulator")):
            dialog = sim.dialog(keys, title, label)
            dialog.key("Escape")
            dialog.wait_closed(title)
        sim.close()

        # A weapon type tab lists that type only: its first weapon is 鉄の大剣.
        main.click(*centre(layout["buki.tabShurui.2"]))
        main.shot("catalogue-two-handed")
        main.click(*row_point(layout["buki.lvwBuki"], 0), repeat=2)
        other = d.wait_window("武器改造 - 鉄の大剣", pid=app.pid)
        other.key("alt+x")
        other.wait_closed("the simulator of 鉄の大剣")
        main.key("alt+x")
        check(app.wait_exit() == 0, "the first run did not end cleanly")
        saved = settings(folder)
        # The shutdown adds the profile and leaves the plan as it was saved.
        check(WITH_PROFILE.fullmatch(saved) and plan[plan.index("[WEAPON2]"):] in saved,
              f"the plan and the profile saved: {saved!r}")

        # The next run loads the plan back by a double click on it in the load dialog.
        app = d.start(folder)
        sim = Simulator(d, app, layout)
        sim.load_plan()
        # A stroke left, right past the start and left again resets: the next step is step 1.
        sim.stroke(-60, -120, -60, 10, -60, -120)
        sim.window.shot("simulator-reset")
        sim.apply(0)
        check(sim.copy("cmdClipKaizo", "copy-after-reset") == "15式鉄の片手剣 刃の研磨",
              "the plan after the reset stroke")
        sim.quit("the second run")
        check(settings(folder) == saved, "loading the plan changed the settings file")


# --- nothing the user keeps is lost -------------------------------------------------------------

TWO_PROFILES = ("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=2\r\n[PROFILE1]\r\nName=一郎\r\n"
                "[PROFILE2]\r\nName=二郎\r\n")
# The first profile deleted: its section rewritten from the second, the second left as it was.
ONE_PROFILE_LEFT = ("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\r\n[PROFILE1]\r\nName=二郎\r\n"
                    "Str=\r\nInt=\r\nDex=\r\nWill=\r\nLuck=\r\nAttack=\r\nRange=\r\n"
                    "[PROFILE2]\r\nName=二郎\r\n")


def start_on_two_profiles(d, delete_first=False):
    """The program on two profiles (the first deleted): layout, folder, run, main window."""
    layout = d.layout()
    folder = d.program_folder(ini=TWO_PROFILES)
    app = d.start(folder)
    main = d.wait_window(TITLE, pid=app.pid)
    if delete_first:
        main.click(*row_point(layout["buki.lvwProfile"], 0))
        main.click(*centre(layout["buki.cmdDel"]))
    return layout, folder, app, main


def case_paste_line_break(args):
    """A two-line name pasted into the editor is refused where it is typed, not lost later."""
    with Display(args, "paste_line_break") as d:
        layout, folder, app, main = start_on_two_profiles(d)
        main.click(*centre(layout["buki.cmdReg"]))
        editor = d.wait_window("キャラクター情報", pid=app.pid)
        paste = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "1"],
                                 stdin=subprocess.PIPE, env=d.env)
        paste.communicate("三郎\n四郎".encode())
        editor.key("ctrl+v", *["Return"] * 8, "space")  # Enter moves on to OK
        box = d.wait_window(TITLE, pid=app.pid, exclude={main.id})
        d.check_message_box(box, "exclamation", "改行やタブなどの制御文字は使えません。",
                            "line-break-refused")
        box.key("Return")
        editor.type("三郎")  # the name is focused and selected: typing replaces it
        editor.key(*["Return"] * 8, "space")
        editor.wait_closed("the editor")
        main.key("alt+x")
        check(app.wait_exit() == 0, "the program did not end cleanly")
        text = settings(folder)
        check("Count=3\r\n" in text and "[PROFILE3]\r\nName=三郎\r\n" in text,
              f"the new profile was not saved beside the others: {text!r}")


def case_kill(args):
    """SIGTERM with the simulator and its status dialog open saves the lists as they stand."""
    with Display(args, "kill") as d:
        layout, folder, app, main = start_on_two_profiles(d, delete_first=True)
        main.click(*row_point(layout["buki.lvwProfile"], 0))
        Simulator(d, app, layout).dialog("alt+t", "キャラクター情報", "status-before-kill")
        app.proc.send_signal(signal.SIGTERM)
        check(app.wait_exit() == 0, "the program did not end cleanly on SIGTERM")
        check(settings(folder) == ONE_PROFILE_LEFT, f"after SIGTERM: {settings(folder)!r}")


def case_read_only_save(args):
    """A settings file made read-only: the failed save says where the changes went instead."""
    with Display(args, "read_only_save") as d:
        _, folder, app, main = start_on_two_profiles(d, delete_first=True)
        os.chmod(os.path.join(folder, "zelnoa.ini"), 0o444)
        main.key("alt+x")
        box = d.wait_window(TITLE, pid=app.pid, exclude={main.id})
        rescued = os.path.join(d.work, ".local", "share", "zelnoa", "rescued")
        rescue = os.path.join(rescued, wait_until(
            lambda: os.path.isdir(rescued) and os.listdir(rescued), 5, "the rescue copy")[0])
        d.check_message_box(box, "critical", "設定ファイルの保存に失敗しました。\n"
                            "変更内容は次のファイルに保存しました：" + rescue, "save-failed")
        box.key("Return")
        check(app.wait_exit() == 0, "the program did not end cleanly")
        check(settings(folder) == TWO_PROFILES, "the read-only file changed")
        check(read_bytes(rescue).decode("cp932") == ONE_PROFILE_LEFT,
              "the rescue copy does not hold the changed lists")


# --- the Debian package ------------------------------------------------------------------------

INSTALLED = ["bin/zelnoa", "libexec/zelnoa/zelnoa-import", "share/zelnoa/vaelbuki.mdb",
             "share/applications/zelnoa.desktop", "share/man/man1/zelnoa.1.gz",
             "share/metainfo/io.github.zelnoa.zelnoa.metainfo.xml", "share/doc/zelnoa/copyright",
             "share/icons/hicolor/256x256/apps/zelnoa.png",
             "share/icons/hicolor/scalable/apps/zelnoa.svg", "bin/zelnoa-plan",
             "share/man/man1/zelnoa-plan.1.gz"]
NOBODY = 65534


def tree(root):
    """Every file under root with its bytes and modification time."""
    return {os.path.join(top, name): (read_bytes(os.path.join(top, name)),
                                      os.stat(os.path.join(top, name)).st_mtime_ns)
            for top, _, names in os.walk(root) for name in names}


def run(*argv, **kw):
    result = subprocess.run(argv, capture_output=True, text=True, **kw)
    check(result.returncode == 0, f"{' '.join(argv)} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


def unpacked_package(args, work):
    """The package built from the build folder and unpacked: its file and its usr folder."""
    run(args.cpack, "-G", "DEB", "-B", os.path.join(work, "package"), cwd=args.build_dir)
    deb = [n for n in os.listdir(os.path.join(work, "package")) if n.endswith(".deb")]
    check(len(deb) == 1, f"cpack made {deb}")
    deb = os.path.join(work, "package", deb[0])
    run("dpkg-deb", "-x", deb, os.path.join(work, "root"))
    return deb, os.path.join(work, "root", "usr")


def case_package(args):
    """The package holds every file and runs from wherever it is unpacked, as a user who may write
    nothing of it (when run as root): settings in the user's home, plans saved and loaded."""
    with Display(args, "package") as d:
        layout = d.layout()
        _, usr = unpacked_package(args, d.work)
        for path in INSTALLED:
            check(os.path.isfile(os.path.join(usr, path)), "not installed: " + path)
        launcher = os.path.join(usr, "bin", "zelnoa")
        check(not os.path.islink(launcher), "bin/zelnoa is a link")
        check(read_bytes(os.path.join(usr, "share", "zelnoa", "vaelbuki.mdb")) ==
              read_bytes(args.sample_db), "the installed database is not the sample master")
        entry = read_bytes(os.path.join(usr, INSTALLED[3])).decode("utf-8").splitlines()
        for line in ("Name[ja]=ゼルノア", "Icon=zelnoa", "Exec=zelnoa", "StartupWMClass=zelnoa"):
            check(line in entry, f"the menu entry lacks {line!r}")

        home = os.path.join(d.work, "home")
        os.mkdir(home, 0o700)
        argv, user = [launcher], os.geteuid()
        if user == 0:
            argv, user = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups",
                          launcher], NOBODY
            os.chown(home, NOBODY, NOBODY)
            os.chmod(d.work, 0o755)
        env = {"HOME": home, "XDG_RUNTIME_DIR": home}
        config = os.path.join(home, ".config", "zelnoa")
        before = tree(usr)

        app = Program(d, argv, env)
        sim = Simulator(d, app, layout)
        sim.apply(0)
        sim.apply(1, by_key=True)
        sim.apply(3, by_key=True)
        saved = sim.save_plan(config)
        check(os.stat(os.path.join(config, "zelnoa.ini")).st_uid == user,
              "the settings file is not the user's")
        sim.quit("the first run")

        app = Program(d, argv, env)
        sim = Simulator(d, app, layout)
        sim.load_plan()
        sim.quit("the second run")
        check(settings(config) == saved, "loading the plan changed the settings file")
        check(tree(usr) == before, "the runs changed the installed files")


def case_lintian(args):
    """The package, its menu entry and its metainfo pass Debian's and freedesktop's checkers."""
    skip_unless_installed("lintian", "appstreamcli", "desktop-file-validate")
    with tempfile.TemporaryDirectory() as work:
        deb, usr = unpacked_package(args, work)
        print(run("lintian", "--fail-on", "error", "--display-info", deb))
        run("appstreamcli", "validate", "--no-net", os.path.join(usr, INSTALLED[5]))
        run("desktop-file-validate", os.path.join(usr, INSTALLED[3]))


# --- HiDPI ------------------------------------------------------------------------------------

def case_hidpi(args):
    """At twice the scale every window is twice as large: the twip layouts stay proportional."""
    sizes = {}
    with Display(args, "hidpi", screen="2560x2048x24") as d:
        for scale in (1, 2):
            env = {"QT_SCALE_FACTOR": str(scale)}
            # The probe measures in device-independent pixels, the screen has scale times more.
            layout = d.layout(extra_env=env)
            app = d.start(d.program_folder(f"x{scale}"), extra_env=env)
            sim = Simulator(d, app, layout, scale)
            sim.main.shot(f"catalogue-x{scale}")
            sim.window.shot(f"simulator-x{scale}")
            sizes[scale] = (sim.main.geometry()[2:], sim.window.geometry()[2:])
            sim.quit(f"the run at scale {scale}")
    for window, one, two in zip(("catalogue", "simulator"), sizes[1], sizes[2]):
        ratios = (two[0] / one[0], two[1] / one[1])
        print(f"{window}: {one[0]}x{one[1]} at scale 1, {two[0]}x{two[1]} at scale 2")
        check(all(1.9 <= r <= 2.1 for r in ratios),
              f"the {window} window does not scale with the factor: {ratios}")


CASES = {name[5:]: f for name, f in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    for option in ("program", "converter", "sample-db", "probe", "test-data", "sources",
                   "artifacts", "cpack", "build-dir"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    if args.case != "lintian":  # the only case without a display
        skip_unless_installed("Xvfb", "xdotool", "xclip")
    # A time-out's SIGTERM still runs the clean-up of the display and the folders.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        CASES[args.case](args)
    except Failure as failure:
        print(f"FAILED {args.case}: {failure}")
        return 1
    print(f"passed {args.case}; screenshots in {args.artifacts}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
