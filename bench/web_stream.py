#!/usr/bin/env python3
"""Cost of the web view's live stream. A headless station with --http, a connected host and a
stream client (what an open page keeps: the WebSocket at /api/stream), in three phases of
SECONDS each (default 10):

  idle      the host is silent and a stream client is connected: CPU should be ~0, no frames
  redraw    the host redraws the whole text screen RATE times a second (default 10) with one
            stream client: the program's CPU and the frames per second the client receives
  baseline  the same redraw with no stream client, for comparison

With --chromium the idle and redraw phases also run with a real page open in headless Chromium
(Debian's python3-selenium), which keeps its own stream and asks for the status line's text
after frames; the frames it shows are counted on the page.

Usage: bench/web_stream.py [SECONDS] [RATE] [PATH_TO_QX44SIM] [--chromium]
The stream client is written here with the standard library only.
"""
import base64
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples"))
from drive_station import connect, free_port  # noqa: E402  (the example's helpers, reused)

from idle_fleet import cpu_seconds  # noqa: E402


class StreamClient:
    """A WebSocket client of /api/stream that counts the frames (binary messages) and events."""

    def __init__(self, port):
        self.sock = connect(port)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET /api/stream HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n"
                           "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                           f"Sec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                          .encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        if not head.startswith(b"HTTP/1.1 101"):
            raise RuntimeError("the stream refused: " + head.decode(errors="replace"))
        self.frames = 0
        self.events = 0
        self.frame_bytes = 0
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _exactly(self, count):
        data = b""
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise EOFError
            data += chunk
        return data

    def _read(self):
        message_kind, size = None, 0
        try:
            while True:
                first, second = self._exactly(2)
                length = second & 0x7F
                if length == 126:
                    length = struct.unpack("!H", self._exactly(2))[0]
                elif length == 127:
                    length = struct.unpack("!Q", self._exactly(8))[0]
                self._exactly(length)
                opcode = first & 0x0F
                if opcode in (1, 2):
                    message_kind, size = opcode, 0
                size += length
                if first & 0x80 and opcode in (0, 1, 2):
                    with self.lock:
                        if message_kind == 2:
                            self.frames += 1
                            self.frame_bytes += size
                        else:
                            self.events += 1
        except (EOFError, OSError):
            pass

    def counts(self):
        with self.lock:
            return self.frames, self.events, self.frame_bytes

    def close(self):
        self.sock.close()


def redraw(host, stop, rate):
    """The whole 80 x 25 screen anew, `rate` times a second, each time with other text."""
    turn = 0
    while not stop.is_set():
        started = time.monotonic()
        for row in range(25):
            text = (f"{turn:08d} row {row:02d} " * 6)[:80].encode()
            host.sendall(bytes([0x02, 0x01, 0x23, 0, row, 0xD2 if turn % 2 else 0x07, 0x00,
                                len(text)]) + text + b"\x03")
        turn += 1
        stop.wait(max(0.0, 1.0 / rate - (time.monotonic() - started)))


def measure(pid, seconds, client=None):
    before_cpu = cpu_seconds(pid)
    before = client.counts() if client else (0, 0, 0)
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    used = cpu_seconds(pid) - before_cpu
    after = client.counts() if client else (0, 0, 0)
    frames = after[0] - before[0]
    return (100 * used / elapsed, frames / elapsed, after[1] - before[1],
            (after[2] - before[2]) / max(frames, 1))


def main():
    arguments = [a for a in sys.argv[1:] if a != "--chromium"]
    chromium = "--chromium" in sys.argv
    seconds = float(arguments[0]) if arguments else 10.0
    rate = float(arguments[1]) if len(arguments) > 1 else 10.0
    here = os.path.dirname(os.path.abspath(__file__))
    program = arguments[2] if len(arguments) > 2 else os.path.join(
        here, "..", "build", "src", "ui", "qx44sim")
    program = os.path.abspath(program)
    with tempfile.TemporaryDirectory() as folder:
        port, http = free_port(), free_port()
        settings = os.path.join(folder, "setting.txt")
        with open(settings, "w") as f:
            f.write(f"[Net]\nPortNum={port}\n[Main]\nBeeping=0\n")
        station = subprocess.Popen([program, "--headless", "--windowed", "--settings", settings,
                                    "--http", str(http)], cwd=folder)
        try:
            host = connect(port, 60)
            host.sendall(bytes([0x02, 0x01, 0x11, 0x03]))
            host.recv(16)
            threading.Thread(target=lambda: [host.recv(65536) for _ in iter(int, 1)],
                             daemon=True).start()
            client = StreamClient(http)
            time.sleep(2)  # the first frame and the connection's last repaints pass
            cpu, fps, events, _ = measure(station.pid, seconds, client)
            print(f"idle, one stream client:      CPU {cpu:5.2f} %, frames/s {fps:5.2f}, "
                  f"events {events}")
            if chromium:
                browser = open_page(http)
                try:
                    time.sleep(3)
                    cpu, _, _, _ = measure(station.pid, seconds)
                    print(f"idle, page open in Chromium:  CPU {cpu:5.2f} %")
                finally:
                    browser.quit()

            stop = threading.Event()
            drawing = threading.Thread(target=redraw, args=(host, stop, rate), daemon=True)
            drawing.start()
            time.sleep(1)
            cpu, fps, _, size = measure(station.pid, seconds, client)
            print(f"redraw {rate:g}/s, one client:    CPU {cpu:5.2f} %, frames/s {fps:5.2f}, "
                  f"{size / 1024:.0f} KiB per frame")
            client.close()
            if chromium:
                browser = open_page(http)
                try:
                    time.sleep(3)
                    count = "return Number(document.getElementById('screen').dataset.frames)"
                    shown = browser.execute_script(count)
                    cpu, _, _, _ = measure(station.pid, seconds)
                    shown = browser.execute_script(count) - shown
                    print(f"redraw {rate:g}/s, Chromium page: CPU {cpu:5.2f} %, frames/s shown "
                          f"{shown / seconds:5.2f}")
                finally:
                    browser.quit()
            time.sleep(1)
            cpu, _, _, _ = measure(station.pid, seconds)
            print(f"redraw {rate:g}/s, no client:     CPU {cpu:5.2f} %")
            stop.set()
            drawing.join()
        finally:
            station.terminate()
            try:
                station.wait(timeout=20)
            except subprocess.TimeoutExpired:
                station.kill()


def open_page(http):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                    "browser"))
    import station_fixture  # noqa: E402  (Selenium, only with --chromium)

    browser = station_fixture.start_browser()
    browser.get(f"http://127.0.0.1:{http}/")
    return browser


if __name__ == "__main__":
    main()
