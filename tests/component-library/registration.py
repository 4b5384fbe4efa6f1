#!/usr/bin/env python3
"""Registration of the built PelZorvick.ocx by Wine's own regsvr32.

Registers (machine-wide, or per user with /n /i:user), reads the keys back
with Wine's reg (the event log's source among them, machine-wide only),
unregisters, and compares the whole registry of the private prefix before
and after: unregistering must remove exactly what registering wrote. Prints "N passed, N failed" and exits non-zero on any failure.
"""

import argparse
import subprocess
import sys

from wine import Failure, Wine, check, require, summary, winpath

CLSID = "{1CD75988-BC58-46AC-A95E-6EE332F9F6B7}"
LIBID = "{DC7E182D-3E42-4685-9A52-A494A85B2251}"
IID_DUAL = "{C398BD38-FF52-4511-B6FE-61E640D92EBD}"
IID_EVENTS = "{974AB5E5-C54A-4BA8-8561-37EFD65D2DE6}"
PAGES = {"{EB6C13E7-55A4-49DF-B43D-874CC8739BD7}": "PelZorvick General Property Page",
         "{B92BCD82-4094-48F5-A4D0-A64AF72B9958}": "PelZorvick Commands Property Page"}
PROGID = "PelZorvick.ZorvickCtrl.1"
VI_PROGID = "PelZorvick.ZorvickCtrl"


def snapshot(wine):
    return {name: wine.hive(name) for name in ("system.reg", "user.reg")}


def diff(before, after):
    lines = []
    for hive in before:
        b, a = before[hive], after[hive]
        for key in sorted(set(b) | set(a)):
            if key.replace("Wow6432Node\\", "").startswith(UNRELATED):
                continue
            if b.get(key) != a.get(key):
                lines.append("%s %s: %r -> %r" % (hive, key, b.get(key), a.get(key)))
    return lines


# Wine's device set-up rewrites these at every start, and its first start of
# a program writes the others (the prefix is warmed before the first
# snapshot; these stay out should a later start write them again).
UNRELATED = ("System\\", "Hardware\\", "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
             "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
             "Software\\Wine\\FileOpenAssociations", "Software\\Wine\\MenuFiles")


def query(wine, key, native=True):
    """{subkey path: {value name: data}} below key, or None if it is absent.
    Native: as programs of the bitness under test see it, read by Wine's reg
    of that bitness (a 32-bit build is only tested where 32-bit programs run).
    Its 64-bit reg's /reg:32 would miss the keys both views share, ProgIDs
    among them, which a 32-bit registration writes where 64-bit ones do.
    Otherwise: the other view, read by the 64-bit reg."""
    return wine.query(key, bits=wine.bits) if native else wine.query(key, view=96 - wine.bits)


def expected_class(ocx):
    return {
        "": {"(Default)": "ZorvickCtrl Control"},
        "\\InprocServer32": {"(Default)": ocx, "ThreadingModel": "Apartment"},
        "\\ProgID": {"(Default)": PROGID},
        "\\VersionIndependentProgID": {"(Default)": VI_PROGID},
        "\\Control": {"(Default)": ""},
        "\\ToolboxBitmap32": {"(Default)": ocx + ", 30000"},
        "\\MiscStatus": {"(Default)": "0"},
        "\\MiscStatus\\1": {"(Default)": "131473"},
        "\\TypeLib": {"(Default)": LIBID},
        "\\Version": {"(Default)": "1.0"},
        "\\Verb": {},
        "\\Verb\\-7": {"(Default)": "&Properties...,0,2"},
    }


def same_tree(got, want):
    """Equal, comparing values case-insensitively (Wine may change a path's case)."""
    if got is None or set(got) != set(want):
        return False
    return all({k: v.lower() for k, v in got[s].items()} == {k: v.lower() for k, v in want[s].items()}
               for s in want)


def check_class_keys(wine, classes, ocx, native=True):
    got = query(wine, classes + "\\CLSID\\" + CLSID, native)
    want = expected_class(ocx)
    if not check(same_tree(got, want), "class keys under %s\\CLSID" % classes):
        print("   got  %r\n   want %r" % (got, want))
    for clsid, title in PAGES.items():
        got = query(wine, classes + "\\CLSID\\" + clsid, native)
        want = {"": {"(Default)": title}, "\\InprocServer32": {"(Default)": ocx, "ThreadingModel": "Apartment"}}
        if not check(same_tree(got, want), "property page %s under %s\\CLSID" % (title, classes)):
            print("   got  %r\n   want %r" % (got, want))
    got = query(wine, classes + "\\" + PROGID, native)
    check(got == {"": {"(Default)": "ZorvickCtrl Control"}, "\\CLSID": {"(Default)": CLSID}},
          "versioned ProgID " + PROGID)
    got = query(wine, classes + "\\" + VI_PROGID, native)
    check(got == {"": {"(Default)": "ZorvickCtrl Control"}, "\\CLSID": {"(Default)": CLSID},
                  "\\CurVer": {"(Default)": PROGID}},
          "version-independent ProgID " + VI_PROGID)
    for category in ("{7DD95801-9882-11CF-9FA9-00AA006C42C4}", "{7DD95802-9882-11CF-9FA9-00AA006C42C4}"):
        got = query(wine, classes + "\\CLSID\\" + CLSID + "\\Implemented Categories\\" + category, native)
        check(got is None, "not marked safe for scripting or initialising " + category)


def check_typelib(wine, classes, ocx, bits):
    lib = query(wine, classes + "\\TypeLib\\" + LIBID)
    win = "\\1.0\\409\\win%d" % bits
    ok = lib is not None and lib.get(win, {}).get("(Default)", "").lower() == ocx.lower()
    if not check(ok, "type library registered for win%d under %s" % (bits, classes)):
        print("   got %r" % lib)
    for iid in (IID_DUAL, IID_EVENTS):
        got = query(wine, classes + "\\Interface\\" + iid)
        check(got is not None and got.get("\\TypeLib", {}).get("(Default)") == LIBID,
              "interface %s registered with its type library" % iid)


EVENT_SOURCE = "HKLM\\System\\CurrentControlSet\\Services\\EventLog\\Application\\PelZorvick"


def event_source(wine):
    """The event log source's values, or None; the system hive has one view."""
    got = query(wine, EVENT_SOURCE)
    return got and got.get("")


def machine(wine, ocx_win):
    before = snapshot(wine)
    r = wine.native(["regsvr32", "/s", ocx_win])
    check(r.returncode == 0, "regsvr32 registers (rc %d)" % r.returncode)
    classes = "HKLM\\Software\\Classes"
    check_class_keys(wine, classes, ocx_win)
    source = event_source(wine)
    check(source is not None and source.get("EventMessageFile", "").lower() == ocx_win.lower(),
          "the event log source names the module's message table (%r)" % source)
    check(query(wine, "HKCR\\CLSID\\" + CLSID) is not None, "class visible through HKCR")
    check(query(wine, classes + "\\CLSID\\" + CLSID, native=False) is None,
          "class only in the registry view of its bitness")
    check(query(wine, "HKCU\\Software\\Classes\\CLSID\\" + CLSID) is None, "nothing per user")
    check_typelib(wine, classes, ocx_win, wine.bits)
    r = wine.native(["regsvr32", "/u", "/s", ocx_win])
    check(r.returncode == 0, "regsvr32 /u unregisters (rc %d)" % r.returncode)
    check(event_source(wine) is None, "the event log source is removed")
    r = wine.native(["regsvr32", "/u", "/s", ocx_win])
    check(r.returncode == 0, "unregistering again succeeds (rc %d)" % r.returncode)
    left = diff(before, snapshot(wine))
    if not check(not left, "the registry is as before registering"):
        print("\n".join("   " + line for line in left))


def user(wine, ocx_win):
    before = snapshot(wine)
    r = wine.native(["regsvr32", "/s", "/n", "/i:user", ocx_win])
    check(r.returncode == 0, "regsvr32 /n /i:user registers (rc %d)" % r.returncode)
    check_class_keys(wine, "HKCU\\Software\\Classes", ocx_win)
    check(event_source(wine) is None, "no event log source: that takes an administrator")
    for native in (True, False):
        check(query(wine, "HKLM\\Software\\Classes\\CLSID\\" + CLSID, native) is None,
              "nothing under HKLM\\Software\\Classes\\CLSID (%s view)" % ("own" if native else "other"))
        for progid in (PROGID, VI_PROGID):
            check(query(wine, "HKLM\\Software\\Classes\\" + progid, native) is None,
                  "no %s under HKLM (%s view)" % (progid, "own" if native else "other"))
    # Wine's RegisterTypeLibForUser writes to the machine's keys; Windows
    # writes to the user's. Either way the library must be findable.
    lib_user = query(wine, "HKCU\\Software\\Classes\\TypeLib\\" + LIBID)
    lib_machine = query(wine, "HKLM\\Software\\Classes\\TypeLib\\" + LIBID)
    check(lib_user is not None or lib_machine is not None, "type library registered")
    r = wine.native(["regsvr32", "/u", "/s", "/n", "/i:user", ocx_win])
    check(r.returncode == 0, "regsvr32 /u /n /i:user unregisters (rc %d)" % r.returncode)
    r = wine.native(["regsvr32", "/u", "/s", "/n", "/i:user", ocx_win])
    check(r.returncode == 0, "unregistering again succeeds (rc %d)" % r.returncode)
    left = diff(before, snapshot(wine))
    if not check(not left, "the registry is as before registering"):
        print("\n".join("   " + line for line in left))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--wine-run", required=True)
    p.add_argument("--prefix", required=True)
    p.add_argument("--ocx", required=True)
    p.add_argument("--bits", type=int, choices=(32, 64), required=True)
    p.add_argument("mode", choices=("machine", "user"))
    args = p.parse_args()
    wine = Wine(args.wine_run, args.prefix, args.bits, timeout=120)
    try:
        require(wine.init(), "a Wine prefix at " + wine.prefix)
        (machine if args.mode == "machine" else user)(wine, winpath(args.ocx))
    except subprocess.TimeoutExpired as e:
        check(False, "timed out: %s" % e.cmd)
    except Failure:
        pass  # counted where it was found
    finally:
        wine.kill()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
