"""The station's virtual devices as seen through the control port: the receipt printer and the
serial ports."""

from __future__ import annotations

import time
from typing import Callable, TypeVar

from .control import DEFAULT_WAIT, Control
from .errors import ControlTimeout
from .replies import PrinterReport, SerialRecord

T = TypeVar("T")
# How often a device wait asks the station again.
_POLL = 0.05


def poll(look: Callable[[], T], done: Callable[[T], bool], timeout: float, what: str) -> T:
    """Asks `look` until `done` holds for its answer or `timeout` seconds have passed."""
    deadline = time.monotonic() + timeout
    while True:
        seen = look()
        if done(seen):
            return seen
        if time.monotonic() >= deadline:
            raise ControlTimeout(what, f"not within {timeout:g} s; last seen: {seen!r}")
        time.sleep(_POLL)


class Printer:
    """The virtual ESC/POS receipt printer (a COM port mapped to `printer`)."""

    def __init__(self, control: Control) -> None:
        self._control = control

    def report(self) -> PrinterReport:
        """State, receipts and the receipt being printed."""
        return self._control.printer()

    def receipts(self) -> list[str]:
        """The finished receipts, oldest first."""
        return self.report().receipts

    def take(self) -> list[str]:
        """The finished receipts, which the printer then forgets."""
        return self._control.printer_take().receipts

    def set_state(self, state: str) -> None:
        """`ready`, `offline`, `cover-open`, `paper-near-end` or `paper-end`."""
        self._control.printer_set(state)

    def wait_receipt(self, count: int = 1, timeout: float = DEFAULT_WAIT) -> list[str]:
        """Until the printer holds at least `count` finished receipts; returns them all."""
        def enough(report: PrinterReport) -> bool:
            return len(report.receipts) >= count
        return poll(self.report, enough, timeout, f"{count} receipt(s) on the printer").receipts


class SerialPort:
    """A COM port with a virtual device behind it (`[Ports] COM<n>=virtual`)."""

    def __init__(self, control: Control, port: int) -> None:
        self._control = control
        self.port = port

    def record(self) -> SerialRecord:
        """The device's kind and what the station wrote to it."""
        return self._control.serial(self.port)

    def written(self) -> bytes:
        """Every byte the station wrote to the port (the last MiB)."""
        return self.record().written

    def send(self, data: str | bytes) -> int:
        """Bytes the station reads from the port, as if the device sent them."""
        return self._control.serial_send(self.port, data)

    def wait_written(self, data: bytes, timeout: float = DEFAULT_WAIT) -> bytes:
        """Until the bytes written to the port contain `data`; returns all of them."""
        def holds(written: bytes) -> bool:
            return data in written
        return poll(self.written, holds, timeout, f"{data!r} written to COM{self.port}")
