#!/usr/bin/env python3
"""Runs one scripted host session against a headless station with --trace and writes the trace
with its times and the host's port taken out, so two builds' traces can be compared with diff.

Usage: scripts/trace_session.py QX44SIM OUTPUT
The host sends text, a box, a beep, a status text and a query, waits for the answer, then a key
is typed on the control port and the host waits for its bytes. Standard library only.
"""
import json
import os
import re
import subprocess
import sys
import tempfile

# The example's port and connection helpers, so the two hosts wait for a station the same way.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples"))
from drive_station import connect, free_port  # noqa: E402


def ask(lines, command):
    lines.write(command + "\n")
    lines.flush()
    reply = json.loads(lines.readline())
    if not reply["ok"]:
        raise RuntimeError(f"{command}: {reply['error']}")
    return reply


def receive(host, count):
    received = b""
    while len(received) < count:
        chunk = host.recv(64)
        if not chunk:
            raise RuntimeError("the station closed the connection")
        received += chunk
    return received


def main():
    program, output = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        host_port, control_port = free_port(), free_port()
        settings = os.path.join(folder, "setting.txt")
        trace = os.path.join(folder, "trace.txt")
        with open(settings, "w") as f:
            f.write(f"[Net]\nPortNum={host_port}\nBind=127.0.0.1\n[Main]\nBeeping=0\n"
                    f"[Control]\nPort={control_port}\n")
        station = subprocess.Popen(
            [program, "--headless", "--settings", settings, "--trace", trace], cwd=folder)
        try:
            host = connect(host_port)
            host.settimeout(20)
            control = connect(control_port).makefile("rw", encoding="utf-8", newline="\n")
            text = b"Hello"
            host.sendall(bytes([0x02, 0x01, 0x23, 10, 5, 0xD2, 0x00, len(text)]) + text + b"\x03")
            host.sendall(bytes([0x02, 0x01, 0x0A, 20, 8, 30, 6, 0x1E, 0x03]))
            host.sendall(bytes([0x02, 0x01, 0x10, 0x01, 0x03]))
            status = b"Ready"
            host.sendall(bytes([0x02, 0x01, 0x32, 2, 0x07, 0x0F, len(status)]) + status + b"\x03")
            host.sendall(bytes([0x02, 0x01, 0x11, 0x03]))
            answer = receive(host, 5)
            ask(control, "wait text Hello 10")
            ask(control, "key enter")
            keys = receive(host, 15)
            ask(control, "wait text Hello 10")
            host.close()
            ask(control, "shutdown")
            station.wait(timeout=30)
        finally:
            if station.poll() is None:
                station.kill()
        print("answer:", answer.hex(" ").upper(), "keys:", keys.hex(" ").upper())
        with open(trace) as f, open(output, "w") as out:
            for line in f:
                line = re.sub(r"^\s*\d+ ", "", line)
                out.write(re.sub(r"127\.0\.0\.1:\d+", "127.0.0.1:PORT", line))


if __name__ == "__main__":
    main()
