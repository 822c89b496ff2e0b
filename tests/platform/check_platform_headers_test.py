#!/usr/bin/env python3
"""The platform header check must catch what it is there to catch, on small trees."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts",
                      "check-platform-headers.py")


class CheckPlatformHeadersTest(unittest.TestCase):
    def setUp(self):
        self.tree = tempfile.TemporaryDirectory()
        self.write("fs/PathText.h", "#pragma once\n#include <QString>\n")
        self.write("engine/Reader.cpp",
                   "#include <cstdio>\n#include <sys/types.h>\n"
                   "#if defined(__unix__) || defined(__APPLE__)\n#include <unistd.h>\n"
                   "#include <sys/mman.h>\n#endif\n")

    def tearDown(self):
        self.tree.cleanup()

    def write(self, relative, text):
        path = os.path.join(self.tree.name, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(text)

    def check(self):
        run = subprocess.run([sys.executable, SCRIPT, self.tree.name],
                             capture_output=True, text=True)
        return run.returncode, run.stdout

    def assertOffence(self, expected):
        status, out = self.check()
        self.assertEqual(status, 1, out)
        self.assertIn(expected, out)

    def test_guarded_headers_pass(self):
        self.assertEqual(self.check(), (0, ""))

    def test_unguarded_unistd_is_named(self):
        self.write("companion/Companion.cpp",
                   '#include "Companion.h"\n\n#include <optional>\n#include <unistd.h>\n')
        self.assertOffence("companion/Companion.cpp:4: <unistd.h> is POSIX-only and reached "
                           "on Windows")

    def test_every_unguarded_header_is_named(self):
        self.write("fs/Walk.cpp", "#include <dirent.h>\n#include <fcntl.h>\n"
                   "#include <sys/stat.h>\n#include <spawn.h>\n#include <pwd.h>\n")
        status, out = self.check()
        self.assertEqual(status, 1)
        for line, name in enumerate(["dirent.h", "fcntl.h", "sys/stat.h", "spawn.h", "pwd.h"]):
            self.assertIn(f"fs/Walk.cpp:{line + 1}: <{name}>", out)

    def test_guard_that_lets_windows_in_is_refused(self):
        self.write("engine/Map.cpp", "#ifdef _WIN32\n#include <sys/mman.h>\n#endif\n")
        self.assertOffence("engine/Map.cpp:2: <sys/mman.h> is POSIX-only")

    def test_else_of_a_windows_branch_passes(self):
        self.write("engine/Map.cpp", "#ifdef _WIN32\n#include <windows.h>\n#else\n"
                   "#include <sys/mman.h>\n#endif\n#ifndef _WIN32\n#include <unistd.h>\n"
                   "#endif\n")
        self.assertEqual(self.check(), (0, ""))

    def test_elif_chain_is_followed(self):
        self.write("engine/Map.cpp", "#if defined(__linux__)\n#include <sys/vfs.h>\n"
                   "#elif defined(_WIN32)\n#include <windows.h>\n#else\n#include <sys/mount.h>\n"
                   "#endif\n")
        self.assertEqual(self.check(), (0, ""))
        self.write("engine/Map.cpp", "#if defined(__linux__)\n#include <sys/vfs.h>\n"
                   "#elif defined(__APPLE__)\n#include <sys/mount.h>\n#else\n#include <unistd.h>\n"
                   "#endif\n")
        self.assertOffence("engine/Map.cpp:6: <unistd.h> is POSIX-only")

    def test_guard_the_check_cannot_decide_is_refused(self):
        self.write("fs/Stat.cpp", "#ifdef HAVE_UNISTD_H\n#include <unistd.h>\n#endif\n")
        self.assertOffence("fs/Stat.cpp:2: <unistd.h> behind a guard that does not shut "
                           "Windows out: cannot tell whether HAVE_UNISTD_H is defined")

    def test_qt_platform_macro_after_a_qt_header_passes(self):
        self.write("fs/Stat.cpp", '#include "fs/PathText.h"\n#ifndef Q_OS_WIN\n'
                   "#include <sys/stat.h>\n#endif\n")
        self.assertEqual(self.check(), (0, ""))

    def test_qt_platform_macro_before_any_qt_header_is_refused(self):
        # Q_OS_WIN is not yet defined here, so Windows would take this branch.
        self.write("fs/Stat.cpp", "#include <string>\n#ifndef Q_OS_WIN\n"
                   "#include <sys/stat.h>\n#endif\n#include <QString>\n")
        self.assertOffence("fs/Stat.cpp:3: <sys/stat.h> behind a guard that does not shut "
                           "Windows out: Q_OS_WIN is tested before any Qt header is included")

    def test_tests_and_benchmarks_are_not_production(self):
        self.write("tests/ProcessTest.cpp", "#include <unistd.h>\n")
        self.write("bench/ProcessTimer.cpp", "#include <spawn.h>\n")
        self.assertEqual(self.check(), (0, ""))

    def test_an_empty_tree_is_an_error_not_a_pass(self):
        empty = tempfile.TemporaryDirectory()
        run = subprocess.run([sys.executable, SCRIPT, empty.name], capture_output=True,
                             text=True)
        empty.cleanup()
        self.assertEqual(run.returncode, 1)


if __name__ == "__main__":
    unittest.main()
