"""The fleet program as a user runs it: three stations on free ports listed as JSON lines, each
reachable on its ports; a killed station started again with its count up, on the page's event
stream too; every station stopped and every folder removed at the end, a given folder kept, no
station left running when the fleet itself is killed; a lab's stations file on the page and read
again on SIGHUP; bad input refused."""

from __future__ import annotations

import json
import os
import queue
import signal
import subprocess
import threading
import time
import urllib.error
import urllib.request
from pathlib import Path
from typing import Any, Callable

import pytest

from qx44sim import Control
from qx44sim.station import end_process

PYTHON_FOLDER = Path(__file__).resolve().parents[1]
DEADLINE = 60.0


def wait_for(condition: Callable[[], Any], what: str, timeout: float = DEADLINE) -> Any:
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)
    return value


def running(pid: int) -> bool:
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # An ended child of the fleet that is not reaped yet is no station either.
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()[0] != "Z"


class Lines:
    """A stream's lines, read on a thread of their own, taken in order with a deadline."""

    def __init__(self, stream: Any) -> None:
        self._lines: queue.Queue[str] = queue.Queue()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream: Any) -> None:
        for line in stream:
            self._lines.put(line.decode() if isinstance(line, bytes) else line)

    def next_line(self, what: str, text: str) -> str:
        return self._next(what, lambda line: text in line)

    def _next(self, what: str, match: Callable[[str], bool]) -> str:
        deadline = time.monotonic() + DEADLINE
        while True:
            try:
                line = self._lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError(f"timed out waiting for {what}") from None
            if match(line):
                return line

    def next_json(self, what: str, match: Callable[[dict[str, Any]], bool]) -> dict[str, Any]:
        while True:
            line = self._next(what, lambda line: True)
            if line.startswith("data: "):
                line = line[len("data: "):]
            if line.startswith(("{", "[")):
                record = json.loads(line)
                if match(record):
                    return record


def start_fleet(program: Path, *args: str, cwd: Path | None = None) -> subprocess.Popen[str]:
    return subprocess.Popen(
        ["/usr/bin/python3", "-m", "qx44sim.fleet", "--program", str(program), *args],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, cwd=cwd,
        env={**os.environ, "PYTHONPATH": str(PYTHON_FOLDER)})


def stop(fleet: subprocess.Popen[str]) -> None:
    end_process(fleet, DEADLINE)


def get(url: str) -> Any:
    with urllib.request.urlopen(url, timeout=10) as answer:
        return json.loads(answer.read())


def test_fleet_starts_restarts_and_cleans_up(program: Path) -> None:
    fleet = start_fleet(program, "3", "--free-ports", "--quick-start", "--json", "--page", "0")
    try:
        out = Lines(fleet.stdout)
        stations = [out.next_json(f"station-{i}", lambda r: "name" in r) for i in (1, 2, 3)]
        page = out.next_json("the page", lambda r: r.get("event") == "page")

        assert [s["name"] for s in stations] == ["station-1", "station-2", "station-3"]
        ports = [s[k] for s in stations for k in ("hostPort", "controlPort", "httpPort")]
        assert len(set(ports)) == 9 and all(port > 0 for port in ports)
        root = Path(stations[0]["folder"]).parent
        for station in stations:
            assert station["restarts"] == 0 and running(station["pid"])
            assert (Path(station["folder"]) / "setting.txt").is_file()
            with Control(station["controlPort"]) as control:
                assert control.command("state")["hostPort"] == station["hostPort"]
            with urllib.request.urlopen(f"http://127.0.0.1:{station['httpPort']}/tile",
                                        timeout=10) as tile:
                assert tile.status == 200
        listed = get(page["url"] + "api/stations")
        assert [(e["name"], e["url"], e["restarts"]) for e in listed] == [
            (s["name"], f"http://127.0.0.1:{s['httpPort']}", 0) for s in stations]

        events = Lines(urllib.request.urlopen(page["url"] + "events", timeout=DEADLINE))
        events.next_json("the first event", lambda r: isinstance(r, list) and len(r) == 3)

        killed = stations[1]
        os.kill(killed["pid"], signal.SIGKILL)
        again = out.next_json("station-2 again", lambda r: r.get("name") == "station-2")
        assert again["restarts"] == 1 and again["pid"] != killed["pid"]
        assert running(again["pid"]) and not running(killed["pid"])
        assert again["folder"] == killed["folder"]
        pushed = events.next_json("the restart on the page", lambda r: isinstance(r, list))
        assert [e["restarts"] for e in pushed] == [0, 1, 0]
        with Control(again["controlPort"]) as control:
            assert control.command("state")["hostPort"] == again["hostPort"]

        fleet.send_signal(signal.SIGTERM)
        assert fleet.wait(DEADLINE) == 0
        assert not root.exists()
        for station in (stations[0], again, stations[2]):
            wait_for(lambda: not running(station["pid"]), f"{station['name']} to end")
    finally:
        stop(fleet)


@pytest.mark.parametrize("ending, status", [(signal.SIGINT, 0), (signal.SIGKILL, -9)])
def test_a_given_folder_is_kept_and_no_station_outlives_the_fleet(
        program: Path, tmp_path: Path, ending: int, status: int) -> None:
    kept = tmp_path / "lab"
    fleet = start_fleet(program, "1", "--free-ports", "--quick-start", "--json",
                        "--folder", str(kept))
    try:
        station = Lines(fleet.stdout).next_json("the station", lambda r: "name" in r)
        assert Path(station["folder"]) == kept / "station-1"
        fleet.send_signal(ending)
        assert fleet.wait(DEADLINE) == status
        wait_for(lambda: not running(station["pid"]), "the station to end")
        assert (kept / "station-1" / "setting.txt").is_file()
    finally:
        stop(fleet)


PAGE_PATHS = [("/", {}, 200, "text/html"), ("/fleet.js", {}, 200, "text/javascript"),
              ("/fleet.css", {}, 200, "text/css"), ("/api/stations", {}, 200, "application/json"),
              ("/nothing", {}, 404, "text/plain"),
              ("/api/stations", {"Host": "fleet.example"}, 421, "text/plain")]


def test_a_labs_stations_file_on_the_page_and_read_again(tmp_path: Path) -> None:
    lab = tmp_path / "lab.txt"
    lab.write_text("# the lab\nbench-1 http://lab-pc-1:8080 t0ken\nbench-2 https://lab-pc-2:8443/\n")
    fleet = start_fleet(Path("/bin/false"), "--stations", str(lab), "--page", "0", "--json")
    try:
        out = Lines(fleet.stdout)
        listed = [out.next_json(f"entry {i}", lambda r: "name" in r) for i in (1, 2)]
        assert [(e["name"], e["url"], e["token"], e["restarts"]) for e in listed] == [
            ("bench-1", "http://lab-pc-1:8080", "t0ken", None),
            ("bench-2", "https://lab-pc-2:8443", None, None)]
        page = out.next_json("the page", lambda r: r.get("event") == "page")["url"]
        for path, headers, status, kind in PAGE_PATHS:
            request = urllib.request.Request(page.rstrip("/") + path, headers=headers)
            try:
                answer = urllib.request.urlopen(request, timeout=10)
            except urllib.error.HTTPError as error:
                answer = error
            with answer:
                assert (path, answer.status) == (path, status)
                assert answer.headers["Content-Type"].startswith(kind)
        events = Lines(urllib.request.urlopen(page + "events", timeout=DEADLINE))
        events.next_json("the first event", lambda r: isinstance(r, list) and len(r) == 2)
        err = Lines(fleet.stderr)
        lab.write_text("bench-1 http://lab-pc-1:8080\nbench-1 http://lab-pc-1:8081\n")
        fleet.send_signal(signal.SIGHUP)
        err.next_line("the broken file refused",
                      "line 2: the name bench-1 is taken by an earlier line; the page stays")
        lab.write_text("bench-1 http://lab-pc-1:8080\nbench-3 http://lab-pc-3:8080\n")
        fleet.send_signal(signal.SIGHUP)
        shown = events.next_json("the file read again", lambda r: isinstance(r, list))
        assert [e["name"] for e in shown] == ["bench-1", "bench-3"]
        fleet.send_signal(signal.SIGTERM)
        assert fleet.wait(DEADLINE) == 0
    finally:
        stop(fleet)


# A stations file's text, or None for none.
BAD_INPUT = [
    (["0"], None, "N, the number of stations, must be 1 to 1000"),
    (["3", "65530"], None, "past 65535"),
    (["3", "9000", "--free-ports"], None, "--free-ports takes no FIRST_PORT"),
    (["--stations", "lab.txt"], None, "needs --page PORT"),
    (["--stations", "lab.txt", "--page", "0"], None, "cannot read the stations file lab.txt"),
    (["2", "--page", "0", "--bind", "lab-pc"], None, "--bind needs an IP address"),
    (["2", "--set", "Main"], None, "expected SECTION/KEY=VALUE"),
    (["--stations", "lab.txt", "--page", "0"], "bench-1\n",
     "lab.txt line 1: expected NAME URL [TOKEN]"),
    (["--stations", "lab.txt", "--page", "0"], "# the lab\nbench-1 ftp://lab:21\n",
     "lab.txt line 2: 'ftp://lab:21' is not a station's address"),
    (["--stations", "lab.txt", "--page", "0"], "bench-1 http://lab:8080/tile\n",
     "is not a station's address"),
    (["--stations", "lab.txt", "--page", "0"], "a http://lab:8080\na http://lab:8081 t\n",
     "line 2: the name a is taken"),
    (["--stations", "lab.txt", "--page", "0"], "# only a comment\n", "lists no station"),
]


@pytest.mark.parametrize("args, stations, error", BAD_INPUT)
def test_bad_input_is_refused(program: Path, tmp_path: Path, args: list[str],
                              stations: str | None, error: str) -> None:
    if stations is not None:
        (tmp_path / "lab.txt").write_text(stations)
    fleet = start_fleet(program, *args, cwd=tmp_path)
    try:
        _, err = fleet.communicate(timeout=DEADLINE)
    finally:
        stop(fleet)
    assert fleet.returncode == 2 and error in err, err
    assert "Traceback" not in err
