"""The station's web page in headless Chromium: it shows what a host draws, pixel for pixel as
/api/snap.png; keys typed on it and clicks on its cells reach the host as the station's key and
mouse messages; a receipt the host prints appears on it.

Usage: station_page_test.py PATH_TO_QX44SIM. Skipped (status 77) without Chromium."""
import os
import sys
import unittest

import station_fixture as fixture

PROGRAM = None

# The shown canvas against a fresh /api/snap.png, both decoded by the browser: the number of
# differing pixels, or -1 while the sizes differ.
COMPARE_WITH_SNAP = """
const done = arguments[arguments.length - 1];
(async () => {
  const canvas = document.getElementById("screen");
  const snap = await createImageBitmap(await (await fetch("/api/snap.png")).blob());
  if (snap.width !== canvas.width || snap.height !== canvas.height) return -1;
  const scratch = new OffscreenCanvas(snap.width, snap.height).getContext("2d");
  scratch.drawImage(snap, 0, 0);
  const want = scratch.getImageData(0, 0, snap.width, snap.height).data;
  const shown = canvas.getContext("2d").getImageData(0, 0, snap.width, snap.height).data;
  let differing = 0;
  for (let i = 0; i < want.length; i += 4) {
    if (want[i] !== shown[i] || want[i + 1] !== shown[i + 1] || want[i + 2] !== shown[i + 2]) {
      ++differing;
    }
  }
  return differing;
})().then(done, (failure) => done(String(failure)));
"""


class StationPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.station = fixture.Station(PROGRAM)
        cls.host = fixture.Host(cls.station.host_port)
        cls.host.answered()
        cls.browser = fixture.start_browser()
        cls.browser.set_script_timeout(20)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.host.close()
        cls.station.stop()

    def open(self, path="/"):
        self.browser.get(self.station.base + path)
        fixture.wait_for(lambda: self.browser.execute_script(
            "return Number(document.getElementById('screen').dataset.frames || 0)") > 0,
            "the first frame on " + path)
        if path == "/":
            # The status line's text below the screen settles the screen's size.
            fixture.wait_for(lambda: self.browser.find_element("id", "status").text.strip(),
                             "the status line's text")

    def shows_snap(self):
        return self.browser.execute_async_script(COMPARE_WITH_SNAP) == 0

    def test_page_shows_the_hosts_text_as_the_window_does(self):
        self.open()
        self.host.text(5, 3, "HELLO FROM THE HOST")
        fixture.wait_for(
            lambda: "HELLO FROM THE HOST" in self.station.get("/api/screen")["lines"][3],
            "the host's text on the station")
        fixture.wait_for(self.shows_snap, "the page to show what /api/snap.png shows")
        status = self.station.get("/api/status")["text"].strip()
        fixture.wait_for(lambda: self.browser.find_element("id", "status").text.strip() == status,
                         "the status line's text")
        self.assertIn("127.0.0.1", self.browser.find_element("id", "host").text)

    def typed(self, keys, shift=False):
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.keys import Keys

        self.browser.execute_script("document.getElementById('screen').focus()")
        actions = ActionChains(self.browser)
        if shift:
            actions.key_down(Keys.SHIFT)
        actions.send_keys(*keys)
        if shift:
            actions.key_up(Keys.SHIFT)
        actions.perform()

    def test_keys_typed_on_the_page_reach_the_host_with_their_releases(self):
        from selenium.webdriver.common.keys import Keys

        self.open()
        # The reference: the same keys through the API, as the control port's `key` sends them.
        cases = [
            (["a"], False, {"keys": ["a"]}),
            ([Keys.RETURN], False, {"keys": ["enter"]}),
            ([Keys.ENTER], False, {"keys": ["kpenter"]}),
            (["b"], True, {"text": "B"}),
            ([Keys.TAB], False, {"keys": ["tab"]}),
        ]
        for keys, shift, reference in cases:
            with self.subTest(keys=keys):
                self.station.post("/api/keys", reference)
                expected = self.key_messages()
                self.typed(keys, shift)
                self.assertEqual(self.key_messages().hex(" "), expected.hex(" "))

    def key_messages(self):
        """The key messages of one press and release: up to the end of the last release, which
        is the key's code after F0 (and E0 for the extended keys)."""
        received = b""
        while True:
            received += self.host.receive(5)
            self.assertEqual(received[-5:-2], bytes([0x02, 0x01, 0x11]), received.hex(" "))
            codes = received[3::5]
            # Done once every make has had its release: the makes are the codes after no F0.
            makes = [c for i, c in enumerate(codes)
                     if c not in (0xE0, 0xF0) and (i == 0 or codes[i - 1] != 0xF0)]
            releases = [c for i, c in enumerate(codes) if i > 0 and codes[i - 1] == 0xF0]
            if makes and sorted(makes) == sorted(releases) and codes[-1] not in (0xE0, 0xF0):
                return received

    def test_a_click_on_a_cell_reaches_the_host_as_that_cell(self):
        from selenium.webdriver.common.action_chains import ActionChains

        self.open()
        screen = self.browser.find_element("id", "screen")
        cell = self.station.get("/api/cell?c=10&r=5")
        size = self.browser.execute_script(
            "const c = document.getElementById('screen'); const r = c.getBoundingClientRect();"
            "return [r.width / c.width, r.height / c.height, r.width, r.height];")
        x = (cell["x"] + cell["width"] / 2) * size[0] - size[2] / 2
        y = (cell["y"] + cell["height"] / 2) * size[1] - size[3] / 2
        ActionChains(self.browser).move_to_element_with_offset(screen, int(x), int(y)) \
            .click().perform()
        self.assertEqual(self.host.receive(12).hex(" "), "02 01 2c 0a 05 03 02 01 2d 0a 05 03")

    def test_a_receipt_the_host_prints_appears_on_the_page_and_the_tile(self):
        self.open()
        receipt = b"THANK YOU\nTOTAL 4.20\n\x1dV\x00"
        self.host.send(0x50, bytes([len(receipt)]) + receipt)
        self.assertEqual(self.host.receive(4), bytes([0x02, 0x01, 0x35, 0x03]))
        fixture.wait_for(lambda: "TOTAL 4.20" in self.browser.find_element("id", "receipts").text,
                         "the receipt on the page")
        self.open("/tile")
        fixture.wait_for(self.shows_snap, "the tile to show the window")
        self.assertEqual(self.browser.find_element("id", "last-receipt").text, "TOTAL 4.20")

    def test_the_tile_lives_in_a_fleet_pages_frame_and_the_page_does_not(self):
        with fixture.FleetPage(self.station.base) as fleet:
            self.browser.get(fleet.url)
            frames = self.browser.find_elements("tag name", "iframe")
            self.browser.switch_to.frame(frames[0])
            try:
                fixture.wait_for(lambda: self.browser.execute_script(
                    "const s = document.getElementById('screen');"
                    "return s ? Number(s.dataset.frames || 0) : 0") > 0, "the tile's frames")
            finally:
                self.browser.switch_to.default_content()
            self.browser.switch_to.frame(frames[1])
            try:
                self.assertEqual(self.browser.find_elements("id", "screen"), [],
                                 "the station page refuses to be framed")
            finally:
                self.browser.switch_to.default_content()


class TokenPageTest(unittest.TestCase):
    """With [Control] Token= the page is opened once with ?token=, and its cookie carries the
    page's requests and its stream from then on."""

    def test_the_token_in_the_address_opens_the_page(self):
        station = fixture.Station(PROGRAM, token="open sesame")
        browser = fixture.start_browser()
        try:
            browser.get(station.base + "/")
            self.assertIn("unauthorized", browser.page_source)
            browser.get(station.base + "/?token=open%20sesame")
            self.assertEqual(browser.current_url, station.base + "/")
            fixture.wait_for(lambda: browser.execute_script(
                "return Number(document.getElementById('screen').dataset.frames || 0)") > 0,
                "the first frame with the token's cookie")
            fixture.wait_for(lambda: browser.find_element("id", "status").text.strip(),
                             "the status line's text")
        finally:
            browser.quit()
            station.stop()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: station_page_test.py PATH_TO_QX44SIM")
    if not fixture.have_chromium():
        print("SKIPPED: no Chromium at", fixture.CHROMIUM, "and", fixture.CHROMEDRIVER)
        sys.exit(77)
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
