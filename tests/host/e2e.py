#!/usr/bin/env python3
"""End-to-end tests: zorvick-host places the built PelZorvick.ocx under Wine,
registered by regsvr32 in a private prefix, and the tests read what the host
prints and the pixels of its screenshots. The cases live in e2e_cases.py
(the control's looks, clicks and persistence), e2e_keyboard.py (keys,
focus and what a screen reader finds), e2e_designer.py (the property
pages in Wine's own frame) and e2e_policy.py (the administrator's policy).

usage: e2e.py --wine-run W --prefix P --host H --ocx O --bits 64|32
              --witness EXE --atl-test EXE --box-closer EXE --work DIR
              [--logpixels N] CASE
"""
import argparse
import subprocess
import sys

import e2e_cases
import e2e_designer
import e2e_keyboard
import e2e_policy
from e2e_support import Env
from wine import Failure

CASES = {"setup": e2e_cases.case_setup, "click": e2e_cases.case_click,
         "pixels": e2e_cases.case_pixels, "render": e2e_cases.case_render, "image": e2e_cases.case_image,
         "design": e2e_cases.case_design, "nocommand": e2e_cases.case_nocommand,
         "persistence": e2e_cases.case_persistence, "atl": e2e_cases.case_atl,
         "keyboard": e2e_keyboard.case_keyboard, "focus": e2e_keyboard.case_focus,
         "accessible": e2e_keyboard.case_accessible, "designer": e2e_designer.case_designer,
         "policy": e2e_policy.case_policy, "policy_shell": e2e_policy.case_policy_shell,
         "policy_image": e2e_policy.case_policy_image, "policy_script": e2e_policy.case_policy_script}


def main():
    ap = argparse.ArgumentParser()
    for opt in ("--wine-run", "--prefix", "--host", "--ocx", "--witness", "--atl-test", "--box-closer",
                "--work"):
        ap.add_argument(opt, required=True)
    ap.add_argument("--bits", type=int, choices=(32, 64), required=True)
    ap.add_argument("--logpixels", type=int, default=0)
    ap.add_argument("case", choices=sorted(CASES))
    env = Env(ap.parse_args())
    try:
        CASES[env.a.case](env)
    except (Failure, subprocess.TimeoutExpired) as e:
        print("FAILED:", e, flush=True)
        return 1
    finally:
        if env.a.case != "setup":
            env.kill()
    print("passed:", env.a.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
