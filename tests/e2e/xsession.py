"""A private X display with a window manager, the program on it, and ways to look and click.

Everything started here is ended when the session closes, and also when this process dies
(the children get SIGTERM from the kernel), so a killed test leaves no X server behind.
"""

import ctypes
import math
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

import bars

TWIPS_PER_PIXEL = 15
DESIGN_SIZE = (867, 600)  # the design area, 13000 x 9000 twips, at 15 twips to a pixel
SCREEN = (1280, 1024)
MAIN_TITLE = "Lumetra - https://lumetra.example.org"
QUESTION_TITLE = "Lumetra"

NEEDED_TOOLS = {
    "Xvfb": "xvfb",
    "openbox": "openbox",
    "xdotool": "xdotool",
    "xprop": "x11-utils",
    "xwininfo": "x11-utils",
    "xmessage": "x11-utils",
    "wmctrl": "wmctrl",
    "import": "imagemagick",
    "xclip": "xclip",
}


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def px(twips):
    return round(twips / TWIPS_PER_PIXEL)


def missing_tools():
    return sorted({pkg for tool, pkg in NEEDED_TOOLS.items() if not shutil.which(tool)})


def _die_with_parent():
    # PR_SET_PDEATHSIG: a test killed by CTest's timeout must not leave its display running
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGTERM)


def wait_until(condition, timeout, what, interval=0.05):
    """Polls condition() until it returns something true; returns that, or fails naming what."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"gave up after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class Image:
    """An RGB grab of one window, pixels addressed from its client area's corner."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @classmethod
    def from_ppm(cls, blob):
        fields, pos = [], 0
        while len(fields) < 4:
            while blob[pos:pos + 1].isspace():
                pos += 1
            if blob[pos:pos + 1] == b"#":
                pos = blob.index(b"\n", pos)
                continue
            end = pos
            while not blob[end:end + 1].isspace():
                end += 1
            fields.append(blob[pos:end])
            pos = end
        magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
        check(magic == b"P6" and maxval == 255, f"unexpected grab format {magic!r} {maxval}")
        data = blob[pos + 1:pos + 1 + width * height * 3]
        check(len(data) == width * height * 3, "grab is shorter than its size says")
        return cls(width, height, data)

    def pixel(self, x, y):
        o = (y * self.width + x) * 3
        return tuple(self.data[o:o + 3])

    def row(self, y, x0, x1):
        """The pixels x0..x1-1 of row y as (r, g, b) tuples."""
        o = y * self.width * 3
        chunk = self.data[o + x0 * 3:o + x1 * 3]
        return [tuple(chunk[i:i + 3]) for i in range(0, len(chunk), 3)]

    def count(self, predicate, x0=0, y0=0, x1=None, y1=None):
        x1 = self.width if x1 is None else min(x1, self.width)
        y1 = self.height if y1 is None else min(y1, self.height)
        return sum(1 for y in range(y0, y1) for p in self.row(y, x0, x1) if predicate(p))

    def count_colour(self, colour, *rect):
        colour = tuple(colour)
        if not rect:
            c = bytes(colour)
            # aligned matches only: a colour's bytes can also straddle two pixels
            n, i = 0, self.data.find(c)
            while i >= 0:
                if i % 3 == 0:
                    n += 1
                    i = self.data.find(c, i + 3)
                else:
                    i = self.data.find(c, i + 1)
            return n
        return self.count(lambda p: p == colour, *rect)

    def crop_bytes(self, x0, y0, x1, y1):
        return b"".join(self.data[(y * self.width + x0) * 3:(y * self.width + x1) * 3] for y in range(y0, y1))

    def differing(self, other, x0, y0, x1, y1):
        """How many pixels of the rectangle differ between two grabs."""
        n = 0
        for y in range(y0, y1):
            a, b = self.row(y, x0, x1), other.row(y, x0, x1)
            n += sum(1 for p, q in zip(a, b) if p != q)
        return n


class XSession:
    """Xvfb + openbox, and at most one running program on them."""

    def __init__(self, screen=SCREEN):
        self.screen = screen
        self.procs = []
        self.app = None
        self.app_log_path = None
        self.main = None
        self.tmp = tempfile.mkdtemp(prefix="lumetra-e2e-")
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith("QT_") and k not in ("WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY")}
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        # the window manager reads only its defaults, never a developer's own settings
        self.env.update(XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                        HOME=self.tmp, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")

    # ---- the display ---------------------------------------------------------------

    def __enter__(self):
        try:
            self._start_display()
            self._start_window_manager()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _spawn(self, argv, **kw):
        p = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, preexec_fn=_die_with_parent, **kw)
        self.procs.append(p)
        return p

    def _start_display(self):
        missing = missing_tools()
        check(not missing, "missing packages " + " ".join(missing) + "; run scripts/install-deps.sh")
        r, w = os.pipe()
        log = open(os.path.join(self.tmp, "xvfb.log"), "wb")
        w_, h_ = self.screen
        self._spawn(["Xvfb", "-displayfd", str(w), "-screen", "0", f"{w_}x{h_}x24", "-nolisten", "tcp",
                     "-noreset"], pass_fds=(w,), stdout=log, stderr=log)
        os.close(w)
        number, deadline = b"", time.monotonic() + 30
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            check(left > 0 and select.select([r], [], [], left)[0], "Xvfb did not report its display")
            chunk = os.read(r, 64)
            check(chunk, "Xvfb exited before it was ready:\n" + self._read("xvfb.log"))
            number += chunk
        os.close(r)
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display

    def _start_window_manager(self):
        log = open(os.path.join(self.tmp, "openbox.log"), "wb")
        self._spawn(["openbox"], stdout=log, stderr=log)
        # openbox names its theme once it has read its settings and taken over the screen
        wait_until(lambda: "=" in self.tool(["xprop", "-root", "_OB_THEME"], check_rc=False),
                   20, "openbox to manage the display")

    def _read(self, name):
        try:
            with open(os.path.join(self.tmp, name), errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
        for p in reversed(self.procs):
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        self.procs.clear()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def tool(self, argv, check_rc=True, timeout=20):
        """Runs an X client on the display and returns its standard output."""
        try:
            r = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{' '.join(argv)} did not finish in {timeout} s")
        if check_rc and r.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed ({r.returncode}): {r.stderr.decode(errors='replace')}")
        return r.stdout.decode(errors="replace")

    # ---- the program ---------------------------------------------------------------

    def start(self, lumetra, size=DESIGN_SIZE):
        """Starts the program and waits until its maximized window shows its picture. Then,
        unless size is None, gives its client area that size: the design area's own, 15
        twips to a pixel, unless the case asks for another."""
        self.app_log_path = os.path.join(self.tmp, "lumetra.log")
        log = open(self.app_log_path, "wb")
        env = dict(self.env, LUMETRA_RUN_LOG="1")
        self.app = subprocess.Popen([lumetra], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                    preexec_fn=_die_with_parent)
        self.procs.append(self.app)

        def found():
            check(self.app.poll() is None, f"lumetra exited ({self.app.returncode}):\n{self.app_log()}")
            ids = self.find_windows(MAIN_TITLE)
            return ids[0] if ids else None

        try:
            self.main = wait_until(found, 30, "the main window")
            wait_until(lambda: self.geometry(self.main)[2] >= 1000, 20, "the window to be maximized")
            if size:
                self.resize(*size)
            else:
                self.wait_scale(self.geometry(self.main)[2:])
            # the line by the slit's wall, painted on the picture at start-up: the picture has been shown
            sc = self.scale
            x, y = sc.left + round(2520 * sc.per_twip), sc.top + round(4000 * sc.per_twip)
            wait_until(lambda: any(self.grab().pixel(c, y) == (0, 0, 0) for c in (x - 1, x, x + 1)), 20,
                       "the window's first paint")
        except Failure as e:
            tree = self.tool(["xwininfo", "-root", "-tree"], check_rc=False)
            wm = "running" if self.procs[1].poll() is None else f"exited with {self.procs[1].returncode}"
            raise Failure(f"{e}\nlumetra's output:\n{self.app_log()}\nopenbox {wm}:\n{self._read('openbox.log')}"
                          f"\nwindows on {self.display}:\n{tree}")
        return self.main

    def resize(self, width, height):
        """Gives the window's client area this size, out of any maximized or full-screen state."""
        # wmctrl changes at most two states at a time
        self.tool(["wmctrl", "-i", "-r", hex(self.main), "-b", "remove,fullscreen"])
        self.tool(["wmctrl", "-i", "-r", hex(self.main), "-b", "remove,maximized_vert,maximized_horz"])
        wait_until(lambda: "MAXIMIZED" not in self.tool(["xprop", "-id", str(self.main), "_NET_WM_STATE"]), 10,
                   "the window manager to take the window out of its maximized state")

        def sized():
            # the window manager may still restore the old size after the state change; ask again
            if self.geometry(self.main)[2:] == (width, height):
                return True
            self.tool(["xdotool", "windowsize", str(self.main), str(width), str(height)])
            return False
        wait_until(sized, 10, f"the window to be {width}x{height}", interval=0.3)
        return self.wait_scale((width, height))

    def wait_scale(self, client):
        """Waits until the program has placed its design area for this client size, checks
        the place against the factor rule worked out here, and keeps it as self.scale."""
        w, h = client
        factor = max(0.5, min(w / (13000 / 15), h / 600))
        left = max(0, math.floor((w - 13000 / 15 * factor) / 2 + 1e-6))
        top = max(0, math.floor((h - 600 * factor) / 2 + 1e-6))

        def placed():
            found = re.findall(r"^lumetra: scale ([0-9.e+-]+) at (-?[0-9]+),(-?[0-9]+) in ([0-9]+)x([0-9]+)$",
                               self.app_log(), re.M)
            return found and tuple(int(v) for v in found[-1][3:]) == (w, h) and found[-1]
        f, x, y, _, _ = wait_until(placed, 10, f"the program to place its design area in {w}x{h}")
        check(abs(float(f) - factor) < 1e-9 and (int(x), int(y)) == (left, top),
              f"in {w}x{h} the design area stands at factor {f}, ({x}, {y}); expected {factor}, ({left}, {top})")
        self.scale = bars.Scale(factor, left, top)
        return self.scale

    def app_log(self):
        with open(self.app_log_path, errors="replace") as f:
            return f.read()

    def runs_ended(self):
        return self.app_log().count("lumetra: run ended after")

    def run_delay_counts(self):
        return [int(m) for m in re.findall(r"^lumetra: run ended after .*\(delay count ([0-9]+)\)", self.app_log(),
                                           re.M)]

    def run_durations_ms(self):
        return [float(m) for m in re.findall(r"^lumetra: run ended after ([0-9.]+) ms", self.app_log(), re.M)]

    def wait_runs_ended(self, n, timeout=60):
        def done():
            check(self.app.poll() is None or self.runs_ended() >= n,
                  f"lumetra exited ({self.app.returncode}) during a run:\n{self.app_log()}")
            return self.runs_ended() >= n
        wait_until(done, timeout, f"run {n} to end")

    # ---- windows -------------------------------------------------------------------

    def find_windows(self, title):
        """Viewable windows with exactly this title."""
        pattern = "^" + "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in title) + "$"
        out = self.tool(["xdotool", "search", "--onlyvisible", "--name", pattern], check_rc=False)
        return [int(w) for w in out.split()]

    def geometry(self, window):
        """(x, y, width, height) of the window on the screen."""
        info = self.tool(["xwininfo", "-id", str(window)])
        field = {}
        for line in info.splitlines():
            if ":" in line:
                k, v = line.split(":", 1)
                field[k.strip()] = v.strip()
        return (int(field["Absolute upper-left X"]), int(field["Absolute upper-left Y"]),
                int(field["Width"]), int(field["Height"]))

    def map_state(self, window):
        for line in self.tool(["xwininfo", "-id", str(window)]).splitlines():
            if "Map State:" in line:
                return line.split(":", 1)[1].strip()
        return ""

    def grab(self, window=None):
        blob = subprocess.run(["import", "-window", str(window or self.main), "-depth", "8", "ppm:-"],
                              env=self.env, stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
        check(blob.returncode == 0, "grab failed: " + blob.stderr.decode(errors="replace"))
        return Image.from_ppm(blob.stdout)

    def settled_grab(self, timeout=20):
        """A grab that the next one agrees with: the window has caught up with its picture."""
        last = [self.grab()]

        def same():
            time.sleep(0.15)
            now = self.grab()
            if now.data == last[0].data:
                return now
            last[0] = now
            return None
        return wait_until(same, timeout, "the window to stop changing", interval=0)

    # ---- input ---------------------------------------------------------------------

    def click(self, x, y, window=None):
        """A real (XTEST) click at pixel x, y of the window's client area."""
        self.tool(["xdotool", "mousemove", "--window", str(window or self.main), str(x), str(y),
                   "sleep", "0.05", "click", "1"])

    def click_twips(self, left, top, width, height):
        """A click in the middle of a control, its place given in twips."""
        self.click(px(left + width / 2), px(top + height / 2))

    def drag(self, x0, y0, x1, y1):
        w = str(self.main)
        self.tool(["xdotool", "mousemove", "--window", w, str(x0), str(y0), "sleep", "0.1", "mousedown", "1",
                   "sleep", "0.1", "mousemove", "--window", w, str((x0 + x1) // 2), str(y1), "sleep", "0.1",
                   "mousemove", "--window", w, str(x1), str(y1), "sleep", "0.1", "mouseup", "1"])

    def key(self, window, keysym):
        """Activates the window and presses a key in it, as a user would."""
        self.tool(["xdotool", "windowactivate", "--sync", str(window)])
        self.tool(["xdotool", "key", keysym])
