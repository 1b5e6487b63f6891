"""latio on the plug-in: round trips, blanks, promotions, errors, cancel, threads, README."""
import concurrent.futures
import os
import pathlib
import re
import signal
import threading
import warnings

import numpy as np
import pytest

import latio

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
TWO_BLOCKS = ("#!/usr/explorer/bin/explorer cxLattice plain 1.0\n2\n3 2\n1 3 0 2\n0 1   10 20\n"
              "1.5 2.5 3.5\n4.5 5.5 6.5\n10 20 30\n40 50 60\n")
# What the exporter writes each type as.
WRITTEN = {np.int8: np.int8, np.int16: np.int16, np.int32: np.int32, np.float32: np.float32,
           np.float64: np.float64, np.uint8: np.int16, np.uint16: np.int32, np.uint32: np.float64,
           np.int64: np.float64, np.uint64: np.float64, np.float16: np.float32}
GEOMETRIES = {"uniform": dict(origin=(1.0, -2.0, 0.5), spacing=(0.5, 2.0, 3.0)),
              "rectilinear": dict(x=[0, 1, 4], y=[-1, 2], z=[5, 6, 9, 10]),
              "curvilinear": dict(coords=np.arange(72, dtype=np.float32).reshape(4, 2, 3, 3))}


@pytest.mark.parametrize("kind", GEOMETRIES)
@pytest.mark.parametrize("dtype", WRITTEN)
def test_round_trip(tmp_path, kind, dtype):
    info = np.iinfo(dtype) if np.dtype(dtype).kind in "iu" else np.finfo(np.float16)
    low, high = int(info.min), int(info.max)  # the type's whole range, both ends included
    values = np.array([low + (high - low) * i // 47 for i in range(48)], dtype).reshape(4, 2, 3, 2)
    path = tmp_path / "out.lat"
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        latio.write(path, values.astype(np.dtype(dtype).newbyteorder(">")), **GEOMETRIES[kind])
    promoted = WRITTEN[dtype] is not dtype
    assert [issubclass(w.category, latio.LatWarning) for w in caught] == [True] * promoted
    lattice = latio.read(path)
    assert lattice.kind == kind and lattice.values.dtype == np.dtype(WRITTEN[dtype])
    assert lattice.values.dtype.isnative and lattice.values.shape == (4, 2, 3, 2)
    np.testing.assert_array_equal(lattice.values, values.astype(WRITTEN[dtype]))
    for name, expected in GEOMETRIES[kind].items():
        np.testing.assert_allclose(getattr(lattice, name), expected)
    latio.write(tmp_path / "again.lat", lattice)
    assert (tmp_path / "again.lat").read_bytes() == path.read_bytes()


@pytest.mark.parametrize("kind, extension", [("uniform", "vti"), ("rectilinear", "vtr"),
                                             ("curvilinear", "vts")])
def test_vtk_by_extension(tmp_path, kind, extension):
    values = np.arange(24, dtype=np.uint16).reshape(4, 2, 3, 1)  # kept: VTK has every type
    latio.write(tmp_path / f"out.{extension}", values, **GEOMETRIES[kind])
    lattice = latio.read(tmp_path / f"out.{extension}")
    assert lattice.kind == kind and lattice.values.dtype == np.uint16
    np.testing.assert_array_equal(lattice.values, values)
    for name, expected in GEOMETRIES[kind].items():
        np.testing.assert_allclose(getattr(lattice, name), expected)
    wrong = "vts" if kind == "uniform" else "vti"
    with pytest.raises(latio.LatError):
        latio.write(tmp_path / f"wrong.{wrong}", values, **GEOMETRIES[kind])
    assert not (tmp_path / f"wrong.{wrong}").exists()


@pytest.mark.parametrize("values, shape, options, blank, expected", [
    (np.int16([0, 1, 2, 3]), (4,), None, None, [1, 1, 2, 3]),  # the data minimum
    (np.int16([0, 1, 2, 3]), (2, 2), {"BlankMethod": 1}, None, [3, 1, 2, 3]),
    (np.int8([6, -128, 5, 4]), (1, 4), None, None, [-128, -128, 5, 4]),  # 127 marks the blank
    (np.float32([0, 1, 2, 3]), (4,), {"BlankMethod": 4, "FixedBlankValue": -5}, None,
     [-5, 1, 2, 3]),
    (np.float32([0, 1, 2, 3]), (2, 1, 2), "BlankMethod=4,FixedBlankValue=7", 2.0, [7, 1, 7, 3]),
])
def test_blanks_and_shapes(tmp_path, values, shape, options, blank, expected):
    masked = np.ma.masked_array(values, mask=[True, False, False, False]).reshape(shape)
    latio.write(tmp_path / "b.lat", masked, blank_value=blank, options=options)
    lattice = latio.read(tmp_path / "b.lat")
    assert lattice.values.shape == (1,) * (3 - len(shape)) + shape + (1,)
    np.testing.assert_array_equal(lattice.values.ravel(), expected)


def test_several_lattices(tmp_path):
    (tmp_path / "two.lat").write_text(TWO_BLOCKS)
    first, second = latio.read_all(tmp_path / "two.lat")
    np.testing.assert_array_equal(second.values.ravel(), [10, 20, 30, 40, 50, 60])
    np.testing.assert_array_equal(latio.read(tmp_path / "two.lat", 1).values, second.values)
    assert first.values[0, 1, 2, 0] == np.float32(6.5) and first.spacing == (0.5, 10, 0)
    assert first.summary["xMin"] == "0" and first.summary["xMax"] == "1"
    with pytest.raises(latio.LatError, match="holds 2 lattices, so there is no lattice 2"):
        latio.read(tmp_path / "two.lat", 2)


def test_errors(tmp_path):
    (tmp_path / "ascii.lat").write_text("#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n")
    (tmp_path / "cut.lat").write_bytes((EXAMPLES / "uniform-4x3x2.lat").read_bytes()[:100])
    cases = [(tmp_path / "missing.lat", FileNotFoundError, 101),
             (tmp_path, IsADirectoryError, 101), (tmp_path / "ascii.lat", latio.LatError, 14),
             (tmp_path / "cut.lat", latio.LatError, 18), (ROOT / "README.md", latio.LatError, 16)]
    for path, cls, code in cases:
        with pytest.raises(cls) as caught:
            latio.read(path)
        assert isinstance(caught.value, latio.LatError) and caught.value.code == code
        assert caught.value.module and str(path) in map(str, caught.value.arguments)
    with pytest.raises(FileNotFoundError):
        latio.write(tmp_path / "no" / "such.lat", np.zeros(3))
    assert latio.probe(EXAMPLES / "uniform-3x2.lat") and not latio.probe(ROOT / "README.md")


@pytest.mark.parametrize("values, geometry, error", [
    (np.zeros((1, 1, 1, 1, 2)), {}, ValueError), (np.zeros((0, 3)), {}, ValueError),
    (np.array(["a"]), {}, TypeError), (np.zeros(3, bool), {}, TypeError),
    (np.zeros((2, 3)), {"x": [0, 1]}, ValueError), (np.zeros(3), {"origin": (0, 1)}, ValueError),
    (np.zeros((2, 3)), {"coords": np.zeros((2, 3, 2))}, ValueError),
    (np.zeros(3), {"options": {"A": "1,2"}}, ValueError),
    (np.ma.masked_array(np.int8([-128, 127, 1]), [0, 0, 1]), {}, ValueError),  # no free blank
])
def test_refused_before_writing(tmp_path, values, geometry, error):
    with pytest.raises(error):
        latio.write(tmp_path / "r.lat", values, **geometry)
    assert not os.listdir(tmp_path)


def big_values():
    return np.arange(64 * 64 * 64, dtype=np.float32).reshape(64, 64, 64)


@pytest.mark.parametrize("stop, raised", [
    (lambda f: f < 0.5, latio.LatCancelledError), (lambda f: 1 / 0, ZeroDivisionError),
    (lambda f: signal.raise_signal(signal.SIGINT), KeyboardInterrupt)])
def test_cancel_from_progress(tmp_path, stop, raised):
    latio.write(tmp_path / "in.lat", big_values())
    (tmp_path / "out.lat").write_bytes(b"kept")
    fractions = []
    with pytest.raises(raised):
        latio.read(tmp_path / "in.lat", progress=lambda f: fractions.append(f) or stop(f))
    assert fractions and fractions == sorted(fractions) and fractions[-1] < 1
    with pytest.raises(raised):
        latio.write(tmp_path / "out.lat", big_values(), progress=stop)
    assert sorted(os.listdir(tmp_path)) == ["in.lat", "out.lat"]
    assert (tmp_path / "out.lat").read_bytes() == b"kept"


def test_two_threads_read_at_once(tmp_path):
    paths = [tmp_path / "a.lat", tmp_path / "b.lat"]
    for i, path in enumerate(paths):
        latio.write(path, big_values() + i)
    both = threading.Barrier(2, timeout=20)

    def read(path):
        waits = []  # each import waits once, at its first report, until the other one runs
        return latio.read(path, progress=lambda f: waits or waits.append(both.wait())).values

    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for i, values in enumerate(pool.map(read, paths)):
            np.testing.assert_array_equal(values[..., 0], big_values() + i)


def test_readme_examples_run_as_written(tmp_path, monkeypatch):
    readme = (ROOT / "README.md").read_text()
    section = readme[readme.index("\n## Python\n"):]
    blocks = re.findall(r"```python\n(.*?)```", section[:section.index("\n## ", 5)], re.S)
    assert len(blocks) >= 2
    monkeypatch.chdir(ROOT)
    for block in blocks:
        exec(compile(block.replace("out.lat", str(tmp_path / "out.lat")), "README.md", "exec"), {})
