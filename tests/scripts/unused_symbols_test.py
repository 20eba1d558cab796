#!/usr/bin/env python3
"""The unused-symbol report on a tiny tree compiled here: a library with a function nothing
calls, one only a test calls, and those the report must not call
unused: virtual functions reached only through their class's table, a function bound by name
in a table, a base constructor only a derived class runs, what the program calls, and what only
the library's own file calls (a call the assembler resolves, a copy inlined without a trace, an
address taken)."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import json

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "unused-symbols")

FILES = {
    "lib/Shapes.h": """#pragma once
namespace lib {
struct Base {
    Base();
    virtual ~Base();
    virtual int Area() const;
};
struct Square : Base {
    Square();
    ~Square() override;
    int Area() const override;
};
int Used(int x);
int Unused(int x);
int OnlyTested(int x);
int Bound(int x);
using Handler = int (*)(int);
Handler HandlerByName(const char* name);
int CalledHere(int x);
const int* Table();
int Picked(int x);
Handler Pick();
}  // namespace lib
""",
    "lib/Shapes.cpp": """#include "lib/Shapes.h"
#include <cstring>
namespace lib {
Base::Base() = default;
Base::~Base() = default;
int Base::Area() const { return 0; }
Square::Square() = default;
Square::~Square() = default;
int Square::Area() const { return 4; }
[[gnu::noinline]] int CalledHere(int x) { return x * 7 + 1; }
const int* Table() { static const int table[] = {1, 2, 3}; return table; }
[[gnu::noinline]] int Picked(int x) { return x - 1; }
Handler Pick() { return &Picked; }
int Used(int x) { return CalledHere(x) + Table()[x % 3] + Pick()(x); }
int Unused(int x) { return x + 2; }
int OnlyTested(int x) { return x + 3; }
int Bound(int x) { return x * 2; }
namespace {
struct Entry { const char* name; Handler handler; };
const Entry kHandlers[] = {{"Bound", &Bound}};
}  // namespace
Handler HandlerByName(const char* name)
{
    for (const Entry& e : kHandlers)
        if (std::strcmp(e.name, name) == 0) return e.handler;
    return nullptr;
}
}  // namespace lib
""",
    "app/Main.cpp": """#include "lib/Shapes.h"
#include <memory>
int main(int argc, char**)
{
    std::unique_ptr<lib::Base> shape = std::make_unique<lib::Square>();
    return lib::Used(argc) + shape->Area() + lib::HandlerByName("Bound")(argc);
}
""",
    "tests/ShapesTest.cpp": """#include "lib/Shapes.h"
int RunTests() { return lib::OnlyTested(1); }
""",
}

FINDINGS = [
    "lib/Shapes.cpp: lib::Unused(int): referenced nowhere",
    "lib/Shapes.cpp: lib::OnlyTested(int): referenced only from tests",
]


class UnusedSymbolsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = cls.tmp.name
        build = os.path.join(cls.root, "build")
        os.makedirs(build)
        commands = []
        for rel, text in FILES.items():
            path = os.path.join(cls.root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            if not rel.endswith(".cpp"):
                continue
            obj = f"objects/{rel}.o"
            os.makedirs(os.path.join(build, os.path.dirname(obj)), exist_ok=True)
            command = f"c++ -std=c++20 -O2 -g -fPIC -I.. -c -o {obj} ../{rel}"
            subprocess.run(command.split(), cwd=build, check=True)
            commands.append({"directory": build, "command": command, "file": f"../{rel}"})
        with open(os.path.join(build, "compile_commands.json"), "w", encoding="utf-8") as f:
            json.dump(commands, f)
        cls.baseline = os.path.join(cls.root, "baseline.txt")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def report(self, *extra, baseline=None):
        return subprocess.run(
            [sys.executable, SCRIPT, "--root", self.root, "--baseline", baseline or self.baseline, *extra],
            capture_output=True, text=True, check=False)

    def write(self, text):
        path = os.path.join(self.root, "given-baseline.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def test_without_a_baseline_it_names_exactly_the_unused_and_the_test_only(self):
        result = self.report(baseline=os.path.join(self.root, "none.txt"))
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        lines = [line.replace(" (not in the baseline)", "") for line in result.stdout.splitlines() if ": lib::" in line]
        self.assertEqual(sorted(lines), sorted(FINDINGS), result.stdout)
        self.assertIn("  lib: 1 / 1", result.stdout)

    def test_baseline_entries_pass_and_a_changed_kind_is_new(self):
        kept = self.write("unused | lib::Unused(int) | a library user calls it\n"
                          "tests-only | lib::OnlyTested(int) | only tests need it\n")
        self.assertEqual(self.report(baseline=kept).returncode, 0)
        changed = self.write("tests-only | lib::Unused(int) | was reached from a test once\n"
                             "tests-only | lib::OnlyTested(int) | only tests need it\n")
        result = self.report(baseline=changed)
        self.assertEqual(result.returncode, 1)
        self.assertIn("lib::Unused(int): referenced nowhere (not in the baseline)", result.stdout)

    def test_writing_the_baseline_keeps_the_reasons_that_stay(self):
        path = self.write("unused | lib::Unused(int) | a library user calls it\n"
                          "unused | lib::Gone(int) | was removed\n")
        written = self.report("--write-baseline", baseline=path)
        self.assertEqual(written.returncode, 0, written.stdout + written.stderr)
        with open(path, encoding="utf-8") as f:
            entries = sorted(line.strip() for line in f if not line.startswith("#"))
        self.assertEqual(entries, [
            "tests-only | lib::OnlyTested(int) | (no reason given yet)",
            "unused | lib::Unused(int) | a library user calls it",
        ])
        self.assertEqual(self.report(baseline=path).returncode, 0)


if __name__ == "__main__":
    if shutil.which("c++") is None:
        sys.exit("unused_symbols_test: no C++ compiler")
    unittest.main()
