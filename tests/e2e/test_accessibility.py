"""What a screen reader learns of the program: its windows read through a
private accessibility bus (D-Bus session, at-spi-bus-launcher and registry)
with pyatspi, as Orca reads them. The words painted into the pictures must
reach it as text, and the message boxes as alerts with their texts."""

import os
import re
import unittest

import atspi
import e2e_case
import harness
import playfield
from e2e_case import DEFAULT_TABLE, table_bytes

PICTURE_TEXT = os.path.join("windows", "PictureText.h")


def painted_words():
    """{constant: its words} and the list of every string of PictureText.h,
    where the painter and the windows take the pictures' words from."""
    with open(os.path.join(harness.source_dir(), PICTURE_TEXT), encoding="utf-8") as f:
        source = re.sub(r"//[^\n]*", "", f.read())
    source = re.sub(r'"\s+"', "", source)  # adjacent literals are one string
    named = dict(re.findall(r'constexpr char (\w+)\[\] =\s*"([^"]*)";', source))
    return named, re.findall(r'"([^"]*)"', source)


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
        named, _ = painted_words()
        self.launch_to_start_window()
        version = "%s %s" % (named["kVersion"], harness.project_version())
        self.bus.wait_showing("label", lambda name: name == version, "the version read as %r" % version)
        on_screen = self.bus.showing()
        # A window as a screen reader announces one: a frame with the program's title.
        self.assertEqual([n["name"] for n in on_screen if n["role"] == "frame"], ["Tilebash"])
        labels = [n["name"] for n in on_screen if n["role"] == "label"]
        self.assertIn(named["kHighScores"], labels, "the table's painted heading")
        buttons = {n["name"]: n["description"] for n in on_screen if n["role"] == "push button"}
        self.assertEqual(sorted(buttons), ["Exit", "Info", "Start"])
        self.assertTrue(all(buttons.values()), "each button says what it does: %r" % buttons)
        boxes = {n["name"]: n.get("text") for n in on_screen if n["role"] == "text"}
        table = DEFAULT_TABLE.decode().split("\r\n")
        for row in range(5):
            self.assertEqual(boxes.get("Name, row %d" % (row + 1)), table[2 * row])
            self.assertEqual(boxes.get("Score, row %d" % (row + 1)), table[2 * row + 1])

    def test_information_window_reads_every_painted_word_of_its_instructions(self):
        named, literals = painted_words()
        start = self.launch_to_start_window()
        self.s.click(start, *playfield.INFO_BUTTON)
        self.s.wait_info_window()
        self.bus.wait_showing("frame", lambda name: name == "Tilebash", "the information window as a frame")
        back = self.bus.wait_showing("push button", lambda name: name == "Back to Main")
        self.assertTrue(back["description"], "Back to Main says what it does")
        start_words = {named["kHighScores"], named["kVersion"]}
        instructions = self.bus.wait_showing("label", lambda name: named["kObjectHeading"] in name,
                                             "the instructions")["name"]
        # Whole words: a key's letter must be read as itself, not found inside another word.
        missing = [w for w in literals
                   if w not in start_words and not re.search(r"(?<!\w)%s(?!\w)" % re.escape(w), instructions)]
        self.assertEqual(missing, [], "painted but not read: %r\nread: %r" % (missing, instructions))

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
