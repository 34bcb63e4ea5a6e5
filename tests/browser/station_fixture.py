"""A headless station with its web server, a fake host on its TCP port and a headless Chromium,
for the web view's browser tests. Standard library and Debian's python3-selenium only."""
import http.server
import json
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import urllib.error
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


def have_chromium():
    return os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for(condition, what, timeout=20.0):
    """Polls `condition` until it gives a true value, which it returns; fails at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


class Host:
    """The station's host: framed messages out, the station's bytes in."""

    def __init__(self, port):
        deadline = time.monotonic() + 30
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port))
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)
        self.received = b""

    def send(self, code, payload=b""):
        self.sock.sendall(bytes([0x02, 0x01, code]) + payload + b"\x03")

    def text(self, column, row, text, back=0xD2, fore=0x00):
        data = text.encode("ascii")
        self.send(0x23, bytes([column, row, back, fore, len(data)]) + data)

    def receive(self, count, timeout=20.0):
        """Exactly the next `count` bytes from the station."""
        self.sock.settimeout(0.2)
        deadline = time.monotonic() + timeout
        while len(self.received) < count:
            if time.monotonic() > deadline:
                raise AssertionError(f"the host got {self.received.hex(' ')}, not {count} bytes")
            try:
                chunk = self.sock.recv(4096)
            except socket.timeout:
                continue
            if not chunk:
                raise AssertionError("the station closed the host connection")
            self.received += chunk
        taken, self.received = self.received[:count], self.received[count:]
        return taken

    def answered(self):
        self.send(0x11)
        assert self.receive(5, 60) == bytes([0x02, 0x01, 0x14, 0x10, 0x03])

    def close(self):
        self.sock.close()


def end(process, seconds):
    """SIGTERM, then SIGKILL when the process has not ended within `seconds`."""
    process.terminate()
    try:
        process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Station:
    """The built program, headless, with --http on a free port and a receipt printer on COM3."""

    def __init__(self, program, token=None):
        self.folder = tempfile.mkdtemp(prefix="qx44web-")
        self.host_port, self.http_port = free_port(), free_port()
        settings = os.path.join(self.folder, "setting.txt")
        with open(settings, "w") as f:
            f.write(f"[Net]\nPortNum={self.host_port}\n[Main]\nBeeping=0\nUsbEnabled=1\n"
                    "UsbMap=3\n[Ports]\nCOM1=virtual\nCOM2=virtual\nCOM3=printer\n")
            if token:
                f.write(f"[Control]\nToken={token}\n")
        self.process = subprocess.Popen(
            [program, "--headless", "--windowed", "--settings", settings,
             "--http", str(self.http_port)],
            cwd=self.folder, stdout=subprocess.DEVNULL)
        self.base = f"http://127.0.0.1:{self.http_port}"
        wait_for(self._serving, "the web server", 60)

    def _serving(self):
        try:
            with urllib.request.urlopen(self.base + "/station.css", timeout=10):
                return True
        except urllib.error.HTTPError:
            return True
        except OSError:
            return False

    def get(self, path):
        with urllib.request.urlopen(self.base + path, timeout=10) as answer:
            return json.loads(answer.read())

    def post(self, path, body):
        request = urllib.request.Request(self.base + path, data=json.dumps(body).encode(),
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=10) as answer:
            return json.loads(answer.read())

    def stop(self):
        end(self.process, 20)
        shutil.rmtree(self.folder, ignore_errors=True)


def start_browser():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--window-size=1400,1000", "--disable-dev-shm-usage"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


class FleetPage:
    """A page on a port of its own that frames a station's tile and its page, as a fleet view
    of many stations would."""

    def __init__(self, station_base):
        body = (f'<!DOCTYPE html><title>fleet</title><iframe src="{station_base}/tile" '
                f'width="500" height="400"></iframe><iframe src="{station_base}/" '
                'width="500" height="400"></iframe>').encode()

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *arguments):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.server.shutdown()
        self.server.server_close()
