#!/usr/bin/python3
"""The fleet page under load: N stations (default 20) from the fleet program, each with a host
that redraws the whole screen 10 times a second. Prints the CPU (in % of one core) of the
stations (sum and busiest), the browser (headless Chromium), the fleet program and the hosts:
first over SECONDS/2 with no page open, then over SECONDS (default 20) with the fleet page open,
with the latency from a host's draw to its tile showing it, taken in each tile view (the moment
a frame is on the tile's canvas, against the host's clock: the same machine's) and the frames a
tile showed a second; last over SECONDS/2 with the hosts silent and the page still open.

Every draw colours the first two cells of row 0 (sent last) with a number of its own, which the
tile view reads back from its canvas; a draw the station folded into a later frame counts as
skipped. Needs python3-selenium, /usr/bin/chromium and /usr/bin/chromedriver.

Usage: bench/fleet_page.py [N] [SECONDS] [PATH_TO_QX44SIM]   (default: build/src/ui/qx44sim)
"""
import fcntl
import json
import os
import struct
import termios
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "browser"))
sys.path.insert(0, str(HERE.parent / "python"))
import station_fixture as fixture  # noqa: E402  (the browser tests' Chromium and host)
from qx44sim import Control  # noqa: E402

DRAWS_A_SECOND = 10
# Background indexes with distinct colours (those of the colour table).
COLOURS = [215, 210, 191, 186, 29, 57, 234, 212, 185, 108, 35, 30, 5, 0]

# Installed in every tile view: a timestamp and the two marker cells' colours per frame.
WATCH = """
const [x0, x1, y] = arguments;
const canvas = document.getElementById("screen");
const context = canvas.getContext("2d");
const hex = (x) => Array.from(context.getImageData(x, y, 1, 1).data.slice(0, 3),
                              (v) => v.toString(16).padStart(2, "0")).join("");
window.shown = [];
new MutationObserver(() => {
  window.shown.push([performance.timeOrigin + performance.now(), hex(x0), hex(x1)]);
}).observe(canvas, { attributes: true, attributeFilter: ["data-frames"] });
"""


def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def descendants(pid):
    """`pid` and every process below it."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
            except OSError:
                continue
            children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        found.append(todo.pop())
        todo.extend(children.get(found[-1], []))
    return found


class Painter(threading.Thread):
    """One host: while `painting` is set, the whole screen DRAWS_A_SECOND times a second, each
    draw's number in the background colours of cells (0, 0) and (1, 0)."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.host = fixture.Host(port)
        self.host.answered()
        self.sent = []
        self.painting = threading.Event()
        self.number = 0

    def draw(self, number):
        messages = []
        for row in list(range(1, 25)) + [0]:
            # Row 0 leaves the two marker cells to the marker's own messages, sent last.
            column = 2 if row == 0 else 0
            text = f"  draw {number:07d} row {row:02d} ".ljust(80 - column, "=").encode()
            colour = COLOURS[(number + row) % len(COLOURS)]
            messages.append(bytes([0x02, 0x01, 0x23, column, row, colour, 0x07, len(text)]) +
                            text + b"\x03")
        marks = [COLOURS[number % len(COLOURS)], COLOURS[number // len(COLOURS) % len(COLOURS)]]
        for column, colour in enumerate(marks):
            messages.append(bytes([0x02, 0x01, 0x23, column, 0, colour, 0x07, 1, 0x20, 0x03]))
        self.sent.append((time.time() * 1000, number))
        self.host.sock.sendall(b"".join(messages))

    def run(self):
        while True:
            self.painting.wait()
            start, drawn = time.monotonic(), 0
            while self.painting.is_set():
                self.draw(self.number)
                self.number += 1
                drawn += 1
                pause = start + drawn / DRAWS_A_SECOND - time.monotonic()
                if pause > 0:
                    time.sleep(pause)


def shown_count(browser, frame):
    browser.switch_to.frame(frame)
    try:
        return browser.execute_script("return window.shown.length")
    finally:
        browser.switch_to.default_content()


def latencies(sent, shown, colour_of):
    """Per draw: ms from sending to the first frame showing it; and how many were skipped."""
    per_draw = {}
    for stamp, first, second in shown:
        if first not in colour_of or second not in colour_of:
            continue
        low, high = colour_of[first], colour_of[second]
        per_draw.setdefault(high * len(COLOURS) + low, []).append(stamp)
    cycle = len(COLOURS) ** 2
    found, skipped = [], 0
    for sent_at, number in sent:
        later = [stamp for stamp in per_draw.get(number % cycle, []) if stamp >= sent_at]
        if later:
            found.append(min(later) - sent_at)
        else:
            skipped += 1
    return found, skipped


def spread(values):
    values = sorted(values)
    if not values:
        return "none"
    pick = lambda share: values[min(len(values) - 1, int(share * len(values)))]  # noqa: E731
    return (f"median {pick(0.5):.0f} ms, p90 {pick(0.9):.0f} ms, p99 {pick(0.99):.0f} ms, "
            f"max {values[-1]:.0f} ms ({len(values)} draws)")


def unsent(connection):
    """Bytes a host wrote that its station has not taken yet."""
    return struct.unpack("i", fcntl.ioctl(connection.fileno(), termios.TIOCOUTQ, b"\0" * 4))[0]


def measure(label, seconds, stations, browser_pid, fleet_pid):
    groups = {"stations": lambda: [s["pid"] for s in stations],
              "browser": lambda: descendants(browser_pid),
              "fleet program": lambda: [fleet_pid],
              "hosts (this script)": lambda: [os.getpid()]}
    before = {name: {pid: cpu_seconds(pid) for pid in pids()} for name, pids in groups.items()}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    print(f"{label}, CPU over {elapsed:.1f} s (% of one core):")
    for name, pids in groups.items():
        used = [cpu_seconds(pid) - before[name].get(pid, 0.0) for pid in pids()]
        print(f"  {name}: {100 * sum(used) / elapsed:.1f} %"
              + (f" (busiest {100 * max(used) / elapsed:.1f} %)" if name == "stations" else ""))


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 20
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 20.0
    program = sys.argv[3] if len(sys.argv) > 3 else str(HERE.parent / "build/src/ui/qx44sim")
    fleet = subprocess.Popen(
        ["/usr/bin/python3", "-m", "qx44sim.fleet", str(count), "--free-ports", "--quick-start",
         "--json", "--page", "0", "--program", program],
        stdout=subprocess.PIPE, text=True,
        env={**os.environ, "PYTHONPATH": str(HERE.parent / "python")})
    browser = None
    painters = []
    try:
        lines = (json.loads(line) for line in fleet.stdout)
        stations = [next(lines) for _ in range(count)]
        page = next(lines)["url"]
        with Control(stations[0]["controlPort"]) as control:
            first = control.command("cell 0 0")
            second = control.command("cell 1 0")
        y = first["y"] + first["height"] // 2
        x0, x1 = first["x"] + first["width"] // 2, second["x"] + second["width"] // 2
        colour_of = {}
        painters = [Painter(s["hostPort"]) for s in stations]
        # The colours as the station paints them, from the first host's first draw.
        with Control(stations[0]["controlPort"]) as control:
            for colour in COLOURS:
                painters[0].host.sock.sendall(bytes([0x02, 0x01, 0x23, 0, 0, colour, 7, 1,
                                                     0x20, 0x03]))
                control.command("wait stable 50 10")
                colour_of[control.command("cell 0 0")["back"].lstrip("#").lower()] = \
                    COLOURS.index(colour)
        if len(colour_of) != len(COLOURS):
            raise SystemExit("the colour table's indexes do not give distinct colours")

        for painter in painters:
            painter.start()
            painter.painting.set()
        time.sleep(2)
        browser = fixture.start_browser()
        measure(f"{count} stations, each redrawn {DRAWS_A_SECOND} times a second, no page open",
                seconds / 2, stations, browser.service.process.pid, fleet.pid)
        for painter in painters:
            painter.painting.clear()

        # Every tile in view: a browser may put off drawing frames that nobody sees.
        browser.set_window_size(2400, 1600)
        browser.get(page)
        fixture.wait_for(lambda: len(browser.find_elements("css selector", "article.tile")) ==
                         count, f"{count} tiles", 120)
        frames = browser.find_elements("css selector", "article.tile iframe")
        for frame in frames:
            browser.switch_to.frame(frame)
            fixture.wait_for(lambda: browser.execute_script(
                "return Number(document.getElementById('screen').dataset.frames || 0)") > 0,
                "a live tile", 120)
            browser.execute_script(WATCH, x0, x1, y)
            browser.switch_to.default_content()
        for painter in painters:
            painter.painting.set()
        time.sleep(3)  # every stream is busy
        for painter in painters:
            painter.sent.clear()
        window_start = time.time() * 1000
        measure("the same with the fleet page open", seconds, stations,
                browser.service.process.pid, fleet.pid)
        window_end = time.time() * 1000
        backlog = [unsent(painter.host.sock) for painter in painters]
        for painter in painters:
            painter.painting.clear()
        # The tiles catch up (no frame for two seconds) before their records are read.
        counts, deadline = None, time.monotonic() + 120
        while time.monotonic() < deadline:
            now = [shown_count(browser, frame) for frame in frames]
            if now == counts:
                break
            counts = now
            time.sleep(2)
        found, skipped, total, tile_frames = [], 0, 0, 0
        for frame, painter in zip(frames, painters):
            browser.switch_to.frame(frame)
            shown = browser.execute_script("return window.shown")
            browser.switch_to.default_content()
            tile_frames += sum(1 for stamp, _, _ in shown if window_start <= stamp <= window_end)
            # The draws of the window, with a second for the last ones to arrive.
            sent = [(at, n) for at, n in painter.sent if window_start <= at <= window_end - 1000]
            draw_latencies, missed = latencies(sent, shown, colour_of)
            found += draw_latencies
            skipped += missed
            total += len(sent)
        print(f"draw to tile: {spread(found)}; {skipped} of {total} draws never shown on their "
              "own (folded into a later frame)")
        print(f"frames shown: {tile_frames / count / ((window_end - window_start) / 1000):.1f} "
              "a second per tile")
        print(f"host bytes not yet taken by their stations at the end: total {sum(backlog)}, "
              f"most {max(backlog)} (one draw is about 2.3 kB)")
        time.sleep(3)
        measure("hosts silent, page open", seconds / 2, stations,
                browser.service.process.pid, fleet.pid)
        load = os.getloadavg()
        print(f"load average: {load[0]:.2f} {load[1]:.2f} {load[2]:.2f} on {os.cpu_count()} "
              "cores")
    finally:
        for painter in painters:
            painter.painting.clear()
            painter.host.close()
        if browser is not None:
            browser.quit()
        fleet.terminate()
        fleet.wait(60)


if __name__ == "__main__":
    main()
