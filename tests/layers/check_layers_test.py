#!/usr/bin/env python3
"""The layering check on a small fake tree (tests/layers/fixture): the tree as it is passes;
each wrong include planted into a copy of it fails the check, named by file and line; each
statement the README's floors forbid, and each cycle of statements, planted into a copy of the
table fails it, named by library (or by the CMakeLists.txt line that states it)."""

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
    ("platform/db/Data.h", '#include "platform/ui/Canvas.h"',
     "of platform/ui (lib_ui), which lib_db may not use: it stands beside platform/db on the same floor"),
    ("platform/ui/Canvas.h", '#include "platform/db/Data.h"',
     "of platform/db (lib_db), which lib_ui may not use: it stands beside platform/ui on the same floor"),
    ("platform/rtl/Strings.cpp", '#include "platform/classes/Component.h"',
     "which lib_rtl may not use: it is on a floor above platform/rtl"),
    ("grid/Grid.cpp", '#include "designer/Design.h"',
     "of designer (lib_designer), which lib_grid may not use: it is on a floor above grid"),
    ("designer/Design.h", '#include "app/Main.cpp"', "of app (lib_app), which lib_designer may not use: it is on a floor above"),
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


# (lines appended to the table, what each problem must say, in the order reported)
PLANTED_STATEMENTS = [
    (["lib_db platform/db lib_editor"],
     ["platform/db (lib_db): lib_db states lib_editor of editor: it is on a floor above platform/db"]),
    # Climbing to a library that stands on it is also a cycle: both are named.
    (["lib_grid grid lib_designer"],
     ["grid (lib_grid): lib_grid states lib_designer of designer: it is on a floor above grid",
      "cycle of libraries: lib_designer (designer) -> lib_grid (grid) -> lib_designer (designer)"]),
    (["lib_rtl platform/rtl lib_classes"],
     ["platform/rtl (lib_rtl): lib_rtl states lib_classes of platform/classes: it is on a floor above platform/rtl",
      "cycle of libraries: lib_classes (platform/classes) -> lib_rtl (platform/rtl) -> lib_classes (platform/classes)"]),
    (["lib_ui platform/ui lib_db"],
     ["platform/ui (lib_ui): lib_ui states lib_db of platform/db: it stands beside platform/ui on the same floor"]),
    (["lib_ui platform/ui lib_ui_qt"],
     ["platform/ui (lib_ui): lib_ui states lib_ui_qt of platform/ui/qt: it is nested in platform/ui and stands on it",
      "cycle of libraries: lib_ui (platform/ui) -> lib_ui_qt (platform/ui/qt) -> lib_ui (platform/ui)"]),
    (["lib_misc misc lib_rtl"], ["misc (lib_misc): stands on no floor the README names"]),
    # Two components may use each other one way only.
    (["lib_editor editor lib_grid", "lib_grid grid lib_editor"],
     ["cycle of libraries: lib_editor (editor) -> lib_grid (grid) -> lib_editor (editor)"]),
]

# Statements the floors allow: a component using another, a nested library its own folder's.
ALLOWED_STATEMENTS = ["lib_grid grid lib_editor", "lib_ui_qt platform/ui/qt lib_ui lib_classes", "lib_app app lib_rtl"]


def run_check(root, table=os.path.join(FIXTURE, "layers.txt")):
    return subprocess.run(
        [sys.executable, SCRIPT, "--table", table, "--qt-include", os.path.join(FIXTURE, "qt"), root],
        capture_output=True, text=True, check=False)


def copy_table(tmp, extra_lines):
    table = os.path.join(tmp, "layers.txt")
    shutil.copy(os.path.join(FIXTURE, "layers.txt"), table)
    with open(table, "a", encoding="utf-8") as f:
        f.writelines(line + "\n" for line in extra_lines)
    return table


def append(path, line):
    """Appends `line` to `path`; returns the number of the line it became."""
    with open(path, encoding="utf-8") as f:
        number = len(f.readlines()) + 1
    with open(path, "a", encoding="utf-8") as f:
        f.write(line + "\n")
    return number


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
                number = append(os.path.join(root, rel), line)
                result = run_check(root)
                self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
                problems = result.stdout.splitlines()
                self.assertEqual(len(problems), 1, result.stdout)
                self.assertTrue(problems[0].startswith(f"{rel}:{number}: "), problems[0])
                self.assertIn(message, problems[0])

    def test_each_planted_statement_or_cycle_fails_naming_the_library(self):
        for lines, messages in PLANTED_STATEMENTS:
            with self.subTest(statements=lines), tempfile.TemporaryDirectory() as tmp:
                result = run_check(os.path.join(FIXTURE, "tree"), copy_table(tmp, lines))
                self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
                self.assertEqual(result.stdout.splitlines(), messages)

    def test_a_statement_is_named_by_its_cmake_line_when_found(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, "tree")
            shutil.copytree(os.path.join(FIXTURE, "tree"), root)
            number = append(os.path.join(root, "grid", "CMakeLists.txt"), "target_link_libraries(lib_grid PUBLIC lib_designer)")
            result = run_check(root, copy_table(tmp, ["lib_grid grid lib_designer"]))
            self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
            self.assertEqual(result.stdout.splitlines()[0],
                             f"grid/CMakeLists.txt:{number}: lib_grid states lib_designer of designer: "
                             "it is on a floor above grid")

    def test_the_grid_stating_and_including_the_designer_fails_on_each(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, "tree")
            shutil.copytree(os.path.join(FIXTURE, "tree"), root)
            number = append(os.path.join(root, "grid", "Grid.cpp"), '#include "designer/Design.h"')
            result = run_check(root, copy_table(tmp, ["lib_grid grid lib_designer"]))
            self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
            problems = result.stdout.splitlines()
            self.assertEqual(len(problems), 3, result.stdout)
            self.assertIn("lib_grid states lib_designer of designer: it is on a floor above grid", problems[0])
            self.assertTrue(problems[1].startswith("cycle of libraries: "), problems[1])
            self.assertTrue(problems[2].startswith(f"grid/Grid.cpp:{number}: "), problems[2])
            self.assertIn("which lib_grid may not use: it is on a floor above grid", problems[2])

    def test_statements_the_floors_allow_pass(self):
        with tempfile.TemporaryDirectory() as tmp:
            result = run_check(os.path.join(FIXTURE, "tree"), copy_table(tmp, ALLOWED_STATEMENTS))
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_a_readme_without_floors_or_with_an_unknown_step_is_refused(self):
        cases = [
            ("Floors only look down:", "Floors are:", "has no sentence"),
            ("the component libraries →", "the widget libraries →", 'no row of the layout table is "the widget libraries"'),
            ("→ `app/`.", "→ `app/` → `grid/`.", "grid stands on two floors"),
        ]
        for old, new, message in cases:
            with self.subTest(change=new), tempfile.TemporaryDirectory() as tmp:
                root = os.path.join(tmp, "tree")
                shutil.copytree(os.path.join(FIXTURE, "tree"), root)
                readme = os.path.join(root, "README.md")
                with open(readme, encoding="utf-8") as f:
                    text = f.read()
                self.assertIn(old, text)
                with open(readme, "w", encoding="utf-8") as f:
                    f.write(text.replace(old, new))
                result = run_check(root)
                self.assertNotEqual(result.returncode, 0, result.stdout + result.stderr)
                self.assertIn(message, result.stderr)


if __name__ == "__main__":
    unittest.main()
