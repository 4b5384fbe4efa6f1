"""What the end-to-end tests share: the host under Wine in a private prefix
(Env, Run), its screenshots (read_png) and the pixel checks, and a loopback
HTTP server for the picture modes."""
import http.server
import os
import struct
import threading
import time
import zlib

from wine import Failure, Wine


READ_ORDER = ["Control", "BackColor", "ForeColor", "FontSize", "Command", "Text", "ImageURL",
              "Command1", "Command2", "Command3", "Command4", "Command5", "Command6",
              "Command7", "Command8", "Command9", "AutoSize", "Border"]
WITNESS_COMMAND = "C:\\Tools\\app.exe /s"


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


class Env(Wine):
    """The prefix of one test's host at its DPI, and the test's own folder."""

    def __init__(self, args):
        super().__init__(args.wine_run, args.prefix, args.bits, logpixels=args.logpixels, timeout=180)
        self.a = args
        self.work = os.path.abspath(args.work)
        os.makedirs(self.work, exist_ok=True)

    def host(self, *args, timeout=120, env_extra=None):
        p = self.run([self.a.host] + list(args), merged=True, timeout=timeout, env_extra=env_extra)
        lines = [l.rstrip("\r") for l in p.stdout.split("\n") if l.strip()]
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


# --- a loopback server ----------------------------------------------------------

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


def wait_for(path, seconds=20):
    """True once `path` exists (a started program writes it), within `seconds`."""
    deadline = time.time() + seconds
    while not os.path.exists(path) and time.time() < deadline:
        time.sleep(0.2)
    return os.path.exists(path)
