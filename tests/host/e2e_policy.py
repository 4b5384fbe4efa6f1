"""The administrator's policy, written into the prefix's registry as Group
Policy would (the 64-bit view, which both builds read), then clicks through
zorvick-host and Execute through a script host: what is allowed runs, what
is refused shows its box and runs nothing, whatever its spelling; the shell
instead of the command interpreter; pictures from allowed addresses only;
malformed values; the audit trail as Wine's event log prints it."""
import os
import shutil
import subprocess

from e2e_support import Server, wait_for
from wine import check, winpath

KEY = "HKEY_LOCAL_MACHINE\\Software\\Policies\\PelZorvick"
BLOCKED = "message: [PelZorvick] This command was blocked by your administrator."
APP = "C:\\Tools\\app.exe"
LONG = "C:\\PelZorvickTools\\witness-long-name.exe"


def reg_text(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def set_policy(env, values=None, **lists):
    """DWORD values of the policy key and pattern keys (name -> [data]);
    a pattern given as an int is written as a REG_DWORD, a malformed one."""
    clear_policy(env)
    lines = ["Windows Registry Editor Version 5.00", "", "[%s]" % KEY]
    lines += ['"%s"=dword:%08x' % (name, value) for name, value in (values or {}).items()]
    for name, patterns in lists.items():
        lines += ["", "[%s\\%s]" % (KEY, name)]
        for i, p in enumerate(patterns, 1):
            lines.append('"%d"=%s' % (i, "dword:%08x" % p if isinstance(p, int) else reg_text(p)))
    path = env.file("policy.reg", "\n".join(lines) + "\n")
    check(env.run(["reg", "import", winpath(path)], bits=64).returncode == 0, "policy written: %r %r" %
          (values, {k: [str(p)[:40] for p in v] for k, v in lists.items()}))


def clear_policy(env):
    env.run(["reg", "delete", KEY, "/f"], bits=64)


def ran(path):
    return path[:-4] + ".ran" if path.lower().endswith(".exe") else path + ".ran"


def host_path(env, windows_path):
    return env.drive_c(*windows_path[3:].split("\\"))


def press(env, command, env_extra=None):
    """A button with the command, pressed once; the run and its messages and
    events in order."""
    form = env.file("policy-form.txt", 'Control = "Button"\nText = "Go"\nCommand = "%s"\n' %
                    command.replace('"', '""'))
    r = env.host(winpath(form), "--log", "--dismiss-messages", "--press", "--exit-after", "0",
                 env_extra=env_extra)
    check(r.rc == 0, "the host pressed %s and ran every step" % command)
    return r, [l for l in r.lines if l.startswith(("message:", "event:"))]


def forget(*paths):
    for p in paths:
        if os.path.exists(p):
            os.remove(p)


def short_name(env, folder, name):
    """The 8.3 name Wine gives `name` in `folder`, as dir /x lists it."""
    r = env.run(["cmd", "/c", "cd", "/d", folder, "&", "dir", "/x"], bits=64)
    for line in r.stdout.splitlines():
        fields = line.split()
        if len(fields) >= 2 and fields[-1].lower() == name.lower() and "~" in fields[-2]:
            return fields[-2]
    raise AssertionError("no short name of %s in %s" % (name, folder))


def case_policy(env):
    """Allowed runs; denied and disabled refuse with the box and Click after
    it; no spelling escapes; malformed values allow nothing; the records."""
    app_ran = host_path(env, ran(APP))
    os.makedirs(host_path(env, "C:\\PelZorvickTools"), exist_ok=True)
    shutil.copy(env.a.witness, host_path(env, LONG))
    try:
        set_policy(env, {"AuditLaunches": 1}, AllowedPrograms=["C:\\Tools\\"])
        forget(app_ran)
        r, tail = press(env, APP + " /allowed", env_extra={"WINEDEBUG": "+eventlog"})
        check(tail == ["event: Click"], "allowed: no box, then Click")
        check(wait_for(app_ran) and "/allowed" in open(app_ran, encoding="utf-8").read(),
              "allowed: the program ran")
        check(any("started directly" in l for l in r.lines), "audited: the start was recorded")

        for values, lists, what in (({"DisableLaunch": 1}, {}, "disabled"),
                                    ({}, {"DeniedPrograms": [APP]}, "denied"),
                                    ({}, {"AllowedPrograms": ["C:\\Other\\"]}, "not allowed")):
            set_policy(env, values, **lists)
            forget(app_ran)
            r, tail = press(env, APP + " /refused", env_extra={"WINEDEBUG": "+eventlog"})
            check(tail == [BLOCKED, "event: Click"], what + ": the box, then Click")
            refusal = [l for l in r.lines if "eventlog" in l and "This command" not in l]
            check(any(v in l for l in refusal for v in list(values) + list(lists)),
                  what + ": the event log got the refusal naming its value")

        # Every spelling of the denied programs, one after the other; none
        # may have run at the end.
        set_policy(env, DeniedPrograms=[APP, LONG])
        short = "C:\\%s\\%s" % (short_name(env, "C:\\", "PelZorvickTools"),
                                short_name(env, "C:\\PelZorvickTools", "witness-long-name.exe"))
        forget(app_ran, host_path(env, ran(LONG)))
        for spelling in ("C:/Tools/app.exe", "c:\\TOOLS\\APP.EXE", "C:\\Tools\\sub\\..\\app.exe",
                         "C:\\Tools\\app.exe.", "\\\\?\\C:\\Tools\\app.exe", "file:///C:/Tools/%61pp.exe",
                         short):
            r, tail = press(env, spelling)
            check(tail == [BLOCKED, "event: Click"], "denied as %s" % spelling)
        check(not wait_for(app_ran, 2) and not os.path.exists(host_path(env, ran(LONG))),
              "no spelling of a denied program ran")

        set_policy(env, AllowedPrograms=[1, "", "x" * 40000, "app.exe"])
        r, tail = press(env, APP, env_extra={"WINEDEBUG": "+eventlog"})
        check(tail == [BLOCKED, "event: Click"], "an allow list of malformed values allows nothing")
        trace = "\n".join(r.lines)
        check("not REG_SZ" in trace and "an empty pattern" in trace and "more than 2048" in trace and
              "neither a full path nor an address" in trace, "each malformed value was recorded")
    finally:
        clear_policy(env)


def register_opener(env, opener):
    """.pzpdoc documents and pzpolicy: addresses open in `opener`."""
    lines = ["Windows Registry Editor Version 5.00", "",
             "[HKEY_CLASSES_ROOT\\.pzpdoc]", "@=\"PelZorvick.PolicyDocument\"", "",
             "[HKEY_CLASSES_ROOT\\PelZorvick.PolicyDocument\\shell\\open\\command]",
             "@=%s" % reg_text('"%s" "%%1"' % opener), "",
             "[HKEY_CLASSES_ROOT\\pzpolicy]", '"URL Protocol"=""', "",
             "[HKEY_CLASSES_ROOT\\pzpolicy\\shell\\open\\command]",
             "@=%s" % reg_text('"%s" "%%1"' % opener)]
    path = env.file("opener.reg", "\n".join(lines) + "\n")
    check(env.run(["reg", "import", winpath(path)], bits=64).returncode == 0, "opener registered")


def case_policy_shell(env):
    """NoCommandInterpreter opens a document through its association and
    starts no cmd.exe; an address with & reaches its handler whole, through
    the interpreter and without it."""
    opener = "C:\\Tools\\opener.exe"
    shutil.copy(env.a.witness, host_path(env, opener))
    register_opener(env, opener)
    document = "C:\\Tools\\note.pzpdoc"
    with open(host_path(env, document), "w") as f:
        f.write("a note")
    opened, injected = host_path(env, ran(opener)), host_path(env, "C:\\Tools\\injected.txt")
    trace = {"WINEDEBUG": "+process"}
    try:
        for shell in (False, True):
            set_policy(env, {"NoCommandInterpreter": 1} if shell else {})
            how = "without the interpreter" if shell else "through the interpreter"
            forget(opened)
            r, tail = press(env, document, env_extra=trace)
            check(tail == ["event: Click"], how + ": no box")
            check(wait_for(opened) and "note.pzpdoc" in open(opened, encoding="utf-8").read(),
                  how + ": the document opened in its program")
            started_cmd = any("CreateProcess" in l and "cmd.exe" in l.lower() for l in r.lines)
            check(started_cmd != shell, how + (": no cmd.exe started" if shell else ": cmd.exe started"))

            # Whole up to its first space, as start takes it; what follows
            # a space is the address's parameters, and & runs nothing.
            address = "pzpolicy://host/?a=1&b=2&echo>C:\\Tools\\injected.txt"
            for command in (address, address + " &echo ran>C:\\Tools\\injected.txt"):
                forget(opened, injected)
                r, tail = press(env, command)
                check(wait_for(opened), how + ": the address reached its handler")
                got = open(opened, encoding="utf-8").read()
                check(address in got, how + ": whole (%s)" % got)
                check(not wait_for(injected, 1), how + ": nothing after & ran")
    finally:
        clear_policy(env)
        for key in ("HKCR\\.pzpdoc", "HKCR\\PelZorvick.PolicyDocument", "HKCR\\pzpolicy"):
            env.run(["reg", "delete", key, "/f"], bits=64)


def case_policy_image(env):
    """"Image" fetches only an allowed address; another fails as a refused
    one and never reaches the server."""
    server = Server()
    try:
        allowed = server.url("/pic.bmp")
        set_policy(env, AllowedImageHosts=[allowed])
        for address, fetched in ((allowed, True), (allowed.replace("127.0.0.1", "localhost"), False)):
            before = len(server.requests)
            form = env.file("policy-image.txt", 'Control = "Image"\nImageURL = "%s"\n' % address)
            saved = env.out("policy-image-saved.txt")
            r = env.host(winpath(form), "--save", winpath(saved), "--exit-after", "0")
            check(r.rc == 0, "image %s: the host ran every step" % address)
            text = open(saved, encoding="utf-8").read()
            if fetched:
                check(server.requests[before:] == ["/pic.bmp"] and 'Control = "Image"' in text,
                      "an allowed address is fetched")
            else:
                check(server.requests[before:] == [], "a refused address is never asked for")
                check('Text = "Failed loading remote image: %s"' % address in text,
                      "a refused address fails as one that cannot be read")
    finally:
        server.stop()
        clear_policy(env)


SCRIPT = """Set c = CreateObject("PelZorvick.ZorvickCtrl")
c.Command = "%s"
On Error Resume Next
c.Execute
WScript.Echo "execute=" & Hex(Err.Number) & " " & Err.Description
WScript.Echo "PZ-SCRIPT-END"
"""


def execute_in_script(env, command, boxes):
    script = env.file("policy.vbs", SCRIPT % command)
    closer = None
    if boxes:
        cmd = [env.a.wine_run, "--prefix", env.prefix, env.a.box_closer, str(boxes), "60"]
        closer = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    p = env.run(["cscript", "//nologo", winpath(script)], bits=env.a.bits)
    out = [l.rstrip("\r") for l in p.stdout.splitlines()]
    print("  | " + "\n  | ".join(out))
    check("PZ-SCRIPT-END" in out, "the script ran to its end")
    shown = []
    if closer:
        shown = [l.rstrip("\r") for l in closer.communicate(timeout=90)[0].decode("utf-8").splitlines()]
    return next((l for l in out if l.startswith("execute=")), ""), shown


def case_policy_script(env):
    """Execute from a script host: an allowed command runs and succeeds; a
    refused one shows the box and fails with the policy's error."""
    app_ran = host_path(env, ran(APP))
    try:
        set_policy(env, AllowedPrograms=["C:\\Tools\\app.exe"])
        forget(app_ran)
        result, shown = execute_in_script(env, APP + " /script", 0)
        check(result.startswith("execute=0"), "allowed: Execute succeeds (%s)" % result)
        check(wait_for(app_ran) and "/script" in open(app_ran, encoding="utf-8").read(),
              "allowed: the program ran")

        for values, lists, what in (({}, {"DeniedPrograms": ["C:\\Tools\\"]}, "denied"),
                                    ({"DisableLaunch": 1}, {}, "disabled")):
            set_policy(env, values, **lists)
            forget(app_ran)
            result, shown = execute_in_script(env, APP + " /script", 1)
            check(shown == [BLOCKED], what + ": the box was shown")
            check(result == "execute=800704EC This command was blocked by your administrator.",
                  what + ": the script gets the policy's error (%s)" % result)
            check(not wait_for(app_ran, 2), what + ": nothing ran")
    finally:
        clear_policy(env)
