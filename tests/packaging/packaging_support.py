"""What the packaging tests share: a fresh private prefix, the registry as a
snapshot of the classes root (as programs of a bitness see it), the build's
table of rows and the MSI's, and their comparison."""

import os
import subprocess

from wine import Wine, check, require

CLASSES = "Software\\Classes\\"
REGDB_E_CLASSNOTREG = "0x80040154"
CO_E_CLASSSTRING = "0x800401F3"
OLEOBJ_E_NOVERBS = "0x80040180"


def fresh_prefix(args, name):
    """A fresh private prefix of this test."""
    wine = Wine(args.wine_run, os.path.join(args.work, name + "-prefix"), args.bits)
    require(wine.init(fresh=True), "a fresh Wine prefix for " + name)
    return wine


def snapshot(wine):
    """The registry below the classes root as programs of the bitness under
    test see it: {(view, key lower case): {value name: data}}, keys without
    values included."""
    keys = {}
    for key, values in wine.hive("system.reg").items():
        if key.lower().startswith(CLASSES.lower()):
            rest = key[len(CLASSES):]
            view = "64"
            if rest.lower().startswith("wow6432node\\"):
                view, rest = "32", rest[len("Wow6432Node\\"):]
            keys.setdefault((view, (CLASSES + rest).lower()), {}).update(values)
    return as_seen_by(keys, wine.bits)


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


def expected(rows, module, helpdir):
    """The table as a snapshot would show it, for the module's path."""
    want = {}
    for view, key, name, value in rows:
        value = value.replace("[#PelZorvick.ocx]", module).replace("[INSTALLDIR]", helpdir)
        want.setdefault((view, key.lower()), {})[name] = value
    return want


def roots(rows):
    """The keys of ours below the classes root, each removed whole."""
    out = set()
    for _, key, _, _ in rows:
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
