"""Keys, focus and screen readers, through the registered control in
zorvick-host: Tab walks the form in order; Space and Enter start each
mode's command and raise Click, Escape cancels, a held key runs once; the
focus rectangle's pixels; and what the accessible object of each surface
answers, before and after the control is released. Wine runs no screen
reader: the host asks the questions one would."""
import os
import shutil

from e2e_support import Server, frame_ok, read_png, wait_for
from wine import require, winpath

# The codes a released object may answer with: disconnected, or a plain failure.
RELEASED_CODES = {"0x80010108", "0x80004005"}


def plant(env, name):
    """A copy of the marker-writing program as C:\\Tools\\NAME.exe; its
    command line, and the marker it leaves when started."""
    shutil.copy(env.a.witness, env.drive_c("Tools", name + ".exe"))
    ran = env.drive_c("Tools", name + ".ran")
    if os.path.exists(ran):
        os.remove(ran)
    return "C:\\Tools\\%s.exe /%s" % (name, name), ran


def every_mode_form(env, server, tag):
    """A form with one launcher of each display mode, each starting its own
    program; returns the file, the section names in order, and per section
    its command and marker."""
    modes = [("Button", 'Control = "Button"\nText = "Start"'),
             ("Text", 'Control = "Text"\nText = "Open"'),
             ("Icon", 'Control = "Icon"'),
             ("SmallIcon", 'Control = "SmallIcon"'),
             ("Image", 'Control = "Image"\nImageURL = "%s"' % server.url("/pic.bmp")),
             ("Framed", 'Control = "Note"\nText = "Framed note"'),
             ("Unframed", 'Control = "Note"\nText = "Plain note"\nBorder = False')]
    text, programs = "", {}
    for name, body in modes:
        command, ran = plant(env, "%s-%s" % (tag, name.lower()))
        programs[name] = (command, ran)
        text += '[%s]\n%s\nCommand = "%s"\n\n' % (name, body, command)
    return env.file("%s-modes.txt" % tag, text), [m for m, _ in modes], programs


def trail(run):
    """The keys, focus moves and events of a run, in order."""
    return [l for l in run.lines if l.startswith(("key: ", "focus: ", "event: "))]


def after_keys(run):
    """Per key of a run, the accessibility events heard while it was handled."""
    heard = []
    for l in run.lines:
        if l.startswith("key: "):
            heard.append([])
        elif l.startswith("winevent: ") and heard:
            heard[-1].append(l[len("winevent: "):])
    return heard


def case_keyboard(env):
    """Tab in form order; Space and Enter on every mode; Escape; auto-repeat."""
    server = Server()
    try:
        for key in ("space", "enter"):
            form, names, programs = every_mode_form(env, server, key)
            # The picture first, so that its arrival moves nothing under the keys.
            args = [winpath(form), "--log", "--dismiss-messages", "--settle", "2000"]
            for _ in names:
                args += ["--key", "tab", "--key", key]
            r = env.host(*(args + ["--exit-after", "300"]))
            require(r.rc == 0, "%s: the host ran every step" % key)
            want = []
            for name in names:
                want += ["key: tab", "focus: " + name, "key: " + key, "event: %s.Click" % name]
            require(trail(r) == want,
                    "%s: Tab reaches each control in form order, and %s on each raises its Click"
                    % (key, key))
            for name in names:
                command, ran = programs[name]
                require(wait_for(ran) and
                        open(ran, encoding="utf-8").read().endswith(command.split(" ")[1]),
                        "%s on %s started %s" % (key, name, command))
    finally:
        server.stop()

    cancel, cancel_ran = plant(env, "cancel")
    repeat, repeat_ran = plant(env, "repeat")
    form = env.file("keys.txt", '[Cancel]\nControl = "Button"\nText = "Cancel"\nCommand = "%s"\n\n'
                    '[Repeat]\nControl = "Button"\nText = "Repeat"\nCommand = "%s"\n'
                    % (cancel, repeat))
    # After three Tabs the focus is back on Cancel.
    keys = ["space-down", "escape", "space-up", "tab",
            "space-down", "space-down", "space-down", "space-up",
            "enter-down", "enter-down", "enter-up"]
    args = [winpath(form), "--log", "--dismiss-messages", "--tab", "3"]
    for k in keys:
        args += ["--key", k]
    r = env.host(*(args + ["--exit-after", "300"]))
    require(r.rc == 0, "keys: the host ran every step")
    require(trail(r) == [
        "key: tab", "focus: Cancel", "key: tab", "focus: Repeat", "key: tab", "focus: Cancel",
        "key: space-down", "key: escape", "key: space-up",
        "key: tab", "focus: Repeat",
        "key: space-down", "key: space-down", "key: space-down", "key: space-up",
        "event: Repeat.Click",
        "key: enter-down", "event: Repeat.Click", "key: enter-down", "key: enter-up"],
        "Tab wraps round; Escape while Space is held raises no Click; a held Space or Enter "
        "clicks once")
    heard = after_keys(r)
    require(all({"focus " + name, "state " + name} <= set(heard[i]) for i, name in
              [(0, "Cancel"), (1, "Repeat"), (2, "Cancel"), (6, "Repeat")]),
            "a screen reader hears the focus and state of each surface Tab reaches")
    require("state Cancel" in heard[3] and "state Cancel" in heard[4],
            "and the state change of Space's press and of Escape's release")
    require(wait_for(repeat_ran), "the held keys started their program")
    require(not os.path.exists(cancel_ran), "Escape started nothing")


def changed(a, b, rect):
    """The pixels inside `rect` where two screenshots differ."""
    x0, y0, w, h = rect
    return {(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)
            if a.px(x, y) != b.px(x, y)}


def dotted_outline(pixels, left, top, right, bottom):
    """True when `pixels` lie only on the outline of the box (inclusive
    corners) and dot every side: some but not all of each side's pixels."""
    if any(not (x in (left, right) or y in (top, bottom)) or
           not (left <= x <= right and top <= y <= bottom) for x, y in pixels):
        print("  off the outline:", sorted(pixels)[:6])
        return False
    xs, ys = range(left, right + 1), range(top, bottom + 1)
    sides = [[(x, top) for x in xs], [(x, bottom) for x in xs],
             [(left, y) for y in ys], [(right, y) for y in ys]]
    counts = [(sum(p in pixels for p in side), len(side)) for side in sides]
    print("  outline", (left, top, right, bottom), "dots per side", counts)
    return all(len_ // 4 <= n < len_ for n, len_ in counts)


def case_focus(env):
    """The focus rectangle: inside the frame of a button, round the caption
    of a link, nowhere else; a held Space shows the pressed look."""
    form = env.file("focus.txt", '[One]\nControl = "Button"\nText = "Focus me"\n\n'
                    '[Two]\nControl = "Text"\nText = "A link"\n')
    shots = {}
    for tag, keys in (("none", []), ("one", ["--tab", "1"]), ("two", ["--tab", "2"]),
                      ("held", ["--focus", "One", "--key", "space-down"])):
        shot = env.out("focus-%s.png" % tag)
        r = env.host(winpath(form), "--describe", "--screenshot", winpath(shot),
                     "--exit-after", "0", *keys)
        require(r.rc == 0, "%s: the host ran every step" % tag)
        shots[tag] = read_png(shot)
        d = r.describe()
    one, two = d["surface"][1], d["surface"][2]
    full = (0, 0, shots["none"].width, shots["none"].height)

    diff = changed(shots["none"], shots["one"], full)
    x0, y0, w, h = one
    require(dotted_outline(diff, x0 + 3, y0 + 3, x0 + w - 4, y0 + h - 4),
            "button focused: a dotted rectangle three pixels inside its edges, nothing else changed")

    diff = changed(shots["none"], shots["two"], full)
    x0, y0, w, h = two
    require(bool(diff) and min(x for x, _ in diff) == x0 and min(y for _, y in diff) == y0,
            "link focused: the rectangle starts at the caption's top left")
    require(dotted_outline(diff, x0, y0, max(x for x, _ in diff), max(y for _, y in diff)) and
            all(x < x0 + w and y < y0 + h for x, y in diff),
            "link focused: a dotted rectangle round the caption, inside the surface")

    held = shots["held"]
    require(frame_ok(held, one, d["syscolor"]["3DDKSHADOW"], d["syscolor"]["BTNHIGHLIGHT"]),
            "Space held: the sunken frame of a press")
    x0, y0, w, h = one
    top = [held.px(x, y0 + 3) for x in range(x0 + 3, x0 + w - 3)]
    require(0 < sum(p != d["syscolor"]["BTNFACE"] for p in top) < len(top),
            "Space held: the focus rectangle stays")


def accessible(run):
    """{control: {what: value}} from the host's "accessible:" lines."""
    out = {}
    for l in run.log("accessible"):
        name, what, value = (l.split(" ", 2) + [""])[:3]
        out.setdefault(name, {})[what] = value
    return out


LINKS = ("Text", "Unframed")


def case_accessible(env):
    """Name, role, state, description, default action and location in every
    mode; the default action; the object after the control's release."""
    server = Server()
    try:
        form, names, programs = every_mode_form(env, server, "acc")
        lost = env.file("acc-lost.txt", open(form, encoding="utf-8").read() +
                        '[Lost]\nControl = "Icon"\nCommand = "C:\\Tools\\none.exe"\n')
        r = env.host(winpath(lost), "--describe", "--accessible", "--tab", "1",
                     "--key", "space-down", "--exit-after", "0")
        require(r.rc == 0, "the host asked every control")
        a, d = accessible(r), r.describe()
        captions = {"Button": "Start", "Text": "Open", "Framed": "Framed note",
                    "Unframed": "Plain note"}
        for i, name in enumerate(names + ["Lost"], 1):
            got = a.get(name, {})
            # A picture mode with no program to show draws nothing, so no
            # tooltip window holds the text it would show.
            tip = d["tooltip"].get(i) if name != "Lost" else "Exec command not found"
            link = name in LINKS
            want_name = captions.get(name) or (programs[name][0] if name in programs else tip)
            require(got.get("name") == want_name, "%s: named %r" % (name, want_name))
            require(got.get("role") == ("link" if link else "pushbutton"),
                    "%s: a %s" % (name, "link" if link else "push button"))
            state = ["focusable"] + (["focused", "pressed"] if name == "Button" else []) + (
                ["linked"] if link else [])
            require(sorted(got.get("state", "").split()) == sorted(state),
                    "%s: state %s" % (name, " ".join(state)))
            require(got.get("description") == tip, "%s: described by its tooltip" % name)
            require(got.get("action") == ("Jump" if link else "Press"),
                    "%s: its default action" % name)
            require(got.get("location") is not None and got.get("location") == got.get("window"),
                    "%s: located where its surface is on the screen" % name)
    finally:
        server.stop()

    command, ran = plant(env, "default")
    form = env.file("acc-default.txt", '[First]\nControl = "Text"\nText = "First"\n\n'
                    '[Second]\nControl = "Icon"\nCommand = "%s"\n' % command)
    r = env.host(winpath(form), "--log", "--dismiss-messages", "--control", "Second",
                 "--default-action", "--accessible-after-release", "--exit-after", "300")
    require(r.rc == 0, "default action: the host ran every step")
    require(r.log("event") == ["Second.Click"], "the default action raised Click")
    require(wait_for(ran), "the default action started the command")
    released = [l.split(" ") for l in r.log("accessible")]
    require(len(released) == 7 and all(f[:2] == ["Second", "released"] for f in released),
            "seven questions asked after the release")
    require(all(f[3] in RELEASED_CODES for f in released),
            "each fails with RPC_E_DISCONNECTED or E_FAIL once the control is released")
