"""A scripted session under a private Xvfb that saves PNG screenshots of each
window and of key moments of play. Usage: demo.py <out-dir>

TILEBASH_PROGRAM_DIR names the built program folder."""

import os
import sys
import time

import autopilot
import e2e_case
import harness
import playfield

PLAY_SECONDS = 60  # long enough for the first bonus item (500 frames) to fall


class Demo:
    def __init__(self, out):
        self.out = out
        self.saved = []
        os.makedirs(out, exist_ok=True)
        os.environ.setdefault("TILEBASH_E2E_ARTIFACTS", out)
        self.s = harness.Session("demo")
        self.player = playfield.Player(self.s)

    def save(self, name, shot):
        path = os.path.join(self.out, name + ".png")
        shot.save_png(path)
        self.saved.append(path)
        print("screenshots: saved %s" % path, flush=True)

    def union_shot(self, windows):
        left = min(w.x for w in windows)
        top = min(w.y for w in windows)
        right = max(w.x + w.width for w in windows)
        bottom = max(w.y + w.height for w in windows)
        return self.s.screenshot().crop(left, top, right - left, bottom - top)

    def run(self):
        s = self.s
        # Low rows, so that the demo's score enters the table.
        s.write_highscores(e2e_case.table_bytes([("Ada", "2500"), ("Ben", "2000"), ("Cleo", "1500"),
                                                 ("Dan", "1000"), ("Eli", "0")]))
        s.launch()
        start = s.wait_start_window()
        time.sleep(0.5)
        self.save("start", s.screenshot(start))

        s.click(start, *playfield.INFO_BUTTON)
        info = s.wait_info_window()
        time.sleep(0.5)
        self.save("info", s.screenshot(info))
        s.click(info, *playfield.BACK_BUTTON)
        start = s.wait_start_window()

        play = self.player.click_start(start)
        titles, _, _ = self.player.watch_title(play)
        if titles:
            self.save("title", titles[-1])
        self.save("paused", self.player.wait_paused(play))
        if self.play(play):
            s.point_at(play)
            s.press("q")
        s.wait_gone(play, what="the play window to close")
        start = s.wait_start_window()
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline and not s.dialogs():
            time.sleep(0.1)
        boxes = s.dialogs()
        if boxes:
            time.sleep(0.3)
            self.save("highscore-prompt", self.union_shot([start] + boxes))
            s.point_at(boxes[0])
            s.press("Return")
            s.wait_gone(boxes[0])
            s.type_text("Demo")
            time.sleep(0.3)
            self.save("highscore-entry", s.screenshot(start))
            s.press("Return")
            time.sleep(0.5)
        self.save("start-after-game", s.screenshot(start))
        s.click(start, *playfield.EXIT_BUTTON)
        s.wait_exit()

    def play(self, play):
        """Plays until each picture is taken; False when the game ended meanwhile."""
        s = self.s
        field = autopilot.Field(s.folder)
        pilot = autopilot.Pilot(s, field)
        self.player.resume(play)
        want = {"play": None, "bricks": None, "item": None}
        started = time.monotonic()
        try:
            while time.monotonic() - started < PLAY_SECONDS and None in want.values():
                over = [w for w in s.dialogs() if w.name == "Game Over"]
                if over:  # all balls lost before every picture was taken
                    pilot.hold(None)
                    self.save("game-over", self.union_shot([play] + over))
                    s.point_at(over[0])
                    s.press("Return")
                    return False
                shot = s.screenshot(play)
                if playfield.paused_notice(shot):  # a lost ball: serve again
                    pilot.hold(None)
                    self.player.resume(play)
                    continue
                pilot.steer(shot)
                if want["play"] is None and time.monotonic() - started > 1.0:
                    want["play"] = shot
                    self.save("play", shot)
                if want["bricks"] is None and field.captions(shot) > 15:
                    want["bricks"] = shot
                    self.save("bricks", shot)
                if want["item"] is None and field.item_falling(shot):
                    want["item"] = shot
                    self.save("item", shot)
        finally:
            pilot.hold(None)
        return True

    def close(self):
        self.s.close()


def main(argv):
    if len(argv) != 2:
        print("usage: demo.py <out-dir>", file=sys.stderr)
        return 2
    demo = Demo(os.path.abspath(argv[1]))
    try:
        demo.run()
    finally:
        demo.close()
    print("screenshots: %d pictures in %s" % (len(demo.saved), demo.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
