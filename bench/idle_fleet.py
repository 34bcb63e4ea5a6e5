#!/usr/bin/env python3
"""Idle cost of a fleet: N headless stations (default 50), each with a connected host that has
been answered once and then stays silent. Prints the stations' total CPU time over a window of
SECONDS (default 10) as a share of one core, and each station's resident memory: RSS, which
counts every shared library page in every station, and PSS, which shares them out.

Usage: bench/idle_fleet.py [N] [SECONDS] [PATH_TO_QX44SIM]   (default: build/src/ui/qx44sim)
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples"))
from drive_station import connect  # noqa: E402  (the example's patient connect, reused)

IDENTITY_QUERY = bytes([0x02, 0x01, 0x11, 0x03])


def free_ports(count):
    """Distinct ports nobody listens on: each probe stays bound until all are chosen."""
    probes = [socket.socket() for _ in range(count)]
    try:
        for probe in probes:
            probe.bind(("127.0.0.1", 0))
        return [probe.getsockname()[1] for probe in probes]
    finally:
        for probe in probes:
            probe.close()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def memory_mib(pid):
    """(RSS, PSS) in MiB."""
    found = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("Rss", "Pss"):
                found[key] = int(rest.split()[0]) / 1024
    return found.get("Rss", 0.0), found.get("Pss", 0.0)


def spread(values):
    return (f"min {min(values):.1f} MiB, mean {sum(values) / len(values):.1f} MiB, "
            f"max {max(values):.1f} MiB")


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 50
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    here = os.path.dirname(os.path.abspath(__file__))
    program = sys.argv[3] if len(sys.argv) > 3 else os.path.join(
        here, "..", "build", "src", "ui", "qx44sim")
    stations, hosts = [], []
    ports = free_ports(2 * count)
    with tempfile.TemporaryDirectory() as root:
        try:
            for i in range(count):
                folder = os.path.join(root, f"station-{i + 1}")
                os.mkdir(folder)
                port, control = ports[2 * i], ports[2 * i + 1]
                settings = os.path.join(folder, "setting.txt")
                with open(settings, "w") as f:
                    f.write(f"[Net]\nPortNum={port}\n[Main]\nBeeping=0\n"
                            f"[Control]\nPort={control}\n")
                stations.append(subprocess.Popen(
                    [program, "--headless", "--settings", settings], cwd=folder))
                hosts.append(port)
            for i, port in enumerate(hosts):
                host = connect(port, 120)
                host.settimeout(120)
                host.sendall(IDENTITY_QUERY)
                if len(host.recv(16)) == 0:
                    raise RuntimeError(f"station {i + 1} closed its host")
                hosts[i] = host
            time.sleep(2)  # the answers' last send opportunities pass
            load_before = os.getloadavg()
            before = [cpu_seconds(s.pid) for s in stations]
            start = time.monotonic()
            time.sleep(seconds)
            after = [cpu_seconds(s.pid) for s in stations]
            elapsed = time.monotonic() - start
            memory = [memory_mib(s.pid) for s in stations]
            used = sum(after) - sum(before)
            print(f"stations: {count}, each with an idle connected host")
            print(f"CPU over {elapsed:.1f} s: {used:.2f} s in total = "
                  f"{100 * used / elapsed:.2f} % of one core "
                  f"(busiest station {100 * max(a - b for a, b in zip(after, before)) / elapsed:.2f} %)")
            print(f"RSS per station: {spread([rss for rss, _ in memory])}")
            print(f"PSS per station: {spread([pss for _, pss in memory])}")
            print(f"load average before the window: {load_before[0]:.2f} {load_before[1]:.2f} "
                  f"{load_before[2]:.2f} on {os.cpu_count()} cores")
        finally:
            for station in stations:
                station.terminate()
            for station in stations:
                try:
                    station.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    station.kill()


if __name__ == "__main__":
    main()
