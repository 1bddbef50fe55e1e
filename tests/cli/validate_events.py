#!/usr/bin/python3
"""Checks the JSON Lines of qzh900ctl --json (standard input) against the schema (argument 1):
every line one valid event, a start event first, one summary event last, timestamps that never
go back. Prints one line per problem; exit status 1 when there is any."""
import json
import sys

from jsonschema import Draft202012Validator


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    Draft202012Validator.check_schema(schema)
    validator = Draft202012Validator(schema)
    problems = []
    events = []
    for number, line in enumerate(sys.stdin.read().splitlines(), 1):
        try:
            event = json.loads(line)
        except ValueError as e:
            problems.append(f"line {number}: not JSON ({e}): {line[:120]}")
            continue
        for error in validator.iter_errors(event):
            path = "/".join(str(p) for p in error.absolute_path)
            problems.append(f"line {number}: {path}: {error.message}")
        events.append(event)
    kinds = [e.get("event") for e in events]
    if not events or kinds[0] != "start":
        problems.append("the first event is no start event")
    if not events or kinds[-1] != "summary" or kinds.count("summary") != 1:
        problems.append("the last event, and only it, must be the summary")
    times = [e.get("t_ms", 0) for e in events]
    if any(b < a for a, b in zip(times, times[1:])):
        problems.append("t_ms goes back")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
