"""The settings file a test station starts with: defaults for testing, merged with the caller's."""

from __future__ import annotations

from pathlib import Path
from typing import Any, Mapping

# A quiet station serving this machine only, with recording serial ports and a receipt printer.
TEST_DEFAULTS: dict[str, dict[str, Any]] = {
    "Net": {"Bind": "127.0.0.1"},
    "Main": {"Beeping": 0, "UsbEnabled": 1, "UsbMap": 3},
    "Ports": {"COM1": "virtual", "COM2": "virtual", "COM3": "printer"},
}

Settings = Mapping[str, Mapping[str, Any]]


def merge(defaults: Settings, overrides: Settings) -> dict[str, dict[str, Any]]:
    """`defaults` with `overrides` laid over them; names match without regard to case, as the
    station reads them, and a value None leaves the key out."""
    merged: dict[str, dict[str, Any]] = {}
    for source in (defaults, overrides):
        for section, keys in source.items():
            target_name = next((s for s in merged if s.lower() == section.lower()), section)
            target = merged.setdefault(target_name, {})
            for key, value in keys.items():
                for old in [k for k in target if k.lower() == key.lower()]:
                    del target[old]
                if value is not None:
                    target[key] = value
    return merged


def _value(value: Any) -> str:
    if isinstance(value, bool):
        return "1" if value else "0"
    text = str(value)
    if "\n" in text or "\r" in text:
        raise ValueError(f"a setting cannot hold a line break: {text!r}")
    return text


def render(settings: Settings) -> str:
    """The INI text of `settings` (sections, then Key=Value lines)."""
    lines: list[str] = []
    for section, keys in settings.items():
        if not section or any(c in section for c in "[]\r\n"):
            raise ValueError(f"not a section name: {section!r}")
        lines.append(f"[{section}]")
        for key, value in keys.items():
            if not key or any(c in key for c in "=\r\n"):
                raise ValueError(f"not a key name: {key!r}")
            lines.append(f"{key}={_value(value)}")
    return "\n".join(lines) + "\n"


def write(path: Path, overrides: Settings | None = None) -> dict[str, dict[str, Any]]:
    """Writes the test defaults merged with `overrides` to `path`; returns what it wrote."""
    merged = merge(TEST_DEFAULTS, overrides or {})
    path.write_text(render(merged), encoding="utf-8")
    return merged
