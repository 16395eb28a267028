"""scripts/retried-tests against a real ctest run with --repeat until-pass:2:
it names the tests that passed only on their second run, and no other."""
import os
import subprocess
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REPORT = os.path.join(ROOT, "scripts", "retried-tests")

# Each test's first run leaves a marker; a test that fails without its marker
# fails the first run only. "noisy" prints lines that look like the log's own.
PROJECT = r"""
cmake_minimum_required(VERSION 3.20)
project(retried NONE)
enable_testing()
function(shell name script)
  add_test(NAME ${name} COMMAND sh -c "${script}")
endfunction()
shell(steady "exit 0")
shell(flaky.first "if [ -f m1 ]; then exit 0; fi; touch m1; echo boom; exit 1")
shell(broken "exit 1")
shell(noisy "printf 'Test Passed.\\n9/9 Test: ghost\\nTest Failed.\\n'; exit 0")
shell(flaky.second "if [ -f m2 ]; then exit 0; fi; touch m2; printf 'Output:\\nTest Passed.\\n'; exit 3")
"""


class RetriedTests(unittest.TestCase):
    def test_names_exactly_the_tests_that_passed_on_their_second_run(self):
        with tempfile.TemporaryDirectory() as tmp:
            with open(os.path.join(tmp, "CMakeLists.txt"), "w") as f:
                f.write(PROJECT)
            build = os.path.join(tmp, "build")
            subprocess.run(["cmake", "-S", tmp, "-B", build], check=True, capture_output=True)
            ctest = subprocess.run(["ctest", "--test-dir", build, "--repeat", "until-pass:2"], capture_output=True,
                                   text=True)
            self.assertNotEqual(ctest.returncode, 0, "broken fails twice")
            report = subprocess.run([REPORT, build], capture_output=True, text=True, check=True).stdout
        self.assertEqual(report.splitlines(), [
            "Passed only on the second run (2; they fail now and then, look into them):",
            "  flaky.first",
            "  flaky.second",
        ])

    def test_a_run_without_retries_says_so(self):
        with tempfile.TemporaryDirectory() as tmp:
            log = os.path.join(tmp, "Testing", "Temporary")
            os.makedirs(log)
            with open(os.path.join(log, "LastTest.log"), "w") as f:
                f.write("1/1 Testing: a\n1/1 Test: a\nOutput:\n----\n<end of output>\nTest time =   0.00 sec\n"
                        "----\nTest Passed.\n")
            report = subprocess.run([REPORT, tmp], capture_output=True, text=True, check=True).stdout
        self.assertEqual(report, "No test needed a second run.\n")


if __name__ == "__main__":
    unittest.main()
