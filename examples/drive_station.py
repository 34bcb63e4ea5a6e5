#!/usr/bin/env python3
"""Starts a headless station, connects a fake host to it, lets the host draw a prompt, waits on
the control port until the prompt shows, types a key and prints what the host received for it.

Usage: examples/drive_station.py [PATH_TO_QX44SIM]   (default: build/src/ui/qx44sim)
Only the Python standard library is used.
"""
import json
import os
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def connect(port, timeout=30):
    deadline = time.monotonic() + timeout
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port))
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.05)


class Control:
    """One control connection: a command per line, a JSON reply per line."""

    def __init__(self, port):
        self.lines = connect(port).makefile("rw", encoding="utf-8", newline="\n")

    def ask(self, command):
        self.lines.write(command + "\n")
        self.lines.flush()
        reply = json.loads(self.lines.readline())
        if not reply["ok"]:
            raise RuntimeError(f"{command}: {reply['error']}")
        return reply


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "build", "src", "ui", "qx44sim")
    with tempfile.TemporaryDirectory() as folder:
        host_port, control_port = free_port(), free_port()
        settings = os.path.join(folder, "setting.txt")
        with open(settings, "w") as f:
            f.write(f"[Net]\nPortNum={host_port}\n[Main]\nBeeping=0\n"
                    f"[Control]\nPort={control_port}\n")
        station = subprocess.Popen([program, "--headless", "--settings", settings], cwd=folder)
        try:
            host = connect(host_port)
            control = Control(control_port)
            # The host writes "READY" at column 0, row 0 in colours 0x07 on 0x00 (command 0x23).
            text = b"READY"
            host.sendall(bytes([0x02, 0x01, 0x23, 0, 0, 0x00, 0x07, len(text)]) + text + b"\x03")
            print("waited", control.ask("wait text READY 10")["waitedMs"], "ms for the prompt")
            print("row 0 shows:", repr(control.ask("screen")["lines"][0]))
            control.ask("key enter")
            host.settimeout(10)
            received = b""
            while len(received) < 15:
                received += host.recv(64)
            print("the host received:", received.hex(" ").upper())
            control.ask("shutdown")
            station.wait(timeout=20)
        finally:
            if station.poll() is None:
                station.kill()


if __name__ == "__main__":
    main()
