#!/usr/bin/env bash
# Makes sure CUPS runs and offers the PDF virtual label printer "VornPDF".
# Installs nothing (scripts/setup.sh does). Idempotent: a second run changes nothing.
#
# Printed jobs land as PDF files in ${HOME}/PDF/VornPDF of the user who printed
# (/root/PDF/VornPDF for root), one file per job, named "<title>-job_<id>.pdf".
# Run as root to start cupsd or to create the printer; as another user the script
# only reports what is missing.
set -uo pipefail

printer=${VORN_PDF_PRINTER:-VornPDF}
# cups-pdf reads cups-pdf-<name>.conf for the device URI cups-pdf:/<name>.
device_uri=cups-pdf:/$printer
queue_conf=/etc/cups/cups-pdf-$printer.conf
out_line='Out ${HOME}/PDF/'"$printer"

say() { echo "setup-cups: $*"; }
is_root() { [ "$(id -u)" -eq 0 ]; }
scheduler_running() { lpstat -r 2>/dev/null | grep -qi 'is running'; }

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
  say "CUPS is not installed (run scripts/setup.sh as root); printing tests will be skipped"
  exit 0
fi

# 1. The scheduler. No systemd here: start the daemon directly.
if ! scheduler_running; then
  if ! is_root; then
    say "cupsd is not running and only root can start it; printing tests will be skipped"
    exit 0
  fi
  mkdir -p /run/cups
  # A busy machine can keep a running scheduler from answering for a while, and a
  # second daemon would only fail to bind the port: give the running one time first.
  # One that still does not answer (its socket gone) is replaced.
  if pgrep -x cupsd >/dev/null; then
    for _ in $(seq 1 75); do
      scheduler_running && break
      sleep 0.2
    done
    if ! scheduler_running; then
      say "cupsd runs but does not answer; restarting it"
      pkill -x cupsd
      for _ in $(seq 1 50); do
        pgrep -x cupsd >/dev/null || break
        sleep 0.2
      done
      if pgrep -x cupsd >/dev/null; then
        pkill -9 -x cupsd
        sleep 0.5
      fi
    fi
  fi
  if ! scheduler_running && ! pgrep -x cupsd >/dev/null && ! cupsd; then
    say "cupsd did not start (see /var/log/cups/error_log)" >&2
    exit 1
  fi
  # A daemon that replaces a stopped one can take half a minute before it answers.
  for _ in $(seq 1 300); do
    scheduler_running && break
    sleep 0.2
  done
  if ! scheduler_running; then
    say "cupsd started but does not answer (see /var/log/cups/error_log)" >&2
    exit 1
  fi
  say "cupsd started"
fi

# 2. The per-queue cups-pdf configuration: the global one with its own output folder.
if is_root; then
  global_conf=/etc/cups/cups-pdf.conf
  wanted=$( { [ -f "$global_conf" ] && grep -v '^[[:space:]]*Out[[:space:]]' "$global_conf"; echo "$out_line"; } )
  if [ ! -f "$queue_conf" ] || [ "$(cat "$queue_conf")" != "$wanted" ]; then
    printf '%s\n' "$wanted" > "$queue_conf"
    say "wrote $queue_conf"
  fi
fi

# 3. The printer itself.
if ! lpstat -p "$printer" >/dev/null 2>&1; then
  ppd=""
  for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd; do
    [ -f "$candidate" ] && { ppd=$candidate; break; }
  done
  if [ -z "$ppd" ]; then
    model=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ { print $1; exit }')
  fi
  if [ -z "$ppd" ] && [ -z "${model:-}" ]; then
    say "no cups-pdf driver found (package printer-driver-cups-pdf)" >&2
    exit 1
  fi
  if [ -n "$ppd" ]; then
    lpadmin -p "$printer" -E -v "$device_uri" -P "$ppd" -D "Vorn PDF label printer" || exit 1
  else
    lpadmin -p "$printer" -E -v "$device_uri" -m "$model" -D "Vorn PDF label printer" || exit 1
  fi
  say "created printer $printer"
fi

if [ "$(lpstat -v "$printer" 2>/dev/null | awk '{ print $NF }')" != "$device_uri" ]; then
  lpadmin -p "$printer" -v "$device_uri" && say "printer $printer now writes through $device_uri"
fi

# A queue stopped by an earlier failure would hold every later job.
if lpstat -p "$printer" 2>/dev/null | grep -qi disabled; then
  cupsenable "$printer" && say "enabled printer $printer"
fi
if lpstat -a "$printer" 2>/dev/null | grep -qi 'not accepting'; then
  cupsaccept "$printer" && say "printer $printer accepts jobs again"
fi
exit 0
