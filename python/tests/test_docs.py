"""The README's account of the package stays true: its quote of the example test file, and the
host command names it lists."""

import re
from pathlib import Path

from qx44sim import HOST_COMMANDS

ROOT = Path(__file__).resolve().parents[2]


def testing_section() -> str:
    readme = (ROOT / "README.md").read_text()
    return readme[readme.index("## Testing your host"):readme.index("### The program's options")]


def test_the_readme_quotes_the_example_test_file_as_it_is():
    quoted = re.search(r"```python\n(.*?)```", testing_section(), re.S)
    assert quoted is not None
    assert quoted.group(1) == (ROOT / "examples" / "test_menu_host.py").read_text()


def test_the_readme_lists_every_host_command_by_its_name():
    listed = testing_section().split("bytes as they are):", 1)[1].split("A value that", 1)[0]
    names = re.findall(r"`([a-z0-9_]+)`", listed)
    assert names == [command.name for command in HOST_COMMANDS]
