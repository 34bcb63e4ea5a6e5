"""The control port's replies as typed records; each keeps the whole reply in `reply`."""

from __future__ import annotations

import dataclasses
import re
from dataclasses import dataclass, field
from typing import Any, TypeVar

R = TypeVar("R")


def _snake(name: str) -> str:
    return re.sub(r"(?<!^)([A-Z])", r"_\1", name).lower()


def from_reply(kind: type[R], reply: dict[str, Any]) -> R:
    """A record of `kind` from a JSON reply: camelCase keys go to snake_case fields; keys the
    record does not name stay in its `reply`."""
    names = {f.name for f in dataclasses.fields(kind)}
    values = {_snake(key): value for key, value in reply.items() if _snake(key) in names}
    return kind(**values, reply=reply)  # type: ignore[call-arg]


@dataclass(frozen=True)
class Screen:
    """The text screen: its rows as text and, with `attrs`, each row's attribute runs."""

    columns: int
    rows: int
    lines: list[str]
    attrs: list[str] | None = None
    player_covers: bool | None = None
    reply: dict[str, Any] = field(default_factory=dict, repr=False)

    @property
    def text(self) -> str:
        """The rows joined by newlines, trailing blanks dropped."""
        return "\n".join(self.lines)

    def find(self, text: str) -> tuple[int, int] | None:
        """Column and row where `text` starts on one row, or None."""
        for row, line in enumerate(self.lines):
            column = line.find(text)
            if column >= 0:
                return column, row
        return None

    def __contains__(self, text: str) -> bool:
        return text in self.text


@dataclass(frozen=True)
class StatusLine:
    """The status line's text and attribute runs."""

    text: str
    attrs: str
    reply: dict[str, Any] = field(default_factory=dict, repr=False)


@dataclass(frozen=True)
class Cell:
    """One cell: its character, code, attribute (background, foreground index), colours and its
    rectangle in a `snap` picture."""

    column: int
    row: int
    char: str
    code: int
    attr: str
    fore: str
    back: str
    x: int
    y: int
    width: int
    height: int
    reply: dict[str, Any] = field(default_factory=dict, repr=False)


@dataclass(frozen=True)
class HostInfo:
    """The host connection as the station sees it."""

    connected: bool
    peer: str = ""
    bytes_in: int = 0
    bytes_out: int = 0
    messages_in: int = 0
    messages_out: int = 0
    reply: dict[str, Any] = field(default_factory=dict, repr=False)


@dataclass(frozen=True)
class WaitResult:
    """A wait that was met: how long it took and, for `wait any`, what matched."""

    waited_ms: int = 0
    matched: str | None = None
    index: int | None = None
    reply: dict[str, Any] = field(default_factory=dict, repr=False)


@dataclass(frozen=True)
class PlayerInfo:
    """The media player: shown or not, the item and the list's length, what it does ('playing',
    'paused', 'stopped', 'scanning'), zoom in percent, volume, and whether it plays the local
    browser's pick."""

    shown: bool = False
    title: str = ""
    index: int = 0
    count: int = 0
    state: str = "stopped"
    zoom: int = 100
    volume: int = 0
    local: bool = False
    reply: dict[str, Any] = field(default_factory=dict, repr=False)


@dataclass(frozen=True)
class StationState:
    """Where the station is ('boot', 'setup' or 'terminal'), its ports, the host and the player
    (`host_port` and `player` are None before the terminal opens)."""

    phase: str
    host_port: int | None = None
    control_port: int | None = None
    host_connected: bool = False
    player: dict[str, Any] | None = None
    reply: dict[str, Any] = field(default_factory=dict, repr=False)


@dataclass(frozen=True)
class SerialRecord:
    """A COM port's device: its kind and, for a virtual one, what the station wrote to it."""

    port: int
    kind: str
    open: bool | None = None
    text: str = ""
    hex: str = ""
    dropped: int = 0
    path: str | None = None
    reply: dict[str, Any] = field(default_factory=dict, repr=False)

    @property
    def written(self) -> bytes:
        """The bytes written, from the hex record."""
        return bytes.fromhex(self.hex)


@dataclass(frozen=True)
class PrinterReport:
    """The virtual receipt printer: its state, its finished receipts, the one being printed."""

    port: int
    state: str
    receipts: list[str] = field(default_factory=list)
    current: str = ""
    dropped: int = 0
    reply: dict[str, Any] = field(default_factory=dict, repr=False)
