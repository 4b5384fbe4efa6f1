#!/usr/bin/env python3
"""End-to-end tests: zorvick-host places the built PelZorvick.ocx under Wine,
registered by regsvr32 in a private prefix, and the tests read what the host
prints and the pixels of its screenshots.

usage: e2e.py --wine-run W --prefix P --host H --ocx O --bits 64|32
              --witness EXE --atl-test EXE --work DIR [--logpixels N] CASE
"""
import argparse
import http.server
import os
import shutil
import struct
import subprocess
import sys
import threading
import time
import zlib

READ_ORDER = ["Control", "BackColor", "ForeColor", "FontSize", "Command", "Text", "ImageURL",
              "Command1", "Command2", "Command3", "Command4", "Command5", "Command6",
              "Command7", "Command8", "Command9", "AutoSize", "Border"]
WITNESS_COMMAND = "C:\\Tools\\app.exe /s"


class Failure(Exception):
    pass


def check(ok, what):
    if not ok:
        raise Failure(what)
    print("ok:", what, flush=True)


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# --- PNG ---------------------------------------------------------------------

class Image:
    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def px(self, x, y):
        row = self.rows[y]
        return tuple(row[x * 3:x * 3 + 3])


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(path + " is not a PNG file")
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        (n,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        (crc,) = struct.unpack(">I", data[pos + 8 + n:pos + 12 + n])
        if zlib.crc32(kind + body) != crc:
            raise Failure("bad CRC in the %s chunk of %s" % (kind, path))
        if kind == b"IHDR":
            width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
            if (depth, ctype) != (8, 2):
                raise Failure("expected 8-bit RGB in " + path)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride, rows, prev = width * 3, [], bytearray(width * 3)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = line[i - 3] if i >= 3 else 0
            b, c = prev[i], (prev[i - 3] if i >= 3 else 0)
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return Image(width, height, rows)


# --- what the host prints ----------------------------------------------------

class Run:
    def __init__(self, rc, lines):
        self.rc, self.lines = rc, lines

    def log(self, kind):
        return [l[len(kind) + 2:] for l in self.lines if l.startswith(kind + ": ")]

    def describe(self):
        d = {"control": {}, "surface": {}, "tooltip": {}, "syscolor": {}}
        for l in self.log("describe"):
            f = l.split(" ")
            if f[0] in ("control", "surface"):
                d[f[0]][int(f[1])] = tuple(int(v) for v in f[2:6])
            elif f[0] == "tooltip":
                d["tooltip"][int(f[1])] = l.split(" ", 2)[2] if len(f) > 2 else ""
            elif f[0] == "syscolor":
                d["syscolor"][f[1]] = tuple(int(v) for v in f[2:5])
            elif f[0] == "icon":
                d["icon"] = (int(f[1]), int(f[2]))
                d["smallicon"] = (int(f[4]), int(f[5]))
            elif f[0] == "dpi":
                d["dpi"] = (int(f[1]), int(f[2]))
        return d


class Env:
    def __init__(self, args):
        self.a = args
        self.prefix = os.path.abspath(args.prefix)
        self.work = os.path.abspath(args.work)
        os.makedirs(self.work, exist_ok=True)

    def wine(self, argv, bits=None, timeout=180, env_extra=None):
        """A program under Wine; `bits` picks Wine's own programs of that
        bitness (our executables are started by the loader of theirs)."""
        cmd = [self.a.wine_run, "--prefix", self.prefix]
        if self.a.logpixels:
            cmd += ["--logpixels", str(self.a.logpixels)]
        if bits:
            cmd.append("--wine%d" % bits)
        return subprocess.run(cmd + argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout)

    def host(self, *args, timeout=120):
        p = self.wine([self.a.host] + list(args), timeout=timeout)
        text = p.stdout.decode("utf-8", "replace")
        lines = [l.rstrip("\r") for l in text.split("\n") if l.strip()]
        print("$ zorvick-host " + " ".join(args))
        for l in lines:
            print("  | " + l)
        print("  exit code %d" % p.returncode, flush=True)
        return Run(p.returncode, lines)

    def file(self, name, text):
        path = os.path.join(self.work, name)
        with open(path, "w", encoding="utf-8", newline="\r\n") as f:
            f.write(text)
        return path

    def out(self, name):
        path = os.path.join(self.work, name)
        if os.path.exists(path):
            os.remove(path)
        return path

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def kill(self):
        env = dict(os.environ, WINEPREFIX=self.prefix)
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL, timeout=60)


# --- pixel checks --------------------------------------------------------------

def frame_ok(img, rect, top_left, bottom_right, ink=lambda p: False):
    """The one-pixel 3-D frame along the surface's edges: `top_left` on the top
    row and left column, `bottom_right` on the bottom row and right column
    (the corners where the lines meet are left out). Pixels for which `ink`
    holds may be the caption's, printed over the frame."""
    x0, y0, w, h = rect
    bad = []

    def want(side, at, p, colour):
        if p != colour and not ink(p):
            bad.append((side, at, p))

    for x in range(x0, x0 + w - 1):
        want("top", x, img.px(x, y0), top_left)
    for y in range(y0, y0 + h - 1):
        want("left", y, img.px(x0, y), top_left)
    for x in range(x0 + 1, x0 + w):
        want("bottom", x, img.px(x, y0 + h - 1), bottom_right)
    for y in range(y0 + 1, y0 + h):
        want("right", y, img.px(x0 + w - 1, y), bottom_right)
    if bad:
        print("  frame differs:", bad[:6])
    return not bad


def ink_box(img, rect, background, inset=0):
    """Bounding box (left, top, right, bottom; inclusive) of pixels that are not
    `background`, `inset` pixels in from the surface's edges; None when there are none."""
    x0, y0, w, h = rect
    xs, ys = [], []
    for y in range(y0 + inset, y0 + h - inset):
        for x in range(x0 + inset, x0 + w - inset):
            if img.px(x, y) != background:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


def region(img, x0, y0, w, h):
    return [img.px(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)]


def bluish(p):
    return p[2] >= 128 and p[0] <= 100 and p[1] <= 100


WHITE, BLUE = (255, 255, 255), (0, 0, 255)


def blue_ink(p):
    """Blue text, smoothed or not, over any background."""
    return p[2] >= 128 and p[2] - max(p[0], p[1]) >= 20


# --- the cases -----------------------------------------------------------------

def case_setup(env):
    """A fresh prefix with the control registered by regsvr32 of its bitness."""
    shutil.rmtree(env.prefix, ignore_errors=True)
    cmd = [env.a.wine_run, "--prefix", env.prefix]
    if env.a.logpixels:
        cmd += ["--logpixels", str(env.a.logpixels)]
    check(subprocess.run(cmd + ["--init-only"], timeout=300).returncode == 0,
          "a fresh Wine prefix at " + env.prefix)
    reg = env.wine(["regsvr32", "/s", winpath(env.a.ocx)], bits=env.a.bits)
    print(reg.stdout.decode("utf-8", "replace"))
    check(reg.returncode == 0, "regsvr32 of the %d-bit PelZorvick.ocx" % env.a.bits)
    q = env.wine(["reg", "query", "HKCR\\PelZorvick.ZorvickCtrl\\CLSID", "/reg:%d" % env.a.bits])
    check(b"1CD75988-BC58-46AC-A95E-6EE332F9F6B7" in q.stdout.upper(),
          "the ProgID names the control's class")
    os.makedirs(env.drive_c("Tools"), exist_ok=True)
    shutil.copy(env.a.witness, env.drive_c("Tools", "app.exe"))
    env.kill()


def case_click(env):
    """The road of one click in "Icon" mode, with a real program on a drive path."""
    ran = env.drive_c("Tools", "app.ran")
    if os.path.exists(ran):
        os.remove(ran)
    form = env.file("icon.txt", 'Control = "Icon"\nCommand = "%s"\n' % WITNESS_COMMAND)
    up, down = env.out("icon.png"), env.out("icon-pressed.png")
    r = env.host(winpath(form), "--log", "--describe", "--dismiss-messages", "--press",
                 "--screenshot", winpath(up), "--screenshot-pressed", winpath(down),
                 "--exit-after", "300")
    check(r.rc == 0, "the host ran every step")
    d = r.describe()
    check(r.log("notify")[:18] == READ_ORDER, "loading notified the eighteen properties in order")
    check(r.log("message") == [], "no message box")
    check(r.log("event") == ["Click"], "the press raised Click once")
    check(d["tooltip"].get(1) == WITNESS_COMMAND, "the tooltip is the command line")
    x0, y0, w, h = rect = d["surface"][1]
    icon = d["icon"]
    check((w, h) == (icon[0] + 3, icon[1] + 3),
          "the surface is the icon's size plus three pixels (%dx%d)" % (w, h))
    hl, dk = d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]
    a, b = read_png(up), read_png(down)
    check(frame_ok(a, rect, hl, dk), "raised frame: highlight top and left, dark shadow bottom and right")
    face = a.px(x0 + w - 2, y0 + h - 2)  # the gap between icon and frame
    check(ink_box(a, (x0 + 1, y0 + 1, icon[0], icon[1]), face) is not None,
          "the icon is drawn inside the frame")
    check(frame_ok(b, rect, dk, hl), "pressed: sunken frame")
    check(region(a, x0 + 1, y0 + 1, icon[0], icon[1]) == region(b, x0 + 2, y0 + 2, icon[0], icon[1]),
          "pressed: the icon one pixel further right and down")
    deadline = time.time() + 20
    while not os.path.exists(ran) and time.time() < deadline:
        time.sleep(0.2)
    check(os.path.exists(ran), "the click started C:\\Tools\\app.exe")
    text = open(ran, encoding="utf-8").read()
    check(text.endswith("/s") and "app.exe" in text,
          "the program got the command line unchanged: " + text)


def check_button(img, d, rect, pressed=False, shift=(0, 0)):
    hl, dk = d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]
    face = d["syscolor"]["BTNFACE"]
    x0, y0, w, h = rect
    check(frame_ok(img, rect, dk, hl) if pressed else frame_ok(img, rect, hl, dk),
          "button: %s frame" % ("sunken" if pressed else "raised"))
    box = ink_box(img, rect, face, inset=1)
    check(box is not None, "button: the caption is drawn")
    l, t, r, b = box
    margins = (l - x0, t - y0, x0 + w - 1 - r, y0 + h - 1 - b)
    print("  caption ink", box, "margins", margins)
    check(margins[0] >= 6 + shift[0] and margins[1] >= 6 + shift[1] and
          margins[2] >= 6 - shift[0] and margins[3] >= 6 - shift[1],
          "button: the caption's ink inside the 12-pixel margins")
    check(abs((margins[0] - shift[0]) - (margins[2] + shift[0])) <= 3,
          "button: the caption is centred")
    return box


def check_text_look(img, rect, framed, d):
    x0, y0, w, h = rect
    dk = d["syscolor"]["3DDKSHADOW"]
    blue = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if bluish(img.px(x, y))]
    check(len(blue) > 20, "text: blue ink")
    inside = [img.px(x, y) for y in range(y0 + 1, y0 + h - 1) for x in range(x0 + 1, x0 + w - 1)]
    check(inside.count(WHITE) > len(inside) // 2, "text: white background")
    xs = [x for x, _ in blue]
    width = max(xs) - min(xs) + 1
    rows = {}
    for x, y in blue:
        rows.setdefault(y, []).append(x)
    longest = max(len(v) for v in rows.values())
    check(longest >= 0.8 * width, "text: underlined (a row of blue across the caption)")
    bottom = [img.px(x, y0 + h - 1) for x in range(x0 + 1, x0 + w)]
    right = [img.px(x0 + w - 1, y) for y in range(y0 + 1, y0 + h)]
    if framed:
        # The surface is exactly the caption's size, so the centred caption
        # (its underline, its smoothed edges) may cover parts of the frame.
        check(frame_ok(img, rect, d["syscolor"]["BTNHIGHLIGHT"], dk, ink=blue_ink),
              "framed text look: raised frame")
    else:
        check(dk not in bottom and dk not in right, "text: no frame")


def case_pixels(env):
    """Every display mode drawn at this prefix's DPI."""
    r0 = env.host("--describe", "--exit-after", "0")
    d0 = r0.describe()
    dpi = env.a.logpixels or 96
    check(d0["dpi"] == (dpi, dpi), "the screen has %d DPI" % dpi)

    # Button, released and pressed.
    form = env.file("button.txt", 'Control = "Button"\nText = "Press me"\n')
    up, down = env.out("button.png"), env.out("button-pressed.png")
    r = env.host(winpath(form), "--describe", "--dismiss-messages", "--log", "--press",
                 "--screenshot", winpath(up), "--screenshot-pressed", winpath(down),
                 "--exit-after", "0")
    check(r.rc == 0, "button: the host ran every step")
    d = r.describe()
    rect = d["surface"][1]
    a, b = read_png(up), read_png(down)
    box_up = check_button(a, d, rect)
    box_down = check_button(b, d, rect, pressed=True, shift=(1, 1))
    check(box_down == tuple(v + 1 for v in box_up), "button: pressed, the caption moves by one pixel")
    l, t, rr, bb = box_up
    check(region(a, l, t, rr - l + 1, bb - t + 1) == region(b, l + 1, t + 1, rr - l + 1, bb - t + 1),
          "button: the same caption pixels, moved")

    # Text: blue, underlined, white, no frame; pressing changes nothing.
    form = env.file("text.txt", 'Control = "Text"\nText = "Open the file"\nBorder = True\n')
    up, down = env.out("text.png"), env.out("text-pressed.png")
    r = env.host(winpath(form), "--describe", "--dismiss-messages", "--press",
                 "--screenshot", winpath(up), "--screenshot-pressed", winpath(down),
                 "--exit-after", "0")
    check(r.rc == 0, "text: the host ran every step")
    d = r.describe()
    rect = d["surface"][1]
    a, b = read_png(up), read_png(down)
    check_text_look(a, rect, False, d)
    check(region(a, *rect) == region(b, *rect), "text: pressing changes nothing visible")
    blue = ink_box(a, rect, WHITE)
    check(blue[0] - rect[0] <= 3 and blue[1] - rect[1] <= 6, "text: printed at the top left")

    # An unrecognised mode with Border: the text look inside a frame.
    form = env.file("link.txt", 'Control = "Link"\nText = "A link"\nBorder = True\n')
    up = env.out("link.png")
    r = env.host(winpath(form), "--describe", "--screenshot", winpath(up), "--exit-after", "0",
                 "--set", "Command=")
    check(r.rc == 0, "link: the host ran every step")
    d = r.describe()
    check_text_look(read_png(up), d["surface"][1], True, d)

    # SmallIcon of a program: the small icon plus three pixels, framed.
    form = env.file("small.txt", 'Control = "SmallIcon"\nCommand = "%s"\n' % WITNESS_COMMAND)
    up = env.out("smallicon.png")
    r = env.host(winpath(form), "--describe", "--screenshot", winpath(up), "--exit-after", "0")
    check(r.rc == 0, "small icon: the host ran every step")
    d = r.describe()
    x0, y0, w, h = rect = d["surface"][1]
    small = d["smallicon"]
    check((w, h) == (small[0] + 3, small[1] + 3), "small icon: its size plus three pixels")
    check(frame_ok(read_png(up), rect, d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]),
          "small icon: raised frame")


BMP_W, BMP_H = 40, 20


def bmp_pixel(x, y):
    return (220, 30, 30) if x < BMP_W // 2 else (30, 160, 60)


def make_bmp():
    row = BMP_W * 3
    pixels = b""
    for y in reversed(range(BMP_H)):
        for x in range(BMP_W):
            r, g, b = bmp_pixel(x, y)
            pixels += bytes((b, g, r))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, BMP_W, BMP_H, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    assert row % 4 == 0
    return header + info + pixels


class Server:
    """A loopback HTTP server for one test: /pic.bmp is an image, anything else
    404. Stopped by the test, and in any case after two minutes."""

    def __init__(self):
        self.requests = []
        body = make_bmp()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.requests.append(self.path)
                if self.path == "/pic.bmp":
                    self.send_response(200)
                    self.send_header("Content-Type", "image/bmp")
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                else:
                    page = b"<html><body>not here</body></html>"
                    self.send_response(404)
                    self.send_header("Content-Type", "text/html")
                    self.send_header("Content-Length", str(len(page)))
                    self.end_headers()
                    self.wfile.write(page)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.timer = threading.Timer(120, self.stop)
        self.timer.start()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def stop(self):
        self.timer.cancel()
        self.httpd.shutdown()
        self.httpd.server_close()


def case_image(env):
    """"Image" mode against a loopback server: the image, and a 404."""
    server = Server()
    try:
        form = env.file("image.txt", 'Control = "Image"\nImageURL = "%s"\n' % server.url("/pic.bmp"))
        up = env.out("image.png")
        r = env.host(winpath(form), "--describe", "--log", "--screenshot", winpath(up),
                     "--exit-after", "0")
        check(r.rc == 0, "image: the host ran every step")
        check(server.requests == ["/pic.bmp"], "image: fetched once from the server")
        d = r.describe()
        x0, y0, w, h = rect = d["surface"][1]
        check((w, h) == (BMP_W + 3, BMP_H + 3), "image: the surface is the image plus three pixels")
        img = read_png(up)
        check(frame_ok(img, rect, d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]),
              "image: raised frame")
        check(region(img, x0 + 1, y0 + 1, BMP_W, BMP_H) ==
              [bmp_pixel(x, y) for y in range(BMP_H) for x in range(BMP_W)],
              "image: the image's pixels at one pixel in from the frame")

        missing = server.url("/missing.bmp")
        form = env.file("missing.txt", 'Control = "Image"\nImageURL = "%s"\n' % missing)
        saved, shot = env.out("missing-saved.txt"), env.out("missing.png")
        r = env.host(winpath(form), "--describe", "--log", "--save", winpath(saved),
                     "--screenshot", winpath(shot), "--exit-after", "0")
        check(r.rc == 0, "404: the host ran every step")
        check("/missing.bmp" in server.requests, "404: the address was asked for")
        check(r.log("notify")[18:20] == ["Control", "Text"],
              "404: Control and then Text notified after loading")
        text = open(saved, encoding="utf-8").read()
        check('Control = "Text"' in text, "404: --save writes Control = \"Text\"")
        check('Text = "Failed complete loading remote image: %s"' % missing in text,
              "404: the Text is the failure message with the address")
        d = r.describe()
        check_text_look(read_png(shot), d["surface"][1], False, d)
    finally:
        server.stop()


def case_design(env):
    """Design mode: a button draws, a picture mode draws and fetches nothing."""
    server = Server()
    try:
        form = env.file("design-button.txt", 'Control = "Button"\nText = "Design"\n')
        shot = env.out("design-button.png")
        r = env.host(winpath(form), "--design", "--describe", "--screenshot", winpath(shot),
                     "--exit-after", "0")
        check(r.rc == 0, "design button: the host ran every step")
        d = r.describe()
        rect = d["surface"][1]
        img = read_png(shot)
        check(frame_ok(img, rect, d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]),
              "design button: frame")
        background = img.px(rect[0] + 2, rect[1] + 2)
        check(ink_box(img, rect, background, inset=1) is not None, "design button: caption")

        form = env.file("design-image.txt",
                        'Control = "Image"\nImageURL = "%s"\n' % server.url("/pic.bmp"))
        shot = env.out("design-image.png")
        r = env.host(winpath(form), "--design", "--describe", "--screenshot", winpath(shot),
                     "--exit-after", "0")
        check(r.rc == 0, "design image: the host ran every step")
        check(server.requests == [], "design image: nothing fetched")
        d = r.describe()
        pixels = region(read_png(shot), *d["surface"][1])
        check(len(set(pixels)) == 1, "design image: nothing drawn (one colour)")
    finally:
        server.stop()


def case_nocommand(env):
    """No available command: the message box, and Click only after a press."""
    form = env.file("nocommand.txt", 'Control = "Button"\nText = "Go"\n')
    r = env.host(winpath(form), "--log", "--dismiss-messages", "--press", "--exit-after", "0")
    check(r.rc == 0, "press: the host ran every step")
    tail = [l for l in r.lines if l.startswith(("message:", "event:"))]
    check(tail == ["message: [PelZorvick] Command not found!", "event: Click"],
          "press: \"Command not found!\" titled PelZorvick, then Click")
    r = env.host(winpath(form), "--log", "--dismiss-messages", "--execute", "--exit-after", "0")
    check(r.rc == 0, "execute: the host ran every step")
    tail = [l for l in r.lines if l.startswith(("message:", "event:"))]
    check(tail == ["message: [PelZorvick] Command not found!"], "execute: the box and no Click")


EVERY_PROPERTY = "\n".join([
    "' every property, none at its default, and two the control does not know",
    'Control = "Text"',
    'BackColor = "Yellow"',
    'ForeColor = "#000080"',
    'FontSize = 12.5',
    'Command = "C:\\Tools\\none.exe /x"',
    'Text = "Say ""hi"""',
    'ImageURL = "http://127.0.0.1:9/none.bmp"',
] + ['Command%d = "%s"' % (i, w) for i, w in enumerate(
    ["one", "two", "three", "four", "five", "six", "seven", "eight", "nine"], 1)] + [
    "AutoSize = False",
    "Border = False",
    "",
    'Unknown = "kept as it was"',
    "Answer   =  42",
    ""])


def entries(text):
    out = {}
    for line in text.splitlines():
        if "=" in line and not line.lstrip().startswith("'"):
            k, v = line.split("=", 1)
            out[k.strip()] = v.strip()
    return out


def case_persistence(env):
    """Load, save, load again: the same bytes; notifications; a type mismatch."""
    form = env.file("every.txt", EVERY_PROPERTY)
    s1, s2 = env.out("every-1.txt"), env.out("every-2.txt")
    r = env.host(winpath(form), "--log", "--save", winpath(s1), "--exit-after", "0")
    check(r.rc == 0, "first save")
    check(r.log("notify") == READ_ORDER, "the notifications on load are the eighteen names in reading order")
    first = open(s1, "rb").read()
    want, got = entries(EVERY_PROPERTY), entries(first.decode("utf-8"))
    check(all(got.get(k) == v for k, v in want.items() if k not in ("Answer",)),
          "every value written back as read")
    check(got.get("Answer") == "42" and b"Answer   =  42" in first,
          "unknown keys kept unchanged")
    check(first.startswith(b"' every property"), "comments kept")
    r = env.host(winpath(s1), "--save", winpath(s2), "--exit-after", "0")
    check(r.rc == 0, "second save")
    check(open(s2, "rb").read() == first, "load, save, load again: byte-identical")

    fresh1, fresh2 = env.out("fresh-1.txt"), env.out("fresh-2.txt")
    check(env.host("--save", winpath(fresh1), "--exit-after", "0").rc == 0, "InitNew, saved")
    check(env.host(winpath(fresh1), "--save", winpath(fresh2), "--exit-after", "0").rc == 0,
          "the fresh file loads")
    check(open(fresh1, "rb").read() == open(fresh2, "rb").read(), "a fresh control round-trips")

    bad = env.file("mismatch.txt", 'Control = "Text"\nFontSize = "abc"\nText = "x"\n')
    never = env.out("mismatch-saved.txt")
    r = env.host(winpath(bad), "--log", "--save", winpath(never), "--exit-after", "0")
    check(r.rc != 0, "text under FontSize: the host fails")
    errors = r.log("error")
    check(any("mismatch" in e.lower() or "800A000D" in e.upper() or "80020005" in e.upper()
              for e in errors), "the host reports the type mismatch")
    check(r.log("notify") == ["Control", "BackColor", "ForeColor"], "loading stopped at FontSize")
    check(not os.path.exists(never), "nothing saved over a half-loaded control")

    broken = env.file("broken.txt", 'Control = "Text"\nText = unquoted\n')
    r = env.host(winpath(broken), "--log", "--exit-after", "0")
    check(r.rc == 2 and any(e.startswith(winpath(broken) + ":2: ") for e in r.log("error")),
          "a malformed line names the file and the line")
    check(r.log("notify") == [], "and nothing is loaded")


def case_atl(env):
    """Wine's own container hosts the control."""
    p = env.wine([env.a.atl_test])
    print(p.stdout.decode("utf-8", "replace"))
    check(p.returncode == 0, "the control works in atl.dll's container")


CASES = {"setup": case_setup, "click": case_click, "pixels": case_pixels, "image": case_image,
         "design": case_design, "nocommand": case_nocommand, "persistence": case_persistence,
         "atl": case_atl}


def main():
    ap = argparse.ArgumentParser()
    for opt in ("--wine-run", "--prefix", "--host", "--ocx", "--witness", "--atl-test", "--work"):
        ap.add_argument(opt, required=True)
    ap.add_argument("--bits", type=int, choices=(32, 64), required=True)
    ap.add_argument("--logpixels", type=int, default=0)
    ap.add_argument("case", choices=sorted(CASES))
    env = Env(ap.parse_args())
    try:
        CASES[env.a.case](env)
    except (Failure, subprocess.TimeoutExpired) as e:
        print("FAILED:", e, flush=True)
        return 1
    finally:
        if env.a.case != "setup":
            env.kill()
    print("passed:", env.a.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
