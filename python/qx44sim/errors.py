"""The exceptions of the qx44sim package: one base class, one subclass per kind of failure."""

from __future__ import annotations


class Qx44SimError(Exception):
    """Anything that went wrong while starting, driving or talking to a station."""


class StationError(Qx44SimError):
    """The station program could not be found, ended early or did not get ready in time."""


class ControlError(Qx44SimError):
    """The control port refused a command; `message` is the station's own error text."""

    def __init__(self, command: str, message: str) -> None:
        super().__init__(f"{command}: {message}")
        self.command = command
        self.message = message


class ControlTimeout(ControlError):
    """A wait on the control port ran out of time, or the station did not answer at all."""


class HostError(Qx44SimError):
    """The fake host's connection failed or the station closed it."""


class HostTimeout(HostError):
    """The station sent nothing the host was waiting for within its time."""
