"""The pytest plugin as a user meets it, pytest run in a subprocess: a broken menu host fails
with the station's screen in the report and a snapshot PNG; scopes and the marker."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

import qx44sim

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


def run_pytest(program: Path, *arguments: str, env: dict[str, str] | None = None,
               cwd: Path | None = None) -> subprocess.CompletedProcess[str]:
    package_root = str(Path(qx44sim.__file__).resolve().parents[1])
    environment = {**os.environ, **(env or {})}
    environment["PYTHONPATH"] = os.pathsep.join(
        filter(None, [package_root, environment.get("PYTHONPATH")]))
    return subprocess.run(
        [sys.executable, "-m", "pytest", "-p", "no:cacheprovider", "-p", "qx44sim.pytest_plugin",
         "--qx44sim", str(program), *arguments],
        capture_output=True, text=True, env=environment, cwd=cwd, timeout=300)


def test_a_broken_menu_host_fails_readably_and_leaves_a_snapshot(program, tmp_path):
    broken = tmp_path / "menu_host.py"
    source = (EXAMPLES / "menu_host.py").read_text()
    assert '("Tea", "2.00")' in source
    broken.write_text(source.replace('("Tea", "2.00")', '("Toa", "2.00")'))
    snapshots = tmp_path / "snapshots"
    result = run_pytest(program, "--qx44sim-snapshots", str(snapshots), "-k", "Tea",
                        str(EXAMPLES / "test_menu_host.py"), env={"MENU_HOST": str(broken)})
    output = result.stdout
    assert result.returncode == 1, output + result.stderr
    assert "1 failed" in output
    assert 'wait text "Selected: Tea" 3.000: timeout' in output
    assert "qx44sim screen 80x25" in output
    assert "Selected: Toa" in output and "2  Toa" in output
    assert "status |Choose 1-3" in output
    pictures = list(snapshots.glob("*.png"))
    assert len(pictures) == 1
    assert pictures[0].name.endswith(
        "test_menu_host.py_test_a_digit_chooses_and_highlights_an_item_2-Tea-10.png")
    assert pictures[0].read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert "qx44sim snapshot" in output and str(pictures[0]) in output


SCOPE_TESTS = '''
import pytest

def test_one(station, record):
    record(station.pid)

def test_two(station, record):
    record(station.pid)

@pytest.mark.qx44sim(settings={"Main": {"Address": 7}})
def test_marked(station, host, record):
    host.send("identity")
    assert host.expect("identity").address == 7
    record(station.pid)
'''

SCOPE_CONFTEST = '''
import pytest

@pytest.fixture
def record():
    def write(pid):
        with open("pids", "a") as pids:
            pids.write(f"{pid}\\n")
    return write
'''


@pytest.mark.parametrize("scope, stations", [("function", 3), ("module", 1)])
def test_the_scope_option_shares_a_station_per_module(program, tmp_path, scope, stations):
    (tmp_path / "test_scoped.py").write_text(SCOPE_TESTS)
    (tmp_path / "conftest.py").write_text(SCOPE_CONFTEST)
    arguments = [f"--qx44sim-scope={scope}", "-q", "test_scoped.py"]
    if scope == "module":
        # The marker's settings are the module's when one station serves the module.
        (tmp_path / "test_scoped.py").write_text(
            'import pytest\npytestmark = pytest.mark.qx44sim(settings={"Main": {"Address": 7}})\n'
            + SCOPE_TESTS)
    result = run_pytest(program, *arguments, cwd=tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr
    pids = (tmp_path / "pids").read_text().split()
    assert len(pids) == 3 and len(set(pids)) == stations
