"""The fleet page in headless Chromium: one live tile per station, each streaming its station's
own tile view; a tile changes when its host draws and shows the host; a killed station's tile
shows its restart, pushed by the fleet program, and goes live again; a click on a tile opens
the station's full page.

Usage: test_fleet_page.py PATH_TO_QX44SIM. Skipped (status 77) without Chromium."""
import json
import os
import signal
import subprocess
import sys
import unittest
from pathlib import Path

import station_fixture as fixture

PROGRAM = None
PYTHON_FOLDER = Path(__file__).resolve().parents[2] / "python"
COUNT = 3

# The tile view's canvas as a picture, and how many frames it has shown.
CANVAS = """
const canvas = document.getElementById("screen");
return [Number(canvas.dataset.frames || 0), canvas.toDataURL()];
"""


def station_lines(fleet):
    """The fleet's JSON lines, as they come."""
    for line in fleet.stdout:
        yield json.loads(line)


class FleetPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.fleet = subprocess.Popen(
            ["/usr/bin/python3", "-m", "qx44sim.fleet", str(COUNT), "--free-ports",
             "--quick-start", "--json", "--page", "0", "--program", PROGRAM],
            stdout=subprocess.PIPE, text=True,
            env={**os.environ, "PYTHONPATH": str(PYTHON_FOLDER)})
        cls.addClassCleanup(fixture.end, cls.fleet, 60)
        cls.lines = station_lines(cls.fleet)
        cls.stations = [next(cls.lines) for _ in range(COUNT)]
        cls.page = next(cls.lines)["url"]
        cls.browser = fixture.start_browser()
        cls.addClassCleanup(cls.browser.quit)

    def tiles(self):
        return self.browser.find_elements("css selector", "article.tile")

    def in_tile(self, name, script):
        """Runs `script` in the tile view of station `name`."""
        frame = self.browser.find_element("css selector",
                                          f'article.tile[data-name="{name}"] iframe')
        self.browser.switch_to.frame(frame)
        try:
            return self.browser.execute_script(script)
        finally:
            self.browser.switch_to.default_content()

    def live(self, name):
        return self.in_tile(name, "return document.getElementById('link').textContent") == \
            "live" and self.in_tile(name, CANVAS)[0] > 0

    def restarts_shown(self, name):
        return self.browser.find_element(
            "css selector", f'article.tile[data-name="{name}"] .restarts').text

    def test_page_tiles_hosts_restarts_and_links(self):
        self.browser.get(self.page)
        fixture.wait_for(lambda: len(self.tiles()) == COUNT, f"{COUNT} tiles")
        self.assertEqual([t.get_attribute("data-name") for t in self.tiles()],
                         [s["name"] for s in self.stations])
        for station in self.stations:
            fixture.wait_for(lambda: self.live(station["name"]), f"{station['name']} live")
            self.assertEqual(self.restarts_shown(station["name"]), "restarts 0")

        drawn = self.stations[1]
        before = self.in_tile(drawn["name"], CANVAS)
        host = fixture.Host(drawn["hostPort"])
        try:
            host.answered()
            host.text(10, 5, "DRAWN BY THE HOST")
            fixture.wait_for(lambda: self.in_tile(drawn["name"], CANVAS)[1] != before[1],
                             "the tile to show the host's text")
            fixture.wait_for(lambda: "127.0.0.1" in self.in_tile(
                drawn["name"], "return document.getElementById('host').textContent"),
                "the tile to show the host")
        finally:
            host.close()

        killed = self.stations[2]
        os.kill(killed["pid"], signal.SIGKILL)
        again = next(self.lines)
        self.assertEqual((again["name"], again["restarts"]), (killed["name"], 1))
        fixture.wait_for(lambda: self.restarts_shown(killed["name"]) == "restarts 1",
                         "the restart on the tile")
        fixture.wait_for(lambda: self.live(killed["name"]), "the restarted station live")

        first = self.stations[0]
        self.browser.find_element("css selector",
                                  f'article.tile[data-name="{first["name"]}"] a.open').click()
        fixture.wait_for(lambda: len(self.browser.window_handles) == 2, "the station's page")
        self.browser.switch_to.window(self.browser.window_handles[1])
        fixture.wait_for(lambda: self.browser.current_url ==
                         f"http://127.0.0.1:{first['httpPort']}/", "the station's own address")
        fixture.wait_for(lambda: self.browser.execute_script(
            "return Number(document.getElementById('screen').dataset.frames || 0)") > 0,
            "the station's page live")
        self.browser.close()
        self.browser.switch_to.window(self.browser.window_handles[0])

    def test_a_lab_station_with_a_token_streams_into_a_page_of_another_site(self):
        """A page on localhost framing a station on 127.0.0.1 is another site: no cookie reaches
        the tile, which carries its token in its addresses instead."""
        station = fixture.Station(PROGRAM, token="lab&token%")
        self.addCleanup(station.stop)
        stations = Path(station.folder) / "fleet.txt"
        stations.write_text(f"lab-1 {station.base} lab&token%\n")
        lab = subprocess.Popen(
            ["/usr/bin/python3", "-m", "qx44sim.fleet", "--stations", str(stations), "--json",
             "--page", "0"], stdout=subprocess.PIPE, text=True,
            env={**os.environ, "PYTHONPATH": str(PYTHON_FOLDER)})
        self.addCleanup(fixture.end, lab, 30)
        lines = station_lines(lab)
        next(lines)
        page = next(lines)
        self.browser.get(f"http://localhost:{page['port']}/")
        fixture.wait_for(lambda: len(self.tiles()) == 1, "the lab's tile")
        fixture.wait_for(lambda: self.live("lab-1"), "the lab station's tile live")

if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: test_fleet_page.py PATH_TO_QX44SIM")
    if not fixture.have_chromium():
        print("SKIPPED: no Chromium at", fixture.CHROMIUM, "and", fixture.CHROMEDRIVER)
        sys.exit(77)
    PROGRAM = sys.argv.pop(1)
    unittest.main(verbosity=2)
