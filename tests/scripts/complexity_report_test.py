#!/usr/bin/env python3
"""The complexity report on a tiny tree written here: a function over the limit fails the
report unless the baseline names it, the baseline is written by one command, and a complex
function after specifiers pmccabe cannot parse (override, noexcept, attributes) is still seen."""

import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "complexity-report")


def branches(count):
    return "".join(f"    if (x == {i}) return {i};\n" for i in range(count))


# A class whose members end in specifiers pmccabe would stumble on, then a complex member.
SOURCE = (
    "namespace lib {\n"
    "struct Base { virtual ~Base() = default; virtual int Get() const noexcept; };\n"
    "struct Shape final : Base {\n"
    "    int Get() const noexcept override { return 1; }\n"
    "    [[nodiscard]] int Size() const noexcept(true) { return 2; }\n"
    "};\n"
    "int Simple(int x) { return x ? 1 : 0; }\n"
    "int Tangled(int x)\n{\n" + branches(45) + "    return -1;\n}\n"
    "}  // namespace lib\n"
)


class ComplexityReportTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = self.tmp.name
        os.makedirs(os.path.join(self.root, "lib"))
        with open(os.path.join(self.root, "lib", "Shape.cpp"), "w", encoding="utf-8") as f:
            f.write(SOURCE)
        self.baseline = os.path.join(self.root, "baseline.txt")

    def tearDown(self):
        self.tmp.cleanup()

    def report(self, *extra):
        return subprocess.run(
            [sys.executable, SCRIPT, "--root", self.root, "--baseline", self.baseline, *extra, "lib"],
            capture_output=True, text=True, check=False)

    def test_a_new_function_over_the_limit_fails_naming_it(self):
        result = self.report()
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn("lib/Shape.cpp:8: lib::Tangled has a complexity of 46, over 40", result.stdout)
        self.assertNotIn("lib::Simple has", result.stdout)
        self.assertNotIn("lost its way", result.stdout)

    def test_the_list_puts_the_most_complex_first(self):
        lines = self.report("--top", "3").stdout.splitlines()
        self.assertEqual(lines[1].split(), ["46", "lib::Tangled", "(lib/Shape.cpp:8)"])
        self.assertIn("lib::Simple", lines[2])

    def test_a_written_baseline_lets_it_pass_until_the_limit_is_lowered_past_another(self):
        written = self.report("--write-baseline")
        self.assertEqual(written.returncode, 0, written.stdout + written.stderr)
        with open(self.baseline, encoding="utf-8") as f:
            names = [line.strip() for line in f if not line.startswith("#")]
        self.assertEqual(names, ["lib::Tangled"])
        self.assertEqual(self.report().returncode, 0)
        lowered = self.report("--limit", "1")
        self.assertEqual(lowered.returncode, 1)
        self.assertIn("lib::Simple has a complexity of 2, over 1", lowered.stdout)
        self.assertNotIn("lib::Tangled has", lowered.stdout)

    def test_a_baseline_entry_no_longer_over_the_limit_is_named(self):
        with open(self.baseline, "w", encoding="utf-8") as f:
            f.write("lib::Tangled\nlib::Simple\n")
        result = self.report()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("No longer over 40 (regenerate with --write-baseline): lib::Simple", result.stdout)


if __name__ == "__main__":
    unittest.main()
