"""What a screen reader learns of the program: its windows read through a
private accessibility bus (D-Bus session, at-spi-bus-launcher and registry)
with pyatspi, as Orca reads them. The words painted into the pictures must
reach it as text, and the message boxes as alerts with their texts."""

import re
import unittest

import atspi
import e2e_case
import harness
import playfield
from e2e_case import DEFAULT_TABLE, table_bytes

# The words painted into the information window's picture, from the top.
INSTRUCTIONS = [
    "Object",
    "Score as much as possible by breaking as many blocks as possible. "
    "Move the paddle back and forth to keep the ball in play.",
    "Controls",
    "Left", "Move paddle left", "Right", "Move paddle right", "P", "Pause", "R", "Reset game", "Q", "Quit",
    "Combo System",
    "After one block has been broken, 50 bonus points are added for each further block broken before the "
    "ball touches the paddle again. The bonus points show in red above the blocks.",
    "Bonus System",
    "Catch the falling bonus icons with the paddle:",
    "Drunken Ball", "The ball swerves, but every block is worth double points.",
    "Strobe Ball", "The ball blinks on and off, but every block is worth double points.",
    "Extra Life", "One more life.",
    "Extra Points", "Add 500, 1000, 2000 or 5000 points to the score.",
]


class AccessibilityBus(atspi.AccessibilityBus):
    """The session's bus, for the program the session launches next."""

    def __init__(self, session):
        super().__init__(session.root, session.env)
        self.s = session

    def wait_showing(self, role, name, what=None):
        def look():
            found = [n for n in self.showing(role) if name(n["name"])]
            return found[0] if found else None
        return self.s.wait_for(look, harness.WINDOW_TIMEOUT, what or "a %s on the accessibility bus" % role)


class Accessibility(e2e_case.E2ECase):

    def setUp(self):
        super().setUp()
        self.bus = AccessibilityBus(self.s)
        self.addCleanup(self.bus.stop)  # runs before the session's own clean-up

    def test_start_window_reads_its_buttons_table_heading_and_version(self):
        self.launch_to_start_window()
        version = "Version 1.5.8"  # the word painted left of the label, and the release
        self.bus.wait_showing("label", lambda name: name == version, "the version read as %r" % version)
        on_screen = self.bus.showing()
        # A window as a screen reader announces one: a frame with the program's title.
        self.assertEqual([n["name"] for n in on_screen if n["role"] == "frame"], ["Tilebash"])
        labels = [n["name"] for n in on_screen if n["role"] == "label"]
        self.assertIn("High Scores", labels, "the table's painted heading")
        buttons = {n["name"]: n["description"] for n in on_screen if n["role"] == "push button"}
        self.assertEqual(sorted(buttons), ["Exit", "Info", "Start"])
        self.assertTrue(all(buttons.values()), "each button says what it does: %r" % buttons)
        boxes = {n["name"]: n.get("text") for n in on_screen if n["role"] == "text"}
        table = DEFAULT_TABLE.decode().split("\r\n")
        for row in range(5):
            self.assertEqual(boxes.get("Name, row %d" % (row + 1)), table[2 * row])
            self.assertEqual(boxes.get("Score, row %d" % (row + 1)), table[2 * row + 1])

    def test_information_window_reads_every_painted_word_of_its_instructions_in_order(self):
        start = self.launch_to_start_window()
        self.s.click(start, *playfield.INFO_BUTTON)
        self.s.wait_info_window()
        self.bus.wait_showing("frame", lambda name: name == "Tilebash", "the information window as a frame")
        back = self.bus.wait_showing("push button", lambda name: name == "Back to Main")
        self.assertTrue(back["description"], "Back to Main says what it does")
        instructions = self.bus.wait_showing("label", lambda name: name.startswith(INSTRUCTIONS[0]),
                                             "the instructions")["name"]
        # Whole words, each after the one painted above or before it: a key's
        # letter must be read as itself, not found inside another word.
        missing, at = [], 0
        for words in INSTRUCTIONS:
            found = re.compile(r"(?<!\w)%s(?!\w)" % re.escape(words)).search(instructions, at)
            if found:
                at = found.end()
            else:
                missing.append(words)
        self.assertEqual(missing, [], "painted but not read in order: %r\nread: %r" % (missing, instructions))

    def test_game_over_and_high_score_boxes_reach_the_bus_as_alerts_with_their_texts(self):
        # Rows any score enters, so that Game Over is followed by the name entry.
        self.s.write_highscores(table_bytes([("Low", "-1")] * 5))
        start = self.launch_to_start_window()
        play = self.player.play_to_paused(start)
        box, _ = self.lose_every_ball(play)
        self.assert_alert("Game Over", lambda text: re.fullmatch(r"Final Score: \d+", text))
        self.close_message_box(box)
        self.s.wait_dialog("Tilebash", what="the high-score message box")
        self.assert_alert("Tilebash", lambda text: text == "High Score! Type your name and press Enter.")
        self.close_high_score_box()

    def assert_alert(self, title, says):
        alert = self.bus.wait_showing("alert", lambda name: name == title, "the %r box as an alert" % title)
        texts = [n["name"] for n in atspi.walk(alert) if n["role"] == "label" and n["showing"] and n["name"]]
        self.assertTrue(any(says(t) for t in texts), "the %r alert reads %r" % (title, texts))
        buttons = [n["name"] for n in atspi.walk(alert) if n["role"] == "push button" and n["showing"]]
        self.assertEqual(buttons, ["OK"])


if __name__ == "__main__":
    unittest.main()
