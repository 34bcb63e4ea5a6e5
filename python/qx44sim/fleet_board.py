"""The stations as the fleet page shows them, and the page streams that wait for a change."""

from __future__ import annotations

import threading
from typing import Any


class FleetBoard:
    """One entry per station, in order, with a version that goes up on every change. A page
    stream waits in `wait_newer` until the version passes the one it sent last."""

    def __init__(self, entries: list[dict[str, Any]]) -> None:
        self._changed = threading.Condition()
        self._entries = {entry["name"]: entry for entry in entries}
        self._version = 1
        self._closed = False

    def update(self, entry: dict[str, Any]) -> None:
        """Replaces the station's entry (by name) and wakes every stream."""
        with self._changed:
            self._entries[entry["name"]] = entry
            self._version += 1
            self._changed.notify_all()

    def replace(self, entries: list[dict[str, Any]]) -> None:
        """Shows `entries` instead of every station so far."""
        with self._changed:
            self._entries = {entry["name"]: entry for entry in entries}
            self._version += 1
            self._changed.notify_all()

    def close(self) -> None:
        """Ends every stream's wait for good."""
        with self._changed:
            self._closed = True
            self._changed.notify_all()

    def snapshot(self) -> tuple[int, list[dict[str, Any]]]:
        with self._changed:
            return self._version, list(self._entries.values())

    def wait_newer(self, version: int,
                   timeout: float) -> tuple[int, list[dict[str, Any]]] | None:
        """The entries once the version passes `version`, or as they are after `timeout`
        seconds; None once the board is closed."""
        with self._changed:
            self._changed.wait_for(lambda: self._closed or self._version > version, timeout)
            if self._closed:
                return None
            return self._version, list(self._entries.values())
