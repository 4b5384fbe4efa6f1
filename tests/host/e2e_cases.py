"""The control's cases: registration, a click's road, every look's pixels,
the picture modes, design mode, a missing command, persistence, and Wine's
own container."""
import os
import shutil

from e2e_support import (BMP_H, BMP_W, READ_ORDER, WHITE, WITNESS_COMMAND, Server,
                         bluish, blue_ink, bmp_pixel, frame_ok, ink_box, read_png, region,
                         wait_for)
from wine import require, winpath


# --- the cases -----------------------------------------------------------------

def case_setup(env):
    """A fresh prefix with the control registered by regsvr32 of its bitness."""
    require(env.init(fresh=True), "a fresh Wine prefix at " + env.prefix)
    reg = env.native(["regsvr32", "/s", winpath(env.a.ocx)], merged=True)
    print(reg.stdout)
    require(reg.returncode == 0, "regsvr32 of the %d-bit PelZorvick.ocx" % env.bits)
    # Asked as programs of the control's bitness see the shared ProgID.
    q = env.native(["reg", "query", "HKCR\\PelZorvick.ZorvickCtrl\\CLSID"], merged=True)
    require("1CD75988-BC58-46AC-A95E-6EE332F9F6B7" in q.stdout.upper(),
            "the ProgID names the control's class")
    os.makedirs(env.drive_c("Tools"), exist_ok=True)
    shutil.copy(env.a.witness, env.drive_c("Tools", "app.exe"))
    env.kill()


def pressed_shots(env, form, name, exit_after, what, *more):
    """`form` pressed once, shot released and pressed: the run, its description
    and the two images."""
    up, down = env.out(name + ".png"), env.out(name + "-pressed.png")
    r = env.host(winpath(form), "--describe", "--dismiss-messages", "--press", *more,
                 "--screenshot", winpath(up), "--screenshot-pressed", winpath(down),
                 "--exit-after", exit_after)
    require(r.rc == 0, what + "the host ran every step")
    return r, r.describe(), read_png(up), read_png(down)


def case_click(env):
    """The road of one click in "Icon" mode, with a real program on a drive path."""
    ran = env.drive_c("Tools", "app.ran")
    if os.path.exists(ran):
        os.remove(ran)
    form = env.file("icon.txt", 'Control = "Icon"\nCommand = "%s"\n' % WITNESS_COMMAND)
    r, d, a, b = pressed_shots(env, form, "icon", "300", "", "--log")
    require(r.log("notify")[:18] == READ_ORDER, "loading notified the eighteen properties in order")
    require(r.log("message") == [], "no message box")
    require(r.log("event") == ["Click"], "the press raised Click once")
    require(d["tooltip"].get(1) == WITNESS_COMMAND, "the tooltip is the command line")
    x0, y0, w, h = rect = d["surface"][1]
    icon = d["icon"]
    require((w, h) == (icon[0] + 3, icon[1] + 3),
            "the surface is the icon's size plus three pixels (%dx%d)" % (w, h))
    hl, dk = d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]
    require(frame_ok(a, rect, hl, dk), "raised frame: highlight top and left, dark shadow bottom and right")
    face = a.px(x0 + w - 2, y0 + h - 2)  # the gap between icon and frame
    require(ink_box(a, (x0 + 1, y0 + 1, icon[0], icon[1]), face) is not None,
            "the icon is drawn inside the frame")
    require(frame_ok(b, rect, dk, hl), "pressed: sunken frame")
    require(region(a, x0 + 1, y0 + 1, icon[0], icon[1]) == region(b, x0 + 2, y0 + 2, icon[0], icon[1]),
            "pressed: the icon one pixel further right and down")
    require(wait_for(ran), "the click started C:\\Tools\\app.exe")
    text = open(ran, encoding="utf-8").read()
    require(text.endswith("/s") and "app.exe" in text,
            "the program got the command line unchanged: " + text)


def check_button(img, d, rect, pressed=False, shift=(0, 0)):
    hl, dk = d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]
    face = d["syscolor"]["BTNFACE"]
    x0, y0, w, h = rect
    require(frame_ok(img, rect, dk, hl) if pressed else frame_ok(img, rect, hl, dk),
            "button: %s frame" % ("sunken" if pressed else "raised"))
    box = ink_box(img, rect, face, inset=1)
    require(box is not None, "button: the caption is drawn")
    l, t, r, b = box
    margins = (l - x0, t - y0, x0 + w - 1 - r, y0 + h - 1 - b)
    print("  caption ink", box, "margins", margins)
    require(margins[0] >= 6 + shift[0] and margins[1] >= 6 + shift[1] and
            margins[2] >= 6 - shift[0] and margins[3] >= 6 - shift[1],
            "button: the caption's ink inside the 12-pixel margins")
    require(abs((margins[0] - shift[0]) - (margins[2] + shift[0])) <= 3,
            "button: the caption is centred")
    return box


def check_text_look(img, rect, framed, d):
    x0, y0, w, h = rect
    dk = d["syscolor"]["3DDKSHADOW"]
    blue = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if bluish(img.px(x, y))]
    require(len(blue) > 20, "text: blue ink")
    inside = [img.px(x, y) for y in range(y0 + 1, y0 + h - 1) for x in range(x0 + 1, x0 + w - 1)]
    require(inside.count(WHITE) > len(inside) // 2, "text: white background")
    xs = [x for x, _ in blue]
    width = max(xs) - min(xs) + 1
    rows = {}
    for x, y in blue:
        rows.setdefault(y, []).append(x)
    longest = max(len(v) for v in rows.values())
    require(longest >= 0.8 * width, "text: underlined (a row of blue across the caption)")
    bottom = [img.px(x, y0 + h - 1) for x in range(x0 + 1, x0 + w)]
    right = [img.px(x0 + w - 1, y) for y in range(y0 + 1, y0 + h)]
    if framed:
        # The surface is exactly the caption's size, so the centred caption
        # (its underline, its smoothed edges) may cover parts of the frame.
        require(frame_ok(img, rect, d["syscolor"]["BTNHIGHLIGHT"], dk, ink=blue_ink),
                "framed text look: raised frame")
    else:
        require(dk not in bottom and dk not in right, "text: no frame")


def case_pixels(env):
    """Every display mode drawn at this prefix's DPI."""
    r0 = env.host("--describe", "--exit-after", "0")
    d0 = r0.describe()
    dpi = env.a.logpixels or 96
    require(d0["dpi"] == (dpi, dpi), "the screen has %d DPI" % dpi)

    # Button, released and pressed.
    form = env.file("button.txt", 'Control = "Button"\nText = "Press me"\n')
    r, d, a, b = pressed_shots(env, form, "button", "0", "button: ", "--log")
    rect = d["surface"][1]
    box_up = check_button(a, d, rect)
    box_down = check_button(b, d, rect, pressed=True, shift=(1, 1))
    require(box_down == tuple(v + 1 for v in box_up), "button: pressed, the caption moves by one pixel")
    l, t, rr, bb = box_up
    require(region(a, l, t, rr - l + 1, bb - t + 1) == region(b, l + 1, t + 1, rr - l + 1, bb - t + 1),
            "button: the same caption pixels, moved")

    # Text: blue, underlined, white, no frame; pressing changes nothing.
    form = env.file("text.txt", 'Control = "Text"\nText = "Open the file"\nBorder = True\n')
    r, d, a, b = pressed_shots(env, form, "text", "0", "text: ")
    rect = d["surface"][1]
    check_text_look(a, rect, False, d)
    require(region(a, *rect) == region(b, *rect), "text: pressing changes nothing visible")
    blue = ink_box(a, rect, WHITE)
    require(blue[0] - rect[0] <= 3 and blue[1] - rect[1] <= 6, "text: printed at the top left")

    # An unrecognised mode with Border: the text look inside a frame.
    form = env.file("link.txt", 'Control = "Link"\nText = "A link"\nBorder = True\n')
    up = env.out("link.png")
    r = env.host(winpath(form), "--describe", "--screenshot", winpath(up), "--exit-after", "0",
                 "--set", "Command=")
    require(r.rc == 0, "link: the host ran every step")
    d = r.describe()
    check_text_look(read_png(up), d["surface"][1], True, d)

    # SmallIcon of a program: the small icon plus three pixels, framed.
    form = env.file("small.txt", 'Control = "SmallIcon"\nCommand = "%s"\n' % WITNESS_COMMAND)
    up = env.out("smallicon.png")
    r = env.host(winpath(form), "--describe", "--screenshot", winpath(up), "--exit-after", "0")
    require(r.rc == 0, "small icon: the host ran every step")
    d = r.describe()
    x0, y0, w, h = rect = d["surface"][1]
    small = d["smallicon"]
    require((w, h) == (small[0] + 3, small[1] + 3), "small icon: its size plus three pixels")
    require(frame_ok(read_png(up), rect, d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]),
            "small icon: raised frame")


def case_render(env):
    """--render: the form as each control draws itself at 300 DPI, as a printer
    gets it: the screen's look at that resolution, its caption set anew rather
    than the screen's pixels stretched."""
    dpi = env.a.logpixels or 96
    form = env.file("render.txt", 'Control = "Button"\nText = "Print me"\n')
    shot, drawn = env.out("render.png"), env.out("render-300dpi.png")
    r = env.host(winpath(form), "--describe", "--screenshot", winpath(shot),
                 "--render", winpath(drawn), "--exit-after", "0")
    require(r.rc == 0, "render: the host ran every step")
    d, a, b = r.describe(), read_png(shot), read_png(drawn)
    scale = lambda v: int(v * 300 / dpi + 0.5)
    require((b.width, b.height) == (scale(a.width), scale(a.height)),
            "render: the form's size at 300 DPI")
    x0, y0, w, h = d["surface"][1]
    face, hl = d["syscolor"]["BTNFACE"], d["syscolor"]["BTNHIGHLIGHT"]
    # The frame's top line is one screen pixel thick, at 300 DPI.
    top = [b.px(scale(x0 + w // 2), y) for y in range(scale(y0), scale(y0 + 2))]
    thick = sum(1 for p in top if p == hl)
    require(abs(thick - 300 / dpi) <= 1, "render: the frame line %d pixels thick" % thick)
    box = ink_box(b, (scale(x0), scale(y0), scale(w), scale(h)), face, inset=scale(3))
    require(box is not None, "render: the caption is drawn")
    rows = [region(b, box[0], y, box[2] - box[0] + 1, 1) for y in range(box[1], box[3] + 1)]
    repeated = sum(1 for i in range(1, len(rows)) if rows[i] == rows[i - 1])
    print("  caption ink", box, "rows repeating the one above:", repeated, "of", len(rows) - 1)
    require(repeated < (len(rows) - 1) / 2, "render: the caption set at 300 DPI, not stretched")


def case_image(env):
    """"Image" mode against a loopback server: the image, and a 404, each
    arriving in the background after the form is up."""
    server = Server()
    try:
        form = env.file("image.txt", 'Control = "Image"\nImageURL = "%s"\n' % server.url("/pic.bmp"))
        up = env.out("image.png")
        r = env.host(winpath(form), "--describe", "--log", "--settle", "2000",
                     "--screenshot", winpath(up), "--exit-after", "0")
        require(r.rc == 0, "image: the host ran every step")
        require(server.requests == ["/pic.bmp"], "image: fetched once from the server")
        d = r.describe()
        x0, y0, w, h = rect = d["surface"][1]
        require((w, h) == (BMP_W + 3, BMP_H + 3), "image: the surface is the image plus three pixels")
        img = read_png(up)
        require(frame_ok(img, rect, d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]),
                "image: raised frame")
        require(region(img, x0 + 1, y0 + 1, BMP_W, BMP_H) ==
                [bmp_pixel(x, y) for y in range(BMP_H) for x in range(BMP_W)],
                "image: the image's pixels at one pixel in from the frame")

        missing = server.url("/missing.bmp")
        form = env.file("missing.txt", 'Control = "Image"\nImageURL = "%s"\n' % missing)
        saved, shot = env.out("missing-saved.txt"), env.out("missing.png")
        r = env.host(winpath(form), "--describe", "--log", "--settle", "2000", "--save",
                     winpath(saved), "--screenshot", winpath(shot), "--exit-after", "0")
        require(r.rc == 0, "404: the host ran every step")
        require("/missing.bmp" in server.requests, "404: the address was asked for")
        require(r.log("notify")[18:20] == ["Control", "Text"],
                "404: Control and then Text notified after loading")
        text = open(saved, encoding="utf-8").read()
        require('Control = "Text"' in text, "404: --save writes Control = \"Text\"")
        require('Text = "Failed complete loading remote image: %s"' % missing in text,
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
        require(r.rc == 0, "design button: the host ran every step")
        d = r.describe()
        rect = d["surface"][1]
        img = read_png(shot)
        require(frame_ok(img, rect, d["syscolor"]["BTNHIGHLIGHT"], d["syscolor"]["3DDKSHADOW"]),
                "design button: frame")
        background = img.px(rect[0] + 2, rect[1] + 2)
        require(ink_box(img, rect, background, inset=1) is not None, "design button: caption")

        form = env.file("design-image.txt",
                        'Control = "Image"\nImageURL = "%s"\n' % server.url("/pic.bmp"))
        shot = env.out("design-image.png")
        r = env.host(winpath(form), "--design", "--describe", "--screenshot", winpath(shot),
                     "--exit-after", "0")
        require(r.rc == 0, "design image: the host ran every step")
        require(server.requests == [], "design image: nothing fetched")
        d = r.describe()
        pixels = region(read_png(shot), *d["surface"][1])
        require(len(set(pixels)) == 1, "design image: nothing drawn (one colour)")
    finally:
        server.stop()


def case_nocommand(env):
    """No available command: the message box, and Click only after a press."""
    form = env.file("nocommand.txt", 'Control = "Button"\nText = "Go"\n')
    r = env.host(winpath(form), "--log", "--dismiss-messages", "--press", "--exit-after", "0")
    require(r.rc == 0, "press: the host ran every step")
    tail = [l for l in r.lines if l.startswith(("message:", "event:"))]
    require(tail == ["message: [PelZorvick] Command not found!", "event: Click"],
            "press: \"Command not found!\" titled PelZorvick, then Click")
    r = env.host(winpath(form), "--log", "--dismiss-messages", "--execute", "--exit-after", "0")
    require(r.rc == 0, "execute: the host ran every step")
    tail = [l for l in r.lines if l.startswith(("message:", "event:"))]
    require(tail == ["message: [PelZorvick] Command not found!"], "execute: the box and no Click")


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
    require(r.rc == 0, "first save")
    require(r.log("notify") == READ_ORDER,
            "the notifications on load are the eighteen names in reading order")
    first = open(s1, "rb").read()
    want, got = entries(EVERY_PROPERTY), entries(first.decode("utf-8"))
    require(all(got.get(k) == v for k, v in want.items() if k not in ("Answer",)),
            "every value written back as read")
    require(got.get("Answer") == "42" and b"Answer   =  42" in first,
            "unknown keys kept unchanged")
    require(first.startswith(b"' every property"), "comments kept")
    r = env.host(winpath(s1), "--save", winpath(s2), "--exit-after", "0")
    require(r.rc == 0, "second save")
    require(open(s2, "rb").read() == first, "load, save, load again: byte-identical")

    fresh1, fresh2 = env.out("fresh-1.txt"), env.out("fresh-2.txt")
    require(env.host("--save", winpath(fresh1), "--exit-after", "0").rc == 0, "InitNew, saved")
    require(env.host(winpath(fresh1), "--save", winpath(fresh2), "--exit-after", "0").rc == 0,
            "the fresh file loads")
    require(open(fresh1, "rb").read() == open(fresh2, "rb").read(), "a fresh control round-trips")

    bad = env.file("mismatch.txt", 'Control = "Text"\nFontSize = "abc"\nText = "x"\n')
    never = env.out("mismatch-saved.txt")
    r = env.host(winpath(bad), "--log", "--save", winpath(never), "--exit-after", "0")
    require(r.rc != 0, "text under FontSize: the host fails")
    errors = r.log("error")
    require(any("mismatch" in e.lower() or "800A000D" in e.upper() or "80020005" in e.upper()
              for e in errors), "the host reports the type mismatch")
    require(r.log("notify") == ["Control", "BackColor", "ForeColor"], "loading stopped at FontSize")
    require(not os.path.exists(never), "nothing saved over a half-loaded control")

    broken = env.file("broken.txt", 'Control = "Text"\nText = unquoted\n')
    r = env.host(winpath(broken), "--log", "--exit-after", "0")
    require(r.rc == 2 and any(e.startswith(winpath(broken) + ":2: ") for e in r.log("error")),
            "a malformed line names the file and the line")
    require(r.log("notify") == [], "and nothing is loaded")


def case_atl(env):
    """Wine's own container hosts the control."""
    p = env.run([env.a.atl_test], merged=True)
    print(p.stdout)
    require(p.returncode == 0, "the control works in atl.dll's container")

