"""What the packaging tests share: a fresh private prefix, the registry as a
snapshot of the classes root (as programs of a bitness see it), the build's
table of rows and the MSI's, and their comparison."""

import os
import re
import subprocess

from wine import Wine, check, require

CLASSES = "Software\\Classes\\"
REGDB_E_CLASSNOTREG = "0x80040154"
CO_E_CLASSSTRING = "0x800401F3"


def fresh_prefix(args, name):
    """A fresh private prefix of this test."""
    wine = Wine(args.wine_run, os.path.join(args.work, name + "-prefix"), args.bits)
    require(wine.init(fresh=True), "a fresh Wine prefix for " + name)
    return wine


def snapshot(wine, bits=None):
    """The registry below the classes root as programs of `bits` (the
    bitness under test unless given) see it: {(view, key lower case): {value
    name: data}}, keys without values included."""
    keys = {}
    for key, values in wine.hive("system.reg").items():
        if key.lower().startswith(CLASSES.lower()):
            rest = key[len(CLASSES):]
            view = "64"
            if rest.lower().startswith("wow6432node\\"):
                view, rest = "32", rest[len("Wow6432Node\\"):]
            keys.setdefault((view, (CLASSES + rest).lower()), {}).update(values)
    return as_seen_by(keys, bits or wine.bits)


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


def msi_table(msi, table):
    """One table of an MSI as a list of {column: text}."""
    r = subprocess.run(["msiinfo", "export", msi, table], capture_output=True, text=True)
    check(r.returncode == 0, "msiinfo reads the %s table of %s" % (table, os.path.basename(msi)), r.stderr)
    lines = [line.rstrip("\r") for line in r.stdout.splitlines()]
    columns = lines[0].split("\t") if lines else []
    return [dict(zip(columns, line.split("\t") + [""] * len(columns))) for line in lines[3:] if line]


def msi_registry(msi):
    """The MSI's Registry rows, each with its component and the view that
    component writes: [(row, component, "64" or "32")]."""
    components = {c["Component"]: c for c in msi_table(msi, "Component")}
    table = msi_table(msi, "Registry")
    check(all(row["Root"] == "2" for row in table), "every installer row is below HKEY_LOCAL_MACHINE")
    return [(row, components[row["Component_"]], "64" if int(components[row["Component_"]]["Attributes"]) & 0x100
             else "32") for row in table]


def msi_rows(msi):
    """The MSI's Registry table as table_rows gives the build's."""
    return [(view, row["Key"], row["Name"], row["Value"]) for row, _, view in msi_registry(msi)]


def stored_key(view, key):
    """Where 64-bit Windows keeps a key of a view, lower case: below the
    REDIRECTED keys and the rest of HKLM\\Software the 32-bit view has keys of
    its own under Wow6432Node, elsewhere both views share one."""
    key = key.lower()
    software, classes = "software\\", CLASSES.lower()
    if view == "64":
        return key
    if key.startswith(classes):
        rest = key[len(classes):]
        return classes + "wow6432node\\" + rest if rest.split("\\")[0] in REDIRECTED else key
    return software + "wow6432node\\" + key[len(software):] if key.startswith(software) else key


def dist_file(args, suffix):
    names = [n for n in os.listdir(args.dist) if n.endswith(suffix)]
    return os.path.join(args.dist, names[0]) if len(names) == 1 else None
