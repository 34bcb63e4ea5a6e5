"""pytest plugin: a fresh station per test (`station`), a fake host on it (`host`), and on a
failure the screen in the report and a snapshot PNG.

Options: `--qx44sim PATH` (the program; else $QX44SIM, else qx44sim on PATH),
`--qx44sim-scope=module` (one station per test module), `--qx44sim-snapshots DIR` (where a failed
test's snapshot goes). A test or module marked `@pytest.mark.qx44sim(settings={...}, args=[...])`
gets a station with those settings and extra program arguments.
"""

from __future__ import annotations

import re
from pathlib import Path
from typing import Any, Generator

import pytest

from .errors import Qx44SimError
from .host import Host
from .station import Station

_SCOPES = ("function", "module")


def pytest_addoption(parser: pytest.Parser) -> None:
    """The plugin's command line options."""
    group = parser.getgroup("qx44sim", "QX4400 station simulator")
    group.addoption("--qx44sim", metavar="PATH", default=None,
                    help="the qx44sim program (default: $QX44SIM, else qx44sim on PATH)")
    group.addoption("--qx44sim-scope", choices=_SCOPES, default="function",
                    help="a fresh station per test (function, the default) or per module")
    group.addoption("--qx44sim-snapshots", metavar="DIR", default=None,
                    help="save a snapshot PNG of the station for every failed test in DIR")


def pytest_configure(config: pytest.Config) -> None:
    """Registers the marker."""
    config.addinivalue_line(
        "markers", "qx44sim(settings=None, args=()): the station's settings "
        "(sections -> keys -> values) and extra program arguments")


def _scope(fixture_name: str, config: pytest.Config) -> str:
    return str(config.getoption("--qx44sim-scope"))


@pytest.fixture(scope=_scope)  # type: ignore[arg-type]
def station(request: pytest.FixtureRequest) -> Generator[Station, None, None]:
    """A headless station of its own, ready, on free ports; shut down afterwards."""
    marker = request.node.get_closest_marker("qx44sim")
    options: dict[str, Any] = dict(marker.kwargs) if marker is not None else {}
    with Station(request.config.getoption("--qx44sim"), settings=options.get("settings"),
                 args=options.get("args", ())) as started:
        yield started


@pytest.fixture
def host(station: Station) -> Generator[Host, None, None]:
    """A fake host connected to `station`."""
    connected = station.host()
    yield connected
    connected.close()


def _snapshot_name(nodeid: str) -> str:
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", nodeid).strip("_")[:150] + ".png"


@pytest.hookimpl(hookwrapper=True)  # type: ignore[misc]
def pytest_runtest_makereport(item: pytest.Item, call: pytest.CallInfo[None]) -> Generator[
        None, Any, None]:
    """Adds the station's screen to a failed test's report and saves its snapshot."""
    outcome = yield
    report: pytest.TestReport = outcome.get_result()
    if report.when != "call" or not report.failed:
        return
    funcargs = getattr(item, "funcargs", {})
    found = funcargs.get("station")
    if not isinstance(found, Station) or not found.running:
        return
    try:
        screen = found.screen()
        status = found.control.status()
    except Qx44SimError as error:
        report.sections.append(("qx44sim screen", f"(the screen could not be read: {error})"))
        return
    lines = [f"{row:2d} |{line}" for row, line in enumerate(screen.lines)]
    text = "\n".join(lines + [f"status |{status.text}"])
    report.sections.append((f"qx44sim screen {screen.columns}x{screen.rows}", text))
    folder = item.config.getoption("--qx44sim-snapshots")
    if folder:
        target = Path(folder) / _snapshot_name(item.nodeid)
        target.parent.mkdir(parents=True, exist_ok=True)
        try:
            found.snap(target)
            report.sections.append(("qx44sim snapshot", str(target)))
        except Qx44SimError as error:
            report.sections.append(("qx44sim snapshot", f"not saved: {error}"))
