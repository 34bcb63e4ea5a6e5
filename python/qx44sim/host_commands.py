"""Every command a host sends to a station, as one table of rows (name, code, fields).

`encode("text", column=10, row=5, background=0xD2, foreground=0x00, text="Hi")` gives the
message's bytes, STX to ETX; docs/host-protocol.md describes each command.
"""

from __future__ import annotations

import enum
import os
from dataclasses import dataclass
from pathlib import Path
from typing import Any, Mapping, Sequence

STX = 0x02
ETX = 0x03
CR = 0x0D

# Limits the station puts on a play list: per entry and for all entries.
MAX_PLAY_ENTRY = 255
MAX_PLAY_LIST = 3072
# The picture transfer's size field is not believed above this.
MAX_PICTURE = 64 * 1024 * 1024


class FieldKind(enum.Enum):
    """How a field's value becomes bytes."""

    BYTE = "a number 0 to 255"
    TEXT8 = "text (str as UTF-8, or bytes) after one length byte"
    TEXT16 = "text (str as UTF-8, or bytes) after a two-byte length, high byte first"
    DATA8 = "data (bytes, or str as Windows-1252) after one length byte"
    BITMAP = "a whole BMP file: bytes, or the path of one"
    PLAY_LIST = "play list entries (str, Windows-1252), each ended by CR"


@dataclass(frozen=True)
class Field:
    """One parameter of a host command; `default` None means the caller must give it."""

    name: str
    kind: FieldKind = FieldKind.BYTE
    default: Any = None


@dataclass(frozen=True)
class HostCommand:
    """One row of the table: the command's name, its code and its fields in message order."""

    name: str
    code: int
    fields: tuple[Field, ...]
    summary: str
    # Bytes between the code and the first field that the station does not read.
    unused: int = 0

    def encode(self, *args: Any, address: int = 1, **values: Any) -> bytes:
        """The whole message, STX to ETX; values by position in field order or by name."""
        named = _bind(self, args, values)
        body = bytearray([STX, _byte("address", address), self.code])
        body += bytes(self.unused)
        for field in self.fields:
            body += _encode_field(self, field, named[field.name])
        body.append(ETX)
        return bytes(body)


def _byte(name: str, value: Any) -> int:
    if isinstance(value, bool) or not isinstance(value, int) or not 0 <= value <= 0xFF:
        raise ValueError(f"{name} must be a number 0 to 255, not {value!r}")
    return value


def _bind(command: HostCommand, args: Sequence[Any], values: Mapping[str, Any]) -> dict[str, Any]:
    names = [field.name for field in command.fields]
    if len(args) > len(names):
        raise TypeError(f"{command.name} takes {len(names)} fields ({', '.join(names)}), "
                        f"{len(args)} given")
    named = dict(zip(names, args))
    for name, value in values.items():
        if name not in names:
            raise TypeError(f"{command.name} has no field {name!r}; its fields: "
                            f"{', '.join(names) or 'none'}")
        if name in named:
            raise TypeError(f"{command.name}: {name} given twice")
        named[name] = value
    for field in command.fields:
        if field.name not in named:
            if field.default is None:
                raise TypeError(f"{command.name} needs {field.name} ({field.kind.value})")
            named[field.name] = field.default
    return named


def _text_bytes(value: Any, encoding: str, what: str) -> bytes:
    if isinstance(value, str):
        return value.encode(encoding)
    if isinstance(value, (bytes, bytearray, memoryview)):
        return bytes(value)
    raise ValueError(f"{what} must be str or bytes, not {type(value).__name__}")


def _bitmap_bytes(value: Any) -> bytes:
    data = Path(value).read_bytes() if isinstance(value, (str, os.PathLike)) else value
    if not isinstance(data, (bytes, bytearray, memoryview)):
        raise ValueError(f"picture must be BMP bytes or a file's path, not {type(value).__name__}")
    data = bytes(data)
    if len(data) < 6 or data[:2] != b"BM":
        raise ValueError("picture is not a BMP file (it does not start with BM)")
    size = int.from_bytes(data[2:6], "little")
    # The station cuts the transfer by the file's own size field, so the two must agree.
    if size != len(data):
        raise ValueError(f"picture's BMP size field says {size} bytes, the file has {len(data)}")
    if size > MAX_PICTURE:
        raise ValueError(f"picture of {size} bytes is over the station's 64 MiB")
    return data


def _play_list_bytes(value: Any) -> bytes:
    if isinstance(value, (str, bytes)):
        raise ValueError("entries must be a list of file names, not one string")
    out = bytearray()
    for entry in value:
        raw = _text_bytes(entry, "cp1252", "a play list entry")
        if len(raw) > MAX_PLAY_ENTRY:
            raise ValueError(f"play list entry {entry!r} is over {MAX_PLAY_ENTRY} bytes")
        # The message ends at its first ETX, and CR separates entries.
        if ETX in raw or CR in raw:
            raise ValueError(f"play list entry {entry!r} holds ETX or CR")
        out += raw + bytes([CR])
    if len(out) > MAX_PLAY_LIST:
        raise ValueError(f"play list of {len(out)} bytes is over {MAX_PLAY_LIST}")
    return bytes(out)


def _encode_field(command: HostCommand, field: Field, value: Any) -> bytes:
    what = f"{command.name}.{field.name}"
    if field.kind is FieldKind.BYTE:
        if isinstance(value, str) and len(value) == 1:
            value = ord(value)
        return bytes([_byte(what, value)])
    if field.kind is FieldKind.BITMAP:
        return _bitmap_bytes(value)
    if field.kind is FieldKind.PLAY_LIST:
        return _play_list_bytes(value)
    encoding = "cp1252" if field.kind is FieldKind.DATA8 else "utf-8"
    raw = _text_bytes(value, encoding, what)
    if field.kind is FieldKind.TEXT16:
        if len(raw) > 0xFFFF:
            raise ValueError(f"{what} is {len(raw)} bytes, at most 65535 fit")
        return len(raw).to_bytes(2, "big") + raw
    if len(raw) > 0xFF:
        raise ValueError(f"{what} is {len(raw)} bytes, at most 255 fit")
    return bytes([len(raw)]) + raw


def _b(*names: str) -> tuple[Field, ...]:
    return tuple(Field(name) for name in names)


_RECT = ("column", "row", "width", "height")

HOST_COMMANDS: tuple[HostCommand, ...] = (
    HostCommand("grid", 0x05, _b("mode"), "grid size: 1 40x25 ... 3 80x25 ... 6 169x51, v: v x v"),
    HostCommand("clear_value", 0x09, _b(*_RECT, "value"),
                "clear a rectangle to foreground index value on white"),
    HostCommand("box", 0x0A, _b(*_RECT, "colour"), "a framed box in a colour byte"),
    HostCommand("text16", 0x0D, _b("column", "row", "colour") + (Field("text", FieldKind.TEXT16),),
                "text with a 16-bit length in a colour byte"),
    HostCommand("fill", 0x0E, _b(*_RECT, "char", "colour"),
                "fill a rectangle with a character (0 keeps the characters) in a colour byte"),
    HostCommand("com1", 0x0F, (Field("data", FieldKind.DATA8),), "data to COM1"),
    HostCommand("beep", 0x10, _b("quarters"), "a tone at the set pitch for quarters x 250 ms"),
    HostCommand("identity", 0x11, (), "identity query, answered 14 10"),
    HostCommand("com2", 0x1F, (Field("data", FieldKind.DATA8),), "data to COM2"),
    HostCommand("beep_pitch", 0x22, _b("quarters", "step"),
                "a tone of 2000 + 40 x step Hz for quarters x 250 ms"),
    HostCommand("text", 0x23,
                _b("column", "row", "background", "foreground") + (Field("text", FieldKind.TEXT8),),
                "text with palette indexes"),
    HostCommand("status_query", 0x2C, (), "status query, answered 2B 01"),
    HostCommand("status_query2", 0x2D, (Field("unused", default=0),),
                "second status query, answered 2E 00 00"),
    HostCommand("status_text", 0x32,
                _b("column", "background", "foreground") + (Field("text", FieldKind.TEXT8),),
                "text on the status line with palette indexes"),
    HostCommand("picture", 0x33, _b("column", "row") + (Field("bitmap", FieldKind.BITMAP),),
                "a BMP picture at a cell (row 255: the status line)"),
    HostCommand("media_list", 0x35, (), "list the media files, answered 33 00 names"),
    HostCommand("clear", 0x3E, _b(*_RECT, "background"),
                "clear a rectangle to a background index"),
    HostCommand("table", 0x3F,
                _b(*_RECT, "columns", "rows", "background", "foreground", "style"),
                "a framed table of columns x rows cells"),
    HostCommand("play", 0x40, (Field("entries", FieldKind.PLAY_LIST),),
                "play a media list (an entry '\\nAAABBB' sets exit keys)", unused=5),
    HostCommand("stop", 0x41, (), "stop the media list"),
    HostCommand("port_status", 0x42, _b("port"),
                "port status query (1, 2, or 254 the printer), answered 34 port status"),
    HostCommand("printer", 0x50, (Field("data", FieldKind.DATA8),),
                "data to the receipt printer ([Main] UsbEnabled=1)"),
    HostCommand("text78", 0x78,
                _b("column", "row", "background", "foreground") + (Field("text", FieldKind.TEXT8),),
                "text with palette indexes; row 25 writes on the status line"),
)

_BY_NAME = {command.name: command for command in HOST_COMMANDS}


def host_command(name: str) -> HostCommand:
    """The table's row called `name`; a clear error lists the names when there is none."""
    try:
        return _BY_NAME[name]
    except KeyError:
        raise ValueError(f"no host command {name!r}; the commands: "
                         f"{', '.join(_BY_NAME)}") from None


def encode(name: str, *args: Any, address: int = 1, **values: Any) -> bytes:
    """The bytes of host command `name` with its fields, STX to ETX."""
    return host_command(name).encode(*args, address=address, **values)


def exit_keys(first: int, second: int = 0) -> str:
    """A play list entry that sets an exit key set: two host key numbers (145 is Esc)."""
    for number in (first, second):
        if not 0 <= number <= 999:
            raise ValueError(f"a host key number is 0 to 999, not {number}")
    return f"\n{first:03d}{second:03d}"
