"""A client of the station's control port: one method per control command, typed replies."""

from __future__ import annotations

import json
import os
import socket
from pathlib import Path
from types import TracebackType
from typing import Any

from .errors import ControlError, ControlTimeout
from .replies import (Cell, HostInfo, PlayerInfo, PrinterReport, Screen, SerialRecord,
                      StationState, StatusLine, WaitResult, from_reply)

# What the station takes for a wait that names no time, and how long a plain command may take.
DEFAULT_WAIT = 5.0
DEFAULT_TIMEOUT = 10.0
# Time on top of a wait's own for the reply to come back.
_REPLY_MARGIN = 5.0

PRINTER_STATES = ("ready", "offline", "cover-open", "paper-near-end", "paper-end")


def quote(word: str) -> str:
    """`word` as one argument of a control line: quoted when it holds blanks."""
    if "\n" in word or "\r" in word:
        raise ValueError(f"a control argument cannot hold a line break: {word!r}")
    if word and " " not in word and "\t" not in word and not word.startswith('"'):
        return word
    if '"' in word:
        raise ValueError(f"a control argument with blanks cannot hold '\"': {word!r}")
    return f'"{word}"'


def _seconds(value: float) -> str:
    if value < 0:
        raise ValueError(f"a time must not be negative, not {value}")
    return f"{value:.3f}"


class Control:
    """One control connection: a command per line, one JSON reply per line.
    A refusal raises `ControlError` with the station's message; a wait that runs out, or a reply
    that does not come, raises `ControlTimeout`."""

    def __init__(self, port: int, token: str | None = None, host: str = "127.0.0.1",
                 timeout: float = DEFAULT_TIMEOUT) -> None:
        self.timeout = timeout
        try:
            self._socket = socket.create_connection((host, port), timeout=timeout)
        except OSError as error:
            raise ControlError("connect", f"cannot reach the control port {host}:{port}: "
                               f"{error}") from error
        self._reader = self._socket.makefile("rb")
        if token is not None:
            self.command(f"auth {token}")

    def __enter__(self) -> Control:
        return self

    def __exit__(self, kind: type[BaseException] | None, value: BaseException | None,
                 traceback: TracebackType | None) -> None:
        self.close()

    def close(self) -> None:
        """Closes the connection (a wait still running on it ends)."""
        self._reader.close()
        self._socket.close()

    def command(self, line: str, timeout: float | None = None) -> dict[str, Any]:
        """Sends one command line and returns its reply; raises on `{"ok":false}`."""
        if "\n" in line or "\r" in line:
            raise ValueError(f"one command per line: {line!r}")
        self._socket.settimeout(self.timeout if timeout is None else timeout)
        try:
            self._socket.sendall(line.encode("utf-8") + b"\n")
            answer = self._reader.readline()
        except socket.timeout:
            raise ControlTimeout(line, f"no reply within {self._socket.gettimeout():g} s") \
                from None
        except OSError as error:
            raise ControlError(line, f"the control connection failed: {error}") from error
        if not answer:
            raise ControlError(line, "the station closed the control connection")
        try:
            reply = json.loads(answer)
        except json.JSONDecodeError:
            reply = None
        if not isinstance(reply, dict):
            raise ControlError(line, f"the reply is not a JSON object: {answer[:200]!r}")
        if not reply.get("ok"):
            message = str(reply.get("error", reply))
            raise (ControlTimeout if message == "timeout" else ControlError)(line, message)
        return reply

    # The screens

    def screen(self, attrs: bool = False) -> Screen:
        """The text screen's rows (and their attribute runs with `attrs`)."""
        return from_reply(Screen, self.command("screen attrs" if attrs else "screen"))

    def status(self) -> StatusLine:
        """The status line."""
        return from_reply(StatusLine, self.command("status"))

    def cell(self, column: int, row: int) -> Cell:
        """One cell of the text screen."""
        return from_reply(Cell, self.command(f"cell {column} {row}"))

    # Keys and the mouse

    def key(self, *names: str) -> None:
        """Presses and releases each key in turn (names as `keys()` lists them)."""
        self.command("key " + " ".join(quote(name) for name in names))

    def keydown(self, name: str) -> None:
        """Presses a key and holds it."""
        self.command(f"keydown {quote(name)}")

    def keyup(self, name: str) -> None:
        """Releases a held key."""
        self.command(f"keyup {quote(name)}")

    def type(self, text: str) -> int:
        """Types `text` on the US layout, Shift where needed; returns the characters typed."""
        if not text or "\n" in text or "\r" in text:
            raise ValueError(f"type takes one line of text, not {text!r}")
        return int(self.command(f"type {text}")["typed"])

    def keys(self) -> list[str]:
        """The names of every key."""
        return list(self.command("keys")["keys"])

    def click(self, column: int, row: int | None = None) -> None:
        """A left click on a cell of the text screen, or with `row` None on the status line."""
        target = f"status {column}" if row is None else f"{column} {row}"
        self.command(f"click {target}")

    def dblclick(self, column: int, row: int | None = None) -> None:
        """A double click on a cell of the text screen, or with `row` None on the status line."""
        target = f"status {column}" if row is None else f"{column} {row}"
        self.command(f"dblclick {target}")

    # Waits: each returns once its condition holds, or raises ControlTimeout.

    def wait(self, *words: str, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """`wait WORDS... SECONDS`: the form the methods below use; words are quoted as needed."""
        line = "wait " + " ".join(quote(word) for word in words) + " " + _seconds(timeout)
        return from_reply(WaitResult, self.command(line, timeout + _REPLY_MARGIN))

    def wait_text(self, text: str, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until `text` shows on the text screen."""
        return self.wait("text", text, timeout=timeout)

    def wait_gone(self, text: str, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until `text` no longer shows on the text screen."""
        return self.wait("gone", text, timeout=timeout)

    def wait_regex(self, pattern: str, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until the regular expression (RE2) matches the rows joined by newlines."""
        return self.wait("regex", pattern, timeout=timeout)

    def wait_any(self, *texts: str, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until one of `texts` shows; the result says which (`matched`, `index`)."""
        if not texts:
            raise ValueError("wait_any needs at least one text")
        return self.wait("any", *texts, timeout=timeout)

    def wait_host(self, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until a host is connected."""
        return self.wait("host", timeout=timeout)

    def wait_stable(self, quiet_ms: int, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until the screen has not changed for `quiet_ms` milliseconds."""
        return self.wait("stable", str(quiet_ms), timeout=timeout)

    def wait_ready(self, timeout: float = DEFAULT_WAIT) -> WaitResult:
        """Until the terminal runs (the boot screen and setup page are over)."""
        return self.wait("ready", timeout=timeout)

    # The station

    def snap(self, path: str | os.PathLike[str]) -> Path:
        """Saves a PNG of what the window shows; the station writes it, so the path is made
        absolute here."""
        target = Path(path).resolve()
        self.command(f"snap {target}")
        return target

    def host(self) -> HostInfo:
        """The host connection: connected, peer, bytes and messages each way."""
        return from_reply(HostInfo, self.command("host"))

    def state(self) -> StationState:
        """The station's phase, ports, host and player."""
        return from_reply(StationState, self.command("state"))

    def player(self) -> PlayerInfo:
        """The media player's state."""
        return from_reply(PlayerInfo, self.command("player"))

    def help(self) -> list[str]:
        """The usage line of every command."""
        return list(self.command("help")["commands"])

    def shutdown(self) -> None:
        """Ends the program as SIGTERM does."""
        self.command("shutdown")

    def quit(self) -> None:
        """Ends this control connection."""
        self.command("quit")
        self.close()

    # The virtual devices

    def serial(self, port: int) -> SerialRecord:
        """What the station wrote to COM `port` (a virtual device), or its pty path."""
        return from_reply(SerialRecord, self.command(f"serial {port}"))

    def serial_send(self, port: int, data: str | bytes) -> int:
        """Bytes for the station to read from COM `port`, as if its device sent them."""
        raw = data.encode("cp1252") if isinstance(data, str) else bytes(data)
        line = f"serial {port} sendhex {raw.hex()}"
        return int(self.command(line)["queued"])

    def printer(self) -> PrinterReport:
        """The receipt printer's state and receipts."""
        return from_reply(PrinterReport, self.command("printer"))

    def printer_take(self) -> PrinterReport:
        """The printer's state and receipts, which it then forgets."""
        return from_reply(PrinterReport, self.command("printer take"))

    def printer_set(self, state: str) -> None:
        """Sets the printer's state: one of PRINTER_STATES."""
        if state not in PRINTER_STATES:
            raise ValueError(f"a printer state is one of {', '.join(PRINTER_STATES)}, not {state!r}")
        self.command(f"printer set {state}")
