"""Reads what a running program shows on the accessibility bus named by
DBUS_SESSION_BUS_ADDRESS, as the Orca screen reader does, or presses one of
its push buttons by its own Press action, as a switch device does. A process
of its own, since pyatspi binds to one bus for its life:
    atspi_client.py tree PROGRAM     the objects (role, name, description,
                                     showing, text, children) as JSON
    atspi_client.py press PROGRAM BUTTON   status 1 while no such button shows
"""

import json
import sys

import pyatspi


def programs(name):
    return [p for p in pyatspi.Registry.getDesktop(0) if p is not None and p.name == name]


# A role by pyatspi's constant for it, ROLE_PUSH_BUTTON read "push button":
# libatspi's own role names are words for people, and they change (at-spi2-core
# 2.56 calls the same push button "button").
ROLES = {int(value): constant[len("ROLE_"):].lower().replace("_", " ")
         for constant, value in vars(pyatspi).items() if isinstance(value, pyatspi.Role)}


def role(accessible):
    return ROLES.get(int(accessible.getRole())) or accessible.getRoleName()


def describe(accessible):
    item = {
        "role": role(accessible),
        "name": accessible.name,
        "description": accessible.description,
        "showing": accessible.getState().contains(pyatspi.STATE_SHOWING),
    }
    try:
        item["text"] = accessible.queryText().getText(0, -1)
    except NotImplementedError:
        pass
    item["children"] = [describe(child) for child in accessible]
    return item


def press(program, name):
    def showing_button(a):
        return (a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == name
                and a.getState().contains(pyatspi.STATE_SHOWING))
    for button in (b for p in programs(program) for b in pyatspi.findAllDescendants(p, showing_button)):
        action = button.queryAction()
        presses = [i for i in range(action.nActions) if action.getName(i) == "Press"]
        if presses and action.doAction(presses[0]):
            return 0
    return 1


if __name__ == "__main__":
    if sys.argv[1] == "tree":
        json.dump([describe(p) for p in programs(sys.argv[2])], sys.stdout)
    else:
        sys.exit(press(sys.argv[2], sys.argv[3]))
