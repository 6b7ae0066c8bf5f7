"""The desktop entry, the AppStream metainfo, the manual page and the theme
icons: each passes its validator and they agree with each other and with the
project."""

import os
import shutil
import unittest
import xml.etree.ElementTree as ET

from PIL import Image, ImageStat

import layout
from layout import APP_ID, ENTRY, ICON_SIZES, run

DESKTOP = os.path.join(layout.packaging_dir(), APP_ID + ".desktop")
# Configured by the build, which writes the project's version into them.
METAINFO = os.path.join(layout.configured_dir(), APP_ID + ".metainfo.xml")
MAN_PAGE = os.path.join(layout.configured_dir(), "tilebash.6")
PICTURES = os.path.join(layout.source_dir(), "windows", "pictures")


def metainfo():
    return ET.parse(METAINFO).getroot()


class Validators(unittest.TestCase):
    """The checkers a distribution or a software centre would run."""

    def test_each_file_passes_its_validator(self):
        cases = [
            ("desktop-file-validate", ["desktop-file-validate", DESKTOP]),
            ("appstreamcli", ["appstreamcli", "validate", "--no-net", "--explain", METAINFO]),
            # -ww turns on every warning; -z formats without output.
            ("groff", ["groff", "-man", "-ww", "-z", "-Tutf8", MAN_PAGE]),
        ]
        for tool, args in cases:
            with self.subTest(tool=tool):
                self.assertIsNotNone(shutil.which(args[0]), "%s is not installed (run scripts/setup)" % args[0])
                out = run(args)
                if tool == "desktop-file-validate":
                    # SingleMainWindow came into the format with its version 1.5;
                    # validators older than desktop-file-utils 0.27 still call it
                    # unknown. That message alone is forgiven.
                    rest = [line for line in (out.stdout + out.stderr).splitlines()
                            if '"SingleMainWindow" in group "Desktop Entry", but keys extending' not in line]
                    self.assertEqual(rest, [], "desktop-file-validate found more than the new key")
                    continue
                self.assertEqual(out.returncode, 0, out.stdout + out.stderr)
                if tool != "appstreamcli":  # it prints its verdict even on success
                    self.assertEqual(out.stdout + out.stderr, "", "%s warned" % tool)
                else:
                    self.assertNotRegex(out.stdout, r"(?m)^[EW]: ", "appstreamcli found errors or warnings")


class Agreement(unittest.TestCase):
    """Names that must match for a dock to find the entry, its icon and the
    program's windows, and the release they announce."""

    def test_entry_and_metainfo_name_the_same_program_and_icon(self):
        entry = layout.desktop_entry(DESKTOP)
        root = metainfo()
        launchable = root.find("launchable[@type='desktop-id']")
        cases = [
            ("metainfo id", root.findtext("id"), APP_ID),
            ("launchable", launchable.text if launchable is not None else None, APP_ID + ".desktop"),
            ("Icon", entry.get_string(ENTRY, "Icon"), APP_ID),
            ("Exec", layout.exec_argv(entry), ["tilebash"]),
            ("provided binary", root.findtext("provides/binary"), "tilebash"),
            ("Type", entry.get_string(ENTRY, "Type"), "Application"),
            # Qt names the X11 window class after the application name.
            ("StartupWMClass", entry.get_string(ENTRY, "StartupWMClass"), "tilebash"),
        ]
        for what, got, expected in cases:
            with self.subTest(what=what):
                self.assertEqual(got, expected)
        categories = entry.get_string_list(ENTRY, "Categories")
        for category in ("Game", "ArcadeGame"):
            with self.subTest(category=category):
                self.assertIn(category, categories)
                self.assertIn(category, [c.text for c in root.findall("categories/category")])

    def test_newest_release_and_manual_page_carry_the_version_of_this_release(self):
        version = "1.5.8"  # this release, raised with project(VERSION)
        releases = [r.get("version") for r in metainfo().findall("releases/release")]
        self.assertTrue(releases, "the metainfo lists no release")
        self.assertEqual(releases[0], version, "the newest release (listed first) is not this one")
        with open(MAN_PAGE, encoding="utf-8") as f:
            title = next(line for line in f if line.startswith(".TH"))
        self.assertIn('"Tilebash %s"' % version, title)

    def test_content_rating_is_declared(self):
        rating = metainfo().find("content_rating")
        self.assertIsNotNone(rating)
        self.assertEqual(rating.get("type"), "oars-1.1")

    def test_every_screenshot_is_a_picture_of_the_repository_with_its_stated_size(self):
        shots = metainfo().findall("screenshots/screenshot/image")
        self.assertGreaterEqual(len(shots), 3)
        self.assertEqual(len(metainfo().findall("screenshots/screenshot[@type='default']")), 1)
        for image in shots:
            url = image.text.strip()
            with self.subTest(url=url):
                self.assertRegex(url, r"^https://tilebash\.org/.+\.png$")
                local = os.path.join(layout.source_dir(), "docs", url.rsplit("/", 1)[1])
                self.assertTrue(os.path.exists(local), "no %s in docs/" % os.path.basename(local))
                with Image.open(local) as picture:
                    self.assertEqual(picture.size, (int(image.get("width")), int(image.get("height"))))

    def test_manual_page_names_the_program_folder_and_both_score_places(self):
        # Into a pipe, and with MAN_KEEP_FORMATTING empty, man writes no bold or underline.
        text = run(["man", "-l", MAN_PAGE], env=dict(os.environ, MANWIDTH="80", MAN_KEEP_FORMATTING="")).stdout
        # Paths must survive line filling whole: a hyphenated path cannot be copied.
        for needle in ("/usr/%s/" % layout.PROGRAM_DIR, "/usr/" + layout.COMMAND,
                       "/usr/%s/%s" % (layout.DATA_DIR, layout.SHEET), "highscore.txt",
                       "~/.local/share/tilebash/highscore.txt", "Left, Right"):
            with self.subTest(needle=needle):
                self.assertIn(needle, text)


class ThemeIcons(unittest.TestCase):
    """The painted icon at every size the theme gets."""

    def test_each_size_is_square_with_transparency_around_the_picture(self):
        for n in ICON_SIZES:
            path = os.path.join(PICTURES, "icon%d.png" % n)
            with self.subTest(size=n):
                self.assertTrue(os.path.exists(path), "windows/pictures/icon%d.png is missing" % n)
                with Image.open(path) as picture:
                    self.assertEqual(picture.size, (n, n))
                    self.assertIn("A", picture.getbands(), "no alpha channel: " + picture.mode)
                    alpha = picture.getchannel("A")
                self.assertEqual(alpha.getpixel((0, 0)), 0, "the corner is not transparent")
                # A picture, not an empty or a filled square.
                mean_alpha = ImageStat.Stat(alpha).mean[0] / 255
                self.assertGreater(mean_alpha, 0.2)
                self.assertLess(mean_alpha, 0.8)


if __name__ == "__main__":
    unittest.main()
