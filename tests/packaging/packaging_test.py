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
              leaving no key of ours and no file; an older version is
              upgraded, a build differing in the fourth field is the same
              product
  regfree     in a fresh prefix where nothing is registered, a program with
              the shipped application manifest creates and activates the
              control; without the manifest it cannot
  fresh_clone scripts/package, run in a copy of the checkout that holds
              what a clone would (no build/, no dist/), builds dist/
  shared      the two installers of that dist/: every value both write lies
              in a component of the same code and content, named by its
              key; installed side by side, removing either leaves the other
              creatable by ProgID
  own_key     scripts/package signing with an encrypted key and a time-stamp
              server: the password reaches osslsigncode on no command line
              and in no environment, every signature asks for a time stamp

Prints one line per check and "N passed, N failed"; exits non-zero on any
failure.
"""

import argparse
import json
import ntpath
import os
import re
import shutil
import subprocess
import sys
import uuid
import zipfile
from xml.etree import ElementTree

from packaging_support import (
    CLASSES,
    CO_E_CLASSSTRING,
    REDIRECTED,
    REGDB_E_CLASSNOTREG,
    classes_rows,
    compare,
    dist_file,
    event_source,
    expected,
    fresh_prefix,
    msi_registry,
    msi_rows,
    ours,
    snapshot,
    stored_key,
    table_rows,
    views)
from wine import Failure, check, summary, winpath


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
    msi = msi_rows(dist_file(args, "-%s.msi" % args.arch))
    check(sorted(msi) == sorted(table), "the MSI's rows are the table's rows",
          "\n".join("only in MSI: %r" % (r,) for r in sorted(set(msi) - set(table))) + "\n" +
          "\n".join("only in table: %r" % (r,) for r in sorted(set(table) - set(msi))))
    wine = fresh_prefix(args, "rows")
    try:
        module = winpath(args.ocx)
        r = wine.native(["regsvr32", "/s", module])
        check(r.returncode == 0, "regsvr32 registers (rc %d)" % r.returncode)
        got = ours(snapshot(wine), table, views(table))
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


def installed_products(wine, bits=None):
    """DisplayName and DisplayVersion of every installed PelZorvick product."""
    tree = wine.query("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                      view=bits or wine.bits)
    return [(values["DisplayName"], values.get("DisplayVersion")) for values in (tree or {}).values()
            if values.get("DisplayName", "").startswith("PelZorvick")]


def probe(wine, folder):
    r = wine.run([os.path.join(folder, "RegFreeProbe.exe")], cwd=folder)
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
    check(facts.get("verbs") == "0x00000000" and facts.get("verbs.first") == "-7",
          "%s: EnumVerbs lists Properties" % how, facts)
    check(facts.get("page1.create") == "0x00000000" and facts.get("page2.create") == "0x00000000",
          "%s: both property pages created by CLSID" % how, facts)
    check(facts.get("activate") == "0x00000000" and facts.get("activate.window") == "1",
          "%s: activated in a window" % how, facts)


def cscript(wine, folder, bits=None):
    script = os.path.join(folder, "create.vbs")
    with open(script, "w") as f:
        f.write('On Error Resume Next\nSet c = CreateObject("PelZorvick.ZorvickCtrl")\n'
                'If Err.Number <> 0 Then WScript.Echo "create failed " & Err.Number : WScript.Quit 1\n'
                'c.Text = "Installed"\nWScript.Echo "text=" & c.Text\nWScript.Quit 0\n')
    r = wine.run(["cscript", "//nologo", winpath(script)], bits=bits or wine.bits)
    return r.returncode == 0 and "text=Installed" in r.stdout, r.stdout + r.stderr


def build_msi(args, folder, version):
    """This build's installer as the build tool makes it for another version."""
    sources = os.path.join(folder, version)
    os.makedirs(sources, exist_ok=True)
    shutil.copy(args.ocx, os.path.join(sources, "PelZorvick.ocx"))
    shutil.copy(os.path.join(args.templates, "PelZorvick.admx"), sources)
    os.makedirs(os.path.join(sources, "en-US"), exist_ok=True)
    shutil.copy(os.path.join(args.templates, "en-US", "PelZorvick.adml"), os.path.join(sources, "en-US"))
    msi = os.path.join(sources, "PelZorvick.msi")
    r = subprocess.run([args.tool, args.typelib, args.arch, version, sources], capture_output=True, text=True)
    if r.returncode == 0:
        r = subprocess.run(["wixl", "-a", args.arch, "-D", "OcxSource=PelZorvick.ocx", "-o", msi,
                            os.path.join(sources, "PelZorvick.wxs")], capture_output=True, text=True)
    check(r.returncode == 0, "an installer of version %s is built" % version, r.stderr)
    return msi


def install(args):
    table = table_rows(args.rows, args.bits)
    msi = dist_file(args, "-%s.msi" % args.arch)
    folder = os.path.join(args.work, "install")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(args.probe, os.path.join(folder, "RegFreeProbe.exe"))
    wine = fresh_prefix(args, "install")
    try:
        program_files = "Program Files" if args.arch == "x64" else "Program Files (x86)"
        installed = wine.drive_c(program_files, "PelZorvick", "PelZorvick.ocx")
        module = "C:\\%s\\PelZorvick\\PelZorvick.ocx" % program_files
        before = snapshot(wine)
        r = wine.run(["msiexec", "/i", winpath(msi), "/qn"])
        check(r.returncode == 0, "msiexec /i installs quietly (rc %d)" % r.returncode, r.stdout + r.stderr)
        check(os.path.isfile(installed), "the control is installed under %s" % program_files)
        got = ours(snapshot(wine), table, views(table))
        compare(got, expected(table, module, ntpath.dirname(module) + "\\"),
                "the installer wrote exactly the table's rows", fold_case=True)
        source = event_source(wine)
        check(source is not None and module.lower() in source.lower().split(";"),
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
        after = snapshot(wine)
        check(not ours(after, table) and event_source(wine) is None, "no key of ours is left",
              sorted(ours(after, table)))
        check(not os.path.exists(os.path.dirname(installed)), "no file or folder of ours is left")
        check(installed_products(wine) == [], "no product is installed")

        # What Windows Installer compares: the first three fields alone.
        three = ".".join(args.version.split(".")[:3])
        fourth = "%s.%d" % (three, int((args.version.split(".") + ["0"])[3]) + 1)
        for version, what, replaced in (("2.1.0.0", "an older version", True),
                                        (fourth, "a build that differs in the fourth field", False)):
            r = wine.run(["msiexec", "/i", winpath(build_msi(args, folder, version)), "/qn"])
            check(r.returncode == 0 and len(installed_products(wine)) == 1, "%s installs (rc %d)" %
                  (what, r.returncode), installed_products(wine))
            r = wine.run(["msiexec", "/i", winpath(msi), "/qn"])
            products = installed_products(wine)
            if replaced:
                check(r.returncode == 0 and products == [(products[0][0], three)],
                      "%s is upgraded: one product, version %s" % (what, three), products)
                with open(installed, "rb") as f, open(os.path.join(args.dist_ocx_dir, "PelZorvick.ocx"), "rb") as g:
                    check(f.read() == g.read(), "the installed control is the newer one")
            else:
                # Windows refuses the install; Wine takes it for a repair.
                check(len(products) == 1, "%s is the same product: one stays installed" % what, products)
            r = wine.run(["msiexec", "/x", winpath(msi), "/qn"])
            after = snapshot(wine)
            check(r.returncode == 0 and not ours(after, table) and not os.path.exists(installed)
                  and installed_products(wine) == [], "after %s, removal leaves nothing of ours" % what)
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
    wine = fresh_prefix(args, "regfree")
    try:
        facts = probe(wine, bare)
        check(facts.get("clsid.create") == REGDB_E_CLASSNOTREG and facts.get("progid.clsid") == CO_E_CLASSSTRING,
              "without the manifest the class is unknown (nothing is registered)", facts)
        facts = probe(wine, app)
        check_created(facts, "registration-free", same_class=False)
        check(not ours(snapshot(wine), table), "nothing of ours was registered")
    finally:
        wine.close()


def fresh_clone(args):
    clone = os.path.join(args.work, "clone")
    shutil.rmtree(clone, ignore_errors=True)
    # The tree as a commit of it would be cloned: uncommitted edits and new
    # files count, whatever git ignores (build/, dist/) does not.
    def listed(*options):
        r = subprocess.run(["git", "ls-files", "-z"] + list(options), cwd=args.source, capture_output=True, text=True)
        check(r.returncode == 0, "git lists the files of %s" % args.source, r.stderr)
        return set(filter(None, r.stdout.split("\0")))
    for name in sorted(listed("--cached", "--others", "--exclude-standard") - listed("--deleted")):
        os.makedirs(os.path.dirname(os.path.join(clone, name)), exist_ok=True)
        shutil.copy2(os.path.join(args.source, name), os.path.join(clone, name), follow_symlinks=False)
    env = {k: v for k, v in os.environ.items() if not k.startswith("PZ_SIGN_")}
    # Compiling takes the time; ccache gives back only what the same
    # compiler made of the same input, so nothing of the checkout enters.
    if shutil.which("ccache"):
        env.update(CMAKE_C_COMPILER_LAUNCHER="ccache", CMAKE_CXX_COMPILER_LAUNCHER="ccache",
                   CCACHE_DIR=os.path.join(args.work, "ccache"))
    r = subprocess.run([os.path.join(clone, "scripts", "package")], cwd=clone, env=env, capture_output=True,
                       text=True, timeout=3000)
    check(r.returncode == 0, "scripts/package builds dist/ in a fresh clone (rc %d)" % r.returncode,
          (r.stdout + r.stderr)[-3000:])
    dist = os.path.join(clone, "dist")
    names = sorted(os.listdir(dist)) if os.path.isdir(dist) else []
    want = sorted(["PelZorvick-%s-x64.msi" % args.version, "PelZorvick-%s-x86.msi" % args.version,
                   "PelZorvick-%s.zip" % args.version, "PelZorvick-TEST-certificate.pem", "SHA256SUMS"])
    check(names == want, "dist/ holds both installers, the zip, the checksums and the test certificate", names)


def installer_tables(msi):
    """{(stored key, value name): (data, component code)}, and by component
    code the values it holds and its key path's stored key."""
    values, held, key_paths = {}, {}, {}
    for row, component, view in msi_registry(msi):
        stored, code = stored_key(view, row["Key"]), component["ComponentId"]
        values[(stored, row["Name"])] = (row["Value"], code)
        held.setdefault(code, set()).add((stored, row["Name"], row["Value"]))
        if component["KeyPath"] == row["Registry"]:
            key_paths[code] = stored
    return values, held, key_paths


def shared_tables(msis):
    (v64, held64, paths64), (v86, held86, paths86) = (installer_tables(msis[a]) for a in ("x64", "x86"))
    both = sorted(set(v64) & set(v86))
    check(len(both) > 10, "the installers write values in common (%d)" % len(both))
    apart = ["%s %r: x64 %r, x86 %r" % (key, name, v64[(key, name)], v86[(key, name)]) for key, name in both
             if v64[(key, name)] != v86[(key, name)]]
    check(not apart, "each value both installers write has the same data and component code in both",
          "\n".join(apart))
    codes = sorted({v64[kn][1] for kn in both})
    check(all(held64.get(c) == held86.get(c) and paths64.get(c) == paths86.get(c) for c in codes),
          "those components hold the same values and key path in both installers")
    named = {c: "{%s}" % str(uuid.uuid5(uuid.NAMESPACE_URL, "pelzorvick:component:hklm\\" + paths64.get(c, "")))
             .upper() for c in codes}
    check(all(named[c] == c for c in codes), "each one's code follows from its key path", named)


# Stands in for osslsigncode: records each call, then runs the real one
# without the time-stamp server, which no test can reach.
OSSLSIGNCODE_RECORDER = r'''#!/usr/bin/env python3
import json, os, sys
args = sys.argv[1:]
with open(os.environ["PZ_TEST_CALLS"], "a") as f:
    f.write(json.dumps({"argv": args, "environ": list(os.environ.values())}) + "\n")
if "-ts" in args:
    at = args.index("-ts")
    del args[at:at + 2]
os.execv(os.environ["PZ_TEST_REAL"], ["osslsigncode"] + args)
'''


def own_key(args):
    password = "pass %s" % uuid.uuid4()
    cert, key = os.path.join(args.work, "cert.pem"), os.path.join(args.work, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-sha256", "-days", "2",
                    "-subj", "/CN=PelZorvick own-key test", "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", key, "-out", cert, "-passout", "env:PZ_TEST_PASS"],
                   env=dict(os.environ, PZ_TEST_PASS=password), capture_output=True, check=True)
    shims = os.path.join(args.work, "bin")
    os.makedirs(shims, exist_ok=True)
    with open(os.path.join(shims, "osslsigncode"), "w") as f:
        f.write(OSSLSIGNCODE_RECORDER)
    os.chmod(os.path.join(shims, "osslsigncode"), 0o755)
    calls = os.path.join(args.work, "calls.jsonl")
    if os.path.exists(calls):
        os.remove(calls)
    server = "http://127.0.0.1:9/time-stamp"
    env = dict(os.environ, PATH=shims + os.pathsep + os.environ["PATH"], PZ_TEST_CALLS=calls,
               PZ_TEST_REAL=shutil.which("osslsigncode"), PZ_SIGN_CERT=cert, PZ_SIGN_KEY=key,
               PZ_SIGN_KEY_PASS=password, PZ_SIGN_CA=cert, PZ_SIGN_TIMESTAMP=server)
    r = subprocess.run([os.path.join(args.source, "scripts", "package"), "--from", args.build,
                        "--out", os.path.join(args.work, "dist")],
                       env=env, capture_output=True, text=True, timeout=300)
    # It verifies each signature against PZ_SIGN_CA itself.
    check(r.returncode == 0, "scripts/package signs with the encrypted key (rc %d)" % r.returncode,
          r.stdout + r.stderr)
    with open(calls) as f:
        made = [json.loads(line) for line in f]
    signs = [c["argv"] for c in made if c["argv"][:1] == ["sign"]]
    check(len(signs) == 2, "osslsigncode signed two files, the control and its installer", signs)
    check(not any(password in " ".join(c["argv"] + c["environ"]) for c in made),
          "the password is on no command line and in no environment of osslsigncode")
    stamped = [sign[sign.index("-ts") + 1] if "-ts" in sign else None for sign in signs]
    check(stamped == [server] * len(signs), "every signature asks %s for a time stamp" % server, signs)


def runs_win32(args):
    r = subprocess.run(["bash", "-c", '. "$1/lib/wine.sh" && pz_can_run_win32', "bash",
                        os.path.dirname(args.wine_run)])
    return r.returncode == 0


def shared(args):
    msis = {arch: dist_file(args, "-%s.msi" % arch) for arch in ("x64", "x86")}
    shared_tables(msis)
    rows = [row for msi in msis.values() for row in msi_rows(msi)]
    folder = os.path.join(args.work, "scripts")
    os.makedirs(folder, exist_ok=True)
    wine = fresh_prefix(args, "shared")

    def msiexec(action, arch):
        r = wine.run(["msiexec", action, winpath(msis[arch]), "/qn"])
        check(r.returncode == 0, "msiexec %s %s (rc %d)" % (action, os.path.basename(msis[arch]), r.returncode),
              r.stdout + r.stderr)

    try:
        msiexec("/i", "x64")
        msiexec("/i", "x86")
        for gone, left in (("x86", "x64"), ("x64", "x86")):
            msiexec("/x", gone)
            bits = 64 if left == "x64" else 32
            seen = snapshot(wine, bits)
            lost = [row[:3] for row in classes_rows(msi_rows(msis[left]))
                    if row[2] not in seen.get((row[0], row[1].lower()), {})]
            check(not lost, "with the %s installer removed, every value the %s one wrote is there" % (gone, left),
                  lost)
            modules = (event_source(wine) or "").lower().split(";")
            check(len(modules) == 2 and all(m.endswith("\\pelzorvick\\pelzorvick.ocx") for m in modules),
                  "with the %s installer removed, the event source names both products' modules" % gone, modules)
            if bits == 32 and not runs_win32(args):
                print("skipped: creating the x86 control (this machine cannot run 32-bit programs)")
            else:
                ok, out = cscript(wine, folder, bits)
                check(ok, "with the %s installer removed, the %s control is created by ProgID" % (gone, left), out)
            if gone == "x86":
                msiexec("/i", "x86")
        msiexec("/x", "x86")
        check(installed_products(wine, 64) + installed_products(wine, 32) == [], "no product is left")
        # Wine keeps a ProgID per view where Windows keeps one for both: the
        # copy of the product removed first stays, as no one counts it.
        left = {k: v for k, v in ours(snapshot(wine), rows).items()
                if k[1][len(CLASSES):].split("\\")[0] in REDIRECTED + ("typelib",)}
        check(not left, "no class, interface or type library key of ours is left", sorted(left))
    finally:
        wine.close()


def main():
    p = argparse.ArgumentParser()
    modes = {"signatures": signatures, "templates": templates, "rows": rows_mode, "install": install,
             "regfree": regfree, "fresh_clone": fresh_clone, "shared": shared, "own_key": own_key}
    p.add_argument("mode", choices=sorted(modes))
    p.add_argument("--dist", required=True)
    p.add_argument("--arch", choices=("x64", "x86"), required=True)
    p.add_argument("--work", required=True, help="this test's own folder")
    p.add_argument("--wine-run")
    p.add_argument("--ocx")
    p.add_argument("--probe")
    p.add_argument("--sources", help="the build's packaging/sources folder")
    p.add_argument("--templates", help="the folder of the build's administrative template")
    p.add_argument("--version")
    p.add_argument("--source", help="the checkout")
    p.add_argument("--build", help="the Windows build")
    p.add_argument("--tool", help="the build tool that writes the installer's source")
    p.add_argument("--typelib", help="the build's type library")
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
        modes[args.mode](args)
    except subprocess.TimeoutExpired as e:
        check(False, "timed out: %s" % e.cmd)
    except Failure:
        pass  # counted where it was found
    return summary()


if __name__ == "__main__":
    sys.exit(main())
