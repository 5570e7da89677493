#!/usr/bin/env python3
"""Stand-in for the maker's web services, for tests and local runs.

Serves, on 127.0.0.1 only, every endpoint Ventaro uses: the account API
(login, logout, password change, computer registration, configuration upload
and download), the firmware version request, the update description file, the
remote switch file, and picture / firmware / test files with Range support.
Replies have the shapes the program relies on (a PHP-style JSON text: "/"
written as "\\/", non-ASCII as \\uXXXX).

Every request except those under /__control/ is recorded (verb, path, header
lines, body bytes) so that tests can assert the exact traffic. Tests steer the
service through /__control/ (see docs/stand-ins.md: "Web service stand-in").

Python 3 standard library only.
"""

import argparse
import json
import os
import struct
import sys
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qsl, urlsplit

API = "/api_new/website/api.php/"
APP_KEY = "492718"
CONTROL = "/__control/"
MAX_BODY = 8 * 1024 * 1024


def php_json(obj):
    """JSON as PHP's json_encode writes it: ASCII only, "/" escaped."""
    return json.dumps(obj, ensure_ascii=True, separators=(",", ":")).replace("/", "\\/").encode("ascii")


def make_png(width, height, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    row = b"\x00" + bytes(rgb) * width
    raw = row * height
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def make_firmware_hex():
    lines = []
    for addr in range(0, 256, 16):
        data = bytes((addr + i) & 0xFF for i in range(16))
        rec = bytes([16, addr >> 8, addr & 0xFF, 0]) + data
        lines.append(":" + rec.hex().upper() + "%02X" % ((-sum(rec)) & 0xFF))
    lines.append(":00000001FF")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def pattern_bytes(n):
    """Deterministic test content: byte i is i mod 251."""
    block = bytes(i % 251 for i in range(251))
    return (block * (n // 251 + 1))[:n]


SEED_ACCOUNTS = [
    # name, password, memberid, realname
    ("demo", "demo1234", "10001", "演示用户"),
    ("张三", "zhang123", "10002", "张三"),
]


class State:
    """Everything the service keeps; one lock guards it all."""

    def __init__(self, args):
        self.lock = threading.Lock()
        self.args = args
        self.reset()

    def reset(self):
        self.traffic = []
        self.faults = []
        self.switch_on = self.args.switch == "on"
        self.firmware_version = self.args.firmware_version
        self.firmware_tail = False  # an item after download_path in the version reply
        self.soft_versions = [v for v in self.args.soft_versions.split(",") if v]
        self.accounts = {}
        self.sessions = {}      # open_id -> name
        self.computers = set()  # terminal codes registered
        self.configs = {}       # (name, terminal code) -> base64 text
        self.files = {}         # path -> bytes (installed through control)
        self.next_session = 1
        for name, password, memberid, realname in SEED_ACCOUNTS:
            self.add_account(name, password, memberid, realname)

    def add_account(self, name, password, memberid=None, realname=None):
        memberid = memberid or str(10000 + len(self.accounts) + 1)
        self.accounts[name] = {
            "password": password,
            "memberid": memberid,
            "realname": realname or name,
        }

    def take_fault(self, path):
        for fault in self.faults:
            if path.startswith(fault["path"]):
                fault["count"] -= 1
                if fault["count"] <= 0:
                    self.faults.remove(fault)
                return fault
        return None


def form_fields(body):
    """Standard form decoding; values kept as raw bytes."""
    pairs = parse_qsl(body.decode("latin-1"), keep_blank_values=True, encoding="latin-1")
    fields = {}
    for key, value in pairs:
        fields.setdefault(key, value.encode("latin-1"))
    return fields


def text936(raw):
    return raw.decode("gbk", errors="replace")


def reply(num, msg, **extra):
    """ret_num and ret_msg first. Clients cut the text at commas, so a reply
    without further fields still ends in a "data" item: the message itself
    then carries no closing brace."""
    obj = {"ret_num": str(num), "ret_msg": msg}
    obj.update(extra)
    if not extra:
        obj["data"] = ""
    return php_json(obj)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VentaroStandIn/1.0"
    state = None  # set by main

    def log_message(self, fmt, *args):
        if self.server.log_file:
            self.server.log_file.write("%s %s\n" % (time.strftime("%H:%M:%S"), fmt % args))
            self.server.log_file.flush()

    # ---- plumbing -------------------------------------------------------

    def read_body(self):
        length = self.headers.get("Content-Length")
        try:
            n = int(length) if length else 0
        except ValueError:
            n = 0
        n = max(0, min(n, MAX_BODY))
        return self.rfile.read(n) if n else b""

    extra_headers = ()  # set per request by the "bigheaders" fault

    def send(self, status, body, headers=(), content_type="text/html; charset=utf-8", length=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        for name, value in list(headers) + list(self.extra_headers):
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        try:
            self.wfile.write(body)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def host_text(self):
        return self.headers.get("Host") or "127.0.0.1:%d" % self.server.server_address[1]

    def do_GET(self):
        self.handle_any("GET")

    def do_POST(self):
        self.handle_any("POST")

    def do_HEAD(self):
        self.send(405, b"")

    def handle_any(self, verb):
        self.server.touch()
        body = self.read_body()
        path = self.path
        if path.startswith(CONTROL):
            return self.control(verb, path, body)
        state = self.state
        with state.lock:
            state.traffic.append({"verb": verb, "path": path, "version": self.request_version,
                                  "headers": list(self.headers.items()), "body": body})
            fault = state.take_fault(path)
        if self.server.log_file:
            self.server.log_file.write("  %s %s %r\n" % (verb, path, body[:200]))
        if fault and self.apply_fault(fault, verb, path, body):
            return
        self.serve(verb, path, body, fault)

    # ---- fault modes --------------------------------------------------------

    def apply_fault(self, fault, verb, path, body):
        """Returns True when the fault produced the whole answer."""
        mode = fault["mode"]
        if mode == "empty":
            self.send(fault["status"], b"")
        elif mode == "garbage":
            self.send(fault["status"], b"\xff\xfe<<garbage \x01\x02 not a reply>>\x80\x81,,::{{")
        elif mode == "big":
            alphabet = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
            n = fault["size"]
            self.send(fault["status"], (alphabet * (n // 26 + 1))[:n])
        elif mode == "status":
            text = fault["body"] or ("<html><body>Error %d</body></html>" % fault["status"]).encode()
            self.send(fault["status"], text)
        elif mode == "body":
            self.send(fault["status"], fault["body"], content_type=fault["type"])
        elif mode == "bigheaders":
            # The normal answer under a header block of about `size` bytes,
            # in short lines (some clients cut very long header lines).
            count = max(1, fault["size"] // 100)
            self.extra_headers = [("X-Padding-%d" % i, "p" * 84) for i in range(count)]
            return False
        elif mode == "slow":
            self.server.wait(fault["delay"])
            return False
        elif mode == "trickle":
            # Headers at once, then a long body one byte at a time, slowly
            # enough that no single read times out.
            self.send_response(fault["status"])
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", "100000")
            self.end_headers()
            try:
                for _ in range(int(fault["delay"] * 4)):
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    self.server.wait(0.25)
            except OSError:
                pass
            self.close_connection = True
        elif mode == "hang":
            # Accepts and reads the request, then never answers.
            self.server.wait(fault["delay"])
            self.close_connection = True
        elif mode == "drop":
            self.close_connection = True
            try:
                self.connection.shutdown(2)
            except OSError:
                pass
        else:
            return False  # modes that change how a file is served
        return True

    # ---- endpoints ----------------------------------------------------------

    def serve(self, verb, path, body, fault):
        route = urlsplit(path).path
        if route.startswith(API):
            if verb != "POST":
                return self.send(405, reply(405, "method"), content_type="application/json")
            return self.api(route[len(API):], form_fields(body))
        if route == "/OrvaneSwitch.cfg":
            with self.state.lock:
                on = self.state.switch_on
            text = b"[Orvane]\r\nVentaro=TRUE\r\n" if on else b"[Orvane]\r\nVentaro=FALSE\r\n"
            return self.send(200, text, content_type="text/plain")
        if route == "/data/soft/host_drive/Refrescor.xml":
            with self.state.lock:
                versions = list(self.state.soft_versions)
            items = "".join('    <Version name="%s" file="Ventaro_%s.exe"/>\r\n' % (v, v) for v in versions)
            xml = ('<?xml version="1.0" encoding="utf-8"?>\r\n<Refrescor>\r\n  <UpgradeInfo>\r\n%s'
                   '  </UpgradeInfo>\r\n</Refrescor>\r\n' % items)
            return self.send(200, xml.encode("utf-8"), content_type="text/xml")
        if verb != "GET":
            return self.send(405, b"<html><body>405</body></html>")
        data = self.file_for(route)
        if data is None:
            return self.send(404, b"<html><body>404 Not Found</body></html>")
        self.serve_file(data, fault)

    def file_for(self, route):
        with self.state.lock:
            if route in self.state.files:
                return self.state.files[route]
            members = {a["memberid"] for a in self.state.accounts.values()}
        if route.startswith("/u/") and route.endswith(".png") and route[3:-4] in members:
            seed = int(route[3:-4]) % 200
            return make_png(48, 48, (seed, 120, 200))
        if route == "/fw/Firmware.hex":
            return make_firmware_hex()
        if route.startswith("/gen/") and route.endswith(".bin"):
            try:
                n = int(route[5:-4])
            except ValueError:
                return None
            if 0 <= n <= 64 * 1024 * 1024:
                return pattern_bytes(n)
        return None

    def serve_file(self, data, fault):
        mode = fault["mode"] if fault else ""
        total = len(data)
        wanted = self.headers.get("Range")
        if mode == "holdbody":
            # Headers first, the body only once a test releases it.
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(total))
            self.send_header("Connection", "close")
            self.end_headers()
            self.close_connection = True
            self.wfile.flush()
            self.server.release.wait(fault["delay"])
            try:
                self.wfile.write(data)
                self.wfile.flush()
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        if mode == "short":
            # Announces the whole file, sends half, then closes.
            self.send(200, data[: total // 2], content_type="application/octet-stream", length=total)
            return
        if not wanted or mode == "norange":
            return self.send(200, data, content_type="application/octet-stream")
        asked = wanted.strip()
        start = None
        end = total - 1
        if asked.startswith("bytes="):
            first, _, last = asked[6:].partition("-")
            try:
                start = int(first)
                if last.strip():
                    end = min(int(last), total - 1)
            except ValueError:
                start = None
        if mode == "rangefrom":
            start = fault["offset"]
        if start is None or start >= total or start > end:
            return self.send(416, b"", headers=[("Content-Range", "bytes */%d" % total)])
        self.send(206, data[start:end + 1], content_type="application/octet-stream",
                  headers=[("Content-Range", "bytes %d-%d/%d" % (start, end, total))])

    def api(self, route, f):
        state = self.state
        json_type = "text/html; charset=utf-8"

        def answer(payload):
            self.send(200, payload, content_type=json_type)

        def open_user():
            oid = f.get("open_id", b"").decode("latin-1")
            return state.sessions.get(oid)

        with state.lock:
            if route == "v2_1/user/login":
                if f.get("key") != b"pc" or f.get("app_key") != APP_KEY.encode():
                    return answer(reply(2, "参数错误"))
                name = f.get("member_name", b"").decode("utf-8", errors="replace")
                password = text936(f.get("member_passwd", b""))
                account = state.accounts.get(name)
                if account is None:
                    return answer(reply(1, "用户不存在"))
                if account["password"] != password:
                    return answer(reply(1, "密码错误"))
                open_id = "%032x" % (int(account["memberid"]) * 1000003 + state.next_session)
                state.next_session += 1
                state.sessions[open_id] = name
                mid = account["memberid"]
                user = {
                    "memberid": mid,
                    "username": name,
                    "realname": account["realname"],
                    "mobile": "13800000000",
                    "address": "",
                    "email": "user%s@ventaro.example" % mid,
                    "usertype": "1",
                    "sex": "1",
                    "birthday": "1990-01-01",
                    "regtime": "2026-01-01 10:00:00",
                    "header": "http://%s/u/%s.png" % (self.host_text(), mid),
                    "game": "",
                    "regip": "127.0.0.1",
                    "open_id": open_id,
                    "updateTime": "2026-06-01 12:00:00",
                    "level": "1",
                }
                return answer(reply(0, "登录成功", user=user))
            if route == "v2_1/user/logout":
                if f.get("key") != b"pc":
                    return answer(reply(2, "参数错误"))
                oid = f.get("open_id", b"").decode("latin-1")
                if state.sessions.pop(oid, None) is None:
                    return answer(reply(1, "用户未登录"))
                return answer(reply(0, "退出成功"))
            if route == "v2_1/option/changepwd":
                name = open_user()
                if f.get("key") != b"pc" or name is None:
                    return answer(reply(1, "用户未登录"))
                old = text936(f.get("oldpassword", b""))
                new = text936(f.get("newpassword", b""))
                again = text936(f.get("newrepassword", b""))
                if state.accounts[name]["password"] != old:
                    return answer(reply(1, "原密码错误"))
                if not new or new != again:
                    return answer(reply(1, "新密码不一致"))
                state.accounts[name]["password"] = new
                return answer(reply(0, "修改成功"))
            if route == "v2_1/computer/addComputer":
                mac = f.get("mac_address", b"").decode("latin-1")
                if not mac:
                    return answer(reply(1, "终端码为空"))
                state.computers.add(mac)
                return answer(reply(0, "添加成功"))
            if route == "v2_1/computer/uploadComputerConfig":
                name = open_user()
                if name is None:
                    return answer(reply(1, "用户未登录"))
                mac = f.get("mac_address", b"").decode("latin-1")
                state.configs[(name, mac)] = f.get("config", b"").decode("latin-1")
                return answer(reply(0, "上传成功"))
            if route == "v2_1/computer/downloadComputerConfig":
                name = open_user()
                if name is None:
                    return answer(reply(1, "用户未登录"))
                mac = f.get("mac_address", b"").decode("latin-1")
                config = state.configs.get((name, mac))
                if config is None:
                    return answer(reply(1, "没有保存的方案"))
                return answer(reply(0, "下载成功", config=config))
            if route == "v1_1/version/getnewversion":
                if f.get("key") != b"pc" or f.get("softType") != b"200":
                    return answer(reply(2, "参数错误"))
                # download_path is the last item, so a client cutting at commas
                # finds the closing brace on it, unless the tail item follows.
                fields = {
                    "ret_num": "0",
                    "ret_msg": "成功",
                    "version": str(state.firmware_version),
                    "update_time": "2026-06-01",
                    "download_path": "http://%s/fw/Firmware.hex" % self.host_text(),
                }
                if state.firmware_tail:
                    fields["file_size"] = str(len(state.files.get("/fw/Firmware.hex") or make_firmware_hex()))
                return answer(php_json(fields))
        self.send(404, reply(404, "接口不存在"), content_type=json_type)

    # ---- control ------------------------------------------------------------

    def control(self, verb, path, body):
        parts = urlsplit(path)
        query = dict(parse_qsl(parts.query, keep_blank_values=True))
        what = parts.path[len(CONTROL):]
        state = self.state
        with state.lock:
            if what == "traffic":
                out = []
                for i, rec in enumerate(state.traffic):
                    out.append("REQUEST %d\n" % i)
                    out.append("LINE %s %s %s\n" % (rec["verb"], rec["path"], rec["version"]))
                    for name, value in rec["headers"]:
                        out.append("HEADER %s: %s\n" % (name, value))
                    out.append("BODY %s\n" % rec["body"].hex())
                    out.append("END\n")
                data = "".join(out).encode("utf-8", errors="replace")
                return self.send(200, data, content_type="text/plain; charset=utf-8")
            if what == "clear":
                state.traffic.clear()
                state.faults.clear()
                return self.send(200, b"ok")
            if what == "reset":
                state.reset()
                return self.send(200, b"ok")
            if what == "fault":
                mode = query.get("mode", "")
                if mode == "holdbody":
                    self.server.release.clear()
                status = int(query.get("status", "200"))
                if mode in ("404", "500"):
                    mode, status = "status", int(mode)
                state.faults.append({
                    "mode": mode,
                    "path": query.get("path", "/"),
                    "count": int(query.get("count", "1")),
                    "status": status,
                    "body": body,
                    "type": query.get("type", "text/html; charset=utf-8"),
                    "size": int(query.get("size", "10000")),
                    "delay": float(query.get("delay", "120" if mode in ("hang", "holdbody") else "5")),
                    "offset": int(query.get("offset", "0")),
                })
                return self.send(200, b"ok")
            if what == "release":
                self.server.release.set()
                return self.send(200, b"ok")
            if what == "switch":
                state.switch_on = query.get("state", "on") == "on"
                return self.send(200, b"ok")
            if what == "firmware":
                state.firmware_version = int(query.get("version", "0"))
                state.firmware_tail = query.get("tail", "0") == "1"
                return self.send(200, b"ok")
            if what == "versions":
                state.soft_versions = [v for v in query.get("list", "").split(",") if v]
                return self.send(200, b"ok")
            if what == "file":
                state.files[query.get("path", "/")] = body
                return self.send(200, b"ok")
            if what == "account":
                f = form_fields(body)
                state.add_account(f.get("name", b"").decode("utf-8", errors="replace"),
                                  f.get("password", b"").decode("utf-8", errors="replace"))
                return self.send(200, b"ok")
            if what == "config":
                # The stored configuration text of every user and terminal, for checks.
                lines = ["%s\t%s\t%s" % (n, m, c) for (n, m), c in sorted(state.configs.items())]
                return self.send(200, "\n".join(lines).encode("utf-8"), content_type="text/plain; charset=utf-8")
            if what == "computers":
                return self.send(200, "\n".join(sorted(state.computers)).encode("utf-8"),
                                 content_type="text/plain; charset=utf-8")
            if what == "ping":
                return self.send(200, b"pong")
        self.send(404, b"unknown control")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, handler, idle_exit, log_file):
        super().__init__(address, handler)
        self.idle_exit = idle_exit
        self.log_file = log_file
        self.stopping = threading.Event()
        self.release = threading.Event()
        self.last_activity = time.monotonic()

    def touch(self):
        self.last_activity = time.monotonic()

    def wait(self, seconds):
        self.stopping.wait(seconds)

    def server_close(self):
        self.stopping.set()
        self.release.set()
        super().server_close()

    def watch_idle(self):
        while not self.stopping.wait(5):
            if self.idle_exit and time.monotonic() - self.last_activity > self.idle_exit:
                threading.Thread(target=self.shutdown, daemon=True).start()
                return


def write_atomically(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write(text)
    os.replace(tmp, path)


def main(argv=None):
    p = argparse.ArgumentParser(description="Stand-in for Ventaro's web services (127.0.0.1 only).")
    p.add_argument("--port", type=int, default=8080, help="port to listen on; 0 picks a free one")
    p.add_argument("--switch", choices=("on", "off"), default="on",
                   help="remote switch file: on lets Ventaro run, off writes Ventaro=FALSE")
    p.add_argument("--firmware-version", type=int, default=106, help="version the firmware request answers")
    p.add_argument("--soft-versions", default="1.0.09,1.1.00",
                   help="comma-separated versions listed in Refrescor.xml")
    p.add_argument("--port-file", help="write the port here once listening")
    p.add_argument("--pid-file", help="write the process id here")
    p.add_argument("--log", help="append a line per request to this file")
    p.add_argument("--idle-exit", type=float, default=0,
                   help="end after this many seconds without a request (0: never)")
    args = p.parse_args(argv)

    Handler.state = State(args)
    log_file = open(args.log, "a", encoding="utf-8") if args.log else None
    server = Server(("127.0.0.1", args.port), Handler, args.idle_exit, log_file)
    port = server.server_address[1]
    if args.pid_file:
        write_atomically(args.pid_file, "%d\n" % os.getpid())
    if args.port_file:
        write_atomically(args.port_file, "%d\n" % port)
    print("webservice: listening on 127.0.0.1:%d (switch %s)" % (port, args.switch), flush=True)
    threading.Thread(target=server.watch_idle, daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.stopping.set()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
