"""A station program of its own for a test: started in a fresh folder with its own settings file,
on free ports, ready when its ready line says so, and stopped and removed when done."""

from __future__ import annotations

import json
import os
import selectors
import shutil
import signal
import subprocess
import tempfile
import time
import weakref
from pathlib import Path
from types import TracebackType
from typing import Any, Callable, Sequence

from . import settings as settings_file
from .control import Control
from .devices import Printer, SerialPort
from .errors import ControlError, StationError
from .host import Host
from .replies import Screen

PROGRAM_ENV = "QX44SIM"
DEFAULT_READY_TIMEOUT = 20.0
# How long the program may take to end after `shutdown`, and after SIGTERM, before SIGKILL.
_SHUTDOWN_WAIT = 5.0
_TERMINATE_WAIT = 3.0
_STDERR_TAIL = 2000


def find_program(program: str | os.PathLike[str] | None = None) -> Path:
    """The station program: `program`, else the environment's QX44SIM, else `qx44sim` on PATH."""
    named = program if program is not None else os.environ.get(PROGRAM_ENV)
    if named is not None and str(named) != "":
        path = Path(named)
        if not path.is_file() or not os.access(path, os.X_OK):
            source = "given" if program is not None else f"named by {PROGRAM_ENV}"
            raise StationError(f"the station program {source}, {path}, is not an executable file")
        return path.absolute()
    found = shutil.which("qx44sim")
    if found is None:
        raise StationError(f"no station program: pass its path, set {PROGRAM_ENV}, or put "
                           "qx44sim on PATH")
    return Path(found)


def end_process(process: subprocess.Popen[Any], wait: float) -> None:
    """SIGTERM, then SIGKILL when the program has not ended within `wait` seconds."""
    if process.poll() is None:
        process.terminate()
    try:
        process.wait(wait)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def _stop(process: subprocess.Popen[bytes], folder: Path | None) -> None:
    """Ends the program and removes its folder: the last resort when a Station is never
    closed."""
    end_process(process, _TERMINATE_WAIT)
    if process.stdout is not None:
        process.stdout.close()
    if folder is not None:
        shutil.rmtree(folder, ignore_errors=True)


def read_ready_line(process: subprocess.Popen[bytes], timeout: float, who: str,
                    stderr_tail: Callable[[], str]) -> dict[str, Any]:
    """The program's ready line from its stdout, within `timeout` seconds. Raises StationError,
    naming `who` and ending with `stderr_tail()`, when the program ends first, writes something
    else, or is not ready in time."""
    assert process.stdout is not None
    descriptor = process.stdout.fileno()
    os.set_blocking(descriptor, False)
    deadline = time.monotonic() + timeout
    received = b""
    with selectors.DefaultSelector() as selector:
        selector.register(descriptor, selectors.EVENT_READ)
        while b"\n" not in received:
            left = deadline - time.monotonic()
            if left <= 0:
                raise StationError(f"{who} wrote no ready line within {timeout:g} s"
                                   f"{stderr_tail()}")
            if not selector.select(left):
                continue
            chunk = os.read(descriptor, 4096)
            if not chunk:
                try:
                    status: int | str = process.wait(_TERMINATE_WAIT)
                except subprocess.TimeoutExpired:
                    status = "unknown (it closed stdout but still runs)"
                raise StationError(f"{who} ended with status {status} before it was ready"
                                   f"{stderr_tail()}")
            received += chunk
    line = received.split(b"\n", 1)[0]
    try:
        ready = json.loads(line)
    except json.JSONDecodeError:
        ready = None
    if not isinstance(ready, dict) or ready.get("event") != "ready":
        raise StationError(f"{who} wrote {line[:200]!r} on stdout instead of its ready line"
                           f"{stderr_tail()}")
    return ready


class Station:
    """One station program. `with Station() as station:` starts it headless with a quick start,
    a free host port and a free control port, in a temporary folder holding its settings file
    (`settings`: sections -> keys -> values, over `settings.TEST_DEFAULTS`), and waits for its
    ready line. Leaving the block shuts it down and removes the folder.

    A missing program, a program that ends before it is ready (with the end of its stderr), or
    no ready line within `ready_timeout` seconds raise `StationError`."""

    def __init__(self, program: str | os.PathLike[str] | None = None,
                 settings: settings_file.Settings | None = None, *, headless: bool = True,
                 quick_start: bool = True, args: Sequence[str] = (),
                 ready_timeout: float = DEFAULT_READY_TIMEOUT, keep_folder: bool = False,
                 env: dict[str, str] | None = None) -> None:
        self.program = find_program(program)
        self.folder = Path(tempfile.mkdtemp(prefix="qx44sim-"))
        self.settings_path = self.folder / "setting.txt"
        self.stderr_path = self.folder / "stderr.txt"
        self._keep_folder = keep_folder
        self._control: Control | None = None
        self._host: Host | None = None
        try:
            self.settings = settings_file.write(self.settings_path, settings)
            command = [str(self.program), "--settings", str(self.settings_path),
                       "--port", "0", "--control", "0",
                       "--headless" if headless else "--windowed"]
            command += ["--quick-start"] if quick_start else []
            command += list(args)
            self.command = command
            with open(self.stderr_path, "wb") as stderr:
                try:
                    self._process = subprocess.Popen(command, cwd=self.folder, env=env,
                                                     stdin=subprocess.DEVNULL,
                                                     stdout=subprocess.PIPE, stderr=stderr)
                except OSError as error:
                    raise StationError(f"cannot start {self.program}: {error}") from error
        except BaseException:
            shutil.rmtree(self.folder, ignore_errors=True)
            raise
        self._finalizer = weakref.finalize(self, _stop, self._process,
                                           None if keep_folder else self.folder)
        try:
            ready = self._read_ready(ready_timeout)
        except BaseException:
            self._finalizer()
            raise
        self.host_port = int(ready["hostPort"])
        self.control_port = int(ready["controlPort"])
        self.pid = int(ready.get("pid", self._process.pid))
        # The web view's port, when the program serves one (--http in `args`).
        http_port = ready.get("httpPort")
        self.http_port = None if http_port is None else int(http_port)
        self.ready = ready

    def __enter__(self) -> Station:
        return self

    def __exit__(self, kind: type[BaseException] | None, value: BaseException | None,
                 traceback: TracebackType | None) -> None:
        self.close()

    def __repr__(self) -> str:
        state = "running" if self.running else f"ended ({self._process.returncode})"
        return f"<Station pid {self._process.pid} {state}, folder {self.folder}>"

    @property
    def running(self) -> bool:
        """The program has not ended."""
        return self._process.poll() is None

    @property
    def returncode(self) -> int | None:
        """The program's exit status once it has ended."""
        return self._process.poll()

    def stderr_text(self) -> str:
        """What the program wrote to stderr so far."""
        try:
            return self.stderr_path.read_text(encoding="utf-8", errors="replace")
        except OSError:
            return ""

    def _stderr_tail(self) -> str:
        tail = self.stderr_text()[-_STDERR_TAIL:].rstrip()
        return f"; its stderr ends:\n{tail}" if tail else "; it wrote nothing on stderr"

    def _read_ready(self, timeout: float) -> dict[str, Any]:
        """The ready line from stdout, within `timeout` seconds."""
        return read_ready_line(self._process, timeout, str(self.program), self._stderr_tail)

    # What a test uses

    @property
    def control(self) -> Control:
        """The station's control client (one connection, made at first use)."""
        if self._control is None:
            token = next((value for section, keys in self.settings.items()
                          if section.lower() == "control"
                          for key, value in keys.items() if key.lower() == "token"), None)
            self._control = Control(self.control_port,
                                    token=None if token is None else str(token))
        return self._control

    def host(self, timeout: float = 5.0) -> Host:
        """A fake host connected to the station's host port, once the station has taken the
        connection. One host is served at a time: the one made before is closed first."""
        if self._host is not None:
            self._host.close()
        address = next((int(value) for section, keys in self.settings.items()
                        if section.lower() == "main"
                        for key, value in keys.items() if key.lower() == "address"), 1)
        self._host = Host(self.host_port, address=address)
        self.control.wait_host(timeout)
        return self._host

    @property
    def printer(self) -> Printer:
        """The virtual receipt printer."""
        return Printer(self.control)

    def serial(self, port: int) -> SerialPort:
        """COM `port`'s virtual device."""
        return SerialPort(self.control, port)

    def snap(self, path: str | os.PathLike[str]) -> Path:
        """A PNG of what the window shows, saved at `path`."""
        return self.control.snap(path)

    def screen(self, attrs: bool = True) -> Screen:
        """The text screen's rows and, unless `attrs` is False, their attributes."""
        return self.control.screen(attrs=attrs)

    def close(self) -> None:
        """Shuts the program down (control `shutdown`, then SIGTERM, then SIGKILL, each with a
        time limit) and removes its folder. Calling it again does nothing."""
        if not self._finalizer.alive:
            return
        if self._host is not None:
            self._host.close()
        control = self._control
        if control is None and self.running:
            try:
                control = self.control
            except ControlError:
                control = None
        if control is not None:
            if self.running:
                try:
                    control.shutdown()
                except ControlError:
                    pass
            control.close()
        try:
            self._process.wait(_SHUTDOWN_WAIT)
        except subprocess.TimeoutExpired:
            pass
        self._finalizer()

    def kill(self, sig: int = signal.SIGKILL) -> None:
        """Sends the program a signal, as a crash or an operator would end it."""
        if self.running:
            self._process.send_signal(sig)
