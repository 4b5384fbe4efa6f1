#!/usr/bin/env python3
"""End-to-end tests: zorvick-host places the built PelZorvick.ocx under Wine,
registered by regsvr32 in a private prefix, and the tests read what the host
prints and the pixels of its screenshots. The cases live in e2e_cases.py
(the control's looks, clicks and persistence), e2e_keyboard.py (keys,
focus and what a screen reader finds) and e2e_policy.py (the administrator's
policy).

usage: e2e.py --wine-run W --prefix P --host H --ocx O --bits 64|32
              --witness EXE --atl-test EXE --box-closer EXE --work DIR
              [--logpixels N] CASE
"""
import argparse
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import e2e_cases  # noqa: E402
import e2e_keyboard  # noqa: E402
import e2e_policy  # noqa: E402
from e2e_support import Env, Failure  # noqa: E402

CASES = {"setup": e2e_cases.case_setup, "click": e2e_cases.case_click,
         "pixels": e2e_cases.case_pixels, "image": e2e_cases.case_image,
         "design": e2e_cases.case_design, "nocommand": e2e_cases.case_nocommand,
         "persistence": e2e_cases.case_persistence, "atl": e2e_cases.case_atl,
         "keyboard": e2e_keyboard.case_keyboard, "focus": e2e_keyboard.case_focus,
         "accessible": e2e_keyboard.case_accessible, "policy": e2e_policy.case_policy,
         "policy_shell": e2e_policy.case_policy_shell, "policy_image": e2e_policy.case_policy_image,
         "policy_script": e2e_policy.case_policy_script}


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
