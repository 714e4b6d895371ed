#!/usr/bin/env python3
"""Drives the real quillfen binary in a real X window (run under Xvfb).

usage: xwindow.py QUILLFEN_BINARY OUTPUT_DIR

Finds the version rows in a screenshot by their colours, clicks a radio
button and a "to Link" button with xdotool, and checks the disk and the next
screenshot. Screenshots are written to OUTPUT_DIR.
"""
import os
import subprocess
import sys
import tempfile
import time

YELLOW = (255, 255, 220)
GREEN = (230, 255, 230)
SKIP = 77


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


class Shot:
    def __init__(self, path):
        self.path = path
        size = run("identify", "-format", "%w %h", path).split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                                   capture_output=True).stdout

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def rows(self, x=200):
        """The Name fields crossing column x: (top, bottom, colour, left, right)."""
        found = []
        y = 0
        while y < self.height:
            colour = self.pixel(x, y)
            if colour in (YELLOW, GREEN):
                top = y
                while y < self.height and self.pixel(x, y) == colour:
                    y += 1
                edge = top + 1  # above the text
                left = x
                while left > 0 and self.pixel(left - 1, edge) == colour:
                    left -= 1
                right = x
                while right < self.width - 1 and self.pixel(right + 1, edge) == colour:
                    right += 1
                if y - top >= 8:
                    found.append((top, y, colour, left, right))
            y += 1
        return found


class Window:
    def __init__(self, binary, config, workdir, extra=()):
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_XCB_GL_INTEGRATION="none")
        self.process = subprocess.Popen([binary, "-c", config, *extra], cwd=workdir, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        out = run("timeout", "20", "xdotool", "search", "--sync", "--onlyvisible", "--pid",
                  str(self.process.pid))
        self.id = out.split()[0]
        time.sleep(0.7)

    def resize(self, width, height):
        run("xdotool", "windowsize", "--sync", self.id, str(width), str(height))
        time.sleep(0.3)

    def shot(self, path):
        time.sleep(0.3)
        run("import", "-window", self.id, path)
        return Shot(path)

    def click(self, x, y):
        run("xdotool", "mousemove", "--window", self.id, str(x), str(y), "click", "1")

    def close(self):
        self.process.kill()
        self.process.wait()


def wait_for(condition, what, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise AssertionError("timed out waiting for " + what)


def make_versions(directory, names):
    os.makedirs(directory, exist_ok=True)
    for name in names:
        with open(os.path.join(directory, name), "w") as f:
            f.write(name)
        time.sleep(0.05)  # distinct birth times: the order is known


def write_config(path, target, directory):
    with open(path, "w") as f:
        f.write('Target %s "%s"\n' % (target, directory))


def case_pick(binary, out, work):
    versions = os.path.join(work, "pick")
    make_versions(versions, ["app-1.exe", "app-2.exe", "app-3.exe", "app-4.exe"])
    os.symlink(os.path.join(versions, "app-2.exe"), os.path.join(versions, "app.exe"))
    config = os.path.join(work, "pick.cfg")
    write_config(config, "app.exe", versions)
    window = Window(binary, config, work, ["-e"])
    try:
        before = window.shot(os.path.join(out, "pick-before.png"))
        rows = before.rows()
        assert len(rows) == 5, "expected 5 rows, saw %r" % (rows,)
        assert sum(1 for r in rows if r[2] == GREEN) == 1, rows
        # The link's row stands first, without a radio button; the newest
        # version comes next, its radio button left of its name.
        assert rows[0][3] < 30, rows[0]
        top, bottom, colour, left, _ = rows[1]
        assert colour == YELLOW and left > 30, rows[1]
        window.click(left - 14, (top + bottom) // 2)
        link = os.path.join(versions, "app.exe")
        wait_for(lambda: os.readlink(link).endswith("app-4.exe"), "the link to point to app-4.exe")
        after = window.shot(os.path.join(out, "pick-after.png"))
        rows = after.rows()
        assert rows[1][2] == GREEN, "the picked row is not green: %r" % (rows,)
        assert rows[0][3] < 30, "the link's row moved: %r" % (rows,)
        assert sum(1 for r in rows if r[2] == GREEN) == 1, rows
        assert sorted(os.listdir(versions)) == ["app-1.exe", "app-2.exe", "app-3.exe", "app-4.exe",
                                                "app.exe"]
    finally:
        window.close()


def case_keyboard(binary, out, work):
    """The arrow keys on a radio button only move between versions; Space and
    Enter pick, again and again, and the program keeps running."""
    versions = os.path.join(work, "keys")
    make_versions(versions, ["app-%d.exe" % i for i in range(1, 6)])
    link = os.path.join(versions, "app.exe")
    os.symlink(os.path.join(versions, "app-3.exe"), link)
    config = os.path.join(work, "keys.cfg")
    write_config(config, "app.exe", versions)
    window = Window(binary, config, work, ["-e"])
    try:
        run("xdotool", "windowfocus", "--sync", window.id)
        for key, expected in [("Down", "app-3.exe"), ("space", "app-2.exe"), ("Down", "app-2.exe"),
                              ("Return", "app-1.exe"), ("Up", "app-1.exe"), ("Up", "app-1.exe"),
                              ("space", "app-3.exe"), ("Home", "app-3.exe"), ("Return", "app-5.exe"),
                              ("Down", "app-5.exe"), ("space", "app-4.exe")]:
            run("xdotool", "key", "--window", window.id, key)
            wait_for(lambda: os.readlink(link).endswith(expected),
                     "%s to leave the link on %s" % (key, expected))
            time.sleep(0.2)  # a crash, or a pick by a key that only moves, shows by now
            assert os.readlink(link).endswith(expected), (key, os.readlink(link))
            assert window.process.poll() is None, "quillfen died: %r" % window.process.returncode
        rows = window.shot(os.path.join(out, "keys-after.png")).rows()
        assert [r[2] for r in rows].count(GREEN) == 1 and rows[2][2] == GREEN, rows
    finally:
        window.close()


def tool_dir(work, name):
    directory = os.path.join(work, name)
    make_versions(directory, ["tool", "tool-1", "tool-2"])
    config = os.path.join(work, name + ".cfg")
    write_config(config, "tool", directory)
    return directory, config


def target_button(shot):
    """The centre of the "to Link" button of the target row, which has no radio button."""
    rows = shot.rows()
    assert len(rows) == 3, rows
    top, bottom, colour, left, right = rows[0]
    assert colour == YELLOW and left < 30, rows
    return right + 34, (top + bottom) // 2


def case_to_link(binary, out, work):
    directory, config = tool_dir(work, "tolink")
    window = Window(binary, config, work, ["-e"])
    try:
        shot = window.shot(os.path.join(out, "tolink-before.png"))
        x, y = target_button(shot)
        window.click(x, y)
        tool = os.path.join(directory, "tool")
        wait_for(lambda: os.path.islink(tool), "tool to become a link")
        # A version beside the link is linked by its bare name.
        dated = os.readlink(tool)
        assert dated.startswith("tool-") and dated.endswith("-1") and "/" not in dated, dated
        with open(os.path.join(directory, dated)) as f:
            assert f.read() == "tool", "the set-aside file lost its content"
        rows = window.shot(os.path.join(out, "tolink-after.png")).rows()
        assert any(r[2] == GREEN for r in rows), rows
    finally:
        window.close()
    return shot, (x, y)


def case_japanese(binary, out, work, english):
    fonts = run("fc-match", "-s", ":lang=ja", "family").splitlines()
    assert any("CJK" in f or "Gothic" in f or "Mincho" in f for f in fonts[:3]), \
        "no Japanese font is installed: " + repr(fonts[:3])
    _, config = tool_dir(work, "japanese")
    window = Window(binary, config, work)
    try:
        # The Japanese font is taller: make room as a user would.
        window.resize(690, 300)
        shot = window.shot(os.path.join(out, "japanese.png"))
        x, y = target_button(shot)
        box = (x - 26, y - 8, 52, 17)
        run("convert", shot.path, "-crop", "%dx%d+%d+%d" % (box[2], box[3], box[0], box[1]),
            os.path.join(out, "japanese-button.png"))
        english_shot, (ex, ey) = english

        def ink(s, cx, cy):
            return [1 if sum(s.pixel(cx - 26 + i, cy - 8 + j)) < 300 else 0
                    for j in range(17) for i in range(52)]
        japanese_ink = ink(shot, x, y)
        assert sum(japanese_ink) > 40, "the button shows almost nothing"
        assert japanese_ink != ink(english_shot, ex, ey), "the button is not translated"
    finally:
        window.close()


def main():
    binary, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    try:
        run("xdotool", "getdisplaygeometry")
    except (subprocess.CalledProcessError, FileNotFoundError) as error:
        print("SKIP: no X display to drive:", error)
        return SKIP
    with tempfile.TemporaryDirectory() as work:
        failed = False
        english = None
        for name, case in [("pick a version", lambda: case_pick(binary, out, work)),
                           ("pick by keyboard", lambda: case_keyboard(binary, out, work)),
                           ("to Link", lambda: case_to_link(binary, out, work)),
                           ("Japanese texts", lambda: case_japanese(binary, out, work, english))]:
            try:
                result = case()
                if name == "to Link":
                    english = result
                print("PASS:", name)
            except Exception as error:  # report every case, then fail
                failed = True
                print("FAIL: %s: %s" % (name, error))
                if name == "to Link":
                    break
        if failed:
            print("screenshots kept in", out)
            for shot in sorted(os.listdir(out)):
                print("   ", os.path.join(out, shot))
        return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
