#!/usr/bin/env python3
"""Tests of what scripts/package writes, one mode per ctest test.

  signatures  the .ocx (from the zip) and the MSI verify against the
              certificate they were signed with; one changed byte fails
  templates   the zip's administrative template is well-formed and names
              exactly the values of the README's table, each in its place
  rows        the registry that DllRegisterServer writes (regsvr32 in a fresh
              prefix), the MSI's Registry table and the build's table of
              rows agree key by key, the event log's source among them
  install     msiexec installs the MSI in a fresh prefix, the control is
              created by ProgID (cscript) and by CLSID, msiexec removes it
              leaving no key of ours and no file; an older version is upgraded
  regfree     in a fresh prefix where nothing is registered, a program with
              the shipped application manifest creates and activates the
              control; without the manifest it cannot

Prints one line per check and "N passed, N failed"; exits non-zero on any
failure.
"""

import argparse
import ntpath
import os
import re
import shutil
import subprocess
import sys
import uuid
import zipfile
from xml.etree import ElementTree

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from packaging_support import (  # noqa: E402  (after the line above)
    CO_E_CLASSSTRING,
    OLEOBJ_E_NOVERBS,
    REGDB_E_CLASSNOTREG,
    Wine,
    check,
    compare,
    dist_file,
    event_source,
    expected,
    msi_rows,
    ours,
    results,
    table_rows,
    views,
    winpath)


# --- modes -------------------------------------------------------------------

def signatures(args):
    cert = os.path.join(args.dist, "PelZorvick-TEST-certificate.pem")
    msi = dist_file(args, "-%s.msi" % args.arch)
    archive = dist_file(args, ".zip")
    os.makedirs(args.work, exist_ok=True)
    with zipfile.ZipFile(archive) as z:
        name = [n for n in z.namelist() if n.endswith("/%s/PelZorvick.ocx" % args.arch)][0]
        ocx = os.path.join(args.work, "signed.ocx")
        with open(ocx, "wb") as f:
            f.write(z.read(name))
    for path in (ocx, msi):
        r = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path],
                           capture_output=True, text=True)
        check(r.returncode == 0, "%s verifies" % os.path.basename(path), r.stdout + r.stderr)
        with open(path, "rb") as f:
            data = bytearray(f.read())
        # Within what the signature covers: the code of the .ocx, the
        # cabinet stream inside the MSI.
        at = len(data) // 3 if path == ocx else data.find(b"MSCF") + 200
        data[at] ^= 0x01
        changed = os.path.join(args.work, os.path.basename(path) + ".changed")
        with open(changed, "wb") as f:
            f.write(data)
        r = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", changed],
                           capture_output=True, text=True)
        check(r.returncode != 0, "%s with one byte changed fails to verify" % os.path.basename(path))
    other = os.path.join(args.work, "other-cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=Another test certificate", "-keyout", os.path.join(args.work, "other-key.pem"),
                    "-out", other], capture_output=True, check=True)
    r = subprocess.run(["osslsigncode", "verify", "-CAfile", other, "-in", msi], capture_output=True, text=True)
    check(r.returncode != 0, "the MSI does not verify against another certificate")
    with open(os.path.join(args.dist, "SHA256SUMS")) as f:
        listed = sorted(line.split()[1] for line in f)
    present = sorted(n for n in os.listdir(args.dist) if n != "SHA256SUMS")
    check(listed == present, "SHA256SUMS lists every file of dist/", "%r vs %r" % (listed, present))
    r = subprocess.run(["sha256sum", "-c", "--quiet", "SHA256SUMS"], cwd=args.dist, capture_output=True, text=True)
    check(r.returncode == 0, "SHA256SUMS matches", r.stdout)


def readme_policy_values():
    """The values the README's table for administrators names."""
    readme = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")
    with open(readme, encoding="utf-8") as f:
        section = f.read().split("## For administrators", 1)[1].split("\n## ", 1)[0]
    return sorted(re.findall(r"^\| `(\w+)` \|", section, re.M))


def templates(args):
    ns = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
    with zipfile.ZipFile(dist_file(args, ".zip")) as z:
        names = {n.split("/", 1)[1]: n for n in z.namelist()}
        parsed = {}
        for name in ("policy/PelZorvick.admx", "policy/en-US/PelZorvick.adml"):
            try:
                parsed[name] = ElementTree.fromstring(z.read(names[name]))
                check(True, "%s is well-formed" % name)
            except (KeyError, ElementTree.ParseError) as e:
                check(False, "%s is in the zip and well-formed" % name, e)
                return
    admx, adml = parsed["policy/PelZorvick.admx"], parsed["policy/en-US/PelZorvick.adml"]
    policies = admx.findall("p:policies/p:policy", ns)
    want = readme_policy_values()
    check(sorted(p.get("name") for p in policies) == want, "the template names exactly the table's values",
          "%r vs %r" % (sorted(p.get("name") for p in policies), want))
    for p in policies:
        name = p.get("name")
        lists = p.findall("p:elements/p:list", ns)
        where = (lists[0].get("key") if lists else p.get("key") + "\\" + p.get("valueName", ""))
        check(where == "Software\\Policies\\PelZorvick\\" + name and p.get("class") == "Both" and
              p.find("p:parentCategory", ns).get("ref") == "PelZorvick" and
              p.find("p:supportedOn", ns).get("ref") is not None,
              "%s: its registry place, both hives, category and platforms" % name, where)
    strings = {s.get("id") for s in adml.findall("p:resources/p:stringTable/p:string", ns)}
    boxes = {b.get("refId") for b in adml.findall("p:resources/p:presentationTable/p:presentation/p:listBox", ns)}
    text = ElementTree.tostring(admx, encoding="unicode")
    used = set(re.findall(r"\$\(string\.(\w+)\)", text))
    check(used and used <= strings, "every string the template uses is in the language file", used - strings)
    check({l.get("id") for l in admx.iter("{%s}list" % ns["p"])} == boxes,
          "every pattern list has its list box")


def rows_mode(args):
    table = table_rows(args.rows, args.bits)
    msi = msi_rows(args, dist_file(args, "-%s.msi" % args.arch))
    check(sorted(msi) == sorted(table), "the MSI's rows are the table's rows",
          "\n".join("only in MSI: %r" % (r,) for r in sorted(set(msi) - set(table))) + "\n" +
          "\n".join("only in table: %r" % (r,) for r in sorted(set(table) - set(msi))))
    wine = Wine(args, "rows")
    try:
        module = winpath(args.ocx)
        r = wine.native(["regsvr32", "/s", module])
        check(r.returncode == 0, "regsvr32 registers (rc %d)" % r.returncode)
        got = ours(wine.snapshot(), table, views(table))
        # RegisterTypeLib writes the folder without the final backslash that
        # an installer's folder property carries.
        want = expected(table, module, ntpath.dirname(module))
        compare(got, want, "DllRegisterServer wrote exactly the table's rows")
        msi_want = expected(msi, module, ntpath.dirname(module))
        compare(got, msi_want, "DllRegisterServer wrote exactly the MSI's rows")
        source = event_source(wine)
        check(source is not None and source.lower() == module.lower(),
              "DllRegisterServer registered the event source for the module", source)
    finally:
        wine.close()


def installed_products(wine):
    """DisplayName and DisplayVersion of every installed PelZorvick product."""
    r = wine.run(["reg", "query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "/s",
                  "/reg:%d" % wine.a.bits])
    found, current = [], {}
    for line in r.stdout.splitlines() + ["HKEY_END"]:
        if line.startswith("HKEY_"):
            if current.get("DisplayName", "").startswith("PelZorvick"):
                found.append((current["DisplayName"], current.get("DisplayVersion")))
            current = {}
        else:
            m = re.match(r"^\s+(\S+)\s+REG_\w+\s+(.*)$", line)
            if m:
                current[m.group(1)] = m.group(2)
    return found


def probe(wine, folder):
    r = wine.run([os.path.join(folder, "RegFreeProbe.exe")], cwd=folder, bits=None)
    facts = dict(line.split("=", 1) for line in r.stdout.splitlines() if "=" in line)
    check(r.returncode == 0 and facts.get("done") == "1", "the probe ran in %s (rc %d)" %
          (os.path.basename(folder), r.returncode), r.stdout + r.stderr)
    return facts


def check_created(facts, how, same_class=True):
    check(facts.get("clsid.create") == "0x00000000", "%s: created by CLSID" % how, facts)
    # Through a manifest Wine answers a ProgID with an alias of the class,
    # which creates the same control.
    check(facts.get("progid.create") == "0x00000000" and (facts.get("progid.same_class") == "1" or not same_class),
          "%s: created by ProgID" % how, facts)
    check(facts.get("progid1.create") == "0x00000000", "%s: created by the versioned ProgID" % how, facts)
    check(facts.get("property.value") == "Side by side", "%s: a property set and read back" % how, facts)
    check(facts.get("user_type.full") == "ZorvickCtrl Control", "%s: GetUserType answers" % how, facts)
    check(facts.get("verbs") == OLEOBJ_E_NOVERBS, "%s: EnumVerbs answers that there are no verbs" % how, facts)
    check(facts.get("activate") == "0x00000000" and facts.get("activate.window") == "1",
          "%s: activated in a window" % how, facts)


def cscript(wine, folder):
    script = os.path.join(folder, "create.vbs")
    with open(script, "w") as f:
        f.write('On Error Resume Next\nSet c = CreateObject("PelZorvick.ZorvickCtrl")\n'
                'If Err.Number <> 0 Then WScript.Echo "create failed " & Err.Number : WScript.Quit 1\n'
                'c.Text = "Installed"\nWScript.Echo "text=" & c.Text\nWScript.Quit 0\n')
    r = wine.native(["cscript", "//nologo", winpath(script)])
    return r.returncode == 0 and "text=Installed" in r.stdout, r.stdout + r.stderr


def build_older_msi(args, folder):
    """The same installer claiming version 2.1.0.0, with its own product code."""
    with open(os.path.join(args.sources, "PelZorvick.wxs")) as f:
        wxs = re.sub(r'(<Product [^>]*Version=")[^"]*"', r'\g<1>2.1.0.0"', f.read())
    with open(os.path.join(folder, "PelZorvick.wxs"), "w") as f:
        f.write(wxs)
    shutil.copy(args.ocx, os.path.join(folder, "PelZorvick.ocx"))
    shutil.copy(os.path.join(args.templates, "PelZorvick.admx"), folder)
    os.makedirs(os.path.join(folder, "en-US"), exist_ok=True)
    shutil.copy(os.path.join(args.templates, "en-US", "PelZorvick.adml"), os.path.join(folder, "en-US"))
    msi = os.path.join(folder, "older.msi")
    r = subprocess.run(["wixl", "-a", args.arch, "-D", "ProductCode={%s}" % str(uuid.uuid4()).upper(),
                        "-D", "OcxSource=PelZorvick.ocx", "-o", msi, os.path.join(folder, "PelZorvick.wxs")],
                       capture_output=True, text=True)
    check(r.returncode == 0, "an installer of version 2.1.0.0 is built", r.stderr)
    return msi


def install(args):
    table = table_rows(args.rows, args.bits)
    msi = dist_file(args, "-%s.msi" % args.arch)
    folder = os.path.join(args.work, "install")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(args.probe, os.path.join(folder, "RegFreeProbe.exe"))
    wine = Wine(args, "install")
    try:
        program_files = "Program Files" if args.arch == "x64" else "Program Files (x86)"
        installed = wine.drive_c(program_files, "PelZorvick", "PelZorvick.ocx")
        module = "C:\\%s\\PelZorvick\\PelZorvick.ocx" % program_files
        before = wine.snapshot()
        r = wine.run(["msiexec", "/i", winpath(msi), "/qn"])
        check(r.returncode == 0, "msiexec /i installs quietly (rc %d)" % r.returncode, r.stdout + r.stderr)
        check(os.path.isfile(installed), "the control is installed under %s" % program_files)
        got = ours(wine.snapshot(), table, views(table))
        compare(got, expected(table, module, ntpath.dirname(module) + "\\"),
                "the installer wrote exactly the table's rows", fold_case=True)
        source = event_source(wine)
        check(source is not None and source.lower() == module.lower(),
              "the installer registered the event source for the control", source)
        folder_of = os.path.dirname(installed)
        check(os.path.isfile(os.path.join(folder_of, "PelZorvick.admx")) and
              os.path.isfile(os.path.join(folder_of, "en-US", "PelZorvick.adml")),
              "the administrative template is installed beside the control")
        ok, out = cscript(wine, folder)
        check(ok, "cscript creates the control by ProgID and sets a property", out)
        facts = probe(wine, folder)
        check_created(facts, "installed")
        r = wine.run(["msiexec", "/x", winpath(msi), "/qn"])
        check(r.returncode == 0, "msiexec /x removes it (rc %d)" % r.returncode, r.stdout + r.stderr)
        after = wine.snapshot()
        check(not ours(after, table) and event_source(wine) is None, "no key of ours is left",
              sorted(ours(after, table)))
        check(not os.path.exists(os.path.dirname(installed)), "no file or folder of ours is left")
        check(installed_products(wine) == [], "no product is installed")

        older = build_older_msi(args, folder)
        r = wine.run(["msiexec", "/i", winpath(older), "/qn"])
        check(r.returncode == 0 and len(installed_products(wine)) == 1, "the older version installs (rc %d)" %
              r.returncode, installed_products(wine))
        r = wine.run(["msiexec", "/i", winpath(msi), "/qn"])
        products = installed_products(wine)
        check(r.returncode == 0 and len(products) == 1 and products[0][1] == args.version,
              "the newer version upgrades it: one product, version %s" % args.version, products)
        with open(installed, "rb") as f, open(os.path.join(args.dist_ocx_dir, "PelZorvick.ocx"), "rb") as g:
            check(f.read() == g.read(), "the installed control is the newer one")
        r = wine.run(["msiexec", "/x", winpath(msi), "/qn"])
        after = wine.snapshot()
        check(r.returncode == 0 and not ours(after, table) and not os.path.exists(installed)
              and installed_products(wine) == [], "after the upgrade, removal leaves nothing of ours")
    finally:
        wine.close()


def regfree(args):
    table = table_rows(args.rows, args.bits)
    app = os.path.join(args.work, "regfree-app")
    bare = os.path.join(args.work, "regfree-bare")
    for folder in (app, bare):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(args.probe, os.path.join(folder, "RegFreeProbe.exe"))
    # The shipped files, as a user would take them from the zip.
    with zipfile.ZipFile(dist_file(args, ".zip")) as z:
        for name in z.namelist():
            base = name.split("/", 1)[1]
            if base in ("%s/PelZorvick.ocx" % args.arch, "%s/PelZorvick.manifest" % args.arch):
                target = os.path.join(app, os.path.basename(base))
            elif base == "example/%s/Example.exe.manifest" % args.arch:
                target = os.path.join(app, "RegFreeProbe.exe.manifest")
            else:
                continue
            with open(target, "wb") as f:
                f.write(z.read(name))
    check(sorted(os.listdir(app)) == ["PelZorvick.manifest", "PelZorvick.ocx", "RegFreeProbe.exe",
                                      "RegFreeProbe.exe.manifest"], "the zip holds the side-by-side files")
    wine = Wine(args, "regfree")
    try:
        facts = probe(wine, bare)
        check(facts.get("clsid.create") == REGDB_E_CLASSNOTREG and facts.get("progid.clsid") == CO_E_CLASSSTRING,
              "without the manifest the class is unknown (nothing is registered)", facts)
        facts = probe(wine, app)
        check_created(facts, "registration-free", same_class=False)
        check(not ours(wine.snapshot(), table), "nothing of ours was registered")
    finally:
        wine.close()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("mode", choices=("signatures", "templates", "rows", "install", "regfree"))
    p.add_argument("--dist", required=True)
    p.add_argument("--arch", choices=("x64", "x86"), required=True)
    p.add_argument("--work", required=True, help="this test's own folder")
    p.add_argument("--wine-run")
    p.add_argument("--ocx")
    p.add_argument("--probe")
    p.add_argument("--sources", help="the build's packaging/sources folder")
    p.add_argument("--templates", help="the folder of the build's administrative template")
    p.add_argument("--version")
    args = p.parse_args()
    args.rows = args.sources and os.path.join(args.sources, "registry-rows.tsv")
    args.bits = 64 if args.arch == "x64" else 32
    os.makedirs(args.work, exist_ok=True)
    if args.mode == "install":
        # The signed .ocx that the MSI carries, for comparing the installed one.
        args.dist_ocx_dir = os.path.join(args.work, "from-zip")
        os.makedirs(args.dist_ocx_dir, exist_ok=True)
        with zipfile.ZipFile(dist_file(args, ".zip")) as z:
            name = [n for n in z.namelist() if n.endswith("/%s/PelZorvick.ocx" % args.arch)][0]
            with open(os.path.join(args.dist_ocx_dir, "PelZorvick.ocx"), "wb") as f:
                f.write(z.read(name))
    try:
        {"signatures": signatures, "templates": templates, "rows": rows_mode, "install": install,
         "regfree": regfree}[args.mode](args)
    except subprocess.TimeoutExpired as e:
        check(False, "timed out: %s" % e.cmd)
    print("%d passed, %d failed" % (results["passed"], results["failed"]))
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
