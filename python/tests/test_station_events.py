"""What the station sends its host, read by the fake host: keys pressed on the control port,
clicks, serial input; and the parser over byte streams cut anywhere."""

import pytest

from qx44sim import Host, HostError, HostTimeout, KeyEvent, MouseEvent
from qx44sim.station_messages import StationStream

PRESS, RELEASE = False, True

# control actions -> (scan, release, extended) of each key event the host receives
KEYS = {
    "a letter": ([("key", "a")], [(0x1C, PRESS, False), (0x1C, RELEASE, False)]),
    "a digit": ([("key", "2")], [(0x1E, PRESS, False), (0x1E, RELEASE, False)]),
    "an extended key": ([("key", "up")], [(0x75, PRESS, True), (0x75, RELEASE, True)]),
    "right ctrl held": ([("keydown", "rctrl"), ("keyup", "rctrl")],
                        [(0x14, PRESS, True), (0x14, RELEASE, True)]),
    "pause": ([("key", "pause")], [(0x77, PRESS, False), (0x77, RELEASE, False)]),
    "break": ([("keydown", "lctrl"), ("key", "pause"), ("keyup", "lctrl")],
              [(0x14, PRESS, False), (0x7E, PRESS, True), (0x7E, RELEASE, True),
               (0x14, RELEASE, False)]),
    "typed with shift": ([("type", "A")], [(0x12, PRESS, False), (0x1C, PRESS, False),
                                           (0x1C, RELEASE, False), (0x12, RELEASE, False)]),
}


@pytest.mark.parametrize("actions, expected", KEYS.values(), ids=KEYS.keys())
def test_keys_reach_the_host_as_key_events(station, host, actions, expected):
    for method, argument in actions:
        getattr(station.control, method)(argument)
    events = host.read_keys(len(expected))
    assert [(e.scan, e.release, e.extended) for e in events] == expected


CLICKS = {
    "a cell": ("click", (3, 4), [("mouse_down", 3, 4), ("mouse_up", 3, 4)]),
    "the status line": ("click", (5,), [("mouse_down", 5, 255), ("mouse_up", 5, 0)]),
    "a double click": ("dblclick", (2, 3), [("mouse_down", 2, 3), ("mouse_up", 2, 3),
                                            ("double_click", 2, 3), ("mouse_up", 2, 3)]),
}


@pytest.mark.parametrize("method, cell, expected", CLICKS.values(), ids=CLICKS.keys())
def test_clicks_reach_the_host_with_their_cell(station, host, method, cell, expected):
    getattr(station.control, method)(*cell)
    events = [host.read_mouse() for _ in expected]
    assert [(e.name, e.column, e.row) for e in events] == expected


@pytest.mark.parametrize("port", [1, 2])
def test_serial_input_reaches_the_host(station, host, port):
    assert station.serial(port).send(b"ok\x03") == 3
    assert host.read_serial(port, 3) == b"ok\x03"


def test_a_read_that_gets_nothing_times_out_naming_what_arrived(station, host):
    station.control.key("a")
    with pytest.raises(HostTimeout, match=r"waited 0.5 s for a mouse event; it received "
                                          r"press 1C, release F0 1C"):
        host.read_mouse(timeout=0.5)
    assert [str(event) for event in host.pending()] == ["press 1C", "release F0 1C"]


def test_the_host_learns_when_the_station_closes_the_connection(station, host):
    # A new host replaces the old one, whose connection the station then closes.
    with Host(station.host_port):
        with pytest.raises(HostError, match="closed the host connection"):
            host.read(timeout=5)


STREAMS = {
    "key press and release": ("02 01 11 1C 03 02 01 11 F0 03 02 01 11 1C 03",
                              [KeyEvent(0x1C), KeyEvent(0x1C, release=True)]),
    "extended release": ("02 01 11 E0 03 02 01 11 F0 03 02 01 11 75 03",
                         [KeyEvent(0x75, release=True, extended=True)]),
    "mouse": ("02 01 2C 03 04 03 02 01 55 FF 00 03",
              [MouseEvent("mouse_down", 3, 4), MouseEvent("double_click", 255, 0)]),
    "media files": ("02 01 33 00 62 2E 61 76 69 0D 03 02 01 41 03", ["media_files", "media_exit"]),
}


def comparable(event):
    if isinstance(event, (KeyEvent, MouseEvent)):
        return type(event)(**{**event.__dict__, "raw": b""})
    return event.name


@pytest.mark.parametrize("stream, expected", STREAMS.values(), ids=STREAMS.keys())
@pytest.mark.parametrize("piece", [1, 2, 1000])
def test_the_parser_cuts_streams_split_anywhere(stream, expected, piece):
    data, parser, events = bytes.fromhex(stream), StationStream(), []
    for at in range(0, len(data), piece):
        events += parser.feed(data[at:at + piece])
    assert [comparable(event) for event in events] == expected


@pytest.mark.parametrize("stream, message", [
    ("41 02 01 11 1C 03", "does not start with STX"),
    ("02 01 99 03", "unknown message code 99"),
    ("02 01 14 10 04", "identity message does not end in ETX"),
])
def test_the_parser_names_what_is_wrong_with_a_stream(stream, message):
    with pytest.raises(HostError, match=message):
        StationStream().feed(bytes.fromhex(stream))


def test_queries_answer_even_after_the_host_closed_its_sending_side(station, host):
    assert (host.identity(), host.status(), host.status2()) == (0x10, 0x01, b"\x00\x00")
    host.send("com1", data="X")
    host.send("identity")
    host.close_sending()
    host.wait_written()
    assert host.expect("identity").values == b"\x10"
    with pytest.raises(HostError, match="closed the host connection"):
        host.read(timeout=5)
