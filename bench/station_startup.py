#!/usr/bin/python3
"""How long a test waits for its station: Station() to the ready line with a quick start, the
shutdown after it, and a pytest run of 20 tests that each get a fresh station.

Usage: bench/station_startup.py [PROGRAM] [ROUNDS]   (default build/src/ui/qx44sim, 10 rounds)
Targets: start under 0.5 s; the 20 tests under 15 s.
"""

from __future__ import annotations

import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "python"))

from qx44sim import Station  # noqa: E402

TWENTY_TESTS = '''
import pytest

@pytest.mark.parametrize("n", range(20))
def test_fresh_station(station, host, n):
    host.send("text", 0, 0, 0xD2, 0x00, f"test {n}")
    station.control.wait_text(f"test {n}", timeout=5)
'''


def starts(program: Path, rounds: int) -> tuple[list[float], list[float]]:
    ready, closed = [], []
    for _ in range(rounds):
        began = time.monotonic()
        station = Station(program)
        ready.append(time.monotonic() - began)
        began = time.monotonic()
        station.close()
        closed.append(time.monotonic() - began)
    return ready, closed


def twenty_tests(program: Path) -> tuple[float, str]:
    with tempfile.TemporaryDirectory() as folder:
        Path(folder, "test_twenty.py").write_text(TWENTY_TESTS)
        environment = {**os.environ, "PYTHONPATH": str(ROOT / "python")}
        began = time.monotonic()
        result = subprocess.run(
            [sys.executable, "-m", "pytest", "-q", "-p", "no:cacheprovider", "-p",
             "qx44sim.pytest_plugin", "--qx44sim", str(program), "test_twenty.py"],
            cwd=folder, env=environment, capture_output=True, text=True, timeout=600)
        elapsed = time.monotonic() - began
    summary = (result.stdout.strip().splitlines() or ["no output"])[-1]
    if result.returncode != 0:
        raise SystemExit(f"the 20 tests failed:\n{result.stdout[-3000:]}\n{result.stderr[-2000:]}")
    return elapsed, summary


def describe(name: str, values: list[float]) -> str:
    return (f"{name}: median {statistics.median(values) * 1000:.0f} ms, min "
            f"{min(values) * 1000:.0f} ms, max {max(values) * 1000:.0f} ms ({len(values)} rounds)")


def main() -> None:
    program = Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build" / "src" / "ui" / "qx44sim")
    program = program.resolve()
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    ready, closed = starts(program, rounds)
    print(describe("Station() to ready (target < 500 ms)", ready))
    print(describe("close (shutdown, folder removed)", closed))
    elapsed, summary = twenty_tests(program)
    print(f"20 tests with a fresh station each: {elapsed:.1f} s wall (target < 15 s); "
          f"pytest: {summary}")


if __name__ == "__main__":
    main()
