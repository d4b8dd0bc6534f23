"""What the Python tests of sprite-cli share: the program run, failures gathered."""
import subprocess
import sys

CLI = sys.argv[1]
failures = []


def cli(*args):
    run = subprocess.run([CLI, *args], capture_output=True, text=True)
    return run.returncode, run.stdout, run.stderr


def check(what, condition, detail=""):
    if not condition:
        failures.append(f"{what}: {detail}")


def report():
    """Prints the failures; the exit status for them."""
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0
