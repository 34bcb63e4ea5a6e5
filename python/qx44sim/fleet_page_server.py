"""The fleet page's web server: the page's own files, the stations as JSON, and a stream of
Server-Sent Events that carries the stations again whenever one of them changes."""

from __future__ import annotations

import ipaddress
import json
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

from .fleet_board import FleetBoard

PAGE_FOLDER = Path(__file__).parent / "fleet_page"
_FILES = {"/": ("index.html", "text/html; charset=utf-8"),
          "/fleet.css": ("fleet.css", "text/css; charset=utf-8"),
          "/fleet.js": ("fleet.js", "text/javascript; charset=utf-8")}
# A comment line this often tells a stream whose reader has gone away from one still there.
_KEEP_ALIVE = 25.0
# The page's frames show the stations' own pages; everything else comes from here.
_POLICY = "default-src 'self'; frame-src http: https:; img-src 'self' data:"


class FleetPageServer(ThreadingHTTPServer):
    """Serves `board` on ADDRESS:PORT (0: a free port) until `close()`. On a loopback address
    only requests naming a loopback host are answered, so no other site's page can read the
    list through a name that resolves here."""

    daemon_threads = True

    def __init__(self, address: str, port: int, board: FleetBoard) -> None:
        self.board = board
        self.loopback = ipaddress.ip_address(address).is_loopback
        super().__init__((address, port), _Handler)

    @property
    def port(self) -> int:
        return int(self.server_address[1])

    def close(self) -> None:
        """Ends the streams, stops serving and closes the socket."""
        self.board.close()
        self.shutdown()
        self.server_close()


class _Handler(BaseHTTPRequestHandler):
    server: FleetPageServer
    protocol_version = "HTTP/1.1"

    def log_message(self, format: str, *args: object) -> None:
        """Quiet: the fleet's stderr is for its stations."""

    def do_GET(self) -> None:
        if not self._host_allowed():
            self._send(HTTPStatus.MISDIRECTED_REQUEST, b"unknown host\n", "text/plain")
            return
        path = self.path.split("?", 1)[0]
        if path == "/events":
            self._stream()
        elif path == "/api/stations":
            _, entries = self.server.board.snapshot()
            self._send(HTTPStatus.OK, json.dumps(entries).encode() + b"\n", "application/json")
        elif path in _FILES:
            name, kind = _FILES[path]
            self._send(HTTPStatus.OK, (PAGE_FOLDER / name).read_bytes(), kind)
        else:
            self._send(HTTPStatus.NOT_FOUND, b"no such page\n", "text/plain")

    def _host_allowed(self) -> bool:
        if not self.server.loopback:
            return True
        host = (self.headers.get("Host") or "").rsplit(":", 1)[0].strip("[]").lower()
        return host in ("127.0.0.1", "localhost", "::1")

    def _send(self, status: HTTPStatus, body: bytes, kind: str) -> None:
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.send_header("X-Content-Type-Options", "nosniff")
        self.send_header("Content-Security-Policy", _POLICY)
        self.end_headers()
        self.wfile.write(body)

    def _stream(self) -> None:
        self.send_response(HTTPStatus.OK)
        self.send_header("Content-Type", "text/event-stream")
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        self.close_connection = True
        version, entries = self.server.board.snapshot()
        try:
            self._event(entries)
            while True:
                newer = self.server.board.wait_newer(version, _KEEP_ALIVE)
                if newer is None:
                    return
                if newer[0] == version:
                    self.wfile.write(b": still here\n\n")
                    self.wfile.flush()
                    continue
                version, entries = newer
                self._event(entries)
        except (BrokenPipeError, ConnectionResetError):
            return

    def _event(self, entries: list[dict[str, object]]) -> None:
        self.wfile.write(b"event: stations\ndata: " + json.dumps(entries).encode() + b"\n\n")
        self.wfile.flush()
