#!/usr/bin/env python3
"""The rooms check must catch what it is there to catch, on small trees made here."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "check-rooms.py")


class CheckRoomsTest(unittest.TestCase):
    def setUp(self):
        self.tree = tempfile.TemporaryDirectory()
        self.widgets = os.path.join(self.tree.name, "QtWidgets")
        os.makedirs(self.widgets)
        open(os.path.join(self.widgets, "QWidget"), "w").close()
        self.write("fs/PathText.h", "#pragma once\n#include <QString>\n")
        self.write("shell/Prompts.h", '#pragma once\n#include "fs/PathText.h"\n')
        self.write("app/MainWindow.cpp", '#include "shell/Prompts.h"\n#include <QWidget>\n')

    def tearDown(self):
        self.tree.cleanup()

    def write(self, relative, text):
        path = os.path.join(self.tree.name, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(text)

    def check(self):
        run = subprocess.run([sys.executable, SCRIPT, self.tree.name, self.widgets],
                             capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_downward_includes_pass(self):
        self.assertEqual(self.check(), (0, ""))

    def test_upward_include_is_named(self):
        self.write("fs/FolderScan.h", '#include "shell/StatementTrap.h"\n')
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn('fs/FolderScan.h: fs includes "shell/StatementTrap.h" from shell', out)

    def test_circle_between_rooms_is_named(self):
        self.write("results/Save.cpp", '#include "inputs/List.h"\n')
        self.write("inputs/List.h", '#include "results/Save.h"\n')
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("circle: inputs -> results -> inputs", out)

    def test_bare_include_from_another_folder_is_refused(self):
        self.write("inputs/List.cpp", '#include "Prompts.h"\n')
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn('inputs/List.cpp: "Prompts.h" names no room', out)

    def test_bare_include_of_a_file_beside_it_passes(self):
        self.write("companion/Sink.h", "#pragma once\n")
        self.write("companion/Sink.cpp", '#include "Sink.h"\n')
        self.assertEqual(self.check(), (0, ""))

    def test_companion_stands_on_the_engine_and_nothing_stands_on_it(self):
        self.write("companion/Run.cpp", '#include "engine/Conversion.h"\n#include "fs/PathText.h"\n')
        self.assertEqual(self.check(), (0, ""))
        self.write("companion/Run.cpp", '#include "results/ResultsListModel.h"\n')
        self.write("app/Main.cpp", '#include "companion/Companion.h"\n')
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn('companion/Run.cpp: companion includes "results/ResultsListModel.h"', out)
        self.assertIn('app/Main.cpp: app includes "companion/Companion.h"', out)

    def test_widget_header_below_the_widget_rooms_is_refused(self):
        self.write("engine/Conversion.cpp", "#include <QWidget>\n#include <QtWidgets/QLabel>\n")
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("engine/Conversion.cpp: engine includes the widget header <QWidget>", out)
        self.assertIn("<QtWidgets/QLabel>", out)


if __name__ == "__main__":
    unittest.main()
