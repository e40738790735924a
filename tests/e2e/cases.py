#!/usr/bin/env python3
"""Lumetra driven on a real X display: python3 cases.py CASE PATH_TO_LUMETRA"""

import os
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bars  # noqa: E402
from xsession import (Failure, XSession, check, px, wait_until, QUESTION_TITLE)  # noqa: E402

# Controls, in twips from the client area's corner: (left, top, width, height)
START = (8280, 120, 1095, 375)
KONEC = (9720, 120, 1095, 375)
SCROLL = (6120, 240, 1935, 255)
RED = (360, 3720, 1095, 255)
BLUE = (840, 4200, 855, 195)
LEGENDS = {
    "Clona se štěrbinou": (480, 7680, 1935, 375),
    "Stinítko, pravděpodobnost": (4200, 600, 2775, 375),
    "Spektrum": (7200, 600, 1095, 375),
    "Cornuovy spirály": (8400, 600, 2535, 405),
}
SHOWN_FROM_START = {"Vzduch": (1320, 960, 975, 375), "Sklo": (2880, 960, 975, 375)}

# the photon strip, and the part of the window that the runs draw on
STRIP = (px(7000) - 2, px(1000) - 3, px(8500) + 4, px(8000) + 3)
PICTURE = (150, 60, 840, 580)

BAR_ORIGIN = 5000 // 15  # the screen line's pixel column


class Inconclusive(Exception):
    """The machine kept the case from being told either way."""


SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def step(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def rect_px(r):
    left, top, width, height = r
    return px(left), px(top), px(left + width), px(top + height)


def dark(p):
    return max(p) < 90


def select_option(x, r):
    # on the round indicator, which a click always hits
    left, top, _, height = r
    x.click(px(left) + 7, px(top + height / 2))


def check_bars(img, layers, rows=None, scale=bars.FACTOR_ONE):
    """Bars of several runs, oldest colour first: each row shows the newest bar from the
    screen line, and an older one beyond it wherever that one was longer."""
    ends = {c: bars.expected_ends(c, scale=scale) for c in layers}
    origin = scale.x(bars.SCREEN_X)  # the screen line's pixel column
    x0, x1 = origin - 6 - scale.pen_origin, origin + round(140 * scale.factor)
    wrong = []
    checked = 0
    for r in sorted(rows if rows is not None else ends[layers[-1]]):
        visible, reach, ambiguous = [], 0, False
        for c in reversed(layers):
            e = ends[c][r]
            if e > reach:
                if reach and e - reach <= 4:
                    ambiguous = True  # an older bar peeking out by a pixel or two
                visible.append((c, e))
                reach = e
        if ambiguous:
            continue
        checked += 1
        segs = bars.segments(img.row(r, x0, x1), x0)
        on_line = [i for i, s in enumerate(segs) if s[1] <= origin <= s[2]][0]
        seen = segs[on_line:on_line + len(visible)]
        problem = None
        if seen[0][1] not in range(origin - scale.pen_origin - 1, origin + 1):
            problem = f"bar starts at column {seen[0][1]}, not at the screen line {origin}"
        for (c, e), s in zip(visible, seen):
            if s[0] != bars.BAR_RGB[c]:
                problem = f"expected a {c} bar {bars.BAR_RGB[c]} to column {e}, found {s[0]} at {s[1]}..{s[2]}"
                break
            if abs(s[2] - e) > 2:
                problem = f"{c} bar ends at column {s[2]}, expected {e}"
                break
        if len(seen) < len(visible):
            problem = f"expected {visible}, found {seen}"
        if problem:
            wrong.append(f"row {r}: {problem}")
    check(checked > 100 or (rows is not None and checked > 0), f"only {checked} rows could be checked")
    check(not wrong, f"{len(wrong)} of {checked} bar rows are wrong ({scale}):\n  " + "\n  ".join(wrong[:12]))
    return checked


def check_dots(img, colour):
    rgb = bars.DOT_RGB[colour]
    x0, y0, x1, y1 = STRIP
    inside = img.count_colour(rgb, x0, y0, x1, y1)
    check(inside > 3000, f"only {inside} {colour} photon dots in the strip")
    if rgb not in bars.BAR_RGB.values():
        total = img.count_colour(rgb)
        check(total == inside, f"{total - inside} {colour} dot pixels outside the strip")
    # photons land where the probability is high
    ends = bars.expected_ends(colour)
    likely = [r for r, e in ends.items() if e >= BAR_ORIGIN + 50]
    unlikely = [r for r, e in ends.items() if e <= BAR_ORIGIN + 2]
    per_row = lambda rows: sum(img.count_colour(rgb, x0, r, x1, r + 1) for r in rows) / len(rows)  # noqa: E731
    dense, sparse = per_row(likely), per_row(unlikely)
    check(dense > 5 * sparse + 5, f"{colour} dots do not follow the probability: {dense:.1f} a row where it is "
          f"high, {sparse:.1f} where it is low")


def check_legends(before, after):
    for name, r in LEGENDS.items():
        x0, y0, x1, y1 = rect_px(r)
        was, now = before.count(dark, x0, y0, x1, y1), after.count(dark, x0, y0, x1, y1)
        check(was <= 2, f"legend '{name}' area has {was} dark pixels before the first run")
        check(now >= 30, f"legend '{name}' is not shown after the run ({now} dark pixels)")
    for name, r in SHOWN_FROM_START.items():
        now = after.count(dark, *rect_px(r))
        check(now >= 30, f"legend '{name}' is not shown after the run ({now} dark pixels)")


def set_slow(x, pixels, moved=0):
    """Drags the scroll bar's thumb right by pixels, from where earlier drags left it; the
    delay is set when it is let go. Each pixel is about 270 of the 1..20000 range."""
    left, y = px(SCROLL[0]), px(SCROLL[1] + SCROLL[3] / 2)
    # the thumb starts just right of the arrow button
    grip = left + 22 + moved
    x.drag(grip, y, grip + pixels, y)
    return moved + pixels


def bar_rows_drawn(img, colour):
    """Rows whose bar is on the screen line, top to bottom, as a list of booleans."""
    rgb = bars.BAR_RGB[colour]
    return [img.pixel(BAR_ORIGIN + 1, r) == rgb for r in range(bars.first_row(), bars.last_row() + 1)]


def wait_for_partial_picture(x, colour, timeout):
    """Waits until the bars reach part-way down the screen, and returns the grab and the
    last drawn row; or None when the run ended before that could be seen."""
    seen = []

    def partial():
        if x.runs_ended():
            return (None,)
        img = x.grab()
        drawn = bar_rows_drawn(img, colour)
        n = drawn.index(False) if False in drawn else len(drawn)
        seen.append(n)
        # a top part drawn, and nothing below it yet
        if 40 <= n <= len(drawn) - 60 and not any(drawn[n + 2:]):
            return img, bars.first_row() + n - 1
        return None
    try:
        found = wait_until(partial, timeout, "part of the bars while the run goes on", interval=0.1)
        return found if found[0] else None
    except Failure as e:
        raise Failure(f"{e}; rows drawn at each look: {seen[-20:]}")


def question_window(x):
    ids = [w for w in x.find_windows(QUESTION_TITLE) if w != x.main]
    if ids:
        g = x.geometry(ids[0])
        if g[2] > 50 and g[3] > 30:
            return ids[0]
    return None


def spans(values, gap):
    """Sorted numbers grouped into [first, last] runs whose neighbours lie at most `gap` apart."""
    runs = []
    for v in values:
        if runs and v - runs[-1][1] <= gap:
            runs[-1][1] = v
        else:
            runs.append([v, v])
    return runs


def answer_buttons(img):
    """The label positions of the question's two buttons, by the dark text in its last band."""
    rows = [y for y in range(img.height) if any(dark(p) for p in img.row(y, 0, img.width))]
    bands = spans(rows, 2)
    check(len(bands) >= 2, f"the question has {len(bands)} lines of text, expected its text and its buttons")
    y0, y1 = bands[-1]
    cols = [c for c in range(img.width) if any(dark(img.pixel(c, y)) for y in range(y0, y1 + 1))]
    groups = spans(cols, 5)
    check(len(groups) == 2, f"expected two buttons under the question, found {len(groups)} labels")
    return [((a + b) // 2, (y0 + y1) // 2, b - a + 1) for a, b in groups]


def start_run_with_question(x, runs_so_far):
    x.click_twips(*START)
    q = wait_until(lambda: question_window(x), 20, "the question before the run")
    check(x.runs_ended() == runs_so_far, "the run went on without waiting for the answer")
    transient = x.tool(["xprop", "-id", str(q), "WM_TRANSIENT_FOR"], check_rc=False)
    check(hex(x.main) in transient, f"the question does not belong to the main window: {transient.strip()}")
    return q


# ---- cases ---------------------------------------------------------------------------


def first_run(lumetra):
    """A default run: bars, photons and legends; the picture survives covering and resizing."""
    with XSession() as x:
        x.start(lumetra)
        before = x.settled_grab()
        check(before.count_colour(bars.BAR_RGB["green"]) == 0, "bar colour on the window before any run")

        step("first run, green light in glass")
        x.click_twips(*START)
        x.wait_runs_ended(1)
        check(question_window(x) is None, "a question before the first run")
        after = x.settled_grab()
        step(f"checked {check_bars(after, ['green'])} bar rows")
        check_dots(after, "green")
        check_legends(before, after)

        def shows_picture(what, region=PICTURE, shift=0):
            """The picture after the run, moved right by shift pixels."""
            x0, y0, x1, y1 = region

            def same():
                g = x.grab()
                if g.width < x1 + shift or g.height < y1:
                    return None
                return g.crop_bytes(x0 + shift, y0, x1 + shift, y1) == after.crop_bytes(x0, y0, x1, y1)
            try:
                wait_until(same, 15, what)
            except Failure as e:
                g = x.grab()
                n = sum(1 for y in range(y0, min(y1, g.height)) for a, b in
                        zip(after.row(y, x0, x1), g.row(y, x0 + shift, min(x1 + shift, g.width))) if a != b)
                raise Failure(f"{e}: {n} pixels differ from the picture after the run")

        step("minimize and restore")
        x.tool(["xdotool", "windowminimize", str(x.main)])
        wait_until(lambda: x.map_state(x.main) == "IsUnMapped", 10, "the window to be minimized")
        x.tool(["xdotool", "windowactivate", str(x.main)])
        wait_until(lambda: x.map_state(x.main) == "IsViewable", 10, "the window to come back")
        shows_picture("the picture after the window came back")

        step("cover part of the window with another one")
        cover = subprocess.Popen(["xmessage", "-geometry", "420x300+300+150", "-bg", "black", "covering"],
                                 env=x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        x.procs.append(cover)
        try:
            wait_until(lambda: after.differing(x.grab(), *PICTURE) > 10000, 15, "the cover to hide the bars")
        finally:
            cover.terminate()
            cover.wait(10)
        shows_picture("the picture after it was uncovered")

        step("resize: wider, at the same factor, so the design area moves to the middle")
        x.resize(1000, 600)
        shows_picture("the picture in the wider window", shift=(1000 - 867) // 2)
        x.resize(867, 600)
        shows_picture("the picture at the design area's size again")


def after_a_run(x, lumetra):
    """Starts the program, runs Start once with the start-up settings and grabs the result."""
    x.start(lumetra)
    x.click_twips(*START)
    x.wait_runs_ended(1)
    return x.settled_grab()


def clearing(lumetra):
    """Later runs ask first; 'Ne' keeps the bars and photons, 'Ano' wipes everything."""
    with XSession() as x:
        green = after_a_run(x, lumetra)

        step("red light, answered Ne with the mouse")
        select_option(x, RED)
        q = start_run_with_question(x, 1)
        shown = x.grab()
        # the bars above and below the question, which stands over the middle of the window
        # (its frame's title bar lies above the geometry of its client window)
        _, qy, _, qh = x.geometry(q)
        top = qy - x.geometry(x.main)[1]
        x0, x1 = BAR_ORIGIN - 6, BAR_ORIGIN + 100
        for y0, y1 in ((bars.first_row() - 2, top - 40), (top + qh + 10, bars.last_row() + 2)):
            check(y1 - y0 > 50, f"the question covers too much of the bars to tell: rows {y0}..{y1}")
            check(green.crop_bytes(x0, y0, x1, y1) == shown.crop_bytes(x0, y0, x1, y1),
                  "the bars changed before the question was answered")
        labels = answer_buttons(x.grab(q))
        # "Ne" is the shorter of the two labels
        ne = min(labels, key=lambda b: b[2])
        x.click(ne[0], ne[1], window=q)
        x.wait_runs_ended(2)
        img = x.settled_grab()
        step(f"checked {check_bars(img, ['green', 'red'])} rows of red bars over green ones")
        check_dots(img, "green")
        check_dots(img, "red")

        step("blue light, answered Ne with Escape")
        select_option(x, BLUE)
        q = start_run_with_question(x, 2)
        x.key(q, "Escape")
        x.wait_runs_ended(3)
        img = x.settled_grab()
        step(f"checked {check_bars(img, ['green', 'red', 'blue'])} rows of three colours")

        step("blue light again, answered Ano with Return")
        q = start_run_with_question(x, 3)
        x.key(q, "Return")
        x.wait_runs_ended(4)
        img = x.settled_grab()
        for c in ("green", "red"):
            for rgb in {bars.BAR_RGB[c], bars.DOT_RGB[c]}:
                n = img.count_colour(rgb)
                check(n == 0, f"{n} pixels of {c} {rgb} left after the picture was wiped")
        step(f"checked {check_bars(img, ['blue'])} rows of blue bars alone")
        check_dots(img, "blue")


def slow_runs(x, lumetra, pixels, watch):
    """Starts the program on a slow run and hands it over once the bars are part-drawn.

    How long a run lasts still depends on the machine and its load; when watch() says the
    run ended too soon to tell, the program is started again on a run slowed by how far
    the last one fell short.
    """
    for attempt in range(3):
        x.start(lumetra)
        set_slow(x, pixels)
        x.click_twips(*START)
        partial = wait_for_partial_picture(x, "green", 30)
        if partial:
            img, last = partial
            step(f"bars drawn down to row {last} while the run goes on")
            check_bars(img, ["green"], rows=range(bars.first_row(), last - 1))
            if watch():
                return
        x.wait_runs_ended(1, 120)
        wait_until(lambda: x.app.poll() is not None, 20, "the program to end after its run")
        ms, count = x.run_durations_ms()[0], x.run_delay_counts()[0]
        check(count >= pixels * 150, f"a drag of {pixels} pixels set the delay count to only {count}")
        step(f"the run with delay count {count} took only {ms:.0f} ms, not about {count * 3.5:.0f}; "
             "once more, slower")
        # at most about half a minute at the nominal pace
        pixels = min(32, int(pixels * 15000 / ms) + 1)
    raise Inconclusive("the runs kept ending too soon to tell, far sooner than their delay count means")


def wait_for_exit_after_run(x):
    def run_ended():
        check(x.app.poll() is None or x.runs_ended(), "the program ended before its run did")
        return x.runs_ended()
    wait_until(run_ended, 120, "the run to end")
    wait_until(lambda: x.app.poll() is not None, 15, "the program to end after its run")
    check(x.app.returncode == 0, f"the program exited with {x.app.returncode}:\n{x.app_log()}")
    step(f"the run took {x.run_durations_ms()[0]:.0f} ms; the program ended after it")


def slow_run_konec(lumetra):
    """A slow run shows its bars as it goes; Konec pressed meanwhile ends the program after it."""
    def watch():
        x.click_twips(*KONEC)
        time.sleep(1.0)
        if x.runs_ended():
            return False
        check(x.app.poll() is None, "Konec ended the program while its run was still going")
        check(x.map_state(x.main) == "IsViewable", "Konec closed the window while its run was still going")
        wait_for_exit_after_run(x)
        return True

    with XSession() as x:
        slow_runs(x, lumetra, 9, watch)


def slow_run_window_manager(lumetra):
    """During a slow run the window keeps answering the window manager; a close waits for the end."""
    # openbox pings a window it is asked to close and marks it after six silent seconds
    patience = 7.0

    def watch():
        x.tool(["wmctrl", "-i", "-c", hex(x.main)])
        asked = time.monotonic()
        while time.monotonic() - asked < patience and not x.runs_ended():
            check(x.app.poll() is None, "the close request ended the program during its run")
            check(x.map_state(x.main) == "IsViewable", "the window closed during its run")
            name = x.tool(["xprop", "-id", str(x.main), "_NET_WM_VISIBLE_NAME"], check_rc=False)
            check("Not Responding" not in name, "the window manager found the window not responding "
                  f"during the run: {name.strip()}")
            time.sleep(0.2)
        if time.monotonic() - asked < patience:
            return False
        wait_for_exit_after_run(x)
        return True

    with XSession() as x:
        slow_runs(x, lumetra, 12, watch)


def colours_in(img, x0, y0, x1, y1):
    return {p for y in range(y0, y1) for p in img.row(y, x0, x1)}


def check_crisp(img, scale):
    """The bars' part of the picture holds only colours the run drew: nothing was scaled."""
    drawn = {bars.BAR_RGB["green"], (192, 192, 192), (0, 0, 0)}
    region = (scale.x(5020), scale.y(1100), scale.x(6950), scale.y(7900))
    extra = colours_in(img, *region) - drawn
    check(not extra, f"{len(extra)} colours that the run never drew among the bars ({scale}), "
          f"such as {sorted(extra)[:5]}: the picture was magnified or shrunk")


def png_size(blob):
    check(blob[:8] == b"\x89PNG\r\n\x1a\n", f"not a PNG: {blob[:16]!r}")
    return int.from_bytes(blob[16:20], "big"), int.from_bytes(blob[20:24], "big")


def scaled(lumetra):
    """Maximized on a full-HD screen the design area fills the height; the bars follow the
    factor, crisp, and again after a resize; Ctrl+C copies the picture, F11 fills the screen."""
    with XSession(screen=(1920, 1080)) as x:
        x.start(lumetra, size=None)
        sc = x.scale
        w, h = x.geometry(x.main)[2:]
        check(sc.top == 0 and abs(600 * sc.factor - h) < 1e-6, f"the design area does not fill the height of "
              f"the {w}x{h} window: {sc}")
        step(f"maximized: {w}x{h}, {sc}")
        x.click(sc.x(8280 + 1095 // 2), sc.y(120 + 375 // 2))
        x.wait_runs_ended(1)
        img = x.settled_grab()
        step(f"checked {check_bars(img, ['green'], scale=sc)} bar rows at {sc}")
        check_crisp(img, sc)

        step("resize to 1100x800")
        sc = x.resize(1100, 800)
        img = x.settled_grab()
        step(f"checked {check_bars(img, ['green'], scale=sc)} bar rows at {sc}")
        check_crisp(img, sc)

        step("Ctrl+C copies the design area as shown")
        x.key(x.main, "ctrl+c")

        def clipboard_png():
            r = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/png", "-o"], env=x.env,
                               capture_output=True, timeout=20)
            return r.returncode == 0 and r.stdout.startswith(b"\x89PNG") and r.stdout
        blob = wait_until(clipboard_png, 10, "a PNG on the clipboard")
        expected = (round(13000 * sc.per_twip), round(9000 * sc.per_twip))
        check(png_size(blob) == expected, f"the PNG on the clipboard is {png_size(blob)}, not the design area {expected}")

        step("F11 fills the screen, and again leaves it")
        x.key(x.main, "F11")
        wait_until(lambda: x.geometry(x.main)[2:] == (1920, 1080), 10, "the window to fill the screen")
        x.wait_scale((1920, 1080))
        x.key(x.main, "F11")
        wait_until(lambda: x.geometry(x.main)[2:] == (1100, 800), 10, "the window to leave full screen")


def no_display(lumetra):
    """Without a display the program says how to get one instead of crashing."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY") and not k.startswith("QT_")}
    cases = [("no DISPLAY", env)]
    free = next(n for n in range(997, 600, -1)
                if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"))
    cases.append((f"DISPLAY=:{free} with no server", dict(env, DISPLAY=f":{free}")))
    for what, e in cases:
        r = subprocess.run([lumetra], env=e, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        err = r.stderr.decode(errors="replace")
        check(r.returncode == 1, f"{what}: exit code {r.returncode}, expected 1; stderr:\n{err}")
        check("xvfb-run" in err, f"{what}: no hint to use xvfb-run; stderr:\n{err}")
        step(f"{what}: exit code 1 with the hint")


def inspector(lumetra):
    """Hovering over the bars after a run shows that point's arrows beside them; Escape hides them."""
    with XSession() as x:
        after = after_a_run(x, lumetra)
        # the panel's paper, right of the bars, where the run leaves the photon strip black
        white = (255, 255, 255)
        panel = (px(7300), px(4000), px(8400), px(5000))

        def paper():
            return x.grab().count_colour(white, *panel)
        check(paper() == 0, "white in the photon strip before any pointing")

        step("hover over the bars at 4500 twips")
        x.tool(["xdotool", "mousemove", "--window", str(x.main), str(px(5600)), str(px(4500))])
        wait_until(lambda: paper() > 1000, 10, "the inspector's panel beside the bars")

        step("click to pin, Escape to hide")
        x.click(px(5600), px(4500))
        x.key(x.main, "Escape")
        wait_until(lambda: paper() == 0, 10, "the panel to go")
        check(x.settled_grab().differing(after, *PICTURE) == 0, "the picture changed under the panel")


CASES = {
    "inspector": inspector,
    "first-run": first_run,
    "scaled": scaled,
    "clearing": clearing,
    "slow-run-konec": slow_run_konec,
    "slow-run-window-manager": slow_run_window_manager,
    "no-display": no_display,
}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in CASES:
        sys.exit(f"usage: {sys.argv[0]} {{{','.join(CASES)}}} PATH_TO_LUMETRA")
    started = time.monotonic()
    # a timeout's SIGTERM still ends the session cleanly
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAIL: terminated"))
    try:
        CASES[sys.argv[1]](os.path.abspath(sys.argv[2]))
    except Failure as e:
        print(f"FAIL: {e}", flush=True)
        sys.exit(1)
    except Inconclusive as e:
        print(f"SKIPPED: {e}", flush=True)
        sys.exit(SKIPPED)
    print(f"passed in {time.monotonic() - started:.1f} s", flush=True)
