"""`cmake --install` lays the program out as layout.FILES says, and the
command in games/ starts the program in libexec/tilebash however it is reached."""

import os
import shutil
import stat
import tempfile
import unittest

import layout
from layout import run


class InstallTree(unittest.TestCase):

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="tilebash-install-")
        self.addCleanup(shutil.rmtree, self.work, True)
        self.prefix = os.path.join(self.work, "prefix")
        cmake = os.environ.get("TILEBASH_CMAKE", "cmake")
        out = run([cmake, "--install", layout.build_dir(), "--prefix", self.prefix])
        self.assertEqual(out.returncode, 0, out.stdout + out.stderr)

    def test_install_puts_exactly_the_program_folder_command_and_desktop_files(self):
        self.assertEqual(layout.files_under(self.prefix), layout.FILES)
        cases = [
            (layout.COMMAND, True),
            (layout.PROGRAM_DIR + "/tilebash", True),
            (layout.PROGRAM_DIR + "/Images/bitmaps.bmp", False),
            ("share/applications/%s.desktop" % layout.APP_ID, False),
        ]
        for path, executable in cases:
            with self.subTest(path=path):
                mode = os.stat(os.path.join(self.prefix, path)).st_mode
                self.assertEqual(bool(mode & stat.S_IXOTH), executable, oct(mode))
                self.assertTrue(mode & stat.S_IROTH, "not readable by every user: " + oct(mode))
        with open(os.path.join(self.prefix, layout.PROGRAM_DIR, layout.SHEET), "rb") as f:
            self.assertEqual(f.read(2), b"BM")

    def test_program_folder_links_its_sheet_to_the_shared_copy_relatively(self):
        # A relative link keeps working wherever the prefix is moved or unpacked.
        link = os.path.join(self.prefix, layout.PROGRAM_DIR, layout.SHEET)
        self.assertTrue(os.path.islink(link))
        self.assertFalse(os.path.isabs(os.readlink(link)), os.readlink(link))
        self.assertEqual(os.path.realpath(link),
                         os.path.join(os.path.realpath(self.prefix), layout.DATA_DIR, layout.SHEET))

    def test_command_runs_the_program_of_its_own_prefix_from_any_folder_or_link(self):
        # A stand-in for the program that says where it was started from and with what.
        program = os.path.join(self.prefix, layout.PROGRAM_DIR, "tilebash")
        with open(program, "w") as f:
            f.write('#!/bin/sh\nprintf "%s|" "$0" "$@"\n')
        os.chmod(program, 0o755)
        command = os.path.join(self.prefix, layout.COMMAND)
        links = os.path.join(self.work, "elsewhere")
        os.makedirs(links)
        os.symlink(command, os.path.join(links, "tb"))
        relative = os.path.relpath(command, links)
        base_path = "/usr/bin:/bin"
        cases = [
            ("absolute path", [command, "one", "two words"], self.work, base_path),
            ("relative path", [relative, "one", "two words"], links, base_path),
            ("symbolic link", [os.path.join(links, "tb"), "one", "two words"], "/", base_path),
            ("found on PATH", ["tilebash", "one", "two words"], "/",
             os.path.dirname(command) + ":" + base_path),
        ]
        for how, argv, cwd, path in cases:
            with self.subTest(how=how):
                out = run(argv, cwd=cwd, env={"PATH": path})
                self.assertEqual(out.returncode, 0, out.stderr)
                started, *args = out.stdout.split("|")
                self.assertEqual(os.path.realpath(os.path.join(cwd, started)), os.path.realpath(program))
                self.assertEqual(args, ["one", "two words", ""])


if __name__ == "__main__":
    unittest.main()
