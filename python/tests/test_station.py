"""Starting and stopping a station, and every bad input ending in a clear error: a missing
program, one that ends early or never gets ready, refused control commands, waits that run out."""

import os
import socket
import tempfile
from pathlib import Path

import pytest

from qx44sim import Control, ControlError, ControlTimeout, Host, HostError, Station, StationError
from qx44sim.control import quote


def script(folder: Path, body: str) -> Path:
    path = folder / "fake-qx44sim"
    path.write_text("#!/bin/sh\n" + body + "\n")
    path.chmod(0o755)
    return path


@pytest.mark.parametrize("body, timeout, message", [
    ('echo "qx44sim: cannot listen on the port" >&2; exit 3', 10,
     r"ended with status 3 before it was ready; its stderr ends:\nqx44sim: cannot listen"),
    ("exit 0", 10, "ended with status 0 before it was ready; it wrote nothing on stderr"),
    ("echo $$ > {tmp}/pid; exec sleep 60", 0.5, r"wrote no ready line within 0.5 s"),
    ("echo hello; exec sleep 60", 10, r"wrote b'hello' on stdout instead of its ready line"),
])
def test_a_program_that_does_not_get_ready_is_a_clear_error(tmp_path, monkeypatch, body, timeout,
                                                            message):
    program = script(tmp_path, body.format(tmp=tmp_path))
    folders = tmp_path / "folders"
    folders.mkdir()
    monkeypatch.setattr(tempfile, "tempdir", str(folders))
    with pytest.raises(StationError, match=message):
        Station(program, ready_timeout=timeout)
    assert list(folders.iterdir()) == []
    if (tmp_path / "pid").exists():
        assert not Path("/proc", (tmp_path / "pid").read_text().strip()).exists()


def test_a_missing_program_is_a_clear_error(tmp_path, monkeypatch):
    with pytest.raises(StationError, match="program given, /nonexistent/qx44sim, is not an "
                                           "executable file"):
        Station("/nonexistent/qx44sim")
    (tmp_path / "bin").mkdir()
    not_a_program = tmp_path / "bin" / "qx44sim"
    not_a_program.write_bytes(b"\x7fELF garbage")
    not_a_program.chmod(0o755)
    with pytest.raises(StationError, match=r"cannot start .*qx44sim: \[Errno 8\] Exec format error"):
        Station(not_a_program)
    monkeypatch.setenv("QX44SIM", str(tmp_path))
    with pytest.raises(StationError, match="named by QX44SIM"):
        Station()
    monkeypatch.delenv("QX44SIM")
    monkeypatch.setenv("PATH", str(tmp_path))
    with pytest.raises(StationError, match="no station program: pass its path, set QX44SIM"):
        Station()


def test_a_station_lives_in_its_own_folder_and_leaves_nothing(program):
    with Station(program, settings={"main": {"DevName": "Bench 4", "beeping": None}}) as station:
        folder = station.folder
        text = station.settings_path.read_text()
        assert "DevName=Bench 4" in text and "Beeping" not in text and "COM3=printer" in text
        state = station.control.state()
        assert (state.phase, state.host_port) == ("terminal", station.host_port)
        assert station.ready["pid"] == station.pid and station.http_port is None
    assert not station.running and station.returncode == 0
    assert not folder.exists()
    station.close()


def test_a_killed_station_is_still_cleaned_up(program):
    station = Station(program)
    station.kill()
    station.close()
    assert not station.running and not station.folder.exists()


def test_a_control_token_is_sent_first(program):
    with Station(program, settings={"Control": {"Token": "s3cret"}}) as station:
        assert station.control.host().bytes_in == 0
        Control(station.control_port, token="s3cret").quit()
        with Control(station.control_port) as stranger, \
                pytest.raises(ControlError, match="auth TOKEN must come first"):
            stranger.host()


REFUSED = [
    (lambda c: c.wait_regex("("), ControlError, r"wait regex \( 5.000: bad pattern: missing \)"),
    (lambda c: c.wait("bogus"), ControlError, "wait for what"),
    (lambda c: c.key("nosuchkey"), ControlError, "no key named nosuchkey; try keys"),
    (lambda c: c.cell(80, 0), ControlError, "no such cell: the screen has 80 columns"),
    (lambda c: c.command("bogus"), ControlError, "unknown command bogus; try help"),
    (lambda c: c.type("é"), ControlError, "no US key types byte 0xC3"),
    (lambda c: c.serial_send(1, b""), ControlError, "sendhex needs pairs of hex digits"),
    (lambda c: c.wait_text("never shown", timeout=0.2), ControlTimeout, "timeout"),
    (lambda c: c.printer_set("jammed"), ValueError, "a printer state is one of ready"),
    (lambda c: c.command("host\nshutdown"), ValueError, "one command per line"),
    (lambda c: c.wait_any(), ValueError, "at least one text"),
]


@pytest.mark.parametrize("call, error, message", REFUSED, ids=[case[2] for case in REFUSED])
def test_refused_commands_raise_with_the_station_message(station, call, error, message):
    with pytest.raises(error, match=message):
        call(station.control)
    assert station.control.host().peer is not None


@pytest.mark.parametrize("word, quoted", [("plain", "plain"), ("two words", '"two words"'),
                                          ("", '""'), ("a\tb", '"a\tb"')])
def test_control_words_are_quoted_when_they_hold_blanks(word, quoted):
    assert quote(word) == quoted
    with pytest.raises(ValueError, match="cannot hold"):
        quote('say "two words"')
    with pytest.raises(ValueError, match="cannot hold"):
        quote('"x')


@pytest.mark.parametrize("state, status", [("ready", 0x00), ("offline", 0xFF),
                                           ("cover-open", 0xFF), ("paper-end", 0xFF)])
def test_printer_faults_reach_the_host_as_port_status(station, host, state, status):
    station.printer.set_state(state)
    assert host.port_status(0xFE) == status


def test_waits_return_what_matched(station, host):
    host.send("text", 0, 3, 0xD2, 0x00, "total 12.50 EUR")
    control = station.control
    assert control.wait_any("nothing", "12.50", timeout=3).index == 1
    assert control.wait_regex(r"total \d+\.\d\d", timeout=3).waited_ms >= 0
    assert control.wait_stable(100, timeout=3).waited_ms >= 100
    assert control.wait_gone("not there", timeout=3).waited_ms >= 0
    assert control.wait_ready(timeout=3).waited_ms >= 0
    assert control.screen(attrs=True).find("12.50") == (6, 3)
    assert control.player().shown is False
    assert "wait" in " ".join(control.help()) and "enter" in control.keys()


def test_snapshot_is_a_png(station, tmp_path):
    relative = Path(os.path.relpath(tmp_path / "shot.png"))
    assert station.snap(relative) == (tmp_path / "shot.png").resolve()
    assert (tmp_path / "shot.png").read_bytes()[:4] == b"\x89PNG"



def test_a_control_port_that_never_answers_times_out_and_a_closed_port_is_an_error():
    with socket.create_server(("127.0.0.1", 0)) as silent:
        port = silent.getsockname()[1]
        with Control(port, timeout=0.3) as control, \
                pytest.raises(ControlTimeout, match=r"host: no reply within 0.3 s"):
            control.host()
    with pytest.raises(ControlError, match=f"cannot reach the control port 127.0.0.1:{port}"):
        Control(port)
    with pytest.raises(HostError, match=f"cannot connect a host to 127.0.0.1:{port}"):
        Host(port)
