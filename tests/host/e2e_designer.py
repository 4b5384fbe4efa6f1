"""The form designer's road through the registered control: its property
pages in Wine's own frame (zorvick-host --properties). Keys change fields,
OK applies them through the control's setters and the host logs each
notification; Cancel applies nothing; the pages grow with the DPI."""
from e2e_cases import entries
from e2e_support import read_png
from wine import require, winpath

# The frame of one page at 96 DPI, as the demo's screenshots show it.
WIDTH_AT_96 = 460


def after(run, step):
    """The notifications the host printed between the frame step and the
    frame's closing."""
    lines = run.lines[run.lines.index("frame: " + step):]
    return [l[len("notify: "):] for l in lines[:lines.index("frame: closed")] if l.startswith("notify: ")]


def case_designer(env):
    form = env.file("designer.txt", 'Control = "Button"\nText = "Go"\n')
    saved, shot = env.out("designer-saved.txt"), env.out("designer-general.png")
    r = env.host(winpath(form), "--log", "--design", "--properties",
                 "--frame", "screenshot=" + winpath(shot),
                 "--frame", "key=alt+c", "--frame", "type=Run",
                 "--frame", "page=2", "--frame", "key=alt+1", "--frame", "type=calc",
                 "--frame", "ok", "--save", winpath(saved), "--exit-after", "500")
    require(r.rc == 0, "the frame opened, took the keys and closed (exit code %d)" % r.rc)
    require(r.log("frame")[0].endswith("(General, Commands)"), "the frame shows both pages")
    require(after(r, "ok") == ["Text", "Command1"], "OK applied the caption and the command line, each notified")
    got = entries(open(saved, encoding="utf-8").read())
    require(got.get("Text") == '"Run"' and got.get("Command1") == '"calc"', "the new values are saved")

    width = read_png(shot).width
    want = WIDTH_AT_96 * (env.a.logpixels or 96) / 96
    require(abs(width - want) < want * 0.15, "the frame is %d pixels wide at this DPI (about %d)" % (width, want))

    r = env.host(winpath(form), "--log", "--design", "--properties", "--frame", "key=alt+c",
                 "--frame", "type=Gone", "--frame", "cancel", "--save", winpath(saved),
                 "--exit-after", "500")
    require(r.rc == 0 and after(r, "cancel") == [], "Cancel applies nothing")
    require(entries(open(saved, encoding="utf-8").read()).get("Text") == '"Go"', "and the caption stays")
