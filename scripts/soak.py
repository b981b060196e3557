#!/usr/bin/env python3
"""Soak run: the client against vorn-devserver with random server faults.

Starts vorn-devserver (demo tenant), the virtual scanner and RFID reader
(vorn-devices), and VornClient offscreen on a temporary data folder set up
against that server. For the given time it types scans (order codes and wall QR
write-offs, each wall QR carrying its own token) and presents badges, while
switching random faults on and off (errors, delays, non-JSON bodies, dropped
connections, service blocks). Then the faults stop, the client gets time to
deliver its queue, and the server's journal decides:

  * the client is still running;
  * its resident memory stays within RSS_LIMIT_MB of its level at the end of
    the warm-up (the first minute, or a third of a shorter run);
  * every wall write-off typed was accepted by the server exactly once, or (when
    its send failed) waits in the client's outbox, never both and never twice.
    The outbox is sent again only on the operator's refresh in the scene, which
    a headless run does not press.

Exit status 0 when all hold. A summary is printed and written as JSON beside
the logs (--workdir, default a temporary folder kept on failure).
"""

import argparse
import json
import os
import random
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

RSS_LIMIT_MB = 10
EVENT_PATH = "/api/client-event"
# A wall QR scanned anywhere, or on a consumables tab.
WRITEOFF_EVENTS = ("wall_writeoff", "consumable_writeoff_qr")
API_KEY = "vorn-demo-key"

ORDER_CODES = ["P01PACK2WB", "P01PACK3YM", "P01WAIT4QZ", "P01MPERR8Z", "P01DUPL5WB",
               "P01CANC6WB", "P01STCK7WB", "512345", "512346", "P01NOPE9ZZ"]
BADGE_UIDS = ["04A1B2C3D4"]

# Each switch hits only part of the API requests, so the client sees a mix.
FAULTS = {
    "errors": {"path": "/api/*", "status": 503, "rate": 0.5},
    "delays": {"path": "/api/*", "delay_ms": 100, "delay_max_ms": 4000, "rate": 0.6},
    "non_json": {"path": "/api/*", "status": 200, "body": "<html><body>Bad gateway</body></html>",
                 "rate": 0.5},
    "drops": {"path": "/api/*", "drop": True, "rate": 0.4},
    "late_drops": {"path": "/api/*", "drop": True, "delay_ms": 200, "delay_max_ms": 2500, "rate": 0.3},
    "block": {"path": "/api/*", "block": "tenant_blocked",
              "message": "Сервис временно приостановлен", "rate": 1.0},
}


def wall_qr(token):
    # The demo tenant's small-box cell, with a token the journal can be searched for.
    return ("VORN_WALL:{\"kind\":\"consumable_wall\",\"tab_id\":\"tab_boxes\","
            "\"type_key\":\"small_box\",\"type_id\":\"small_box\",\"server_type\":\"box\","
            "\"tab_title\":\"Коробки\",\"item_key\":\"small_box\","
            "\"item_name\":\"Маленькая шкатулка\",\"amount\":1,\"measure\":\"count\","
            "\"soak\":\"%s\"}" % token)


TOKEN_PREFIX = "soakqr"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class DevServer:
    def __init__(self, port):
        self.base = "http://127.0.0.1:%d" % port

    def call(self, method, path, body=None, timeout=10):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=timeout) as reply:
            return json.loads(reply.read().decode() or "{}")

    def set_fault(self, fault):
        self.call("POST", "/__dev/faults/clear", {})
        if fault:
            self.call("POST", "/__dev/faults", fault)

    def journal(self, since):
        return self.call("GET", "/__dev/journal?since=%d&path=%s" % (since, EVENT_PATH))


class Journal:
    """The event entries, refreshed until each has its final status."""

    def __init__(self, server):
        self.server = server
        self.entries = {}
        self.floor = 0

    def poll(self):
        reply = self.server.journal(self.floor)
        for entry in reply.get("items", []):
            self.entries[entry["seq"]] = entry
        pending = [seq for seq, e in self.entries.items() if not self.final(e)]
        self.floor = (min(pending) - 1) if pending else max(self.entries, default=self.floor)

    @staticmethod
    def final(entry):
        return entry.get("status", 0) != 0 or entry.get("outcome")

    def accepted_writeoffs(self):
        counts = {}
        for entry in self.entries.values():
            body = entry.get("body") or {}
            if not isinstance(body, dict) or body.get("event_type") not in WRITEOFF_EVENTS:
                continue
            # Only answers of the server's own handling count: an answer a fault made up
            # was never handled, and a resent event it recognised changes nothing.
            if entry.get("status") != 200 or entry.get("outcome") in ("duplicate", "injected"):
                continue
            raw = json.dumps(body.get("payload", {}), ensure_ascii=False)
            for token in extract_tokens(raw):
                counts[token] = counts.get(token, 0) + 1
        return counts

    def event_types(self):
        counts = {}
        for entry in self.entries.values():
            body = entry.get("body")
            name = body.get("event_type", "?") if isinstance(body, dict) else "(no JSON body)"
            name += " %s" % entry.get("status", 0)
            counts[name] = counts.get(name, 0) + 1
        return counts

    def writeoff_attempts(self):
        return sum(1 for e in self.entries.values()
                   if isinstance(e.get("body"), dict) and e["body"].get("event_type") in WRITEOFF_EVENTS)


def extract_tokens(text):
    tokens = []
    start = 0
    while True:
        i = text.find(TOKEN_PREFIX, start)
        if i < 0:
            return set(tokens)
        j = i + len(TOKEN_PREFIX)
        while j < len(text) and text[j].isalnum():
            j += 1
        tokens.append(text[i:j])
        start = j


def outbox_tokens(data_dir):
    """Write-off tokens still waiting in the client's outbox (read-only)."""
    path = os.path.join(data_dir, "client_buffer.sqlite")
    counts = {}
    if not os.path.exists(path):
        return counts
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=10)
    try:
        for (payload,) in db.execute("SELECT payload_json FROM outbox_events"):
            for token in extract_tokens(str(payload)):
                counts[token] = counts.get(token, 0) + 1
    except sqlite3.Error as error:
        raise RuntimeError("cannot read the client outbox: %s" % error)
    finally:
        db.close()
    return counts


def rss_mb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024.0
    except OSError:
        return None
    return None


def wait_for_port(port, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.1)
    return False


def open_fifo(path, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if os.path.exists(path):
            try:
                return os.open(path, os.O_WRONLY | os.O_NONBLOCK)
            except OSError:
                pass
        time.sleep(0.1)
    raise RuntimeError("no reader on " + path)


def type_line(fd, line):
    os.write(fd, (line + "\n").encode())


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seconds", type=int, default=600)
    parser.add_argument("--build", default="build")
    parser.add_argument("--workdir", default="")
    parser.add_argument("--seed", type=int, default=0)
    parser.add_argument("--drain-seconds", type=int, default=120)
    parser.add_argument("--require-events", action="store_true",
                        help="fail when the wall scans do not reach the server at all")
    args = parser.parse_args()

    seed = args.seed or int(time.time())
    rng = random.Random(seed)
    bin_dir = os.path.join(os.path.abspath(args.build), "bin")
    work = args.workdir or tempfile.mkdtemp(prefix="vorn-soak-")
    os.makedirs(work, exist_ok=True)
    data_home = os.path.join(work, "data")
    data = os.path.join(data_home, "VornClient", "VornClient")
    os.makedirs(data, exist_ok=True)
    port = free_port()
    server = DevServer(port)
    procs = []

    def start(name, argv, env=None):
        log = open(os.path.join(work, name + ".log"), "w")
        p = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                             env=env, start_new_session=True)
        procs.append(p)
        return p

    def stop_all():
        for p in reversed(procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
        for p in reversed(procs):
            try:
                p.wait(timeout=15)
            except subprocess.TimeoutExpired:
                p.kill()

    summary = {"seed": seed, "seconds": args.seconds, "workdir": work, "ok": False, "problems": []}
    try:
        start("devserver", [os.path.join(bin_dir, "vorn-devserver"), "--demo", "--port", str(port),
                            "--state", os.path.join(work, "devserver-state.json")])
        if not wait_for_port(port, 30):
            raise RuntimeError("vorn-devserver did not start")

        with open(os.path.join(data, "identity.json"), "w") as f:
            json.dump({"tenantId": "demo", "deviceId": "soak-pc", "clientId": "desktop",
                       "deviceName": "Soak PC", "serverUrl": server.base, "apiKey": API_KEY,
                       "onboardingCompleted": True, "orderScanConfirmMode": "app",
                       "eventEndpoint": EVENT_PATH, "snapshotEndpoint": "/api/client-snapshot",
                       "clientConfigEndpoint": "/api/client-config",
                       "bootstrapEndpoint": "/api/bootstrap",
                       "deviceRegisterEndpoint": "/api/device-register"}, f, ensure_ascii=False)
        devices = os.path.join(bin_dir, "vorn-devices")
        scanner_link = os.path.join(work, "scanner1")
        rfid_link = os.path.join(work, "rfid")
        subprocess.run([devices, "configure", "--settings", os.path.join(data, "settings.json"),
                        "--scanner", scanner_link, "--rfid", rfid_link], check=True,
                       stdout=subprocess.DEVNULL)
        start("scanner1", [devices, "scanner", "--link", scanner_link, "--input", scanner_link + ".in"])
        start("rfid", [devices, "rfid", "--link", rfid_link, "--input", rfid_link + ".in",
                       "--card", "04A1B2C3D4:E001|Ирина Соколова"])
        scanner_fd = open_fifo(scanner_link + ".in")
        rfid_fd = open_fifo(rfid_link + ".in")

        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_DATA_HOME=data_home,
                   QT_LOGGING_RULES="*.debug=false")
        client = start("client", [os.path.join(bin_dir, "VornClient")], env)

        journal = Journal(server)
        warmup = min(60, args.seconds / 3.0)
        t0 = time.monotonic()
        next_fault = t0 + rng.uniform(3, 8)
        fault_name = None
        fault_log = []
        rss = []
        tokens = []
        scans = badges = 0
        last_poll = 0.0

        # The first seconds without faults: the client starts and opens its ports.
        time.sleep(5)
        while time.monotonic() - t0 < args.seconds:
            now = time.monotonic()
            if client.poll() is not None:
                raise RuntimeError("the client exited during the run (status %s)" % client.returncode)
            if now >= next_fault:
                fault_name = rng.choice([None, None] + sorted(FAULTS))
                server.set_fault(FAULTS.get(fault_name))
                fault_log.append([round(now - t0, 1), fault_name or "none"])
                next_fault = now + rng.uniform(4, 12)
            r = rng.random()
            if r < 0.45:
                token = "%s%d" % (TOKEN_PREFIX, len(tokens) + 1)
                tokens.append(token)
                type_line(scanner_fd, wall_qr(token))
            elif r < 0.85:
                type_line(scanner_fd, rng.choice(ORDER_CODES))
            else:
                type_line(rfid_fd, rng.choice(BADGE_UIDS))
                badges += 1
            scans += 1
            value = rss_mb(client.pid)
            if value is not None:
                rss.append([round(now - t0, 1), round(value, 1)])
            if now - last_poll > 5:
                journal.poll()
                last_poll = now
            time.sleep(rng.uniform(0.4, 1.4))

        # Faults off: the queue must drain. A few more write-offs nudge the outbox along.
        server.set_fault(None)
        fault_log.append([round(time.monotonic() - t0, 1), "none (end)"])
        drain_start = time.monotonic()
        delivered = {}
        nudges = 0
        while time.monotonic() - drain_start < args.drain_seconds:
            if client.poll() is not None:
                raise RuntimeError("the client exited while draining (status %s)" % client.returncode)
            time.sleep(5)
            journal.poll()
            delivered = journal.accepted_writeoffs()
            waiting = outbox_tokens(data)
            if all(delivered.get(t, 0) >= 1 for t in tokens) and not waiting:
                break
            if nudges < 6:
                nudges += 1
                token = "%s%d" % (TOKEN_PREFIX, len(tokens) + 1)
                tokens.append(token)
                type_line(scanner_fd, wall_qr(token))
        time.sleep(5)  # room for a late duplicate
        journal.poll()
        delivered = journal.accepted_writeoffs()
        value = rss_mb(client.pid)
        if value is not None:
            rss.append([round(time.monotonic() - t0, 1), round(value, 1)])

        by_path = {}
        for entry in server.call("GET", "/__dev/journal?limit=5000").get("items", []):
            key = "%s %s" % (entry.get("method"), entry.get("path"))
            by_path[key] = by_path.get(key, 0) + 1
        summary["requests_by_path"] = by_path
        summary["events_by_type"] = journal.event_types()

        problems = summary["problems"]
        if client.poll() is not None:
            problems.append("client exited (status %s)" % client.returncode)
        after = [v for t, v in rss if t >= warmup]
        base = next((v for t, v in rss if t >= warmup), None)
        growth = (max(after) - base) if after and base is not None else 0.0
        if growth > RSS_LIMIT_MB:
            problems.append("RSS grew %.1f MB after the warm-up (limit %d MB)" % (growth, RSS_LIMIT_MB))
        # Each delivered write-off sends what waited in the outbox, so once the
        # faults stop every write-off must have been applied once and none wait.
        waiting = outbox_tokens(data)
        lost = [t for t in tokens if delivered.get(t, 0) == 0]
        twice = {t: n for t, n in delivered.items() if n > 1}
        routed = journal.writeoff_attempts() > 0
        if routed or args.require_events:
            if lost:
                problems.append("%d of %d write-offs never arrived: %s" % (len(lost), len(tokens), lost[:10]))
            if twice:
                problems.append("write-offs accepted more than once: %s" % twice)
            if waiting:
                problems.append("write-offs still waiting in the outbox: %s" % sorted(waiting)[:10])
        summary.update({
            "scans_typed": scans, "badges_presented": badges, "wall_writeoffs": len(tokens),
            "writeoff_requests_seen": journal.writeoff_attempts(),
            "writeoffs_delivered_once": sum(1 for t in tokens if delivered.get(t, 0) == 1),
            "writeoffs_waiting_in_outbox": sum(1 for t in tokens if waiting.get(t, 0) == 1),
            "exactly_once_checked": routed or args.require_events,
            "rss_mb_at_warmup": base, "rss_mb_max_after_warmup": max(after) if after else None,
            "rss_growth_mb": round(growth, 1), "rss_samples": len(rss),
            "fault_switches": fault_log, "ok": not problems,
        })
        if not (routed or args.require_events):
            summary["note"] = ("no write-off reached the server: scans are not routed to the "
                               "consumables in this build, so exactly-once was not judged")
    except Exception as error:  # the summary must say what went wrong
        summary["problems"].append(str(error))
    finally:
        try:
            server.set_fault(None)
        except (urllib.error.URLError, OSError):
            pass
        stop_all()

    with open(os.path.join(work, "soak-summary.json"), "w") as f:
        json.dump(summary, f, ensure_ascii=False, indent=1)
    brief = {k: v for k, v in summary.items() if k not in ("fault_switches",)}
    print(json.dumps(brief, ensure_ascii=False, indent=1))
    if summary["ok"] and not args.workdir:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if summary["ok"] else 1


if __name__ == "__main__":
    sys.exit(main())
