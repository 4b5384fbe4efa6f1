"""What the Python tests under Wine share: checks and their count, the path by
which Windows programs find a file, a private prefix whose programs start
through scripts/wine-run, and the two readings of its registry (the files
wineserver writes, and Wine's reg as programs of one bitness see it)."""

import os
import re
import shutil
import subprocess

results = {"passed": 0, "failed": 0}


class Failure(Exception):
    """A check that the rest of a test stands on did not hold."""


def check(ok, what, detail=None):
    """Counts and prints one check; returns whether it held."""
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok and detail:
        print("   " + str(detail).replace("\n", "\n   "), flush=True)
    return ok


def require(ok, what, detail=None):
    """A check the rest of a test stands on: its failure ends the test."""
    if not check(ok, what, detail):
        raise Failure(what)


def summary():
    """Prints the counts; the exit status of the test."""
    print("%d passed, %d failed" % (results["passed"], results["failed"]))
    return 1 if results["failed"] else 0


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Wine:
    """A private prefix for the build of `bits` bits under test. wine-run
    picks each program's loader: ours start by the loader of their own
    bitness, Wine's own (regsvr32, reg, cscript, msiexec) by the 64-bit one
    unless a call's `bits` asks for 32."""

    def __init__(self, wine_run, prefix, bits, logpixels=0, timeout=300):
        self.wine_run, self.prefix, self.bits = wine_run, os.path.abspath(prefix), bits
        self.logpixels, self.timeout = logpixels, timeout
        self.env = dict(os.environ, WINEPREFIX=self.prefix)

    def _command(self):
        cmd = [self.wine_run, "--prefix", self.prefix]
        return cmd + ["--logpixels", str(self.logpixels)] if self.logpixels else cmd

    def init(self, fresh=False):
        """Makes the prefix (anew if `fresh`); whether that worked."""
        if fresh:
            shutil.rmtree(self.prefix, ignore_errors=True)
        return subprocess.run(self._command() + ["--init-only"], timeout=300).returncode == 0

    def run(self, argv, bits=None, cwd=None, merged=False, timeout=None, env_extra=None):
        """The program's output as text with LF line ends; `merged` puts its
        standard error into its standard output, in order; `env_extra` adds
        to the environment (WINEDEBUG channels, say)."""
        loader = ["--wine%d" % bits] if bits else []
        p = subprocess.run(self._command() + loader + argv, cwd=cwd, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT if merged else subprocess.PIPE,
                           timeout=timeout or self.timeout,
                           env=dict(os.environ, **env_extra) if env_extra else None)
        p.stdout = _text(p.stdout)
        p.stderr = _text(p.stderr)
        return p

    def native(self, argv, **kwargs):
        """Wine's own program of the bitness under test."""
        return self.run(argv, bits=self.bits, **kwargs)

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def settle(self):
        # wineserver writes the registry files when it exits.
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)

    def kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL, timeout=60)

    def close(self):
        """Ends the prefix's programs; a prefix takes over a gigabyte, so it
        is kept only when a check failed, to look into."""
        self.kill()
        if not results["failed"]:
            shutil.rmtree(self.prefix, ignore_errors=True)

    def hive(self, name):
        """The registry file `name` (system.reg, user.reg) once written."""
        self.settle()
        return read_hive(os.path.join(self.prefix, name))

    def query(self, key, bits=None, view=None):
        """{subkey below key ("" for the key): {value name: data}} as Wine's
        reg of `bits` lists it, in the registry view `view` (32 or 64) if
        given; None if the key is absent."""
        r = self.run(["reg", "query", key, "/s"] + (["/reg:%d" % view] if view else []), bits=bits)
        if r.returncode != 0:
            return None
        root, _, rest = key.partition("\\")
        full = ROOTS.get(root.upper(), root) + "\\" + rest
        tree, current = {}, None
        for line in r.stdout.splitlines():
            if line.upper().startswith("HKEY_"):
                current = line[len(full):] if line.lower().startswith(full.lower()) else line
                tree.setdefault(current, {})
            elif current is not None:
                m = REG_VALUE.match(line)
                if m:
                    tree[current][m.group(1)] = m.group(3) or ""
        return tree


def _text(data):
    return None if data is None else data.decode("utf-8", "replace").replace("\r\n", "\n")


ROOTS = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER", "HKCR": "HKEY_CLASSES_ROOT"}
REG_VALUE = re.compile(r"^    (.+?)    (REG_\w+)(?:    (.*))?$")
HIVE_VALUE = re.compile(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$')


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def read_hive(path):
    """A registry file of Wine's as {key: {value name: data}}: names as the
    registry has them ("" for a key's default value), a string's data as its
    text, any other data as the file writes it."""
    keys, current, value = {}, None, None
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = [line.rstrip("\n") for line in f]
    for line in lines:
        if value is not None:
            # Long binary data goes on over lines that end in a backslash.
            current[value] += line.strip().rstrip("\\")
            value = value if line.endswith("\\") else None
        elif line.startswith("["):
            current = keys.setdefault(unescape(line[1:line.rindex("]")]), {})
        elif current is not None:
            # Comments (#time, #class, #link) are Wine's own bookkeeping.
            m = HIVE_VALUE.match(line)
            if m:
                name = "" if m.group(1) == "@" else unescape(m.group(2))
                data = m.group(3)
                if len(data) >= 2 and data[0] == data[-1] == '"':
                    current[name] = unescape(data[1:-1])
                else:
                    current[name] = data.rstrip("\\")
                    value = name if data.endswith("\\") else None
    # The file lists only keys with values or without subkeys; the others
    # exist all the same.
    for key in list(keys):
        parts = key.split("\\")
        for n in range(1, len(parts)):
            keys.setdefault("\\".join(parts[:n]), {})
    return keys
