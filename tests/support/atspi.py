"""A private accessibility bus for the program (a D-Bus session of the test's
own, at-spi's bus launcher and registry behind it), read with pyatspi as a
screen reader reads it and able to press a button as a switch device does:
alike on X and on Wayland, where nothing else presses a headless Weston's button."""

import contextlib
import json
import os
import shutil
import signal
import subprocess

import compositor
import procs

SYSTEM_PYTHON = "/usr/bin/python3"  # the Debian python3, the one with pyatspi
CLIENT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_client.py")


def missing():
    """What this machine lacks for a bus, or None."""
    if shutil.which("dbus-daemon") is None:
        return "dbus-daemon is needed for an accessibility bus"
    if subprocess.run([SYSTEM_PYTHON, "-c", "import pyatspi"], capture_output=True).returncode != 0:
        return "%s's pyatspi is needed to read the accessibility bus" % SYSTEM_PYTHON
    return None


def walk(node):  # the tree's nodes; none of no tree (None)
    if node is not None:
        yield node
        for child in node["children"]:
            yield from walk(child)


class AccessibilityBus:
    """The bus, up once constructed, for the program started next with env
    (updated in place: the program asked to always publish); its socket in root."""

    def __init__(self, root, env):
        self.env = env
        self.daemon, address = procs.started_announcing(lambda fd: subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=%d" % fd,
             "--address=unix:path=%s" % os.path.join(root, "session-bus")],
            pass_fds=(fd,), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True))  # the bus launcher and registry it activates join its group
        try:  # the bus goes again when it cannot serve
            if not address:
                raise RuntimeError("dbus-daemon printed no address")
            env.update(DBUS_SESSION_BUS_ADDRESS=address, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
            # Qt joins the accessibility bus only if it is up when the program
            # starts: asking for its address starts it.
            from gi.repository import Gio  # python3-gi, imported by those who start a bus
            session = compositor.bus_connection(address)
            session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None, None,
                              Gio.DBusCallFlags.NONE, 30000, None)
            session.close_sync(None)
        except BaseException:
            self.stop()
            raise

    def stop(self):
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.daemon.pid, signal.SIGTERM)
        self.daemon.wait(10)

    def read(self):  # the program's tree, or None while it is not (wholly) there
        out = subprocess.run([SYSTEM_PYTHON, CLIENT, "tree", procs.EXE_NAME], env=self.env, capture_output=True,
                             timeout=60)
        trees = json.loads(out.stdout) if out.returncode == 0 and out.stdout else []
        return trees[0] if trees else None

    def showing(self, role=None):  # every object on screen now, of the role if given
        return [n for n in walk(self.read()) if n["showing"] and (role is None or n["role"] == role)]

    def press(self, button):
        """Presses the program's showing push button of that name; False while there is none."""
        return subprocess.run([SYSTEM_PYTHON, CLIENT, "press", procs.EXE_NAME, button], env=self.env,
                              capture_output=True, timeout=60).returncode == 0
