"""scripts/dist: what the release zip holds, and that it depends on nothing
but its inputs and SOURCE_DATE_EPOCH."""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DIST = os.path.join(ROOT, "scripts", "dist")
EPOCH = 1700000000  # 2023-11-14 22:13:20 UTC


class Dist(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.build = os.path.join(self.tmp.name, "build")
        os.makedirs(os.path.join(self.build, "bin"))
        self.programs = []
        for name, data in (("robot.exe", b"MZ robot"), ("caller.exe", b"MZ caller")):
            path = os.path.join(self.build, "bin", name)
            with open(path, "wb") as f:
                f.write(data)
            self.programs.append(path)
        with open(os.path.join(self.build, "release.txt"), "w") as f:
            f.write("9.8.7\n" + "".join(p + "\n" for p in self.programs))

    def tearDown(self):
        self.tmp.cleanup()

    def pack(self, out, epoch=EPOCH):
        env = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
        return subprocess.run([sys.executable, DIST, self.build, out], env=env, capture_output=True, text=True)

    def test_the_zip_holds_programs_readme_examples_and_their_sums(self):
        self.assertEqual(self.pack(self.tmp.name).returncode, 0)
        with zipfile.ZipFile(os.path.join(self.tmp.name, "quillmere-9.8.7-win64.zip")) as z:
            names = z.namelist()
            self.assertEqual(names, sorted(names))
            self.assertTrue(all(n.startswith("quillmere-9.8.7-win64/") for n in names), names)
            short = [n.split("/", 1)[1] for n in names]
            for wanted in ("robot.exe", "caller.exe", "README.md", "SHA256SUMS", "examples/logid2-enter.json"):
                self.assertIn(wanted, short)
            sums = {}
            for line in z.read("quillmere-9.8.7-win64/SHA256SUMS").decode().splitlines():
                digest, name = line.split("  ", 1)
                sums[name] = digest
            self.assertEqual(sorted(sums), sorted(n for n in short if n != "SHA256SUMS"))
            for name, digest in sums.items():
                self.assertEqual(hashlib.sha256(z.read("quillmere-9.8.7-win64/" + name)).hexdigest(), digest, name)
            for info in z.infolist():
                self.assertEqual(info.date_time, time.gmtime(EPOCH)[:6], info.filename)
                mode = 0o755 if info.filename.endswith(".exe") else 0o644
                self.assertEqual(info.external_attr >> 16, 0o100000 | mode, info.filename)

    def test_every_link_of_the_packed_documents_leads_to_a_packed_file(self):
        self.assertEqual(self.pack(self.tmp.name).returncode, 0)
        top = "quillmere-9.8.7-win64/"
        with zipfile.ZipFile(os.path.join(self.tmp.name, "quillmere-9.8.7-win64.zip")) as z:
            short = {n[len(top):] for n in z.namelist()}
            with open(os.path.join(ROOT, "docs", "release-README.md"), "rb") as f:
                self.assertEqual(z.read(top + "README.md"), f.read())
            for wanted in ("include/quillmere.h", "docs/substitutes.md", "sim/logid2/README.md"):
                self.assertIn(wanted, short)
            self.assertNotIn("docs/release-README.md", short)
            self.assertEqual([n for n in short if n.startswith("sim/") and not n.endswith("/README.md")], [])
            links = 0
            for name in sorted(n for n in short if n.endswith(".md")):
                text = z.read(top + name).decode("utf-8")
                for target in re.findall(r"\]\(([^)#\s]+)\)", text):
                    if "://" in target:
                        continue
                    links += 1
                    resolved = os.path.normpath(os.path.join(os.path.dirname(name), target)).replace(os.sep, "/")
                    self.assertIn(resolved, short, "%s links to %s" % (name, target))
            self.assertGreater(links, 10)

    def test_the_same_inputs_give_the_same_bytes_whatever_the_files_times(self):
        first, second = os.path.join(self.tmp.name, "a"), os.path.join(self.tmp.name, "b")
        self.assertEqual(self.pack(first).returncode, 0)
        for path in self.programs:
            os.utime(path, (EPOCH + 12345, EPOCH + 12345))
        self.assertEqual(self.pack(second).returncode, 0)
        with open(os.path.join(first, "quillmere-9.8.7-win64.zip"), "rb") as a, \
                open(os.path.join(second, "quillmere-9.8.7-win64.zip"), "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_a_program_not_built_stops_the_packing(self):
        os.remove(self.programs[1])
        result = self.pack(self.tmp.name)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("caller.exe", result.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.tmp.name, "quillmere-9.8.7-win64.zip")))


if __name__ == "__main__":
    unittest.main()
