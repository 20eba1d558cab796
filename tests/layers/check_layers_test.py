#!/usr/bin/env python3
"""The layering check on a small fake tree (tests/layers/fixture): the tree as it is passes;
each wrong include planted into a copy of it fails the check, named by file and line."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURE = os.path.join(HERE, "fixture")
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "check-layers")

# (file of the fixture tree, line appended to it, what the message must say)
PLANTED = [
    ("platform/db/Data.h", '#include "platform/ui/Canvas.h"', "of platform/ui (lib_ui), which lib_db may not use"),
    ("platform/ui/Canvas.h", '#include "platform/db/Data.h"', "of platform/db (lib_db), which lib_ui may not use"),
    ("platform/rtl/Strings.cpp", '#include "platform/classes/Component.h"', "which lib_rtl may not use"),
    ("platform/ui/Canvas.cpp", '#include "../db/Data.h"', "of platform/db (lib_db), which lib_ui may not use"),
    ("editor/Memo.cpp", '  #  include "platform/db/Data.h"', "which lib_editor may not use"),
    ("platform/ui/Canvas.h", '#include "platform/ui/qt/Peer.cpp"', "of platform/ui/qt (lib_ui_qt), which lib_ui may"),
    ("editor/Memo.cpp", '#include "tests/editor/MemoTestUtil.h"', "belongs to no library"),
    ("editor/Memo.cpp", "#include <QString>", "Qt is included only under platform/"),
    ("editor/Memo.h", "#include <QtCore/QString>", "Qt is included only under platform/"),
    ("platform/ui/Canvas.cpp", "#include <QWidget>", "<QWidget> of Qt6::Widgets, which lib_ui does not state"),
    ("platform/ui/Canvas.h", "#include <QtWidgets/QWidget>", "of Qt6::Widgets, which lib_ui does not state"),
    ("platform/rtl/Strings.cpp", "#include <QImage>", "<QImage> of Qt6::Gui, which lib_rtl does not state"),
    ("platform/classes/Component.h", "#include <QString>", "<QString> of Qt6::Core, which lib_classes does not state"),
]


def run_check(root):
    return subprocess.run(
        [sys.executable, SCRIPT, "--table", os.path.join(FIXTURE, "layers.txt"),
         "--qt-include", os.path.join(FIXTURE, "qt"), root],
        capture_output=True, text=True, check=False)


class CheckLayersTest(unittest.TestCase):
    def test_the_fixture_tree_passes(self):
        result = run_check(os.path.join(FIXTURE, "tree"))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout, "")

    def test_each_planted_include_fails_naming_file_and_line(self):
        for rel, line, message in PLANTED:
            with self.subTest(file=rel, include=line), tempfile.TemporaryDirectory() as tmp:
                root = os.path.join(tmp, "tree")
                shutil.copytree(os.path.join(FIXTURE, "tree"), root)
                path = os.path.join(root, rel)
                with open(path, encoding="utf-8") as f:
                    number = len(f.readlines()) + 1
                with open(path, "a", encoding="utf-8") as f:
                    f.write(line + "\n")
                result = run_check(root)
                self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
                problems = result.stdout.splitlines()
                self.assertEqual(len(problems), 1, result.stdout)
                self.assertTrue(problems[0].startswith(f"{rel}:{number}: "), problems[0])
                self.assertIn(message, problems[0])


if __name__ == "__main__":
    unittest.main()
