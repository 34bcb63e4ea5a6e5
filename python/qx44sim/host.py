"""A fake host: a real TCP connection to a station's host port that sends host commands and reads
what the station sends back."""

from __future__ import annotations

import os
import socket
import time
from types import TracebackType
from typing import Any, Callable, TypeVar

from .errors import HostError, HostTimeout
from .host_commands import encode
from .station_messages import Event, KeyEvent, MouseEvent, StationMessage, StationStream

# The station paces what it sends (256 bytes per 200 ms), so a reply may take a second or more.
DEFAULT_TIMEOUT = 5.0
_RECV_SIZE = 4096

E = TypeVar("E", StationMessage, KeyEvent, MouseEvent)


class Host:
    """One host connection. Commands go out with `send(name, ...)` from the table in
    `host_commands`; events the station sends wait in an inbox, in order, until a reader takes
    them. Every reader has a timeout and raises `HostTimeout` when it runs out."""

    def __init__(self, port: int, address: int = 1, host: str = "127.0.0.1",
                 timeout: float = DEFAULT_TIMEOUT, connect_timeout: float = 10.0) -> None:
        self.address = address
        self.timeout = timeout
        self._stream = StationStream()
        self._inbox: list[Event] = []
        self._closed_by_station = False
        try:
            self._socket = socket.create_connection((host, port), timeout=connect_timeout)
        except OSError as error:
            raise HostError(f"cannot connect a host to {host}:{port}: {error}") from error
        self._socket.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def __enter__(self) -> Host:
        return self

    def __exit__(self, kind: type[BaseException] | None, value: BaseException | None,
                 traceback: TracebackType | None) -> None:
        self.close()

    def close(self) -> None:
        """Closes the connection; the station then shows no host."""
        self._socket.close()

    def close_sending(self) -> None:
        """Ends the sending side only: the station still handles and answers what it got."""
        self._socket.shutdown(socket.SHUT_WR)

    # Sending

    def send(self, name: str, *args: Any, **fields: Any) -> bytes:
        """Sends host command `name` (see `host_commands.HOST_COMMANDS`) and returns its bytes."""
        message = encode(name, *args, address=self.address, **fields)
        self.send_raw(message)
        return message

    def send_raw(self, data: bytes) -> None:
        """Sends bytes as they are, for framing tests."""
        try:
            self._socket.sendall(data)
        except OSError as error:
            raise HostError(f"sending to the station failed: {error}") from error

    def picture(self, column: int, row: int, bitmap: bytes | str | os.PathLike[str]) -> bytes:
        """Sends a BMP picture, given as bytes or as a file's path, to be drawn at a cell
        (row 255: on the status line)."""
        return self.send("picture", column, row, bitmap)

    # Queries: each sends its command and waits for its reply.

    def identity(self, timeout: float | None = None) -> int:
        """The station's identity byte (0x10) from query 11."""
        self.send("identity")
        return self.expect("identity", timeout).values[0]

    def status(self, timeout: float | None = None) -> int:
        """The status byte (1) from query 2C."""
        self.send("status_query")
        return self.expect("status", timeout).values[0]

    def status2(self, timeout: float | None = None) -> bytes:
        """The two status bytes (00 00) from query 2D."""
        self.send("status_query2")
        return self.expect("status2", timeout).values

    def port_status(self, port: int, timeout: float | None = None) -> int:
        """Port status from query 42: 0 ready or idle, 0xFF not open, busy or faulty."""
        self.send("port_status", port)
        reply = self.expect("port_status", timeout,
                            lambda message: message.values[0] == port)
        return reply.values[1]

    def media_files(self, timeout: float | None = None) -> list[str]:
        """The media file names of the station's working directory, from query 35."""
        self.send("media_list")
        names = self.expect("media_files", timeout).values[1:]
        return [name.decode("cp1252") for name in names.split(b"\r") if name]

    # Reading

    def read(self, timeout: float | None = None) -> Event:
        """The next event of any kind, in the order the station sent it."""
        return self._take(lambda event: True, timeout, "any message")

    def expect(self, name: str, timeout: float | None = None,
               where: Callable[[StationMessage], bool] | None = None) -> StationMessage:
        """The first station message called `name` (see `STATION_MESSAGES`); others stay."""
        def matches(event: Event) -> bool:
            return (isinstance(event, StationMessage) and event.name == name
                    and (where is None or where(event)))
        found = self._take(matches, timeout, f"the station message {name!r}")
        assert isinstance(found, StationMessage)
        return found

    def read_key(self, timeout: float | None = None) -> KeyEvent:
        """The next key event (press or release); other messages stay in the inbox."""
        return self._take_kind(KeyEvent, timeout, "a key")

    def read_keys(self, count: int, timeout: float | None = None) -> list[KeyEvent]:
        """The next `count` key events, all within one timeout."""
        deadline = self._deadline(timeout)
        return [self._take_kind(KeyEvent, deadline - time.monotonic(), f"key {i + 1} of {count}")
                for i in range(count)]

    def read_mouse(self, timeout: float | None = None) -> MouseEvent:
        """The next mouse event: press, release or double click, with its cell."""
        return self._take_kind(MouseEvent, timeout, "a mouse event")

    def read_serial(self, port: int | str, count: int, timeout: float | None = None) -> bytes:
        """`count` bytes of serial input from COM1 or COM2 (1, 2) or the printer ('printer');
        the station polls one byte per 200 ms, so allow time."""
        names = {1: "com1", 2: "com2", "printer": "printer"}
        if port not in names:
            raise ValueError(f"serial input comes from 1, 2 or 'printer', not {port!r}")
        deadline = self._deadline(timeout)
        return bytes(self.expect(names[port], deadline - time.monotonic()).values[0]
                     for _ in range(count))

    def wait_written(self, timeout: float | None = None) -> None:
        """Until the station reports serial or printer data fully written (35)."""
        self.expect("written", timeout)

    def wait_media_exit(self, timeout: float | None = None) -> None:
        """Until the station reports an exit key of the media player (41)."""
        self.expect("media_exit", timeout)

    def pending(self) -> list[Event]:
        """Everything received so far and not yet taken, without waiting; empties the inbox."""
        while self._receive(0.0):
            pass
        events, self._inbox = self._inbox, []
        return events

    def _take_kind(self, kind: type[E], timeout: float | None, what: str) -> E:
        found = self._take(lambda event: isinstance(event, kind), timeout, what)
        assert isinstance(found, kind)
        return found

    def _deadline(self, timeout: float | None) -> float:
        return time.monotonic() + (self.timeout if timeout is None else timeout)

    def _take(self, matches: Callable[[Event], bool], timeout: float | None,
              what: str) -> Event:
        waited = max(0.0, self.timeout if timeout is None else timeout)
        deadline = time.monotonic() + waited
        while True:
            for index, event in enumerate(self._inbox):
                if matches(event):
                    return self._inbox.pop(index)
            left = deadline - time.monotonic()
            if left <= 0:
                raise HostTimeout(f"the host waited {waited:g} s for {what}; it received "
                                  f"{self._describe_inbox()}")
            self._receive(left)

    def _describe_inbox(self) -> str:
        if not self._inbox:
            return "nothing else"
        return ", ".join(str(event) if isinstance(event, KeyEvent) else event.name
                         for event in self._inbox[:10])

    def _receive(self, timeout: float) -> bool:
        """Reads what arrives within `timeout`; False when nothing did."""
        if self._closed_by_station:
            raise HostError("the station closed the host connection")
        self._socket.settimeout(timeout)
        try:
            data = self._socket.recv(_RECV_SIZE)
        except (socket.timeout, BlockingIOError):
            return False
        except OSError as error:
            raise HostError(f"reading from the station failed: {error}") from error
        if not data:
            self._closed_by_station = True
            raise HostError("the station closed the host connection")
        self._inbox += self._stream.feed(data)
        return True
