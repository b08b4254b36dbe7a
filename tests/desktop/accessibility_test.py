"""The main window as a screen reader (Orca) sees it over AT-SPI.

Run with a session bus, e.g.
    dbus-run-session -- /usr/bin/python3 accessibility_test.py path/to/filarion
Starts a virtual display (Xvfb) and on it the program, in an empty folder with Qt's accessibility bridge on,
prints its accessibility tree and checks that every control a user can reach has a Chinese name that says
what it is, that the window is announced as a window (a frame), that Tab (pressed through the X server) goes
through the controls as they lie on the screen, and that the rename preview's table is named.
"""

import os
import subprocess
import sys
import tempfile
import time


# Roles of the objects a user operates or reads; each must have a name.
CONTROL_ROLES = {
    "push button", "radio button", "check box", "text", "combo box", "list", "page tab", "progress bar",
    "scroll bar", "slider", "spin button", "table", "tree",
}

# (role, name) of every control of the rename tab, each exactly once.
EXPECTED = [
    ("list", "驱动器"),
    ("list", "文件夹"),
    ("list", "文件"),
    ("list", "文件类型"),
    ("text", "文件类型"),
    ("page tab", "文件改名"),
    ("page tab", "文件清单"),
    ("panel", "改名方式"),
    ("radio button", "左栏内字符替换为右栏"),
    ("text", "替换前"),
    ("text", "替换后"),
    ("radio button", "加词头对文件顺序编号"),
    ("text", "词头"),
    ("radio button", "用以下字符补齐文件名"),
    ("text", "补齐字符"),
    ("radio button", "指定位置处插入字符串"),
    ("text", "插入位置：第几个字符后"),
    ("text", "插入的字符串"),
    ("panel", "清单选项"),
    ("text", "清单文本存为"),
    ("radio button", "清单中文件名带后缀"),
    ("radio button", "清单中文件名不带后缀"),
    ("push button", "确认改名"),
    ("push button", "退出"),
    ("text", "使用说明"),
    ("scroll bar", "使用说明滚动条"),
    ("progress bar", "进度"),
]

# Over AT-SPI a combo box is named by its current value; what it is goes in its description.
EXPECTED_COMBO_DESCRIPTIONS = {"驱动器", "文件类型"}

# What Tab reaches from the command button, where the focus starts, in the layout's focus order: the folder
# and file lists, the pattern box, the exit button, the drive list, the help box, the tabs, then the rename
# frame's controls by tab index (of the options only the set one; a field entered sets its own), and the
# command button again.
EXPECTED_TAB_ORDER = [
    "确认改名", "文件夹", "文件", "文件类型", "退出", "驱动器", "使用说明", "文件改名", "替换后", "替换前",
    "左栏内字符替换为右栏", "补齐字符", "词头", "插入的字符串", "指定位置处插入字符串", "插入位置：第几个字符后",
    "确认改名",
]


def start_display():
    """An Xvfb that picks a free display number itself (-displayfd), so that displays of other programs,
    even those outside a chroot, which share the abstract socket names, are never taken."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def wait_for(find, seconds):
    """What find() gives once it gives something, or what it gives after `seconds`."""
    deadline = time.monotonic() + seconds
    while not (found := find()) and time.monotonic() < deadline:
        time.sleep(0.2)
    return found


def find_application(name, seconds):
    return wait_for(lambda: next((app for app in pyatspi.Registry.getDesktop(0)
                                  if app is not None and app.name == name), None), seconds)


def walk(node, depth=0):
    """Yields (depth, accessible) for the node and everything under it."""
    yield depth, node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child, depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def snapshot(app):
    nodes = list(walk(app))
    for depth, node in nodes:
        state = "" if showing(node) else " (hidden)"
        description = f" — {node.description}" if node.description else ""
        print(f"{'  ' * depth}[{node.getRoleName()}] {node.name!r}{description}{state}")
    return [node for _, node in nodes]


# Roles of the controls that take the focus. Items of lists and tabs keep their focused state when the focus
# leaves their list; the control itself is the one that counts.
FOCUS_ROLES = {"combo box", "list", "text", "radio button", "push button", "page tab list"}


def focused(app):
    found = [node for _, node in walk(app)
             if node.getRoleName() in FOCUS_ROLES and node.getState().contains(pyatspi.STATE_FOCUSED)]
    return found[-1] if found else None


def what(node):
    """A control by what it is: a combo box by its description, anything else by its name."""
    return None if node is None else node.description if node.getRoleName() == "combo box" else node.name


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, stdout=subprocess.DEVNULL)


def check_tab_order(app, failures):
    visited = [what(focused(app))]
    while len(visited) < len(EXPECTED_TAB_ORDER):
        xdotool("key", "Tab")
        # The focus moves when the window has taken the key: waited for, with a bound, however busy the machine.
        visited.append(wait_for(lambda: (lambda now: now if now != visited[-1] else None)(what(focused(app))), 20)
                       or visited[-1])
    print("Tab order:", " → ".join(str(name) for name in visited))
    if visited != EXPECTED_TAB_ORDER:
        failures.append(f"Tab order {visited}")


def check_preview_table(app, nodes, failures):
    """Opens the rename preview (Alt+P) with a text to replace, and reads its table's name."""
    fields = {node.name: node for node in nodes if node.getRoleName() == "text"}
    option = next(node for node in nodes if node.getRoleName() == "radio button" and node.name == "左栏内字符替换为右栏")
    option.queryAction().doAction(0)
    fields["替换前"].queryEditableText().setTextContents("a")
    fields["替换后"].queryEditableText().setTextContents("b")
    xdotool("key", "alt+p")
    tables = wait_for(lambda: tables_of(app), 20)
    names = [table.name for table in tables]
    print("preview tables:", names)
    if names != ["改名预览"]:
        failures.append(f"the preview's tables are named {names}")
    # Escape closes the preview once it is active: pressed again, within a bound, until its table is gone.
    deadline = time.monotonic() + 60
    while tables_of(app) and time.monotonic() < deadline:
        xdotool("key", "Escape")
        wait_for(lambda: not tables_of(app), 3)
    if tables_of(app):
        failures.append("the preview stayed open after Escape")


def tables_of(app):
    return [node for _, node in walk(app) if node.getRoleName() == "table"]


def walk_nodes(app):
    return [node for _, node in walk(app)]


def shown_buttons(nodes):
    return sorted(node.name for node in nodes if node.getRoleName() == "push button" and showing(node))


def check(nodes, failures):
    seen = [(node.getRoleName(), node.name) for node in nodes]
    for expected in EXPECTED:
        count = seen.count(expected)
        if count != 1:
            failures.append(f"{expected}: found {count} times, expected once")
    for node in nodes:
        if node.getRoleName() in CONTROL_ROLES and showing(node) and not node.name.strip():
            failures.append(f"a {node.getRoleName()} without a name, under {node.parent.name!r}")
    windows = [node.name for node in nodes if node.getRoleName() == "frame"]
    if windows != ["Filarion"]:
        failures.append(f"windows (frames) {windows}, expected the one named Filarion")
    descriptions = {node.description for node in nodes if node.getRoleName() == "combo box"}
    if descriptions != EXPECTED_COMBO_DESCRIPTIONS:
        failures.append(f"combo box descriptions {sorted(descriptions)}")


def main():
    program = os.path.abspath(sys.argv[1])
    server, display = start_display()
    os.environ["DISPLAY"] = display
    try:
        return run(program)
    finally:
        server.terminate()
        server.wait(30)


def run(program):
    global pyatspi
    import pyatspi

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        open(os.path.join(folder, "a.JPG"), "w").close()
        process = subprocess.Popen([program], env=env, cwd=folder)
        try:
            app = find_application("filarion", 60)
            if app is None:
                print("the program did not show up on the accessibility bus")
                return 1
            # The window's first layout: its controls are all there.
            wait_for(lambda: len([node for _, node in walk(app) if node.getRoleName() == "push button"]) >= 2, 20)
            print("== the rename tab")
            nodes = snapshot(app)
            check(nodes, failures)
            # Keys go to the window through the X server, which has no window manager to give it the focus.
            xdotool("search", "--sync", "--name", "^Filarion$", "windowfocus", "--sync")
            check_tab_order(app, failures)
            check_preview_table(app, nodes, failures)

            # The command button's name follows its caption when the list tab is chosen.
            tab = next(node for node in nodes if node.getRoleName() == "page tab" and node.name == "文件清单")
            tab.queryAction().doAction(0)
            expected_buttons = sorted(["生成清单", "退出"])
            wait_for(lambda: shown_buttons(walk_nodes(app)) == expected_buttons, 20)
            print("== the list tab")
            nodes = snapshot(app)
            buttons = shown_buttons(nodes)
            if buttons != expected_buttons:
                failures.append(f"buttons on the list tab: {buttons}")
        finally:
            process.terminate()
            process.wait(30)
    for failure in failures:
        print("FAIL:", failure)
    print("accessibility: " + ("ok" if not failures else f"{len(failures)} failures"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
