"""Every host command from the table, sent by the fake host over TCP to a fresh station, and
what the station then shows, answers, writes or prints (the examples of docs/host-protocol.md)."""


import pytest

from pictures import bmp, png_pixel
from qx44sim import HOST_COMMANDS, Host, Station, encode, exit_keys
from qx44sim.devices import poll

# (sends, checks); a check is (kind, ...) as in the protocol document's example blocks.
CASES = {
    "text": ([("text", dict(column=10, row=5, background=0xD2, foreground=0, text="Hi"))],
             [("text", 10, 5, "Hi"), ("attr", 10, 5, "D200")]),
    "text16": ([("text16", dict(column=0, row=2, colour=0x1F, text="Hi"))],
               [("text", 0, 2, "Hi"), ("attr", 1, 2, "D200")]),
    "text78 on the status line": (
        [("text78", dict(column=0, row=25, background=0xD2, foreground=0xEA, text="OK")),
         ("text78", dict(column=0, row=24, background=0xD2, foreground=0xEA, text="OK"))],
        [("status", 0, "OK"), ("text", 0, 24, "OK")]),
    "status_text": ([("status_text", dict(column=0, background=0xD2, foreground=0xEA,
                                          text="Ready"))],
                    [("status", 0, "Ready")]),
    "fill wraps to the next row": (
        [("fill", dict(column=70, row=0, width=20, height=1, char="*", colour=0x17))],
        [("text", 70, 0, "*" * 10), ("text", 0, 1, "*" * 10), ("attr", 0, 1, "D2EA")]),
    "clear": ([("fill", (0, 0, 80, 25, "A", 0x17)), ("clear", (0, 0, 80, 25, 0xD7))],
              [("text", 0, 0, ""), ("attr", 79, 24, "D700")]),
    "clear_value": ([("clear_value", (0, 0, 80, 25, 0x07))], [("attr", 40, 12, "0007")]),
    "box": ([("box", (5, 5, 20, 6, 0x1F))],
            [("text", 5, 5, "╔" + "═" * 18 + "╗"), ("text", 5, 10, "╚" + "═" * 18 + "╝")]),
    "table": ([("table", (0, 0, 40, 10, 2, 2, 0xD2, 0xEA, 1))],
              [("text", 0, 0, "┌" + "─" * 19 + "┬" + "─" * 18 + "┐"),
               ("text", 0, 5, "├" + "─" * 19 + "┼" + "─" * 18 + "┤"), ("attr", 0, 0, "D2EA")]),
    "grid": ([("grid", (6,))], [("grid", 169, 51)]),
    "identity": ([("identity", ())], [("reply", "identity", "10")]),
    "status_query": ([("status_query", ())], [("reply", "status", "01")]),
    "status_query2": ([("status_query2", ())], [("reply", "status2", "00 00")]),
    "port_status": ([("port_status", (1,))], [("reply", "port_status", "01 FF")]),
    "printer port status": ([("port_status", (0xFE,))], [("reply", "port_status", "FE 00")]),
    "com1": ([("com1", (b"ABC",))], [("serial", 1, b"ABC"), ("reply", "written", "")]),
    "com2": ([("com2", ("\r",))], [("serial", 2, b"\r"), ("reply", "written", "")]),
    "printer": ([("printer", ("Total 4.50\n\x1dV\x00",))],
                [("receipt", "Total 4.50"), ("reply", "written", "")]),
    "beep": ([("beep", (1,)), ("beep_pitch", (1, 10))], [("handled", 3)]),
    "media_list": ([("media_list", ())], [("reply", "media_files", "00")]),
    "stop": ([("stop", ())], [("handled", 2)]),
}


def check(station: Station, host: Host, expectation: tuple) -> None:
    kind, *what = expectation
    control = station.control
    if kind == "text":
        column, row, text = what
        line = control.screen().lines[row]
        assert line[column:column + len(text)] == text if text else line == ""
    elif kind == "handled":
        assert control.host().messages_in == what[0]
    elif kind == "attr":
        column, row, attr = what
        assert control.cell(column, row).attr == attr
    elif kind == "status":
        column, text = what
        assert control.status().text[column:column + len(text)] == text
    elif kind == "grid":
        screen = control.screen()
        assert (screen.columns, screen.rows) == tuple(what)
    elif kind == "reply":
        name, values = what
        assert host.expect(name).values == bytes.fromhex(values)
    elif kind == "serial":
        port, data = what
        assert station.serial(port).wait_written(data).endswith(data)
    elif kind == "receipt":
        assert station.printer.wait_receipt() == list(what)
    else:
        raise AssertionError(f"no check {kind}")


@pytest.mark.parametrize("sends, checks", CASES.values(), ids=CASES.keys())
def test_command_does_what_the_protocol_says(station, host, sends, checks):
    for name, fields in sends:
        if isinstance(fields, dict):
            host.send(name, **fields)
        else:
            host.send(name, *fields)
    # The identity query's answer comes after every message before it has been handled.
    assert host.identity() == 0x10
    for expectation in checks:
        check(station, host, expectation)


def test_every_command_of_the_table_is_covered():
    sent = {name for sends, _ in CASES.values() for name, _ in sends}
    assert sent | {"picture", "play"} == {command.name for command in HOST_COMMANDS}


def test_media_list_names_the_files_of_the_station_folder(station, host):
    for name in ("a.jpg", "b.avi", "notes.txt"):
        (station.folder / name).write_bytes(b"x")
    assert host.media_files() == ["b.avi", "a.jpg"]


@pytest.mark.parametrize("source", ["bytes", "file"])
def test_picture_is_drawn_at_its_cell_and_its_file_removed(station, host, tmp_path, source):
    picture = bmp(24, 24, (255, 0, 0))
    if source == "file":
        (tmp_path / "red.bmp").write_bytes(picture)
        host.picture(5, 2, tmp_path / "red.bmp")
    else:
        host.picture(5, 2, picture)
    assert host.identity() == 0x10
    cell = station.control.cell(5, 2)
    snapshot = tmp_path / "snap.png"

    def red_at_cell() -> tuple[int, int, int]:
        return png_pixel(station.snap(snapshot), cell.x + 2, cell.y + 2)
    poll(red_at_cell, lambda colour: colour == (255, 0, 0), 5, "the red picture")
    assert not (station.folder / "tmp.bmp").exists()


def test_play_list_refuses_what_is_not_a_local_file(station, host):
    host.send("play", entries=["http://example.com/a.avi", exit_keys(145)])
    assert host.identity() == 0x10
    poll(station.stderr_text, lambda text: "refused" in text and "http://example.com/a.avi" in text,
         5, "the refusal on stderr")


BAD_FIELDS = [
    (("text", 0, 0, 0, 0), {}, TypeError, "text needs text"),
    (("text", 0, 0, 0, 0, "x" * 256), {}, ValueError, "at most 255 fit"),
    (("text", 256, 0, 0, 0, "x"), {}, ValueError, "text.column must be a number 0 to 255"),
    (("box",), {"colour": 1, "size": 3}, TypeError, "box has no field 'size'"),
    (("nosuch",), {}, ValueError, "no host command 'nosuch'"),
    (("picture", 0, 0, b"GIF89a"), {}, ValueError, "not a BMP file"),
    (("picture", 0, 0, bmp(2, 2, (0, 0, 0))[:-1]), {}, ValueError, "size field says"),
    (("play", "a.avi"), {}, ValueError, "a list of file names"),
    (("play", ["a\x03.avi"]), {}, ValueError, "holds ETX or CR"),
    (("grid", 1, 2), {}, TypeError, "grid takes 1 fields"),
]


@pytest.mark.parametrize("args, fields, error, message", BAD_FIELDS,
                         ids=[case[3] for case in BAD_FIELDS])
def test_bad_fields_are_refused_before_anything_is_sent(args, fields, error, message):
    with pytest.raises(error, match=message):
        encode(*args, **fields)


def test_encoded_bytes_match_the_protocol_examples():
    assert encode("text", 10, 5, 0xD2, 0, "Hi").hex(" ") == "02 01 23 0a 05 d2 00 02 48 69 03"
    assert encode("play", entries=["a.avi", exit_keys(145)]).hex(" ") == (
        "02 01 40 00 00 00 00 00 61 2e 61 76 69 0d 0a 31 34 35 30 30 30 0d 03")
    assert encode("identity", address=7) == bytes.fromhex("02 07 11 03")


@pytest.mark.qx44sim(settings={"Video": {"TestSources": 1}})
def test_play_list_shows_the_player_until_its_exit_key(station, host):
    host.send("play", entries=["av://lavfi:testsrc=duration=30:size=320x240", exit_keys(145)])
    player = poll(station.control.player, lambda p: p.shown and p.state == "playing", 10,
                  "the player playing")
    assert player.count == 2 and station.control.screen().player_covers
    station.control.key("esc")
    host.wait_media_exit()
    assert station.control.player().shown is False


def test_raw_bytes_go_through_the_framing_as_they_are(station, host):
    # The protocol's worked example: stray bytes, a message with a wrong end, an ignored code.
    host.send_raw(bytes.fromhex("41 42 02 01 10 05 04 02 01 20 03"))
    assert host.identity() == 0x10
    assert host.pending() == []
