"""Demo script for the client's script runtime: one line a second and a heartbeat file.

The client starts it with its folder as working directory and VORN_SCRIPT_DIR set;
it shows "пульс: Nс назад" from the age of heartbeat.txt in that folder.
"""
import os
import sys
import time
from datetime import datetime

folder = os.environ.get("VORN_SCRIPT_DIR") or os.path.dirname(os.path.abspath(__file__))
heartbeat = os.path.join(folder, "heartbeat.txt")
count = 0
while True:
    count += 1
    print(f"{datetime.now():%H:%M:%S} демо-скрипт работает, шаг {count}", flush=True)
    with open(heartbeat, "w", encoding="utf-8") as f:
        f.write(datetime.now().isoformat())
    time.sleep(1)
