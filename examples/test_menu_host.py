"""Tests of examples/menu_host.py against a real station, through the qx44sim pytest plugin.

Run from the repository, after scripts/build.sh:
    PYTHONPATH=python /usr/bin/python3 -m pytest -p qx44sim.pytest_plugin
        --qx44sim build/src/ui/qx44sim examples/test_menu_host.py
With the Debian package installed, `python3 -m pytest examples/test_menu_host.py` is enough.
MENU_HOST=FILE tests another copy of the menu host. Every test gets a fresh station (the
plugin's default scope), so no test sees another's choice or receipts.
"""

import os
import subprocess
import sys
from pathlib import Path

import pytest

MENU_HOST = Path(os.environ.get("MENU_HOST", Path(__file__).with_name("menu_host.py")))


@pytest.fixture
def menu(station):
    """The menu host connected to the station, its menu drawn."""
    app = subprocess.Popen([sys.executable, str(MENU_HOST), "--port", str(station.host_port)])
    try:
        station.control.wait_text("CAFE MENU", timeout=10)
        yield station
    finally:
        app.terminate()
        app.wait(10)


def test_menu_lists_the_items(menu):
    screen = menu.screen()
    assert screen.find("CAFE MENU") == (35, 5)
    for line in ("1  Coffee", "2  Tea", "3  Cake"):
        assert line in screen
    assert menu.control.status().text.startswith("Choose 1-3")


@pytest.mark.parametrize("key, item, row", [
    ("1", "Coffee", 8),
    ("2", "Tea", 10),
    ("kp3", "Cake", 12),
])
def test_a_digit_chooses_and_highlights_an_item(menu, key, item, row):
    menu.control.key(key)
    menu.control.wait_text(f"Selected: {item}", timeout=3)
    assert menu.control.cell(24, row).attr == "00D7"  # black on white: the chosen line
    others = {8, 10, 12} - {row}
    assert all(menu.control.cell(24, other).attr == "D200" for other in others)


def test_enter_prints_a_receipt_for_the_chosen_item(menu):
    menu.control.key("2", "enter")
    menu.control.wait_text("Printed: Tea", timeout=3)
    receipts = menu.printer.wait_receipt(timeout=3)
    assert receipts == ["CAFE\nTea 2.00\nThank you"]


def test_enter_without_a_choice_prints_nothing(menu):
    menu.control.key("enter")
    menu.control.wait_text("Choose an item first", timeout=3)
    assert menu.printer.receipts() == []


def test_esc_clears_the_choice(menu):
    menu.control.key("3")
    menu.control.wait_text("Selected: Cake", timeout=3)
    menu.control.key("esc")
    menu.control.wait_gone("Selected: Cake", timeout=3)
    assert menu.control.cell(24, 12).attr == "D200"
