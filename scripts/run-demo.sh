#!/usr/bin/env bash
# Starts the demo: vorn-devserver with the demo tenant, virtual devices, the CUPS PDF
# printer and the client on its own data folder (.demo/ in the checkout). Ctrl+C stops all.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
bin="$build/bin"
demo="$top/.demo"
export XDG_DATA_HOME="$demo/data"
# The workshop PCs run a Russian system: month names and dates follow it.
export LANG=ru_RU.UTF-8
data="$XDG_DATA_HOME/VornClient/VornClient"
mkdir -p "$data"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# devserver: the local stand-in for the Vorn platform with the demo tenant; its tenants
# survive restarts in .demo/devserver-state.json. Journal: http://127.0.0.1:$port/__dev/journal
port=${VORN_DEVSERVER_PORT:-8787}
"$bin/vorn-devserver" --demo --port "$port" --state "$demo/devserver-state.json" \
  </dev/null >"$demo/devserver.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  echo "run-demo: vorn-devserver did not start on port $port, see $demo/devserver.log" >&2
fi
# First run only: the device identity of the demo tenant, so a later run keeps
# whatever the operator changed (or a fresh onboarding after deleting the file).
if [ ! -f "$data/identity.json" ]; then
  cat >"$data/identity.json" <<JSON
{
    "franchiseName": "Демо-мастерская «Ворн»",
    "operatorName": "Оператор демо",
    "tenantId": "demo",
    "deviceId": "demo-pc",
    "clientId": "desktop",
    "deviceName": "Демо ПК (цех печати)",
    "serverUrl": "http://127.0.0.1:$port",
    "bootstrapEndpoint": "/api/bootstrap",
    "deviceRegisterEndpoint": "/api/device-register",
    "clientConfigEndpoint": "/api/client-config",
    "apiKey": "vorn-demo-key",
    "onboardingCompleted": true,
    "orderScanConfirmMode": "app",
    "eventEndpoint": "/api/client-event",
    "snapshotEndpoint": "/api/client-snapshot"
}
JSON
fi
echo "run-demo: vorn-devserver on http://127.0.0.1:$port (tenant demo, key vorn-demo-key)"
echo "run-demo: journal of received requests: http://127.0.0.1:$port/__dev/journal?limit=50"

# devices: a virtual scanner on slot 1 and a virtual RFID reader (the card of E001 on it).
# While the client runs:  echo P01A7K3M9Q > .demo/scanner1.in   (a scan)
#                         echo 04A1B2C3D4 > .demo/rfid.in       (a badge held to the reader)
#                         echo @wall > .demo/scanner1.in        (the demo wall QR: one small box off)
if [ -x "$bin/vorn-devices" ]; then
  "$bin/vorn-devices" configure --settings "$data/settings.json" \
    --scanner "$demo/scanner1" --rfid "$demo/rfid"
  "$bin/vorn-devices" scanner --link "$demo/scanner1" --input "$demo/scanner1.in" \
    </dev/null >"$demo/scanner1.log" 2>&1 &
  pids+=($!)
  "$bin/vorn-devices" rfid --link "$demo/rfid" --input "$demo/rfid.in" \
    --card "04A1B2C3D4:E001|Ирина Соколова" </dev/null >"$demo/rfid.log" 2>&1 &
  pids+=($!)
  echo "run-demo: scanner 1 on $demo/scanner1, type a scan with: echo P01A7K3M9Q > $demo/scanner1.in"
  echo "run-demo: wall QR write-off of one small box: echo @wall > $demo/scanner1.in"
  echo "run-demo: RFID reader on $demo/rfid, present a card with: echo 04A1B2C3D4 > $demo/rfid.in"
fi

# printer: the CUPS PDF printer "VornPDF" and demo label files for the demo orders.
# Printed labels appear as PDF files in ~/PDF/VornPDF of the user running the demo
# (/root/PDF/VornPDF for root); the label files are renamed "напечатано_…" in place.
labels="$demo/labels"
if ! bash "$top/scripts/setup-cups.sh"; then
  echo "run-demo: CUPS is not ready; labels will not print (see scripts/setup-cups.sh)" >&2
fi
bash "$top/scripts/make-demo-labels.sh" "$labels" >/dev/null ||
  echo "run-demo: demo label files could not be made" >&2
# Point the client at them, keeping whatever the operator set since.
if command -v python3 >/dev/null; then
  python3 - "$data" "$labels" "$port" <<'PY'
import json, os, sys
data, labels, port = sys.argv[1:4]
def patch(name, values, create=True):
    path = os.path.join(data, name)
    if not create and not os.path.exists(path):
        return
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except (OSError, ValueError):
        doc = {}
    changed = False
    for key, value in values.items():
        if not str(doc.get(key) or "").strip():
            doc[key] = value
            changed = True
    if changed:
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(doc, f, ensure_ascii=False, indent=4)
        os.replace(path + ".tmp", path)
patch("settings.json", {
    "labelPrinterName": "VornPDF",
    "uidSearchRoot1": os.path.join(labels, "uid"),
    "wbPath": os.path.join(labels, "wb"),
    "ozonPath": os.path.join(labels, "ozon"),
    "yandexLabelsPath": os.path.join(labels, "ym-labels"),
})
# A missing identity means a fresh onboarding: leave it to the client.
patch("identity.json", {"gsConfirmEndpoint": "http://127.0.0.1:%s/gs/confirm" % port}, create=False)
PY
else
  echo "run-demo: python3 is missing; set the label printer and folders in the settings page" >&2
fi
echo "run-demo: label printer VornPDF, demo labels in $labels, printed labels in ~/PDF/VornPDF"

# scripts: the two demo scripts of the demo tenant's catalogue (demo_ticker starts by itself,
# demo_fail exits with an error), copied out of the checkout so their heartbeat file lands in
# .demo/scripts. Queue a command:  curl -s -X POST http://127.0.0.1:$port/__dev/scripts/command \
#   -d '{"script_id":"demo_ticker","action":"restart"}'   and watch  /__dev/scripts
mkdir -p "$demo/scripts"
cp "$top"/devserver/demo-scripts/*.py "$demo/scripts/"
if command -v python3 >/dev/null; then
  python3 - "$data" "$demo/scripts" <<'PY'
import json, os, sys
data, scripts = sys.argv[1:3]
demo = [
    {"id": "demo_ticker", "name": "Демо: пульс раз в секунду", "enabled": True, "launchMode": "auto",
     "arguments": "", "path": os.path.join(scripts, "demo_ticker.py"), "autoStart": True},
    {"id": "demo_fail", "name": "Демо: выгрузка с ошибкой", "enabled": True, "launchMode": "python",
     "arguments": "--code 3", "path": os.path.join(scripts, "demo_fail.py"), "autoStart": False},
]
def update(name, change):
    path = os.path.join(data, name)
    if not os.path.exists(path):
        return
    try:
        with open(path, encoding="utf-8") as f:
            doc = json.load(f)
    except (OSError, ValueError):
        return
    if change(doc):
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(doc, f, ensure_ascii=False, indent=4)
        os.replace(path + ".tmp", path)
def add_entries(doc):
    entries = doc.setdefault("scriptEntries", [])
    ids = {str(e.get("id", "")) for e in entries if isinstance(e, dict)}
    missing = [{k: v for k, v in d.items() if k not in ("path", "autoStart")} for d in demo if d["id"] not in ids]
    entries.extend(missing)
    return bool(missing)
def add_bindings(doc):
    bindings = doc.setdefault("scriptBindings", {})
    missing = [d for d in demo if d["id"] not in bindings]
    for d in missing:
        bindings[d["id"]] = {"path": d["path"], "arguments": d["arguments"], "autoStart": d["autoStart"]}
    return bool(missing)
update("identity.json", add_entries)
update("settings.json", add_bindings)
PY
fi
echo "run-demo: demo scripts in $demo/scripts; queue commands with POST /__dev/scripts/command"

# new layouts: the workshop folders (D:/…, C:/MijCtrl/…, the desktop on Windows) live under
# .demo/workshop; the public disk is vorn-devserver; vorn-rip stands in for the RIP and writes
# the ink report a few seconds after a layout lands in its hot folder. The demo task (a generated
# 150 dpi layout, two strips) runs by itself; see  http://127.0.0.1:$port/__dev/newmakets
export VORN_WORKSHOP_ROOT="$demo/workshop"
export VORN_DISK_API_URL="http://127.0.0.1:$port"
if [ -x "$bin/vorn-rip" ]; then
  "$bin/vorn-rip" --root "$VORN_WORKSHOP_ROOT" --delay 3000 </dev/null >"$demo/rip.log" 2>&1 &
  pids+=($!)
  if command -v python3 >/dev/null; then
    python3 -c 'import sys, urllib.request; urllib.request.urlopen(urllib.request.Request(sys.argv[1], data=b"{}", method="POST"), timeout=5)' \
      "http://127.0.0.1:$port/__dev/newmakets/demo" >/dev/null 2>&1 ||
      echo "run-demo: the demo layout task could not be queued" >&2
  fi
  echo "run-demo: new layouts in $VORN_WORKSHOP_ROOT (strips in D/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/По полосам), RIP stand-in log $demo/rip.log"
fi

# display: a real one when there is one, else a virtual one with a screenshot.
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:97
  Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  (
    sleep 8
    shot="$demo/screenshot.png"
    if import -display "$DISPLAY" -window root "$shot" 2>/dev/null; then
      echo "run-demo: no display here; screenshot of the client saved to $shot"
    fi
  ) &
  pids+=($!)
fi

echo "run-demo: data folder $data"
"$bin/VornClient" &
client=$!
pids+=($client)
wait "$client"
