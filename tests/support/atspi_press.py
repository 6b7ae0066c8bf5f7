"""Presses one push button of a running program through the accessibility bus
(AT-SPI), with the button's own Press action, as a switch device or a screen
reader's "activate" does: no pointer and no keyboard involved.

Runs as its own process under the system's python3, which has pyatspi, on the
session bus named by DBUS_SESSION_BUS_ADDRESS; exits 1 while no showing button
of that name is there:
    /usr/bin/python3 atspi_press.py PROGRAM_NAME BUTTON_NAME
"""

import sys

import pyatspi


def buttons(accessible, name):
    if accessible is None:
        return
    state = accessible.getState()
    if accessible.getRoleName() == "push button" and accessible.name == name and state.contains(
            pyatspi.STATE_SHOWING):
        yield accessible
    for i in range(accessible.childCount):
        yield from buttons(accessible.getChildAtIndex(i), name)


def main(program, name):
    desktop = pyatspi.Registry.getDesktop(0)
    for p in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
        if p is not None and p.name == program:
            for button in buttons(p, name):
                action = button.queryAction()
                press = [i for i in range(action.nActions) if action.getName(i) == "Press"]
                if press and action.doAction(press[0]):
                    return 0
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
