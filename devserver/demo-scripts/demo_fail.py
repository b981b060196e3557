"""Demo script for the client's script runtime: fails at once with an error message."""
import sys

code = 3
if "--code" in sys.argv[1:-1]:
    code = int(sys.argv[sys.argv.index("--code") + 1])
print("демо-скрипт: не найден файл выгрузки orders.csv", file=sys.stderr, flush=True)
sys.exit(code)
