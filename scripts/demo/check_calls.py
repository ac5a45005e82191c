#!/usr/bin/env python3
"""Checks what `zirokctl run --script CALLS` printed against CALLS.

Every call must answer without an "error" and with the result 0 (or none,
for property setters), unless its line ends with "# expect R ..." naming the
results it may give ("any" for calls that return a value, not a status).
Prints one line per call and event; exits 1 when a call failed or the host
stopped before the last call.
"""
import json
import re
import sys

EXPECT = re.compile(r"#\s*expect\s+(.*)$")


def expectations(script_path):
    calls = []
    with open(script_path, encoding="utf-8") as script:
        for line in script:
            text = line.strip()
            if not text or text.startswith("#"):
                continue
            allowed = {0, None}
            found = EXPECT.search(text)
            if found:
                words = found.group(1).split("(")[0].split()
                allowed = None if "any" in words else {int(w) for w in words}
            calls.append((text.split()[0], allowed))
    return calls


def main(script_path, output_path):
    calls = expectations(script_path)
    failures = 0
    seen = 0
    with open(output_path, encoding="utf-8") as output:
        for line in output:
            line = line.strip()
            if not line:
                continue
            try:
                record = json.loads(line)
            except json.JSONDecodeError:
                print(f"  ??   {line}")
                failures += 1
                continue
            if "event" in record:
                print(f"       event {record['event']} {record.get('args', [])}")
                continue
            method, allowed = calls[seen] if seen < len(calls) else (record.get("call"), {0})
            seen += 1
            result = record.get("result")
            wrong = "error" in record or (allowed is not None and result not in allowed)
            failures += wrong
            detail = record.get("error") or ""
            if not detail and result not in (0, None):
                detail = f"result {result}, extended {record.get('ResultCodeExtended')}"
                if record.get("ErrorString"):
                    detail += f": {record['ErrorString']}"
            if record.get("out"):
                detail += f" out {record['out']}"
            print(f"  {'FAIL' if wrong else 'ok  '} {method} {detail}".rstrip())
    if seen < len(calls):
        print(f"  FAIL the host stopped after {seen} of {len(calls)} calls")
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: check_calls.py CALLS OUTPUT")
    sys.exit(main(sys.argv[1], sys.argv[2]))
