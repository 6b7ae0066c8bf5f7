"""Prints, as JSON, what the accessibility bus (AT-SPI) holds of one running
program, read with pyatspi as the Orca screen reader reads it: each object's
role, name, description, whether it is on screen, its text and its children.

Runs as its own process under the system's python3, which has pyatspi, on the
session bus named by DBUS_SESSION_BUS_ADDRESS:
    /usr/bin/python3 atspi_tree.py PROGRAM_NAME
"""

import json
import sys

import pyatspi


def describe(accessible):
    item = {
        "role": accessible.getRoleName(),
        "name": accessible.name,
        "description": accessible.description,
        "showing": accessible.getState().contains(pyatspi.STATE_SHOWING),
    }
    try:
        item["text"] = accessible.queryText().getText(0, -1)
    except NotImplementedError:
        pass
    item["children"] = [describe(accessible.getChildAtIndex(i)) for i in range(accessible.childCount)]
    return item


def main(program):
    desktop = pyatspi.Registry.getDesktop(0)
    programs = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    json.dump([describe(p) for p in programs if p is not None and p.name == program], sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
