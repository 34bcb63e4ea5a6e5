"""Test a QX4400 host application against the qx44sim station simulator.

`Station` starts a headless station of its own; `Station.control` drives it like an operator and
looks at its screens; `Station.host()` is a fake host on a real connection, which sends the host
commands of `host_commands.HOST_COMMANDS` and reads what the station sends back. The pytest
plugin (`qx44sim.pytest_plugin`) offers both as fixtures.
"""

from .control import Control
from .devices import Printer, SerialPort
from .errors import (ControlError, ControlTimeout, HostError, HostTimeout, Qx44SimError,
                     StationError)
from .host import Host
from .host_commands import HOST_COMMANDS, HostCommand, encode, exit_keys
from .replies import (Cell, HostInfo, PlayerInfo, PrinterReport, Screen, SerialRecord,
                      StationState, StatusLine, WaitResult)
from .station import Station, find_program
from .station_messages import STATION_MESSAGES, KeyEvent, MouseEvent, StationMessage

__all__ = [
    "Cell", "Control", "ControlError", "ControlTimeout", "HOST_COMMANDS", "Host", "HostCommand",
    "HostError", "HostInfo", "HostTimeout", "KeyEvent", "MouseEvent", "PlayerInfo", "Printer",
    "PrinterReport", "Qx44SimError", "STATION_MESSAGES", "Screen", "SerialPort", "SerialRecord",
    "Station", "StationError", "StationMessage", "StationState", "StatusLine", "WaitResult",
    "encode", "exit_keys", "find_program",
]
