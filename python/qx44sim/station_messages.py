"""What a station sends its host: the table of station messages and a parser over the byte stream.

The parser cuts messages by the table's lengths, joins the E0 and F0 prefixes of key bytes with
the code that follows them into one `KeyEvent`, and gives mouse messages as `MouseEvent`.
"""

from __future__ import annotations

from dataclasses import dataclass
from typing import Union

from .errors import HostError
from .host_commands import ETX, STX

# code: (name, number of value bytes; None: up to the next ETX)
STATION_MESSAGES: dict[int, tuple[str, int | None]] = {
    0x11: ("key", 1),
    0x12: ("com1", 1),
    0x22: ("com2", 1),
    0x52: ("printer", 1),
    0x14: ("identity", 1),
    0x2B: ("status", 1),
    0x2E: ("status2", 2),
    0x34: ("port_status", 2),
    0x35: ("written", 0),
    0x33: ("media_files", None),
    0x2C: ("mouse_down", 2),
    0x2D: ("mouse_up", 2),
    0x55: ("double_click", 2),
    0x41: ("media_exit", 0),
}

EXTENDED = 0xE0
RELEASE = 0xF0
# On the status line a press or double click names this row (a release names row 0).
STATUS_ROW = 0xFF


@dataclass(frozen=True)
class StationMessage:
    """One message as the station sent it: its name from the table, its value bytes, its bytes."""

    name: str
    code: int
    address: int
    values: bytes
    raw: bytes

    def __repr__(self) -> str:
        return f"StationMessage({self.name}: {self.raw.hex(' ').upper()})"


@dataclass(frozen=True)
class KeyEvent:
    """One key press or release: the station's scan code, with its E0 and F0 prefixes folded in."""

    scan: int
    release: bool = False
    extended: bool = False
    raw: bytes = b""

    @property
    def name(self) -> str:
        """'key', so that events and messages can be picked by name alike."""
        return "key"

    def __str__(self) -> str:
        prefix = ("E0 " if self.extended else "") + ("F0 " if self.release else "")
        return f"{'release' if self.release else 'press'} {prefix}{self.scan:02X}"

    def __repr__(self) -> str:
        return f"KeyEvent({self})"


@dataclass(frozen=True)
class MouseEvent:
    """A left button press ('mouse_down'), release ('mouse_up') or 'double_click' on a cell."""

    name: str
    column: int
    row: int
    raw: bytes = b""

    @property
    def on_status_line(self) -> bool:
        """A press or double click on the status line (a release there names row 0)."""
        return self.row == STATUS_ROW


Event = Union[StationMessage, KeyEvent, MouseEvent]


class StationStream:
    """Turns the bytes a host receives into events, in order; feed it what recv() returned."""

    def __init__(self) -> None:
        self._buffer = bytearray()
        self._prefix = bytearray()
        self._prefix_raw = bytearray()

    def feed(self, data: bytes) -> list[Event]:
        """The events completed by `data`; an incomplete message waits for the next call."""
        self._buffer += data
        events: list[Event] = []
        while (message := self._next_message()) is not None:
            event = self._event(message)
            if event is not None:
                events.append(event)
        return events

    def _next_message(self) -> StationMessage | None:
        buffer = self._buffer
        if not buffer:
            return None
        if buffer[0] != STX:
            raise HostError(f"the station sent {bytes(buffer[:16]).hex(' ').upper()}, which "
                            "does not start with STX")
        if len(buffer) < 3:
            return None
        code = buffer[2]
        if code not in STATION_MESSAGES:
            raise HostError(f"the station sent an unknown message code {code:02X}: "
                            f"{bytes(buffer[:16]).hex(' ').upper()}")
        name, count = STATION_MESSAGES[code]
        if count is None:
            end = buffer.find(ETX, 3)
            if end < 0:
                return None
        else:
            end = 3 + count
            if len(buffer) <= end:
                return None
            if buffer[end] != ETX:
                raise HostError(f"the station's {name} message does not end in ETX: "
                                f"{bytes(buffer[:end + 1]).hex(' ').upper()}")
        raw = bytes(buffer[:end + 1])
        del buffer[:end + 1]
        return StationMessage(name, code, raw[1], raw[3:-1], raw)

    def _event(self, message: StationMessage) -> Event | None:
        if message.name == "key":
            byte = message.values[0]
            # At most E0 and F0 come before a key's code (E0 F0 7E: Break released).
            if byte in (EXTENDED, RELEASE) and len(self._prefix) < 2:
                self._prefix.append(byte)
                self._prefix_raw += message.raw
                return None
            event = KeyEvent(scan=byte, release=RELEASE in self._prefix,
                             extended=EXTENDED in self._prefix,
                             raw=bytes(self._prefix_raw) + message.raw)
            self._prefix.clear()
            self._prefix_raw.clear()
            return event
        if message.name in ("mouse_down", "mouse_up", "double_click"):
            return MouseEvent(message.name, message.values[0], message.values[1], message.raw)
        return message
