#!/usr/bin/python3
"""The layer check itself: on a small source tree of its own it fails on a
wrong include in each direction (a lower folder including a higher one, core
code including a widget header, however the include is spelt) and passes the
includes that run down. Run by ctest as LayersCheckFindsWrongIncludes."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_layers.py")


class LayerCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = os.path.join(self.folder.name, "src")
        self.qt = os.path.join(self.folder.name, "qt")
        for module, headers in (("QtWidgets", ["QWidget", "QDialog", "QtWidgets"]),
                                ("QtGui", ["QGuiApplication", "QPainter"])):
            for header in headers:
                self.write(os.path.join(self.qt, module, header), "")
        # a tree whose includes all run down the layers
        self.write_source("components/Reader.h", "#include <QString>\n")
        self.write_source("joblist/JobList.h", '#include "components/Reader.h"\n')
        self.write_source("engine/Run.h", '#include "joblist/JobList.h"\n#include <memory>\n')
        self.write_source("core/Core.cpp", '#include "engine/Run.h"\n#include <QObject>\n')
        self.write_source("widgets/Look.h", '#include "core/Core.h"\n#include <QWidget>\n')
        self.write_source("settings/ui/Dialog.h", '#include "widgets/Look.h"\n#include <QDialog>\n')
        self.write_source("app/Window.cpp", '#include "settings/ui/Dialog.h"\n#include "core/Core.h"\n')
        self.write_source("core/Core.h", "")
        self.allowlist = os.path.join(self.folder.name, "allowed.txt")
        self.write(self.allowlist, "# none\n")

    def tearDown(self):
        self.folder.cleanup()

    def write(self, path, text):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)

    def write_source(self, relative, text):
        self.write(os.path.join(self.root, relative), text)

    def check(self):
        result = subprocess.run(
            [sys.executable, CHECK, "--source-dir", self.root, "--allowlist", self.allowlist,
             "--qt-include-dir", os.path.join(self.qt, "QtWidgets"), "--qt-include-dir", os.path.join(self.qt, "QtGui")],
            capture_output=True, text=True)
        return result.returncode, result.stdout

    def test_includes_that_run_down_pass(self):
        code, output = self.check()
        self.assertEqual(code, 0, output)

    def test_a_lower_folder_including_a_higher_one_fails_however_spelt(self):
        for spelling in ('"engine/Run.h"', '"../engine/Run.h"', "<engine/Run.h>"):
            with self.subTest(spelling=spelling):
                self.write_source("joblist/Adder.cpp", f"#include <QString>\n#include {spelling}\n")
                code, output = self.check()
                self.assertEqual(code, 1, output)
                self.assertIn("joblist/Adder.cpp:2: includes engine/Run.h (joblist may not include engine)", output)

    def test_core_code_including_a_widget_header_fails_however_spelt(self):
        for spelling, named in (("<QWidget>", "QWidget"), ("<QtWidgets/QDialog>", "QtWidgets/QDialog"),
                                ('"QtWidgets/QDialog"', "QtWidgets/QDialog"), ("<QtWidgets>", "QtWidgets"),
                                ("<QPainter>", "QPainter")):
            with self.subTest(spelling=spelling):
                self.write_source("core/Commands.cpp", f'#include "engine/Run.h"\n#include {spelling}\n')
                code, output = self.check()
                self.assertEqual(code, 1, output)
                self.assertIn(f"core/Commands.cpp:2: includes {named} (core is core code: no widget header)", output)

    def test_core_code_including_the_widget_code_above_it_fails(self):
        for spelling, unit in (('"widgets/Look.h"', "widgets"), ('"settings/ui/Dialog.h"', "settings/ui")):
            with self.subTest(spelling=spelling):
                self.write_source("engine/Steps.cpp", f"#include {spelling}\n")
                code, output = self.check()
                self.assertEqual(code, 1, output)
                self.assertIn(f"engine/Steps.cpp:1: includes {spelling.strip(chr(34))} (engine may not include {unit})",
                              output)

    def test_an_allowed_crossing_passes_until_it_is_gone(self):
        self.write_source("joblist/Adder.cpp", '#include "engine/Run.h"\n')
        self.write(self.allowlist, "joblist/Adder.cpp -> engine/Run.h\n")
        code, output = self.check()
        self.assertEqual(code, 0, output)
        self.write_source("joblist/Adder.cpp", '#include "joblist/JobList.h"\n')
        code, output = self.check()
        self.assertEqual(code, 1, output)
        self.assertIn("joblist/Adder.cpp -> engine/Run.h no longer happens", output)


if __name__ == "__main__":
    unittest.main()
