#!/usr/bin/python3
"""Drives the real Quilder window through a first search and takes the screenshots of the README
and the help window. Called by docs/screenshots.sh, which builds the sample tree:

    screenshots.py PROGRAM SAMPLE_FOLDER OUTPUT_FOLDER PHOTOS_FOLDER

The first sample goes through a first search and Delete; the photos then show a protected folder
and Replace Files with Links.

Runs its own X display (Xvfb, no window manager), D-Bus session and accessibility bus; finds the
controls by role and name through AT-SPI (pyatspi), clicks and types with xdotool, and takes the
pictures with ImageMagick. QUILDER_SHOTS_DISPLAY picks the display (default: the first free
from :90)."""
import os, re, signal, subprocess, sys, time

PROGRAM, SAMPLE, OUT, PHOTOS = sys.argv[1:5]
WIDTH, HEIGHT = 1200, 600  # the window, in pixels


def free_display():
    wanted = os.environ.get("QUILDER_SHOTS_DISPLAY")
    if wanted:
        return wanted
    n = 90
    while os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
        n += 1
    return ":%d" % n


def wait_for(condition, what, timeout=30.0):
    end = time.time() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.time() > end:
            raise RuntimeError("timed out waiting for " + what)
        time.sleep(0.1)


class Desktop:
    """An X display with a D-Bus session and the accessibility bus, torn down on exit."""

    def __enter__(self):
        self.procs = []
        self.display = free_display()
        number = self.display.lstrip(":")
        self.procs.append(subprocess.Popen(
            ["Xvfb", self.display, "-screen", "0", "1280x900x24", "-dpi", "96", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(lambda: os.path.exists("/tmp/.X11-unix/X" + number), "the X display")
        os.environ["DISPLAY"] = self.display
        out = subprocess.run(["dbus-launch", "--sh-syntax"], capture_output=True, text=True).stdout
        for key, value in re.findall(r"(\w+)='([^']*)'", out):
            os.environ[key] = value
        self.dbus_pid = int(os.environ.get("DBUS_SESSION_BUS_PID", "0"))
        self.procs.append(subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(1)
        global pyatspi
        import pyatspi
        return self

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            try:
                p.terminate()
                p.wait(5)
            except Exception:
                p.kill()
        if self.dbus_pid:
            try:
                os.kill(self.dbus_pid, signal.SIGTERM)
            except OSError:
                pass

    def launch(self):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   QT_QPA_PLATFORM="xcb", LANG="en_GB.UTF-8", LC_ALL="")
        log = open(os.path.join(os.path.dirname(PROGRAM), "quilder.log"), "w")
        self.procs.append(subprocess.Popen([PROGRAM], env=env, stdout=log, stderr=subprocess.STDOUT))

        def application():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and (app.name or "").lower() == "quilder":
                    return app
        return wait_for(application, "the Quilder window")


def walk(acc):
    yield acc
    try:
        for child in acc:
            if child is not None:
                yield from walk(child)
    except Exception:
        return


def find(root, role, name=None, pattern=None, timeout=15.0):
    def look():
        for acc in walk(root):
            try:
                if acc.getRoleName() != role:
                    continue
                if name is not None and acc.name != name:
                    continue
                if pattern and not re.search(pattern, acc.name or ""):
                    continue
                return acc
            except Exception:
                continue
    return wait_for(look, "%s %r" % (role, name or pattern), timeout)


def extents(acc):
    e = acc.queryComponent().getExtents(0)
    return e.x, e.y, e.width, e.height


def click_at(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)


def click(acc):
    x, y, w, h = extents(acc)
    click_at(x + w // 2, y + h // 2)


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def window_id(title):
    ids = subprocess.run(["xdotool", "search", "--name", "^%s$" % re.escape(title)],
                         capture_output=True, text=True).stdout.split()
    return ids[0] if ids else None


def settle():
    # The window repaints after an event; give the X server a moment to show it.
    time.sleep(0.6)


def shot(name, box, framed=None):
    """The screen, cropped to box (x, y, width, height), as OUT/name. Without a window manager
    a message box has no frame: `framed` (x, y, width, height) gets a line round it."""
    x, y, w, h = box
    path = os.path.join(OUT, name)
    frame = []
    if framed:
        fx, fy, fw, fh = framed
        frame = ["-fill", "none", "-stroke", "#5a5a5a", "-draw",
                 "rectangle %d,%d %d,%d" % (fx - 1, fy - 1, fx + fw, fy + fh)]
    screen = subprocess.run(["import", "-silent", "-window", "root", "png:-"], check=True,
                            capture_output=True).stdout
    # 256 colours without dithering keep the text sharp at a third of the size.
    subprocess.run(["convert", "png:-", *frame, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                    "-strip", "-dither", "None", "-colors", "256",
                    "-define", "png:compression-level=9", "PNG8:" + path], input=screen,
                   check=True)
    print("wrote", path)


def message_box(app):
    for acc in walk(app):
        try:
            if acc.getRoleName() in ("alert", "dialog") and acc.name == "Quilder":
                return extents(acc)
        except Exception:
            continue


def fit_type_column(results):
    """What a user does for long type names: a double click on the Type column's right border
    fits it to the names, then the Path column's border is dragged left by as much. The
    borders are those of the first row's cells; the header lies just above them."""
    table = results.queryTable()

    def column(c):
        x, y, w, h = extents(table.getAccessibleAt(0, c))
        return x, y - h // 2 - 1, w

    x, y, w = column(3)
    subprocess.run(["xdotool", "mousemove", str(x + w - 1), str(y), "click", "--repeat", "2",
                    "--delay", "80", "1"], check=True)
    time.sleep(0.5)
    grown = column(3)[2] - w
    if grown > 0:
        x, y, w = column(1)
        edge = x + w - 1
        subprocess.run(["xdotool", "mousemove", str(edge), str(y), "mousedown", "1",
                        "mousemove", str(edge - grown // 2), str(y),
                        "mousemove", str(edge - grown - 2), str(y), "mouseup", "1"], check=True)


def wheel(view, button):
    x, y, w, h = extents(view)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", button],
                   check=True)
    time.sleep(0.15)


def tick(cell):
    """Clicks the check box at the left of a tree or list row."""
    x, y, w, h = extents(cell)
    click_at(x + h // 2, y + h // 2)
    time.sleep(0.1)


def reveal(view, cell, top=False):
    """Scrolls a view until the cell is in sight (near its top when top is set)."""
    vx, vy, vw, vh = extents(view)
    for _ in range(100):
        x, y, w, h = extents(cell)
        if y < vy:
            wheel(view, "4")
        elif y + h > vy + vh - 2 * h or (top and y > vy + 2 * h):
            before = y
            wheel(view, "5")
            if extents(cell)[1] == before:
                break  # the view is at its end
        else:
            break


def show_in_tree(tree, folder, below, nudge):
    """Opens the drive, then the folders down to folder and its sub-folders named in below. With
    nudge the tree shows folder's parent at its top row, scrolled a little to the right, else
    folder itself at the top row, not scrolled sideways."""
    parts = [p for p in os.path.dirname(folder).split("/") if p]
    for name in [" (/)"] + parts + [os.path.basename(folder)] + below:
        node = find(tree, "table cell", name)
        reveal(tree, node)
        x, y, w, h = extents(node)
        click_at(x + 3 * h, y + h // 2)  # on its name: loads its folders and opens it
        settle()
    top = find(tree, "table cell", parts[-1] if nudge else os.path.basename(folder))
    reveal(tree, top, top=True)
    tx, ty, tw, th = extents(tree)
    for _ in range(20):
        if extents(top)[1] <= ty + 4:
            break
        click_at(tx + tw - 9, ty + th - 25)  # the vertical scroll bar's arrow: one row
        time.sleep(0.1)
    if nudge:
        # The horizontal bar's thumb, dragged a little: the indentation goes, the names show.
        grab = (tx + 24, ty + th - 9)
        subprocess.run(["xdotool", "mousemove", str(grab[0]), str(grab[1]), "mousedown", "1",
                        "mousemove", str(grab[0] + 8), str(grab[1]),
                        "mousemove", str(grab[0] + 16), str(grab[1]), "mouseup", "1"],
                       check=True)
    else:
        for _ in range(4):
            click_at(tx + 7, ty + th - 9)  # the horizontal scroll bar's left arrow
    settle()


def menu_command(frame, menu, item):
    """Opens a menu of the menu bar and clicks one of its items."""
    click(find(frame, "menu item", menu))
    settle()
    click(find(frame, "menu item", item))
    settle()


def main():
    try:
        os.remove(os.path.join(OUT, "failed.png"))
    except OSError:
        pass
    with Desktop() as desk:
        try:
            steps(desk)
        except Exception:
            # What the screen showed when a step failed, for the developer who runs it again.
            subprocess.run(["import", "-window", "root", os.path.join(OUT, "failed.png")])
            raise


def steps(desk):
    if True:
        app = desk.launch()
        frame = find(app, "frame", "Quilder")
        win = wait_for(lambda: window_id("Quilder"), "the window id")
        subprocess.run(["xdotool", "windowmove", win, "0", "0"], check=True)
        subprocess.run(["xdotool", "windowsize", win, str(WIDTH), str(HEIGHT)], check=True)
        subprocess.run(["xdotool", "windowfocus", "--sync", win], check=True)
        settle()
        window = (0, 0, WIDTH, HEIGHT)

        # Step 1: open the drive, then the folders down to the sample, and tick it.
        tree = find(frame, "tree", "Destination paths")
        show_in_tree(tree, SAMPLE, ["Backup"], nudge=True)
        tick(find(tree, "table cell", "sample"))
        settle()
        x, y, w, h = extents(find(frame, "panel", "Preparation"))
        shot("step-1-tick.png", (max(0, x - 4), y - 4, w + 8, h + 8))

        # Step 2: Find, and the groups.
        key("F3")
        status = find(frame, "status bar", "Status bar")
        find(status, "label", "Finished.", timeout=120)
        results = find(frame, "tree", "Result list All")
        fit_type_column(results)
        settle()
        shot("main-window.png", window)
        px, py, pw, ph = extents(find(frame, "panel", "Result"))
        area = (px - 4, py - 4, WIDTH - px + 4, HEIGHT - py + 4)  # the Result frame, status bar
        shot("step-2-groups.png", area)

        # Step 3: tick the copies in Backup and Downloads.
        table = results.queryTable()
        for row in range(table.nRows):
            if re.search(r"/(Backup|Downloads)(/|$)", table.getAccessibleAt(row, 1).name):
                cell = table.getAccessibleAt(row, 0)
                reveal(results, cell)
                tick(cell)
        settle()
        shot("step-3-copies.png", area)

        # Step 4: Delete asks first, then compares every ticked file byte for byte with a copy
        # that stays.
        key("Delete")
        find(app, "label", pattern="can not be recovered")
        settle()
        shot("step-4-delete.png", area, framed=message_box(app))
        click(find(app, "push button", pattern="Yes"))
        find(app, "label", pattern="not deleted", timeout=60)
        settle()
        shot("step-5-check.png", area, framed=message_box(app))
        key("Return")

        # A new job over the photos, with the folder Archive protected: its files are found,
        # show a lock, and cannot be ticked.
        # Without a window manager the closed message box leaves no window with the focus.
        subprocess.run(["xdotool", "windowfocus", "--sync", win], check=True)
        key("ctrl+n")
        click(find(app, "push button", pattern="No"))  # the result is not saved
        settle()
        show_in_tree(tree, PHOTOS, ["Archive"], nudge=False)
        tick(find(tree, "table cell", os.path.basename(PHOTOS)))
        # The folder's pop-up menu is not on the accessibility bus; its one item is "Protect
        # This Folder".
        x, y, w, h = extents(find(tree, "table cell", "Archive"))
        subprocess.run(["xdotool", "mousemove", str(x + 3 * h), str(y + h // 2), "click", "3"],
                       check=True)
        settle()
        key("Down", "Return")
        settle()
        key("F3")
        find(status, "label", "Finished.", timeout=120)
        results = find(frame, "tree", "Result list All")
        fit_type_column(results)
        click_at(WIDTH - 40, HEIGHT - 10)  # away from the tree, whose lock has a tooltip
        settle()
        shot("protected-folder.png", window)

        # Tick All But the First keeps the protected files; the ticked copies then become hard
        # links of them.
        menu_command(frame, "Action", "Tick All But the First in Each Group")
        menu_command(frame, "Action", "Replace Files with Links")
        find(app, "label", pattern="replaced by links to a copy")
        click(find(app, "push button", pattern="Yes"))
        find(status, "label", pattern="replaced by links,", timeout=60)
        settle()
        shot("linked-rows.png", window)


if __name__ == "__main__":
    main()
