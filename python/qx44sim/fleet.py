"""A fleet of headless stations on one machine, or a lab's stations on many, on one page.

    /usr/bin/python3 -m qx44sim.fleet N [FIRST_PORT] [options]
    /usr/bin/python3 -m qx44sim.fleet --stations FILE --page PORT

Starts N stations, each in a folder of its own with its own settings file, prints them (a table,
or with --json one JSON object a line), starts again any station that dies, and with --page
serves a page on which every station is a live tile. Ctrl+C or SIGTERM stops them all and removes
their folders, unless --folder named where to keep them. With --stations, SIGHUP reads the file
again.
"""

from __future__ import annotations

import argparse
import ipaddress
import json
import shutil
import signal
import sys
import tempfile
import threading
import urllib.parse
from pathlib import Path
from typing import Any, Sequence, TextIO

from . import settings as settings_file
from .errors import StationError
from .fleet_board import FleetBoard
from .fleet_page_server import FleetPageServer
from .fleet_station import FleetStation, Ports
from .station import find_program

DEFAULT_FIRST_PORT = 9100
# How often the page server looks whether it is asked to stop.
_SERVE_POLL = 2.0


def read_stations_file(path: Path) -> list[dict[str, Any]]:
    """The page's entries from a file of lines `NAME URL [TOKEN]` (# starts a comment)."""
    try:
        lines = path.read_text(encoding="utf-8").splitlines()
    except (OSError, UnicodeDecodeError) as error:
        raise ValueError(f"cannot read the stations file {path}: {error}") from error
    entries: list[dict[str, Any]] = []
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        where = f"{path} line {number}"
        if len(words) not in (2, 3):
            raise ValueError(f"{where}: expected NAME URL [TOKEN], not {line.strip()!r}")
        name, url = words[0], words[1].rstrip("/")
        address = urllib.parse.urlsplit(url)
        if address.scheme not in ("http", "https") or not address.hostname or address.path:
            raise ValueError(f"{where}: {words[1]!r} is not a station's address such as "
                             "http://lab-pc-3:8080")
        if any(entry["name"] == name for entry in entries):
            raise ValueError(f"{where}: the name {name} is taken by an earlier line")
        entries.append({"name": name, "url": url,
                        "token": words[2] if len(words) == 3 else None, "restarts": None})
    if not entries:
        raise ValueError(f"the stations file {path} lists no station")
    return entries


def _setting(text: str) -> tuple[str, str, str]:
    section, _, rest = text.partition("/")
    key, equals, value = rest.partition("=")
    if not section or not key or not equals:
        raise argparse.ArgumentTypeError(f"expected SECTION/KEY=VALUE, not {text!r}")
    return section, key, value


def _arguments(argv: Sequence[str] | None) -> argparse.Namespace:
    parser = argparse.ArgumentParser(
        prog="python3 -m qx44sim.fleet",
        description="Starts N headless stations side by side and restarts any that dies; "
                    "with --page, one page shows them all as live tiles.",
        epilog="Fixed ports: station i listens for its host on FIRST_PORT+2(i-1), its control "
               "port is one above, its web view on FIRST_PORT+2N+(i-1). --json prints one "
               "object a line: each station {name, hostPort, controlPort, httpPort, folder, "
               "pid, restarts}, again whenever it was started again, and {\"event\": \"page\", "
               "\"url\": ...} for the page.")
    parser.add_argument("count", nargs="?", type=int, metavar="N", help="how many stations")
    parser.add_argument("first_port", nargs="?", type=int, metavar="FIRST_PORT",
                        help=f"the first fixed port (default {DEFAULT_FIRST_PORT})")
    parser.add_argument("--free-ports", action="store_true",
                        help="let every station take free ports (they are printed)")
    parser.add_argument("--quick-start", action="store_true",
                        help="stations skip their three-second boot screen")
    parser.add_argument("--json", action="store_true", help="print JSON lines, not a table")
    parser.add_argument("--page", type=int, metavar="PORT",
                        help="serve the fleet page on PORT (0: a free port)")
    parser.add_argument("--bind", default="127.0.0.1", metavar="ADDRESS",
                        help="the page's address (default 127.0.0.1; the page shows the "
                             "stations' tokens to whoever can open it)")
    parser.add_argument("--folder", type=Path, metavar="DIR",
                        help="keep the stations' folders in DIR (default: a temporary folder, "
                             "removed at the end)")
    parser.add_argument("--program", metavar="PATH",
                        help="the station program (default: $QX44SIM, else qx44sim on PATH)")
    parser.add_argument("--set", dest="settings", action="append", type=_setting, default=[],
                        metavar="SECTION/KEY=VALUE", help="a setting for every station")
    parser.add_argument("--ready-timeout", type=float, default=60.0, metavar="SECONDS",
                        help="how long a station may take to start (default 60)")
    parser.add_argument("--verbose", action="store_true", help="stations log with -v")
    parser.add_argument("--stations", type=Path, metavar="FILE",
                        help="start nothing: show the stations FILE lists, a line each: "
                             "NAME URL [TOKEN]")
    arguments = parser.parse_args(argv)
    if arguments.stations is not None:
        if arguments.count is not None or arguments.page is None:
            parser.error("--stations FILE takes no N and needs --page PORT")
    elif arguments.count is None or not 1 <= arguments.count <= 1000:
        parser.error("N, the number of stations, must be 1 to 1000")
    elif arguments.free_ports and arguments.first_port is not None:
        parser.error("--free-ports takes no FIRST_PORT")
    elif not arguments.free_ports:
        first = DEFAULT_FIRST_PORT if arguments.first_port is None else arguments.first_port
        if first < 1 or first + 3 * arguments.count - 1 > 0xFFFF:
            parser.error(f"{arguments.count} stations from port {first} need ports up to "
                         f"{first + 3 * arguments.count - 1}, past 65535")
        arguments.first_port = first
    if arguments.page is not None and not 0 <= arguments.page <= 0xFFFF:
        parser.error(f"--page needs a TCP port number, not {arguments.page}")
    try:
        ipaddress.ip_address(arguments.bind)
    except ValueError:
        parser.error(f"--bind needs an IP address, not {arguments.bind!r}")
    return arguments


class Fleet:
    """The stations, their page and what the fleet prints about them."""

    def __init__(self, arguments: argparse.Namespace, out: TextIO, err: TextIO) -> None:
        self._arguments = arguments
        self._out = out
        self._err = err
        self._print_lock = threading.Lock()
        self._stations: list[FleetStation] = []
        self._board: FleetBoard | None = None
        self._page: FleetPageServer | None = None
        self._root: Path | None = None
        self._keep_root = arguments.folder is not None

    # Output

    def _print(self, line: str, stream: TextIO | None = None) -> None:
        with self._print_lock:
            print(line, file=stream or self._out, flush=True)

    def _report(self, line: str) -> None:
        self._print(f"fleet: {line}", self._err)

    def _print_station(self, station: FleetStation) -> None:
        record = station.record()
        if self._arguments.json:
            self._print(json.dumps(record))
        else:
            self._print("\t".join(str(record[key]) for key in
                                  ("name", "hostPort", "controlPort", "httpPort", "pid",
                                   "restarts", "folder")))

    def _entry(self, station: FleetStation) -> dict[str, Any]:
        record = station.record()
        # A token given with --set Control/Token=... guards every station's web view too.
        token = next((value for section, key, value in self._arguments.settings
                      if (section.lower(), key.lower()) == ("control", "token")), None)
        record.update(url=f"http://127.0.0.1:{station.ports.http}", token=token or None)
        return record

    def _restarted(self, station: FleetStation) -> None:
        self._print_station(station)
        if self._board is not None:
            self._board.update(self._entry(station))

    # Stations

    def start_stations(self) -> None:
        """Starts every station, waits for them all to be ready and prints them. Raises
        StationError (after stopping those started) when one cannot start."""
        arguments = self._arguments
        program = find_program(arguments.program)
        if arguments.folder is not None:
            arguments.folder.mkdir(parents=True, exist_ok=True)
            root = arguments.folder.absolute()
        else:
            root = Path(tempfile.mkdtemp(prefix="qx44-fleet."))
        self._root = root
        overrides: dict[str, dict[str, Any]] = {}
        for section, key, value in arguments.settings:
            overrides.setdefault(section, {})[key] = value
        extra = (["--quick-start"] if arguments.quick_start else []) + \
                (["-v"] if arguments.verbose else [])
        count = arguments.count
        for i in range(count):
            if arguments.free_ports:
                ports = Ports()
                fixed: dict[str, dict[str, Any]] = {}
            else:
                host = arguments.first_port + 2 * i
                ports = Ports(host, host + 1, arguments.first_port + 2 * count + i)
                fixed = {"Net": {"PortNum": ports.host}, "Control": {"Port": ports.control}}
            settings = settings_file.merge(
                settings_file.merge({"Main": {"Beeping": 0}}, fixed), overrides)
            self._stations.append(FleetStation(
                f"station-{i + 1}", root / f"station-{i + 1}", program, ports, settings,
                extra, arguments.ready_timeout, self._restarted))
        for station in self._stations:
            station.start()
        for station in self._stations:
            station.await_ready()
        if not arguments.json:
            self._print("station\thost\tcontrol\thttp\tpid\trestarts\tfolder")
        for station in self._stations:
            self._print_station(station)

    def watch_stations(self) -> None:
        for station in self._stations:
            threading.Thread(target=station.watch, args=(self._report,), daemon=True,
                             name=f"watch {station.name}").start()

    # The page

    def serve_page(self) -> None:
        arguments = self._arguments
        if arguments.stations is not None:
            entries = read_stations_file(arguments.stations)
            if arguments.json:
                for entry in entries:
                    self._print(json.dumps(entry))
        else:
            entries = [self._entry(station) for station in self._stations]
        self._board = FleetBoard(entries)
        try:
            self._page = FleetPageServer(arguments.bind, arguments.page, self._board)
        except OSError as error:
            raise StationError(f"cannot serve the page on {arguments.bind} port "
                               f"{arguments.page}: {error.strerror or error}") from error
        threading.Thread(target=self._page.serve_forever, args=(_SERVE_POLL,), daemon=True,
                         name="fleet page").start()
        host = f"[{arguments.bind}]" if ":" in arguments.bind else arguments.bind
        url = f"http://{host}:{self._page.port}/"
        if arguments.json:
            self._print(json.dumps({"event": "page", "url": url, "port": self._page.port}))
        else:
            self._print(f"fleet page: {url}", self._err)

    def reload_stations(self) -> None:
        """Reads the stations file again (SIGHUP); a broken file leaves the page as it was."""
        assert self._arguments.stations is not None and self._board is not None
        try:
            entries = read_stations_file(self._arguments.stations)
        except ValueError as error:
            self._report(f"{error}; the page stays as it was")
            return
        self._board.replace(entries)
        self._report(f"{len(entries)} stations from {self._arguments.stations}")

    # The end

    def stop(self) -> None:
        """Stops the page and every station and removes the folders it made."""
        if self._page is not None:
            self._page.close()
        stoppers = [threading.Thread(target=station.stop) for station in self._stations]
        for stopper in stoppers:
            stopper.start()
        for stopper in stoppers:
            stopper.join()
        if self._root is not None and not self._keep_root:
            shutil.rmtree(self._root, ignore_errors=True)


def main(argv: Sequence[str] | None = None) -> int:
    arguments = _arguments(argv)
    wake = threading.Event()
    stopping = threading.Event()
    reloads = threading.Event()

    def on_signal(number: int, _: object) -> None:
        (reloads if number == signal.SIGHUP and arguments.stations else stopping).set()
        wake.set()

    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, on_signal)
    fleet = Fleet(arguments, sys.stdout, sys.stderr)
    try:
        if arguments.stations is None:
            fleet.start_stations()
            fleet.watch_stations()
        if arguments.page is not None:
            fleet.serve_page()
        if arguments.stations is None:
            print("Ctrl+C stops them all.", file=sys.stderr, flush=True)
        while not stopping.is_set():
            wake.wait()
            wake.clear()
            if reloads.is_set():
                reloads.clear()
                fleet.reload_stations()
        return 0
    except (StationError, ValueError) as error:
        print(f"fleet: {error}", file=sys.stderr, flush=True)
        return 2 if isinstance(error, ValueError) else 1
    except OSError as error:
        print(f"fleet: {error}", file=sys.stderr, flush=True)
        return 1
    finally:
        fleet.stop()


if __name__ == "__main__":
    sys.exit(main())
