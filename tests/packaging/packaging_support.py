"""What the packaging tests share: the check counter, a private Wine prefix,
the registry as a snapshot of the classes root (as programs of a bitness see
it), the build's table of rows and the MSI's, and their comparison."""

import os
import re
import shutil
import subprocess

results = {"passed": 0, "failed": 0}
CLASSES = "Software\\Classes\\"
REGDB_E_CLASSNOTREG = "0x80040154"
CO_E_CLASSSTRING = "0x800401F3"
OLEOBJ_E_NOVERBS = "0x80040180"


def check(ok, what, detail=None):
    results["passed" if ok else "failed"] += 1
    print(("ok   " if ok else "FAIL ") + what)
    if not ok and detail:
        print("   " + str(detail).replace("\n", "\n   "))
    return ok


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Wine:
    """A fresh private prefix of this test, started through wine-run."""

    def __init__(self, args, name):
        self.a = args
        self.prefix = os.path.join(args.work, name + "-prefix")
        shutil.rmtree(self.prefix, ignore_errors=True)
        subprocess.run([args.wine_run, "--prefix", self.prefix, "--init-only"], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.prefix)

    def run(self, argv, cwd=None, bits=64):
        """Wine's own programs by the loader of `bits`; a program of ours
        (bits None) by the loader of its own bitness."""
        loader = ["--wine%d" % bits] if bits else []
        return subprocess.run([self.a.wine_run, "--prefix", self.prefix] + loader + argv, cwd=cwd,
                              capture_output=True, text=True, errors="replace", timeout=300)

    def native(self, argv):
        """Wine's own program of the bitness under test (regsvr32, cscript)."""
        return self.run(argv, bits=self.a.bits)

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def snapshot(self):
        """The registry below the classes root: {(view, key lower case):
        {value name: data}}, keys without values included."""
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        return as_seen_by(read_classes(os.path.join(self.prefix, "system.reg")), self.a.bits)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def read_classes(path):
    keys, current = {}, None
    prefix = CLASSES.lower()
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("["):
                key = unescape(line[1:line.rindex("]")])
                current = None
                if key.lower().startswith(prefix):
                    rest = key[len(CLASSES):]
                    view = "64"
                    if rest.lower().startswith("wow6432node\\"):
                        view, rest = "32", rest[len("Wow6432Node\\"):]
                    current = keys.setdefault((view, (CLASSES + rest).lower()), {})
            elif current is not None:
                m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")="((?:[^"\\]|\\.)*)"$', line)
                if m:
                    current["" if m.group(1) == "@" else unescape(m.group(2))] = unescape(m.group(3))
    return keys


# Below the classes root only these are kept apart per bitness (64-bit
# Windows 7 and later, and Wine); every other key, ProgIDs and type libraries
# among them, is shared, so a 32-bit registration's may stand in either view.
REDIRECTED = ("clsid", "interface", "directshow", "media type", "mediafoundation")


def as_seen_by(snapshot, bits):
    """The snapshot as programs of `bits` see it: to 32-bit ones a shared key
    in the 64-bit view is theirs too."""
    if bits != 32:
        return snapshot
    seen = dict(snapshot)
    for (view, key), values in snapshot.items():
        first = key[len(CLASSES):].split("\\")[0]
        if view == "64" and first not in REDIRECTED:
            seen.setdefault(("32", key), values)
    return seen


def table_rows(path, bits):
    """registry-rows.tsv as [(view, key, name, value)], the view "64" or "32"."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip():
                view, key, name, value = line.rstrip("\n").split("\t")
                rows.append(("%d" % bits if view == "native" else view, key, name, value))
    return rows


def classes_rows(rows):
    """The rows below the classes root, which the snapshots compare."""
    return [row for row in rows if row[1].lower().startswith(CLASSES.lower())]


def event_source(wine):
    """EventMessageFile of the event log's source PelZorvick, or None."""
    r = wine.run(["reg", "query", "HKLM\\System\\CurrentControlSet\\Services\\EventLog\\Application\\PelZorvick",
                  "/v", "EventMessageFile"])
    m = re.search(r"EventMessageFile\s+REG_\w+\s+(.*)", r.stdout) if r.returncode == 0 else None
    return m.group(1).strip() if m else None


def expected(rows, module, helpdir):
    """The table as a snapshot would show it, for the module's path."""
    want = {}
    for view, key, name, value in classes_rows(rows):
        value = value.replace("[#PelZorvick.ocx]", module).replace("[INSTALLDIR]", helpdir)
        want.setdefault((view, key.lower()), {})[name] = value
    return want


def roots(rows):
    """The keys of ours below the classes root, each removed whole."""
    out = set()
    for _, key, _, _ in classes_rows(rows):
        parts = key[len(CLASSES):].split("\\")
        n = 2 if parts[0].lower() in ("clsid", "typelib", "interface") else 1
        out.add((CLASSES + "\\".join(parts[:n])).lower())
    return out


def ours(snapshot, rows, views=("32", "64")):
    r = roots(rows)
    return {k: v for k, v in snapshot.items()
            if k[0] in views and any(k[1] == x or k[1].startswith(x + "\\") for x in r)}


def views(rows):
    """The registry views the table writes. A 32-bit registration on a 64-bit
    system also tells 64-bit programs about the interfaces, which a 32-bit
    installer cannot write: that view is left out of the comparisons."""
    return tuple(sorted({row[0] for row in rows}))


def compare(got, want, what, fold_case=False):
    norm = (lambda s: s.lower()) if fold_case else (lambda s: s)
    lines = []
    got = {k: v for k, v in got.items() if v}
    for key in sorted(set(got) | set(want)):
        g = {n: norm(v) for n, v in got.get(key, {}).items()}
        w = {n: norm(v) for n, v in want.get(key, {}).items()}
        if g != w:
            lines.append("%s %s: got %r, want %r" % (key[0], key[1], got.get(key), want.get(key)))
    return check(not lines, what, "\n".join(lines))


def msi_rows(args, msi):
    r = subprocess.run(["msiinfo", "export", msi, "Registry"], capture_output=True, text=True)
    check(r.returncode == 0, "msiinfo reads the Registry table", r.stderr)
    rows, roots_ok = [], True
    for line in r.stdout.splitlines()[3:]:
        cols = line.rstrip("\r").split("\t")
        if len(cols) != 6:
            continue
        _, root, key, name, value, component = cols
        roots_ok &= root == "2"
        rows.append(("32" if component == "Interfaces32" or args.bits == 32 else "64", key, name, value))
    check(roots_ok, "every installer row is below HKEY_LOCAL_MACHINE")
    return rows


def dist_file(args, suffix):
    names = [n for n in os.listdir(args.dist) if n.endswith(suffix)]
    return os.path.join(args.dist, names[0]) if len(names) == 1 else None
