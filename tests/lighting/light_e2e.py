#!/usr/bin/env python3
"""The lighting page end to end: the real Ventaro.exe under Wine with the
controller simulator, driven by xdotool at rectangles read from the
inspection dump (VENTARO_UI_DUMP).

Opens the page from the home view, picks the preset 星空紫, applies it, and
checks the simulator's state file, LightSetConfig.ini and OVCLIENT.ini; then
adds an own theme. Screenshots of both views go to LIGHT_E2E_SHOTS (default
build/light-e2e/). Needs DISPLAY (scripts/test provides one).

Usage: light_e2e.py [--keep]   (--keep leaves the data folder as it is)
"""
import getpass
import os
import pathlib
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("VENTARO_BINARY_DIR", ROOT / "build"))
WINE = str(ROOT / "scripts" / "wine")
PREFIX = pathlib.Path(os.environ.get("WINEPREFIX", BUILD / "wineprefix"))
SHOTS = pathlib.Path(os.environ.get("LIGHT_E2E_SHOTS", BUILD / "light-e2e"))
DATA = PREFIX / "drive_c" / "users" / getpass.getuser() / "AppData" / "Local" / "Ventaro"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"


def winpath(p):
    return "Z:" + str(p).replace("/", "\\")


def fail(text):
    print("FAILED: " + text)
    sys.exit(1)


def read_profile(path):
    """Sections of a profile file, UTF-16 with BOM or the ANSI code page."""
    raw = path.read_bytes()
    text = raw.decode("utf-16") if raw[:2] == b"\xff\xfe" else raw.decode("gbk", "replace")
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif current is not None and "=" in line:
            k, v = line.split("=", 1)
            current[k] = v
    return sections


def read_dump(path):
    rows = []
    try:
        text = path.read_text(encoding="utf-8")
    except (FileNotFoundError, UnicodeDecodeError):
        return rows
    for line in text.splitlines():
        f = line.split("\t")
        if len(f) < 11:
            continue
        rows.append({"id": int(f[0]), "kind": f[1], "style": f[2], "x": int(f[3]), "y": int(f[4]),
                     "w": int(f[5]), "h": int(f[6]), "visible": f[7] == "1", "checked": f[9] == "1",
                     "text": f[10]})
    return rows


class Session:
    def __init__(self, work):
        self.work = work
        self.dump = work / "dump.txt"
        self.state = work / "state.txt"
        self.window = None

    def wait_row(self, what, timeout=15.0, **match):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for r in read_dump(self.dump):
                if r["visible"] and all(r[k] == v for k, v in match.items()):
                    return r
            time.sleep(0.2)
        fail("no visible %s in the dump (%s)" % (what, match))

    def origin(self):
        if self.window is None:
            deadline = time.time() + 20
            while time.time() < deadline and self.window is None:
                out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Ventaro$"],
                                     capture_output=True, text=True).stdout.split()
                self.window = out[0] if out else None
                time.sleep(0.3)
            if self.window is None:
                fail("the Ventaro window did not appear")
        geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window],
                             capture_output=True, text=True).stdout
        values = dict(l.split("=", 1) for l in geo.split() if "=" in l)
        return int(values["X"]), int(values["Y"])

    def click(self, row):
        ox, oy = self.origin()
        x, y = ox + row["x"] + row["w"] // 2, oy + row["y"] + row["h"] // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "click", "1"], check=True)
        time.sleep(0.4)

    def sim_state(self):
        try:
            text = self.state.read_text()
        except FileNotFoundError:
            return {}
        return dict(l.split("=", 1) for l in text.splitlines() if "=" in l)

    def shot(self, name):
        SHOTS.mkdir(parents=True, exist_ok=True)
        time.sleep(0.6)  # a few frames for the renderer
        subprocess.run(["import", "-window", "root", str(SHOTS / name)], check=False)


def main():
    keep = "--keep" in sys.argv
    if not os.environ.get("DISPLAY"):
        fail("no DISPLAY")
    work = pathlib.Path(tempfile.mkdtemp(prefix="light_e2e_"))
    s = Session(work)
    # A fresh data folder: the store is seeded from LightSetConfig.dat again.
    if not keep:
        for name in ("LightSetConfig.ini", "OVCLIENT.ini"):
            (DATA / name).unlink(missing_ok=True)

    pipe = "ventaro_light_e2e_%d" % os.getpid()
    sim = subprocess.Popen([WINE, str(BUILD / "bin" / "ControllerSim.exe"), "--pipe", pipe,
                            "--state", winpath(s.state)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The web stand-in: the remote switch must say "on" for the program to start.
    port_file = work / "web.port"
    web = subprocess.Popen([sys.executable, str(ROOT / "tools" / "webservice" / "server.py"), "--port", "0",
                            "--port-file", str(port_file), "--switch", "on", "--log", str(work / "web.log")],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app = None
    try:
        deadline = time.time() + 15
        while time.time() < deadline and not (port_file.exists() and port_file.read_text().strip()):
            time.sleep(0.1)
        host = "127.0.0.1:" + port_file.read_text().strip()
        env = dict(os.environ, VENTARO_CONTROLLER_PATH="\\\\.\\pipe\\" + pipe, VENTARO_UI_DUMP=winpath(s.dump),
                   VENTARO_ACCOUNT_HOST=host, VENTARO_DOWNLOAD_HOST=host, VENTARO_MEMBER_SITE=host,
                   VENTARO_SWITCH_HOST=host)
        time.sleep(1.0)
        app = subprocess.Popen([WINE, str(BUILD / "bin" / "Ventaro.exe")], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        # Home view: lighting is the selected feature; "EnterButton" opens it.
        s.click(s.wait_row("EnterButton", 30, style="EnterButton"))
        s.wait_row("theme list", text="推荐主题")
        before = s.sim_state().get("exchanges", "0")

        s.click(s.wait_row("preset item", text="星空紫"))
        s.wait_row("title of the preset", kind="TextEdit", text="星空紫")
        if s.sim_state().get("exchanges", "0") != before:
            fail("picking a preset talked to the controller")
        s.shot("light_e2e_preset.png")

        s.click(s.wait_row("apply button", kind="Button", text="应用"))
        deadline = time.time() + 10
        while time.time() < deadline and s.sim_state().get("color") != "8C00FF":
            time.sleep(0.2)
        st = s.sim_state()
        want = {"color": "8C00FF", "mode": "4", "interval": "30000", "brightness": "80"}
        for k, v in want.items():
            if st.get(k) != v:
                fail("controller %s is %s, expected %s" % (k, st.get(k), v))
        print("controller:", {k: st[k] for k in want})

        themes = read_profile(DATA / "LightSetConfig.ini")
        record = [sec for sec, keys in themes.items() if keys.get("LightSetName") == "星空紫"]
        if len(record) != 1:
            fail("星空紫 is not one record of LightSetConfig.ini: %s" % record)
        keys = themes[record[0]]
        want = {"LightSetStatus": "true", "LightSetColor": str(0x8C00FF), "LightSetInterval": "30000",
                "LightSetBrightness": "80", "LightSetMode": "4", "LightSetPreSet": "true"}
        for k, v in want.items():
            if keys.get(k) != v:
                fail("%s %s is %s, expected %s" % (record[0], k, keys.get(k), v))
        print("LightSetConfig.ini [%s]:" % record[0], keys)
        select = read_profile(DATA / "OVCLIENT.ini").get("OVConfig", {}).get("OVLightSelect")
        if select != "星空紫":
            fail("OVLightSelect is %r" % select)
        print("OVCLIENT.ini OVLightSelect:", select)

        # An own theme: "＋" adds and shows it, with edit and delete.
        s.click(s.wait_row("plus item", text="＋"))
        s.wait_row("new theme's title", kind="TextEdit", text="我的新主题")
        s.wait_row("delete button", kind="Button", text="删除")
        s.shot("light_e2e_own_theme.png")
        themes = read_profile(DATA / "LightSetConfig.ini")
        if not any(k.get("LightSetName") == "我的新主题" and k.get("LightSetPreSet") == "false"
                   for k in themes.values()):
            fail("the new theme is not in LightSetConfig.ini")

        # Back to the home view, then close the program as a user does.
        s.click(s.wait_row("return button", kind="Button", text="返回"))
        s.click(s.wait_row("close button", style="CloseButton"))
        app.wait(timeout=20)
        app = None
        print("PASSED")
        return 0
    finally:
        if app is not None:
            app.kill()
        sim.kill()
        web.kill()
        # Ventaro registers itself for autostart; a later fresh Wine session
        # would start it hidden and confuse other suites.
        subprocess.run([WINE, "reg", "delete", RUN_KEY, "/v", "Ventaro", "/f"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
