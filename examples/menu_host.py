#!/usr/bin/env python3
"""A small host application for a QX4400 station: a café menu. Keys 1, 2 and 3 choose an item,
Enter prints a receipt for it on the station's receipt printer, Esc clears the choice.

Usage: examples/menu_host.py [--host 127.0.0.1] [--port 8888] [--address 1]
It runs until the station closes the connection. Standard library only; the bytes follow
docs/host-protocol.md.
"""

from __future__ import annotations

import argparse
import socket

STX, ETX = 0x02, 0x03
BLUE, WHITE, GREY, BLACK, YELLOW = 0xD2, 0x00, 0xEA, 0xD7, 0x05
ITEMS = [("Coffee", "2.50"), ("Tea", "2.00"), ("Cake", "3.20")]
FIRST_ITEM_ROW = 8
MESSAGE_ROW = 18
# Scan codes the station sends for the keys the menu knows (F0 comes before a release).
KEY_ITEM = {0x16: 0, 0x1E: 1, 0x26: 2, 0x69: 0, 0x72: 1, 0x7A: 2}
KEY_ENTER, KEY_ESC, RELEASE = 0x5A, 0x76, 0xF0
# Value bytes of every station message, so that the ones the menu ignores are skipped whole.
STATION_VALUES = {0x11: 1, 0x12: 1, 0x22: 1, 0x52: 1, 0x14: 1, 0x2B: 1, 0x2E: 2, 0x34: 2,
                  0x35: 0, 0x2C: 2, 0x2D: 2, 0x55: 2, 0x41: 0}
MEDIA_FILES = 0x33


class MenuHost:
    """The menu on one station connection: draws it, then follows the keys."""

    def __init__(self, connection: socket.socket, address: int = 1) -> None:
        self.connection = connection
        self.address = address
        self.chosen: int | None = None
        self.received = bytearray()
        self.release_next = False

    def send(self, code: int, *parameters: int | bytes) -> None:
        body = bytearray([STX, self.address, code])
        for parameter in parameters:
            body += parameter if isinstance(parameter, bytes) else bytes([parameter])
        body.append(ETX)
        self.connection.sendall(body)

    def text(self, column: int, row: int, background: int, foreground: int, text: str) -> None:
        data = text.encode("utf-8")
        self.send(0x23, column, row, background, foreground, len(data), data)

    def status(self, text: str) -> None:
        data = text.ljust(80).encode("utf-8")
        self.send(0x32, 0, BLUE, GREY, len(data), data)

    def draw(self) -> None:
        self.send(0x3E, 0, 0, 80, 25, BLUE)
        self.send(0x0A, 20, 4, 40, 12, 0x1F)
        self.text(35, 5, BLUE, YELLOW, "CAFE MENU")
        for index in range(len(ITEMS)):
            self.draw_item(index)
        self.status("Choose 1-3, Enter prints the receipt, Esc clears")

    def draw_item(self, index: int) -> None:
        name, price = ITEMS[index]
        background, foreground = (WHITE, BLACK) if index == self.chosen else (BLUE, WHITE)
        self.text(24, FIRST_ITEM_ROW + 2 * index, background, foreground,
                  f"{index + 1}  {name:<20}{price:>6}")

    def message(self, text: str) -> None:
        self.text(0, MESSAGE_ROW, BLUE, WHITE, text.center(80))

    def choose(self, index: int | None) -> None:
        previous, self.chosen = self.chosen, index
        for redraw in {previous, index}:
            if redraw is not None:
                self.draw_item(redraw)
        self.message(f"Selected: {ITEMS[index][0]}" if index is not None else "")

    def print_receipt(self) -> None:
        if self.chosen is None:
            self.message("Choose an item first")
            return
        name, price = ITEMS[self.chosen]
        receipt = f"CAFE\n{name} {price}\nThank you\n".encode("cp1252") + b"\x1dV\x00"
        self.send(0x50, len(receipt), receipt)
        self.message(f"Printed: {name}")

    def on_key(self, byte: int) -> None:
        if byte == RELEASE:
            self.release_next = True
            return
        released, self.release_next = self.release_next, False
        if released:
            return
        if byte in KEY_ITEM:
            self.choose(KEY_ITEM[byte])
        elif byte == KEY_ENTER:
            self.print_receipt()
        elif byte == KEY_ESC:
            self.choose(None)

    def messages(self) -> list[tuple[int, bytes]]:
        """The complete station messages received so far (code, values)."""
        found = []
        while (start := self.received.find(STX)) >= 0:
            del self.received[:start]
            if len(self.received) < 3:
                break
            code = self.received[2]
            if code == MEDIA_FILES:
                end = self.received.find(ETX, 3)
            elif code in STATION_VALUES:
                end = 3 + STATION_VALUES[code]
            else:
                del self.received[:1]
                continue
            if end < 0 or len(self.received) <= end:
                break
            found.append((code, bytes(self.received[3:end])))
            del self.received[:end + 1]
        else:
            self.received.clear()
        return found

    def run(self) -> None:
        self.draw()
        while data := self.connection.recv(4096):
            self.received += data
            for code, values in self.messages():
                if code == 0x11:
                    self.on_key(values[0])


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8888)
    parser.add_argument("--address", type=int, default=1)
    options = parser.parse_args()
    with socket.create_connection((options.host, options.port)) as connection:
        MenuHost(connection, options.address).run()


if __name__ == "__main__":
    main()
