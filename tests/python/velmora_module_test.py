"""The Python module against velmora-export: the files write() makes are the
tool's, byte for byte; the arrays hold the values of those files; bad
options fail as the tool fails them. Run by CTest with VELMORA_EXPORT (the
built tool) and VELMORA_TEST_DATA (tests/data) set and the module on
PYTHONPATH."""

import os
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import warnings
import zlib

import numpy as np

import velmora

TOOL = os.environ["VELMORA_EXPORT"]
DATA = pathlib.Path(os.environ["VELMORA_TEST_DATA"])
CIRCUITS = sorted((DATA / "circuits").glob("*.csv"))
MAP = DATA / "slam" / "hangar" / "hangar.yaml"

# Every output but bmp, which cannot go with png; the generated tracks take
# bmp in its place, so that both pictures are compared.
ALL_OUTPUTS = [flag for flag in velmora.outputs() if flag != "bmp"]
GENERATED_OUTPUTS = [flag for flag in ALL_OUTPUTS if flag != "png"] + ["bmp"]


def run_tool(*args):
    return subprocess.run([TOOL, *map(str, args)], capture_output=True, text=True,
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


def tree(folder):
    """Every file under `folder` by its path there, with its bytes."""
    folder = pathlib.Path(folder)
    return {str(p.relative_to(folder)): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


def grey_png(path):
    """The cells of an 8-bit grey PNG whose rows are unfiltered, as the
    map output writes them."""
    data = pathlib.Path(path).read_bytes()
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    rows = np.frombuffer(zlib.decompress(idat), np.uint8).reshape(height, width + 1)
    assert not rows[:, 0].any(), "the map's rows are filtered"
    return rows[:, 1:]


def bmp_rgb(path):
    """The pixels of a 24-bit bottom-up BMP as (H, W, 3) RGB."""
    data = pathlib.Path(path).read_bytes()
    offset, = struct.unpack("<I", data[10:14])
    width, height = struct.unpack("<ii", data[18:26])
    stride = (width * 3 + 3) // 4 * 4
    rows = np.frombuffer(data[offset:offset + stride * height], np.uint8).reshape(height, stride)
    return rows[::-1, :width * 3].reshape(height, width, 3)[:, :, ::-1]


def numbers_csv(path, delimiter):
    return np.loadtxt(path, delimiter=delimiter, comments="#", ndmin=2)


class Sources(unittest.TestCase):
    """The three circuits, a SLAM map and ten generated tracks, each written
    by the tool and by the module with every output."""

    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        root = pathlib.Path(cls.temp.name)
        cls.cases = []  # (name, track, tool folder, module folder)
        # A track file with its frame file too: the one written for the first circuit.
        track_file = root / f"module_{CIRCUITS[0].stem}" / f"{CIRCUITS[0].stem}.trk"
        for label, source in [*[(c.stem, c) for c in CIRCUITS], (MAP.stem, MAP), ("trk", track_file)]:
            tool_dir, module_dir = root / f"tool_{label}", root / f"module_{label}"
            done = run_tool("--out-dir", tool_dir, *[f"--{o}" for o in ALL_OUTPUTS], source)
            assert done.returncode == 0, done.stderr
            track = velmora.load(source)
            track.write(module_dir, ALL_OUTPUTS)
            cls.cases.append((source.stem, track, tool_dir, module_dir))
        tool_dir, module_dir = root / "tool_generated", root / "module_generated"
        done = run_tool("--out-dir", tool_dir, "--generate", 10, "--seed", 7, "--markers", 3,
                        *[f"--{o}" for o in GENERATED_OUTPUTS])
        assert done.returncode == 0, done.stderr
        cls.generated = velmora.generate(10, seed=7, markers=3)
        for track in cls.generated:
            track.write(module_dir, GENERATED_OUTPUTS)
            cls.cases.append((track.name, track, tool_dir, module_dir))

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def test_write_gives_the_tools_files(self):
        seen = set()
        for name, _, tool_dir, module_dir in self.cases:
            if (tool_dir, module_dir) in seen:
                continue
            seen.add((tool_dir, module_dir))
            tool, module = tree(tool_dir), tree(module_dir)
            with self.subTest(source=name):
                self.assertEqual(sorted(tool), sorted(module))
            for path in tool:
                with self.subTest(source=name, file=path):
                    self.assertTrue(tool[path] == module.get(path), "differs from the tool's")

    def test_generate_names_tracks_as_the_tool(self):
        self.assertEqual([t.name for t in self.generated], [f"track_{i:04d}" for i in range(1, 11)])

    def test_arrays_hold_the_files_values(self):
        for name, track, tool_dir, _ in self.cases:
            with self.subTest(source=name, array="centreline"):
                file = numbers_csv(tool_dir / f"{name}_centreline.csv", ",")
                np.testing.assert_allclose(track.centreline(), file, rtol=0, atol=1e-6)
            with self.subTest(source=name, array="edges"):
                # The waypoints' last four columns: x, y of the right edge, then the left.
                file = numbers_csv(tool_dir / f"{name}_waypoints.csv", ",")
                np.testing.assert_allclose(track.edges(), file[:, -4:], rtol=0, atol=1e-6)
            with self.subTest(source=name, array="raceline"):
                line = track.raceline()
                path = tool_dir / f"{name}_raceline.csv"
                np.testing.assert_allclose(line.rows, numbers_csv(path, ";"), rtol=0, atol=6e-5)
                lap = float(re.search(r", lap ([0-9.]+) s", path.read_text()).group(1))
                self.assertAlmostEqual(line.lap_time, lap, delta=6e-4)
            with self.subTest(source=name, array="occupancy"):
                grid, resolution, origin = track.occupancy()
                np.testing.assert_array_equal(grid, grey_png(tool_dir / f"{name}_map.png"))
                yaml = (tool_dir / f"{name}_map.yaml").read_text()
                self.assertIn(f"resolution: {resolution:g}", yaml)
                self.assertEqual(self.yaml_origin(yaml), list(origin[:2]))
            with self.subTest(source=name, array="rl_data"):
                self.assertEqual(track.rl_data(), (tool_dir / f"{name}_rl.txt").read_bytes().decode())
            if (tool_dir / f"{name}.bmp").exists():
                with self.subTest(source=name, array="picture"):
                    np.testing.assert_array_equal(track.picture(), bmp_rgb(tool_dir / f"{name}.bmp"))

    @staticmethod
    def yaml_origin(yaml):
        numbers = re.search(r"origin:\s*\[([^\]]*)\]", yaml).group(1).split(",")
        return [float(v) for v in numbers[:2]]


class Options(unittest.TestCase):
    """Options reach the tool's readers: the module fails where the tool
    fails, with its message, and options given per call act as the tool's."""

    def tool_error(self, *args):
        done = run_tool(*args)
        self.assertEqual(done.returncode, 2, done.stderr)
        return done.stderr.splitlines()[0].removeprefix("velmora-export: ")

    def test_bad_values_raise_the_tools_message(self):
        circuit = CIRCUITS[0]
        cases = [  # keyword options, the same on the command line
            (dict(scale=-1), ["--scale=-1"]),
            (dict(scale="1e400"), ["--scale=1e400"]),
            (dict(origin=(1, "x")), ["--origin=1,x"]),
            (dict(track_width="wide"), ["--track-width=wide"]),
            (dict(fit=True, scale=0.1), ["--fit", "--scale=0.1"]),
            (dict(origin=(1, 2)), ["--origin=1,2"]),
            (dict(start=(1, 2)), ["--start=1,2"]),
            (dict(close_gaps=5000), ["--close-gaps=5000"]),
            (dict(vehicle="no such car"), ["--vehicle=no such car"]),
            (dict(no_such_option=1), ["--no-such-option=1"]),
        ]
        for options, args in cases:
            with self.subTest(options=options):
                expected = self.tool_error(*args, "--png", circuit)
                with self.assertRaises(ValueError) as raised:
                    velmora.load(circuit, **options)
                self.assertEqual(str(raised.exception), expected)

    def test_generate_refuses_as_the_tool(self):
        cases = [
            (dict(count=0), ["--generate=0"]),
            (dict(count=2, jobs=0), ["--generate=2", "--jobs=0"]),
            (dict(count=2, min_length=900, max_length=100), ["--generate=2", "--min-length=900", "--max-length=100"]),
            (dict(count=2, markers=-1), ["--generate=2", "--markers=-1"]),
        ]
        for options, args in cases:
            with self.subTest(options=options):
                expected = self.tool_error(*args, "--png")
                with self.assertRaises(ValueError) as raised:
                    velmora.generate(**options)
                self.assertEqual(str(raised.exception), expected)

    def test_generate_goes_on_past_a_track_it_cannot_make(self):
        # Seed 1 at this length: one of the ten tracks cannot be made.
        with tempfile.TemporaryDirectory() as folder:
            done = run_tool("--generate=10", "--min-length=9000", "--rl", "--quiet", "--out-dir", folder)
        told = [line.removeprefix("velmora-export: ") for line in done.stderr.splitlines()]
        self.assertEqual(done.returncode, 1, done.stderr)
        with warnings.catch_warnings(record=True) as warned:
            warnings.simplefilter("always")
            tracks = velmora.generate(10, min_length=9000)
        self.assertEqual([str(w.message) for w in warned], told)
        self.assertEqual([f"track_{i + 1:04d}" for i, t in enumerate(tracks) if t is None],
                         [line.split(":")[0] for line in told])
        # Settings that defeat every track: the run gives up after a few.
        with warnings.catch_warnings(record=True) as warned:
            warnings.simplefilter("always")
            tracks = velmora.generate(12, min_length=4000, max_length=4000)
        self.assertEqual(tracks, [None] * 12)
        self.assertEqual(str(warned[-1].message), "track_0012: not made: 10 tracks of this run could not be made")

    def test_calls_refuse_what_does_not_belong_to_them(self):
        track = velmora.load(CIRCUITS[0])
        cases = [
            lambda: track.write(tempfile.gettempdir(), ["png", "bmp"]),  # the tool's clash
            lambda: track.write(tempfile.gettempdir(), []),              # nothing to write
            lambda: track.write(tempfile.gettempdir(), ["no-such-output"]),
            lambda: track.centreline(scale=0.1),  # read with the track, not later
            lambda: track.raceline(heading_zero="south"),
            lambda: track.centreline(spacing=0),
            lambda: velmora.load(CIRCUITS[0], png=True),  # outputs go with write
        ]
        for i, call in enumerate(cases):
            with self.subTest(case=i), self.assertRaises(ValueError):
                call()

    def test_tracks_that_cannot_be_read_raise_track_error(self):
        with tempfile.TemporaryDirectory() as folder:
            empty, not_a_map = pathlib.Path(folder) / "empty.csv", pathlib.Path(folder) / "map.yaml"
            empty.write_text("")
            not_a_map.write_text("image: [unclosed\n")
            for path in [pathlib.Path(folder) / "missing.trk", empty, not_a_map]:
                with self.subTest(path=path.name), self.assertRaises(velmora.TrackError):
                    velmora.load(path)

    def test_call_options_act_as_the_tools(self):
        circuit = CIRCUITS[0]
        with tempfile.TemporaryDirectory() as folder:
            folder = pathlib.Path(folder)
            done = run_tool("--out-dir", folder / "tool", "--raceline", "--centreline", "--spacing", "2",
                            "--vehicle", "racecar", "--heading-zero", "north", "--track-width", "12m", circuit)
            self.assertEqual(done.returncode, 0, done.stderr)
            track = velmora.load(circuit, track_width="12m")
            options = dict(spacing=2, vehicle="racecar", heading_zero="north")
            track.write(folder / "module", ["raceline", "centreline"], **options)
            self.assertEqual(tree(folder / "tool"), tree(folder / "module"))
            line = track.raceline(**options)
            self.assertEqual(line.vehicle, "racecar")
            np.testing.assert_allclose(line.rows, numbers_csv(folder / "tool" / f"{circuit.stem}_raceline.csv", ";"),
                                       rtol=0, atol=6e-5)


class Threads(unittest.TestCase):
    def test_first_arrays_made_on_threads_at_once(self):
        # In a fresh interpreter, so that no array was made before.
        script = ("import velmora\n"
                  "from concurrent.futures import ThreadPoolExecutor\n"
                  "tracks = velmora.generate(4, seed=3)\n"
                  "with ThreadPoolExecutor(4) as pool:\n"
                  "    print(len(list(pool.map(lambda t: t.occupancy().grid, tracks))))\n")
        done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                              timeout=600)  # a hang fails here rather than at CTest's limit
        self.assertEqual(done.stdout.strip(), "4", done.stderr)

    def test_tracks_worked_on_at_once_give_what_one_at_a_time_does(self):
        from concurrent.futures import ThreadPoolExecutor
        tracks = velmora.generate(4, seed=3)
        one = [(t.occupancy().grid, t.raceline().rows, t.picture()) for t in tracks]
        with ThreadPoolExecutor(4) as pool:
            many = list(pool.map(lambda t: (t.occupancy().grid, t.raceline().rows, t.picture()), tracks))
        for a, b in zip(one, many):
            for x, y in zip(a, b):
                np.testing.assert_array_equal(x, y)


if __name__ == "__main__":
    warnings.simplefilter("default")
    unittest.main()
