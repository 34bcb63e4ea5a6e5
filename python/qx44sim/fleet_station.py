"""One station of a fleet: a headless station program in a folder of its own, started again on
the same folder and ports when it dies."""

from __future__ import annotations

import shutil
import subprocess
import threading
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Any, Callable

from . import settings as settings_file
from .errors import StationError
from .station import end_process, read_ready_line

# How long a station may take to end after SIGTERM before it gets SIGKILL.
_TERMINATE_WAIT = 10.0
# A station that dies again and again waits longer each time before its next start.
_FIRST_BACKOFF = 0.5
_MAX_BACKOFF = 30.0
# A station that ran this long before it died starts again at once.
_STABLE_RUN = 10.0
_STDERR_TAIL = 1500
# Started through setpriv, a station gets SIGTERM when the fleet program dies, even of SIGKILL,
# rather than running on with nobody to stop it or remove its folder.
_SETPRIV = shutil.which("setpriv")
_ORPHAN_GUARD = [_SETPRIV, "--pdeathsig", "TERM", "--"] if _SETPRIV else []


@dataclass(frozen=True)
class Ports:
    """The ports a station is started on; 0 lets it take a free one."""

    host: int = 0
    control: int = 0
    http: int = 0


class FleetStation:
    """A station program the fleet started. `start()` runs it and reads its ready line;
    `watch()` (on a thread of its own) waits for it to end and starts it again, counting the
    restarts, until `stop()`. `changed` is called after every restart with the station."""

    def __init__(self, name: str, folder: Path, program: Path, ports: Ports,
                 settings: settings_file.Settings, extra_args: list[str],
                 ready_timeout: float, changed: Callable[[FleetStation], None]) -> None:
        self.name = name
        self.folder = folder
        self.program = program
        self.ports = ports
        self._wanted_ports = ports
        self.restarts = 0
        self.pid: int | None = None
        self._settings = settings
        self._extra_args = extra_args
        self._ready_timeout = ready_timeout
        self._changed = changed
        self._process: subprocess.Popen[bytes] | None = None
        self._stopping = threading.Event()
        self._lock = threading.Lock()

    @property
    def settings_path(self) -> Path:
        return self.folder / "setting.txt"

    @property
    def stderr_path(self) -> Path:
        return self.folder / "stderr.txt"

    def record(self) -> dict[str, Any]:
        """What the fleet prints and the page shows of this station."""
        return {"name": self.name, "hostPort": self.ports.host,
                "controlPort": self.ports.control, "httpPort": self.ports.http,
                "folder": str(self.folder), "pid": self.pid, "restarts": self.restarts}

    def start(self) -> None:
        """Starts the program (folder and settings file first) without waiting for it."""
        self.folder.mkdir(parents=True, exist_ok=True)
        self.settings_path.write_text(settings_file.render(self._settings), encoding="utf-8")
        command = [*_ORPHAN_GUARD, str(self.program), "--headless", "--settings", str(self.settings_path),
                   "--port", str(self.ports.host), "--control", str(self.ports.control),
                   "--http", str(self.ports.http), *self._extra_args]
        with self._lock:
            if self._stopping.is_set():
                raise StationError(f"{self.name} is stopping")
            with open(self.stderr_path, "ab") as stderr:
                # A group of its own: Ctrl+C in the fleet's terminal reaches the fleet alone,
                # which then stops its stations rather than restarting them.
                self._process = subprocess.Popen(command, cwd=self.folder,
                                                 stdin=subprocess.DEVNULL,
                                                 stdout=subprocess.PIPE, stderr=stderr,
                                                 process_group=0)

    def await_ready(self) -> None:
        """Reads the ready line: the station's ports and pid. Raises StationError when the
        program ends first, writes something else, or is not ready in time."""
        process = self._process
        assert process is not None and process.stdout is not None
        try:
            ready = read_ready_line(process, self._ready_timeout, f"{self.name}: the program",
                                    self._stderr_tail)
        finally:
            # Nothing else ever comes on stdout.
            process.stdout.close()
        self.ports = Ports(int(ready["hostPort"]), int(ready["controlPort"]),
                           int(ready.get("httpPort") or 0))
        self.pid = int(ready.get("pid", process.pid))

    def _stderr_tail(self) -> str:
        try:
            tail = self.stderr_path.read_text(encoding="utf-8", errors="replace")
        except OSError:
            tail = ""
        tail = tail[-_STDERR_TAIL:].rstrip()
        return f"; its stderr ({self.stderr_path}) ends:\n{tail}" if tail else ""

    def watch(self, report: Callable[[str], None]) -> None:
        """Until stop(): waits for the program to end and starts it again on the ports it had
        (after a failed start, on those it was first asked for: free ones unless fixed).
        `report` gets a line for each death and each failed start."""
        backoff = _FIRST_BACKOFF
        while not self._stopping.is_set():
            process = self._process
            assert process is not None
            started = time.monotonic()
            status = process.wait()
            if self._stopping.is_set():
                return
            report(f"{self.name} (pid {self.pid}) ended with status {status}; starting it again")
            if time.monotonic() - started > _STABLE_RUN:
                backoff = _FIRST_BACKOFF
            elif self._stopping.wait(backoff):
                return
            while not self._stopping.is_set():
                try:
                    self.start()
                    self.await_ready()
                    break
                except (StationError, OSError) as error:
                    report(f"{error}")
                    self._end_process()
                    self.ports = self._wanted_ports
                    backoff = min(backoff * 2, _MAX_BACKOFF)
                    if self._stopping.wait(backoff):
                        return
            else:
                return
            self.restarts += 1
            self._changed(self)

    def stop(self) -> None:
        """Ends the program and starts it no more."""
        with self._lock:
            self._stopping.set()
        self._end_process()

    def _end_process(self) -> None:
        """SIGTERM, then SIGKILL when the program does not end in time."""
        process = self._process
        if process is not None:
            end_process(process, _TERMINATE_WAIT)
