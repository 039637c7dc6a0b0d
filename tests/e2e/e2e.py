#!/usr/bin/env python3
"""End-to-end tests: the real zelnoa executable on an Xvfb display, used the way a person uses it.

    e2e.py <case> --program ... --artifacts <folder>

Each case starts its own X server and works in a throw-away copy of the program folder; the
screenshots it takes stay in <artifacts>/<case>/. Exit 0 passed, 1 failed, 77 skipped (no Xvfb,
xdotool or xclip on the machine).
"""

import argparse
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # keeps the source folder free of compiled files
from harness import (SKIPPED, TITLE, Display, Failure, Program, Window, check, read_bytes,
                     skip_without_tools, wait_until)

WEAPON_ROW = 1  # 鉄の片手剣 in the "全て" tab of the sample master
WEAPON_TITLE = "武器改造 - 鉄の片手剣"
SETTINGS_START = "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n".encode("cp932")
ALREADY_RUNNING = "既に起動しています。"
DATABASE_FAILED = "データベース接続に失敗しました。"
COPIED = ("クリップボードにコピーしました。\r\n"
          "Ctrl+[V]でコピーした情報を貼り付けることが出来ます。\r\n\r\n")


def centre(rect, scale=1):
    return (rect[0] + rect[2] // 2) * scale, (rect[1] + rect[3] // 2) * scale


def row_point(control, row, scale=1):
    # A point well inside the row's first column; the rows of a list are all of one height.
    x, y, _, h = control["rows"][0]
    return (x + 30) * scale, (y + row * h + h // 2) * scale


def settings(folder):
    return read_bytes(os.path.join(folder, "zelnoa.ini"))


def files(folder):
    return sorted(os.listdir(folder))


# --- start-up and shutdown --------------------------------------------------------------------

def case_startup(args):
    with Display(args, "startup") as d:
        folder = d.program_folder()
        app = d.start(folder)
        main = d.wait_window(TITLE, pid=app.pid)
        _, _, width, height = main.geometry()
        check(width > 600 and height > 400, f"the main window is only {width}x{height}")
        main.shot("catalogue")
        # 終了(&X) closes the window, which ends the run.
        main.key("alt+x")
        check(app.wait_exit() == 0, "the program did not end cleanly")
        check(settings(folder) == SETTINGS_START,
              f"settings file after the first run: {settings(folder)!r}")
        check(files(folder) == ["vaelbuki.mdb", "zelnoa", "zelnoa-import", "zelnoa.ini"],
              f"left in the program folder: {files(folder)}")

        # A second run on the same folder changes nothing.
        app = d.start(folder)
        main = d.wait_window(TITLE, pid=app.pid)
        main.key("alt+x")
        check(app.wait_exit() == 0, "the second run did not end cleanly")
        check(settings(folder) == SETTINGS_START, "the second run changed the settings file")


def case_single_instance(args):
    with Display(args, "single_instance") as d:
        folder = d.program_folder()
        first = d.start(folder)
        main = d.wait_window(TITLE, pid=first.pid)
        before = (main.geometry(), settings(folder), files(folder))

        second = d.start(folder)
        box = d.wait_window(TITLE, pid=second.pid)
        d.check_message_box(box, "critical", ALREADY_RUNNING, "already-running")
        box.key("Return")
        check(second.wait_exit() == 1, "the second start did not end with exit code 1")

        check(first.running(), "the first instance ended")
        check(main.visible() and main.name() == TITLE, "the first instance's window changed")
        check((main.geometry(), settings(folder), files(folder)) == before,
              "the second start touched the first instance or its files")
        # A copy in another folder is another program and runs beside it.
        other = d.program_folder("other")
        third = d.start(other)
        other_main = d.wait_window(TITLE, pid=third.pid)
        other_main.key("alt+x")
        check(third.wait_exit() == 0, "the copy in another folder did not run")

        main.key("alt+x")
        check(first.wait_exit() == 0, "the first instance did not end cleanly")


def case_database_failure(args):
    # An Access master without the master tables (the converter runs, the copy is refused), and
    # a database file that is not there. Both end with the message and leave nothing behind.
    access = os.path.join(args.test_data, "access", "DateTestDatabase.mdb")
    cases = [("access", "DateTestDatabase.mdb", access), ("missing", "missing.mdb", None)]
    with Display(args, "database_failure") as d:
        for label, name, source in cases:
            folder = d.program_folder(label, database=False)
            if source:
                shutil.copyfile(source, os.path.join(folder, name))
            with open(os.path.join(folder, "zelnoa.ini"), "wb") as f:
                f.write(f"[SYSTEM]\r\nDatabase={name}\r\n".encode("cp932"))
            before = {n: read_bytes(os.path.join(folder, n)) for n in files(folder)}

            app = d.start(folder)
            box = d.wait_window(TITLE, pid=app.pid, timeout=30)
            d.check_message_box(box, "critical", DATABASE_FAILED, "database-failure-" + label)
            box.key("Return")
            check(app.wait_exit() == 1, f"{label}: the program did not end with exit code 1")
            after = {n: read_bytes(os.path.join(folder, n)) for n in files(folder)}
            check(after == before,
                  f"{label}: the folder changed: {sorted(before)} -> {sorted(after)}")


# --- a whole plan -------------------------------------------------------------------------------

# The probe's settings: one saved plan, so that the load dialog's list has a row to measure.
PLAN_INI = ("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n[WEAPON2]\r\nCount=1\r\nName1=p\r\n"
            "Data1=23 101.\r\nSpec1=x\r\nDate1=x\r\n")
PLAN = "75式鉄の片手剣 刃の研磨→重量増加→刃先強化"
FIGURES = "75式鉄の片手剣　ダメージ13-21　クリティカル13　バランス52　耐久15"
SUMMARY = ("○費用8,500\r\n○刃の研磨→重量増加→刃先強化\r\n"
           "○ダメージ13-21　クリティカル13　バランス52　耐久15\r\n○バランス80％達成DEX 122")
SAVED = re.compile(
    r"\[SYSTEM\]\r\nDatabase=vaelbuki\.mdb\r\n\[WEAPON2\]\r\nCount=1\r\nName1=75式\r\n"
    r"Data1=23 101\.102\.104\.\r\nSpec1=13～21 クリティカル13 バランス52 耐久15\r\n"
    r"Date1=\S.*\S\r\n")


class Simulator:
    """The simulator window of a run, opened by a double click on the weapon in the catalogue."""

    def __init__(self, d, app, layout, scale=1):
        self.d, self.app, self.layout = d, app, layout
        self.controls = layout["frmKaizo"]["controls"]
        self.main = d.wait_window(TITLE, pid=app.pid)
        weapons = layout["frmBuki"]["controls"]["lvwBuki"]
        self.main.click(*row_point(weapons, WEAPON_ROW, scale), repeat=2)
        self.window = d.wait_window(WEAPON_TITLE, pid=app.pid)

    def row(self, row):
        return row_point(self.controls["lvwKaizo"], row)

    def double_click(self, row):
        self.window.click(*self.row(row), repeat=2)

    def select_and_press_right(self, row):
        self.window.click(*self.row(row))
        self.window.key("Right")

    def stroke(self, *offsets):
        """A right-button stroke over the list through these horizontal offsets."""
        x, y = self.row(0)
        sx, sy = self.window.point(x + 300, y)
        self.d.xdotool("mousemove", "--sync", sx, sy, "mousedown", "3")
        for dx in offsets:
            self.d.xdotool("mousemove", "--sync", sx + dx, sy)
        self.d.xdotool("mouseup", "3")

    def click_button(self, name):
        self.window.click(*centre(self.controls[name]["rect"]))

    def shift_click(self, name):
        self.window.focus()
        self.d.xdotool("keydown", "shift")
        self.click_button(name)
        self.d.xdotool("keyup", "shift")

    def copy(self, action, label, expected_box=None):
        """Runs a clipboard export; the copied text, read while its message box is up."""
        action()
        box = self.d.wait_window(TITLE, pid=self.app.pid, exclude={self.main.id})
        text = self.d.clipboard()
        if expected_box:
            self.d.check_message_box(box, "none", expected_box(text), label)
        else:
            box.shot(label)
        box.key("Return")
        wait_until(lambda: not box.visible(), 5, "the message box to close")
        return text

    def copy_plan(self, label, **kw):
        return self.copy(lambda: self.click_button("cmdClipKaizo"), label, **kw)

    def dialog(self, keys, title, label):
        self.window.key(keys)
        dialog = self.d.wait_window(title, pid=self.app.pid)
        dialog.shot(label)
        return dialog

    def close(self):
        self.window.key("alt+x")
        wait_until(lambda: not self.window.visible(), 5, "the simulator to close")

    def save_plan(self, folder):
        """Saves the plan under the proposed name: the settings file in folder once written."""
        dialog = self.dialog("alt+s", "改造データ保存", "save-dialog")
        dialog.key("Return")  # the dialog writes the plan once it has closed
        wait_until(lambda: SAVED.fullmatch(settings(folder).decode("cp932")), 5,
                   "the plan in the settings file")
        return settings(folder)

    def load_plan(self):
        """Loads the first saved plan by a double click on it in the load dialog."""
        dialog = self.dialog("alt+l", "改造データ読み出し", "load-dialog")
        dialog.click(*row_point(self.layout["load"]["controls"]["lvwSaveData"], 0), repeat=2)
        wait_until(lambda: not dialog.visible(), 5, "the load dialog to close")
        self.window.shot("simulator-loaded")
        check(self.copy_plan("copy-loaded") == PLAN, "the loaded plan")


def case_plan(args):
    with Display(args, "plan") as d:
        layout = d.layout(WEAPON_ROW, ini=PLAN_INI)
        folder = d.program_folder()

        app = d.start(folder)
        sim = Simulator(d, app, layout)
        sim.main.shot("catalogue-locked")
        sim.window.shot("simulator-step0")
        # 刃の研磨 by a double click, 重量増加 by the right arrow, 軽量化 by a double click.
        sim.double_click(0)
        sim.select_and_press_right(1)
        sim.double_click(2)
        sim.window.shot("simulator-step3")
        check(sim.copy_plan("copy-step3") == "60式鉄の片手剣 刃の研磨→重量増加→軽量化",
              "the plan after three steps")
        # A right-button stroke to the left undoes the last step; then 刃先強化 instead.
        sim.stroke(-40, -80, -120, -160)
        check(sim.copy_plan("copy-undone") == "35式鉄の片手剣 刃の研磨→重量増加",
              "the plan after the stroke to the left")
        sim.select_and_press_right(3)

        text = sim.copy_plan("copy-plan", expected_box=lambda text: COPIED + PLAN)
        check(text == PLAN, f"plan steps copied: {text!r}")
        text = sim.copy(lambda: sim.window.key("alt+c"), "copy-figures")
        check(text == FIGURES, f"weapon figures copied: {text!r}")
        text = sim.copy(lambda: sim.shift_click("cmdBukiClip"), "copy-summary")
        check(text == SUMMARY, f"weapon summary copied (shift-click): {text!r}")

        saved = sim.save_plan(folder)
        sim.close()
        sim.main.shot("catalogue-after-simulation")
        sim.main.key("alt+x")
        check(app.wait_exit() == 0, "the first run did not end cleanly")
        check(settings(folder) == saved, "the shutdown changed the saved plans")

        # The next run loads the plan back by a double click on it in the load dialog.
        app = d.start(folder)
        sim = Simulator(d, app, layout)
        sim.load_plan()
        text = sim.copy(lambda: sim.shift_click("cmdBukiClip"), "copy-loaded-summary")
        check(text == SUMMARY, f"the loaded plan's figures: {text!r}")

        # A stroke left, right past the start and left again resets: the next step is step 1.
        sim.stroke(-60, -120, -60, 10, -60, -120)
        sim.window.shot("simulator-reset")
        sim.double_click(0)
        check(sim.copy_plan("copy-after-reset") == "15式鉄の片手剣 刃の研磨",
              "the plan after the reset stroke")
        sim.close()
        sim.main.key("alt+x")
        check(app.wait_exit() == 0, "the second run did not end cleanly")
        check(settings(folder) == saved, "loading the plan changed the settings file")


# --- the editors and the simulator's dialogs ----------------------------------------------------

LIMIT = "入力制限を超過しています。-999～999の間で値を入力してください。"
PROFILE_INI = "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\r\n[PROFILE1]\r\nName=x\r\n"
PROFILE_SAVED = re.compile(
    r"\[SYSTEM\]\r\nDatabase=vaelbuki\.mdb\r\nCount=1\r\n\[PROFILE1\]\r\nName=Alice\r\n"
    r"Str=120\r\nInt=80\r\nDex=150\r\nWill=60\r\nLuck=40\r\nAttack=(\S+)\r\nRange=\1\r\n")


def case_dialogs(args):
    with Display(args, "dialogs") as d:
        # The probe's settings hold a profile, so that its list has a row to measure.
        layout = d.layout(WEAPON_ROW, ini=PROFILE_INI)
        buki = layout["frmBuki"]["controls"]
        folder = d.program_folder()
        app = d.start(folder)
        main = d.wait_window(TITLE, pid=app.pid)

        # A new profile, typed in with Enter between the fields; a Str of 1000 is refused first.
        main.click(*centre(buki["cmdReg"]["rect"]))
        editor = d.wait_window("キャラクター情報", pid=app.pid)
        editor.type("Alice")
        for value in ("1000", "80", "150", "60", "40"):
            editor.key("Return")
            editor.type(value)
        editor.key("Return", "Return", "Return")  # past the two rank lists to OK
        editor.shot("profile-editor")
        editor.key("space")
        box = d.wait_window(TITLE, pid=app.pid, exclude={main.id})
        d.check_message_box(box, "exclamation", LIMIT, "profile-limit")
        box.key("Return")
        editor.type("120")  # the refused field has the focus, its text selected
        editor.key(*["Return"] * 7, "space")
        wait_until(lambda: not editor.visible(), 5, "the profile editor to close")

        main.click(*centre(buki["cmdRegEnchant"]["rect"]))
        editor = d.wait_window("エンチャント＆タイトル補正", pid=app.pid)
        editor.shot("enchant-editor")
        editor.key("Escape")
        wait_until(lambda: not editor.visible(), 5, "the bonus set editor to close")

        # The simulator with the new profile: its performance change and status dialogs.
        main.click(*row_point(buki["lvwProfile"], 0))
        main.shot("catalogue-with-profile")
        sim = Simulator(d, app, layout)
        sim.window.shot("simulator-with-profile")
        for keys, title, label in (("alt+w", "武器性能変化", "performance-change"),
                                   ("alt+t", "キャラクター情報", "profile-in-simulator")):
            dialog = sim.dialog(keys, title, label)
            dialog.key("Escape")
            wait_until(lambda: not dialog.visible(), 5, f"the dialog {title} to close")
        sim.close()

        # A weapon type tab lists that type only: its first weapon is 鉄の大剣.
        main.click(*centre(buki["tabShurui"]["tabs"][2]))
        main.shot("catalogue-two-handed")
        main.click(*row_point(buki["lvwBuki"], 0), repeat=2)
        sim = d.wait_window("武器改造 - 鉄の大剣", pid=app.pid)
        sim.key("alt+x")
        wait_until(lambda: not sim.visible(), 5, "the simulator to close")
        main.key("alt+x")
        check(app.wait_exit() == 0, "the program did not end cleanly")

        # The loading window, held open by the probe long enough to be seen.
        probe = Program(d, [args.probe, "wait"], "probe.log")
        loading = wait_until(lambda: d.visible_windows(probe.pid), 10, "the loading window")
        d.settle()
        Window(d, loading[0]).shot("loading-window")
        check(Window(d, loading[0]).name().strip() == "", "the loading window shows a title")
        check(probe.wait_exit() == 0, "the loading window did not close after its job")

        text = settings(folder).decode("cp932")
        check(PROFILE_SAVED.fullmatch(text), f"settings file after adding a profile: {text!r}")


# --- nothing the user keeps is lost -------------------------------------------------------------

TWO_PROFILES = ("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=2\r\n[PROFILE1]\r\nName=一郎\r\n"
                "[PROFILE2]\r\nName=二郎\r\n")
# The first profile deleted: its section rewritten from the second, the third left as it was.
ONE_PROFILE_LEFT = ("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\r\n[PROFILE1]\r\nName=二郎\r\n"
                    "Str=\r\nInt=\r\nDex=\r\nWill=\r\nLuck=\r\nAttack=\r\nRange=\r\n"
                    "[PROFILE2]\r\nName=二郎\r\n")
CONTROL_CHARACTER = "改行やタブなどの制御文字は使えません。"
SAVE_FAILED = "設定ファイルの保存に失敗しました。"


def start_with(d, ini, name="program"):
    folder = d.program_folder(name)
    with open(os.path.join(folder, "zelnoa.ini"), "wb") as f:
        f.write(ini.encode("cp932"))
    return folder, d.start(folder)


def delete_first_profile(d, app, layout):
    buki = layout["frmBuki"]["controls"]
    main = d.wait_window(TITLE, pid=app.pid)
    main.click(*row_point(buki["lvwProfile"], 0))
    main.click(*centre(buki["cmdDel"]["rect"]))
    return main, buki


def case_paste_line_break(args):
    """A two-line name pasted into the editor is refused where it is typed, not lost later."""
    with Display(args, "paste_line_break") as d:
        layout = d.layout(WEAPON_ROW, ini=PROFILE_INI)
        folder, app = start_with(d, TWO_PROFILES)
        main = d.wait_window(TITLE, pid=app.pid)
        main.click(*centre(layout["frmBuki"]["controls"]["cmdReg"]["rect"]))
        editor = d.wait_window("キャラクター情報", pid=app.pid)
        paste = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "1"],
                                 stdin=subprocess.PIPE, env=d.env)
        paste.communicate("三郎\n四郎".encode())
        editor.key("ctrl+v", *["Return"] * 8, "space")  # Enter moves on to OK
        box = d.wait_window(TITLE, pid=app.pid, exclude={main.id})
        d.check_message_box(box, "exclamation", CONTROL_CHARACTER, "line-break-refused")
        box.key("Return")
        editor.type("三郎")  # the name is focused and selected: typing replaces it
        editor.key(*["Return"] * 8, "space")
        wait_until(lambda: not editor.visible(), 5, "the editor to close")
        main.key("alt+x")
        check(app.wait_exit() == 0, "the program did not end cleanly")
        text = settings(folder).decode("cp932")
        check("Count=3\r\n" in text and "[PROFILE3]\r\nName=三郎\r\n" in text,
              f"the new profile was not saved beside the others: {text!r}")


def case_kill(args):
    """SIGTERM with the simulator and its status dialog open saves the lists as they stand."""
    with Display(args, "kill") as d:
        layout = d.layout(WEAPON_ROW, ini=PROFILE_INI)
        folder, app = start_with(d, TWO_PROFILES)
        main, buki = delete_first_profile(d, app, layout)
        main.click(*row_point(buki["lvwProfile"], 0))
        sim = Simulator(d, app, layout)
        sim.dialog("alt+t", "キャラクター情報", "status-before-kill")
        app.proc.send_signal(signal.SIGTERM)
        check(app.wait_exit() == 0, "the program did not end cleanly on SIGTERM")
        text = settings(folder).decode("cp932")
        check(text == ONE_PROFILE_LEFT, f"the lists after SIGTERM: {text!r}")


def case_read_only_save(args):
    """A settings file made read-only: the failed save says where the changes went instead."""
    with Display(args, "read_only_save") as d:
        layout = d.layout(WEAPON_ROW, ini=PROFILE_INI)
        folder, app = start_with(d, TWO_PROFILES)
        path = os.path.join(folder, "zelnoa.ini")
        main, _ = delete_first_profile(d, app, layout)
        os.chmod(path, 0o444)
        main.key("alt+x")
        box = d.wait_window(TITLE, pid=app.pid, exclude={main.id})
        rescued_folder = os.path.join(d.work, ".local", "share", "zelnoa", "rescued")
        rescued = wait_until(lambda: os.path.isdir(rescued_folder) and os.listdir(rescued_folder),
                             5, "the rescue copy")
        rescue = os.path.join(rescued_folder, rescued[0])
        d.check_message_box(box, "critical",
                            SAVE_FAILED + "\n変更内容は次のファイルに保存しました：" + rescue,
                            "save-failed")
        box.key("Return")
        check(app.wait_exit() == 0, "the program did not end cleanly")
        check(settings(folder) == TWO_PROFILES.encode("cp932"), "the read-only file changed")
        check(read_bytes(rescue).decode("cp932") == ONE_PROFILE_LEFT,
              "the rescue copy does not hold the changed lists")


def case_twenty_starts(args):
    """Twenty starts at the same instant leave exactly one window; the others say so and end."""
    with Display(args, "twenty_starts") as d:
        folder = d.program_folder()
        apps = [d.start(folder) for _ in range(20)]

        def shown():
            windows = [(app, w) for app in apps for w in d.visible_windows(app.pid, TITLE)]
            return windows if len(windows) == 20 else None

        windows = wait_until(shown, 60, "twenty windows")
        mains = [(app, w) for app, w in windows if Window(d, w).geometry()[2] > 600]
        check(len(mains) == 1, f"{len(mains)} main windows")
        for app, w in windows:
            if (app, w) != mains[0]:
                Window(d, w).key("Return")
                check(app.wait_exit() == 1, "a second copy did not end with exit code 1")
        main = Window(d, mains[0][1])
        main.shot("the-one-window")
        main.key("alt+x")
        check(mains[0][0].wait_exit() == 0, "the one copy did not end cleanly")


# --- installation and the Debian package -------------------------------------------------------

INSTALLED = ["bin/zelnoa", "libexec/zelnoa/zelnoa-import", "share/zelnoa/vaelbuki.mdb",
             "share/applications/zelnoa.desktop", "share/man/man1/zelnoa.1.gz",
             "share/metainfo/io.github.zelnoa.zelnoa.metainfo.xml", "share/doc/zelnoa/copyright",
             "share/icons/hicolor/256x256/apps/zelnoa.png",
             "share/icons/hicolor/scalable/apps/zelnoa.svg"]
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
    """The package built from the build folder and unpacked: its file and the root it fills."""
    run(args.cpack, "-G", "DEB", "-B", os.path.join(work, "package"), cwd=args.build_dir)
    deb = [n for n in os.listdir(os.path.join(work, "package")) if n.endswith(".deb")]
    check(len(deb) == 1, f"cpack made {deb}")
    root = os.path.join(work, "root")
    deb = os.path.join(work, "package", deb[0])
    run("dpkg-deb", "-x", deb, root)
    return deb, root


def case_install(args):
    with Display(args, "install") as d:
        prefix = os.path.join(d.work, "prefix")
        run(args.cmake, "--install", args.build_dir, "--prefix", prefix)
        expected = INSTALLED
        if os.path.exists(os.path.join(os.path.dirname(args.program), "zelnoa-plan")):
            expected = INSTALLED + ["bin/zelnoa-plan", "share/man/man1/zelnoa-plan.1.gz"]
        for path in expected:
            check(os.path.isfile(os.path.join(prefix, path)), "not installed: " + path)
        launcher = os.path.join(prefix, "bin", "zelnoa")
        check(not os.path.islink(launcher), "bin/zelnoa is a link")
        check(read_bytes(os.path.join(prefix, "share", "zelnoa", "vaelbuki.mdb")) ==
              read_bytes(args.sample_db), "the installed database is not the sample master")
        entry = read_bytes(os.path.join(prefix, INSTALLED[3])).decode("utf-8").splitlines()
        for line in ("Name[ja]=ゼルノア", "Icon=zelnoa", "Exec=zelnoa", "StartupWMClass=zelnoa"):
            check(line in entry, f"the menu entry lacks {line!r}")

        # Installed mode: the sample master found under share/zelnoa, the settings in the fresh
        # HOME, nothing under the prefix written.
        before = tree(prefix)
        app = Program(d, [launcher], "zelnoa.log")
        main = d.wait_window(TITLE, pid=app.pid)
        main.shot("installed")
        check(main.geometry()[2] > 600, "the installed program shows a message, not its window")
        main.key("alt+x")
        check(app.wait_exit() == 0, "the installed program did not end cleanly")
        check(settings(os.path.join(d.work, ".config", "zelnoa")) == SETTINGS_START,
              "no settings file in ~/.config/zelnoa")
        check(tree(prefix) == before, "the run wrote under the prefix")


def case_package(args):
    """The package unpacked and run by a user who may write nothing of it: plans still save."""
    if os.geteuid() != 0:
        print("skipped: only root can run the program as another user")
        sys.exit(SKIPPED)
    with Display(args, "package") as d:
        layout = d.layout(WEAPON_ROW, ini=PLAN_INI)
        _, root = unpacked_package(args, d.work)
        home = os.path.join(d.work, "home")
        os.mkdir(home, 0o700)
        os.chown(home, NOBODY, NOBODY)
        os.chmod(d.work, 0o755)
        config = os.path.join(home, ".config", "zelnoa")
        before = tree(root)
        argv = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups",
                os.path.join(root, "usr", "bin", "zelnoa")]
        env = {"HOME": home, "XDG_RUNTIME_DIR": home}

        app = Program(d, argv, "zelnoa.log", env)
        sim = Simulator(d, app, layout)
        sim.double_click(0)
        sim.select_and_press_right(1)
        sim.select_and_press_right(3)
        saved = sim.save_plan(config)
        check(os.stat(os.path.join(config, "zelnoa.ini")).st_uid == NOBODY,
              "the settings file is not the user's")
        sim.close()
        sim.main.key("alt+x")
        check(app.wait_exit() == 0, "the first run did not end cleanly")

        app = Program(d, argv, "zelnoa.log", env)
        sim = Simulator(d, app, layout)
        sim.load_plan()
        sim.close()
        sim.main.key("alt+x")
        check(app.wait_exit() == 0, "the second run did not end cleanly")
        check(settings(config) == saved, "loading the plan changed the settings file")
        check(tree(root) == before, "the runs changed the installed files")


def case_lintian(args):
    """The package, its menu entry and its metainfo pass Debian's and freedesktop's checkers."""
    missing = [t for t in ("lintian", "appstreamcli", "desktop-file-validate")
               if shutil.which(t) is None]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)
    with tempfile.TemporaryDirectory() as work:
        deb, root = unpacked_package(args, work)
        share = os.path.join(root, "usr", "share")
        print(run("lintian", "--fail-on", "error", "--display-info", deb))
        run("appstreamcli", "validate", "--no-net",
            os.path.join(share, "metainfo", "io.github.zelnoa.zelnoa.metainfo.xml"))
        run("desktop-file-validate", os.path.join(share, "applications", "zelnoa.desktop"))


# --- fonts, HiDPI and the start-up figure ---------------------------------------------------

LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
SQL_TEXT = re.compile(r"'((?:[^'\n]|'')*)'")


def program_texts(sources):
    """Every non-ASCII text of the windows' sources and of the sample master."""
    texts = set()
    for folder in ("app", "catalogue", "simulator", "editors"):
        for root, _, names in os.walk(os.path.join(sources, folder)):
            for name in names:
                if name.endswith((".cpp", ".h")):
                    with open(os.path.join(root, name), encoding="utf-8") as f:
                        code = f.read()
                    texts.update(t for t in LITERAL.findall(code) if not t.isascii())
    with open(os.path.join(sources, "data", "sample.sql"), encoding="utf-8") as f:
        texts.update(t for t in SQL_TEXT.findall(f.read()) if not t.isascii())
    return sorted(texts)


def case_fonts(args):
    listed = subprocess.run(["fc-list", ":lang=ja", "family"], capture_output=True, text=True)
    check(listed.returncode == 0 and listed.stdout.strip(), "no Japanese font is installed")
    with Display(args, "fonts") as d:
        texts = program_texts(args.sources)
        check(len(texts) > 100, f"only {len(texts)} texts found in the sources")
        path = os.path.join(d.work, "texts.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(texts))
        folder = d.program_folder("fonts")
        print(d.probe("fonts", folder, path).strip())


def case_hidpi(args):
    """At twice the scale every window is twice as large: the twip layouts stay proportional."""
    sizes = {}
    for scale, screen in (("1", "1280x1024x24"), ("2", "2560x2048x24")):
        env = {"QT_SCALE_FACTOR": scale}
        with Display(args, "hidpi-x" + scale, screen=screen) as d:
            # The probe measures in device-independent pixels, the screen has scale times more.
            layout = d.layout(WEAPON_ROW, extra_env=env)
            app = d.start(d.program_folder(), extra_env=env)
            d.wait_window(TITLE, pid=app.pid).shot("catalogue")
            sim = Simulator(d, app, layout, scale=int(scale))
            sim.window.shot("simulator")
            sizes[scale] = (sim.main.geometry()[2:], sim.window.geometry()[2:])
            sim.close()
            sim.main.key("alt+x")
            check(app.wait_exit() == 0, f"the run at scale {scale} did not end cleanly")
    for window, one, two in zip(("catalogue", "simulator"), sizes["1"], sizes["2"]):
        ratios = (two[0] / one[0], two[1] / one[1])
        print(f"{window}: {one[0]}x{one[1]} at scale 1, {two[0]}x{two[1]} at scale 2")
        check(all(1.9 <= r <= 2.1 for r in ratios),
              f"the {window} window does not scale with the factor: {ratios}")


def case_startup_time(args):
    """Warm start to the first expose of the main window: the median of 10 (a figure only)."""
    with Display(args, "startup_time") as d:
        folder = d.program_folder()
        program = os.path.join(folder, "zelnoa")
        times = []
        for run in range(11):
            result = d.run(args.x11, "startup", TITLE, program, timeout=30)
            check(result.returncode == 0, "the program did not show its window: " +
                  result.stderr.decode())
            if run > 0:  # the first start warms the caches
                times.append(float(result.stdout))
            time.sleep(0.2)
        median = statistics.median(times)
        line = (f"start-up to the first expose of the main window: median {median:.0f} ms "
                f"of {len(times)} warm starts (min {min(times):.0f}, max {max(times):.0f})")
        print(line)
        os.makedirs(args.artifacts, exist_ok=True)
        with open(os.path.join(args.artifacts, "startup-time.txt"), "w") as f:
            f.write(line + "\n")


CASES = {name[5:]: f for name, f in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    for option in ("program", "converter", "sample-db", "probe", "x11", "test-data", "sources",
                   "artifacts", "cmake", "cpack", "build-dir"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    if args.case != "lintian":  # the only case without a display
        skip_without_tools()
    # A time-out's SIGTERM still runs the clean-up of the display and the folders.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    started = time.monotonic()
    try:
        CASES[args.case](args)
    except Failure as failure:
        print(f"FAILED {args.case}: {failure}")
        return 1
    print(f"passed {args.case} in {time.monotonic() - started:.1f} s; screenshots in "
          f"{args.artifacts}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
