"""Shared pieces of the package's own tests, which run with `-p qx44sim.pytest_plugin`."""

from pathlib import Path

import pytest

from qx44sim import find_program


@pytest.fixture(scope="session")
def program(pytestconfig: pytest.Config) -> Path:
    """The station program these tests start (--qx44sim, $QX44SIM or PATH)."""
    return find_program(pytestconfig.getoption("--qx44sim"))
