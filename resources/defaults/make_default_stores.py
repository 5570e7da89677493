#!/usr/bin/env python3
"""Writes the shipped default stores of Ventaro.

LightSetConfig.dat: the recommended light themes of LightThemes.txt as a
record table (section LightSetConfig with RecordBaseID, one section RID_n per
theme). GameTaskConfig.dat: an empty game-mode table (RecordBaseID=0).

Both are profile files in UTF-16LE with a byte-order mark and CRLF line ends,
the form in which the Windows profile functions keep Chinese text intact on
any system code page. Standard library only; run by the build:
    make_default_stores.py --themes LightThemes.txt --out build/bin
"""
import argparse
import os
import re
import sys

MODES = {1, 2, 3, 4}
INTERVALS = {5000, 10000, 30000, 60000}
DEFAULT_THEME = "Orvane"
MAX_NAME = 199


def fail(path, line_no, message):
    sys.exit(f"{path}:{line_no}: {message}")


def read_themes(path):
    themes = []
    with open(path, encoding="utf-8") as f:
        for line_no, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            fields = line.split()
            if len(fields) != 6:
                fail(path, line_no, "expected: name colour mode interval brightness light")
            name, colour, mode, interval, brightness, light = fields
            if len(name) > MAX_NAME:
                fail(path, line_no, f"name longer than {MAX_NAME} characters")
            if any(c in name for c in "[]=;"):
                fail(path, line_no, "name must not contain [ ] = ;")
            if not re.fullmatch(r"#[0-9A-Fa-f]{6}", colour):
                fail(path, line_no, "colour must be #RRGGBB")
            if not (mode.isdigit() and int(mode) in MODES):
                fail(path, line_no, "mode must be 1, 2, 3 or 4")
            if not (interval.isdigit() and int(interval) in INTERVALS):
                fail(path, line_no, "interval must be 5000, 10000, 30000 or 60000")
            if not (brightness.isdigit() and 0 <= int(brightness) <= 100):
                fail(path, line_no, "brightness must be 0 to 100")
            if light not in ("on", "off"):
                fail(path, line_no, "light must be on or off")
            if any(t["name"] == name for t in themes):
                fail(path, line_no, f"theme {name} appears twice")
            themes.append({
                "name": name,
                "colour": int(colour[1:], 16),  # alpha 0, as the lighting page stores it
                "mode": int(mode),
                "interval": int(interval),
                "brightness": int(brightness),
                "on": light == "on",
            })
    if not themes:
        sys.exit(f"{path}: no themes")
    if not any(t["name"] == DEFAULT_THEME for t in themes):
        sys.exit(f"{path}: the default theme {DEFAULT_THEME} is missing")
    return themes


def light_table(themes):
    lines = ["[LightSetConfig]", f"RecordBaseID={len(themes)}"]
    for number, t in enumerate(themes, 1):
        lines += [
            f"[RID_{number}]",
            f"LightSetName={t['name']}",
            f"LightSetStatus={'true' if t['on'] else 'false'}",
            f"LightSetColor={t['colour']}",
            f"LightSetInterval={t['interval']}",
            f"LightSetBrightness={t['brightness']}",
            f"LightSetMode={t['mode']}",
            "LightSetPreSet=true",
        ]
    return lines


def game_task_table():
    return ["[GameTaskConfig]", "RecordBaseID=0"]


def write_profile(path, lines):
    data = b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)  # never leave a half-written seed behind


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--themes", required=True, help="LightThemes.txt")
    parser.add_argument("--out", required=True, help="output folder (beside the programs)")
    args = parser.parse_args()
    themes = read_themes(args.themes)
    os.makedirs(args.out, exist_ok=True)
    write_profile(os.path.join(args.out, "LightSetConfig.dat"), light_table(themes))
    write_profile(os.path.join(args.out, "GameTaskConfig.dat"), game_task_table())


if __name__ == "__main__":
    main()
