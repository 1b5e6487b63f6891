"""latio on the plug-in: round trips (LAT, VTK), blanks, promotions, errors, cancel, threads."""
import concurrent.futures
import os
import pathlib
import re
import signal
import threading

import numpy as np
import pytest

import latio

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
# What the exporter writes each type as.
WRITTEN = {np.int8: np.int8, np.int16: np.int16, np.int32: np.int32, np.float32: np.float32,
           np.float64: np.float64, np.uint8: np.int16, np.uint16: np.int32, np.uint32: np.float64,
           np.int64: np.float64, np.uint64: np.float64, np.float16: np.float32}
VTK_SUFFIXES = {"uniform": ".vti", "rectilinear": ".vtr", "curvilinear": ".vts"}
GEOMETRIES = {"uniform": dict(origin=(1.0, -2.0, 0.5), spacing=(0.5, 2.0, 3.0)),
              "rectilinear": dict(x=[0, 1, 4], y=[-1, 2], z=[5, 6, 9, 10]),
              "curvilinear": dict(coords=np.arange(72, dtype=np.float32).reshape(4, 2, 3, 3))}


@pytest.mark.parametrize("kind", GEOMETRIES)
@pytest.mark.parametrize("dtype", WRITTEN)
@pytest.mark.parametrize("vtk", [False, True])
def test_round_trip(tmp_path, recwarn, kind, dtype, vtk):
    info = np.iinfo(dtype) if np.dtype(dtype).kind in "iu" else np.finfo(np.float16)
    low, high = int(info.min), int(info.max)  # the type's whole range, both ends included
    values = np.array([low + (high - low) * i // 47 for i in range(48)], dtype).reshape(4, 2, 3, 2)
    # VTK has every type the host has: only the others are promoted.
    written = dtype if vtk and dtype not in (np.uint64, np.float16) else WRITTEN[dtype]
    out, again = (tmp_path / (name + (VTK_SUFFIXES[kind] if vtk else ".lat"))
                  for name in ("out", "again"))
    latio.write(out, values.astype(np.dtype(dtype).newbyteorder(">")), **GEOMETRIES[kind])
    lattice = latio.read(out)
    assert (lattice.kind, lattice.values.dtype, lattice.values.shape, lattice.values.dtype.isnative
            ) == (kind, np.dtype(written), (4, 2, 3, 2), True)
    np.testing.assert_array_equal(lattice.values, values.astype(written))
    for name, expected in GEOMETRIES[kind].items():
        np.testing.assert_allclose(getattr(lattice, name), expected)
    latio.write(again, lattice)
    assert again.read_bytes() == out.read_bytes()
    assert [w.category for w in recwarn] == [latio.LatWarning] * (written is not dtype)


@pytest.mark.parametrize("values, shape, options, blank, expected", [
    (np.int16([0, 1, 2, 3]), (4,), None, None, [1, 1, 2, 3]),  # the data minimum
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


def test_errors(tmp_path):
    # The import's own errors are its tests'; here they become Python's exceptions.
    (tmp_path / "cut.lat").write_bytes((EXAMPLES / "uniform-4x3x2.lat").read_bytes()[:100])
    for path, cls, code in [(tmp_path / "missing.lat", FileNotFoundError, 101),
                            (tmp_path, IsADirectoryError, 101),
                            (tmp_path / "cut.lat", latio.LatError, 18)]:
        with pytest.raises(cls) as caught:
            latio.read(path)
        assert isinstance(caught.value, latio.LatError) and caught.value.code == code
        assert caught.value.module and str(path) in map(str, caught.value.arguments)
    with pytest.raises(FileNotFoundError):
        latio.write(tmp_path / "no" / "such.lat", np.zeros(3))
    assert latio.probe(EXAMPLES / "uniform-3x2.lat") and not latio.probe(ROOT / "README.md")


@pytest.mark.parametrize("values, geometry, error", [
    (np.zeros((1, 1, 1, 1, 2)), {}, ValueError), (np.zeros((0, 3)), {}, ValueError),
    (np.array(["a"]), {}, TypeError), (np.zeros((2, 3)), {"x": [0, 1]}, ValueError),
    (np.zeros(3), {"origin": (0, 1)}, ValueError),
    (np.zeros((2, 3)), {"coords": np.zeros((2, 3, 2))}, ValueError),
    (np.zeros(3), {"options": {"A": "1,2"}}, ValueError),
    (np.ma.masked_array(np.int8([-128, 127, 1]), [0, 0, 1]), {}, ValueError),  # no free blank
    (np.zeros((2, 3)), {"x": [0, 1, 2], "y": [0, 1], "to": "r.vti"}, latio.LatError),  # a .vtr
])
def test_refused_before_writing(tmp_path, values, geometry, error):
    geometry = dict(geometry)
    with pytest.raises(error):
        latio.write(tmp_path / geometry.pop("to", "r.lat"), values, **geometry)
    assert not os.listdir(tmp_path)


BIG = np.arange(64 ** 3, dtype=np.float32).reshape(64, 64, 64)


@pytest.mark.parametrize("stop, raised", [
    (lambda f: f < 0.5, latio.LatCancelledError), (lambda f: 1 / 0, ZeroDivisionError),
    (lambda f: signal.raise_signal(signal.SIGINT), KeyboardInterrupt)])
def test_cancel_from_progress(tmp_path, stop, raised):
    latio.write(tmp_path / "in.lat", BIG)
    (tmp_path / "out.lat").write_bytes(b"kept")
    fractions = []
    with pytest.raises(raised):
        latio.read(tmp_path / "in.lat", progress=lambda f: fractions.append(f) or stop(f))
    assert fractions and fractions == sorted(fractions) and fractions[-1] < 1
    with pytest.raises(raised):
        latio.write(tmp_path / "out.lat", BIG, progress=stop)
    assert sorted(os.listdir(tmp_path)) == ["in.lat", "out.lat"]
    assert (tmp_path / "out.lat").read_bytes() == b"kept"


def test_two_threads_read_at_once(tmp_path):
    paths = [tmp_path / "a.lat", tmp_path / "b.lat"]
    for i, path in enumerate(paths):
        latio.write(path, BIG + i)
    both = threading.Barrier(2, timeout=20)

    def read(path):
        waits = []  # each import waits once, at its first report, until the other one runs
        return latio.read(path, progress=lambda f: waits or waits.append(both.wait())).values

    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for i, values in enumerate(pool.map(read, paths)):
            np.testing.assert_array_equal(values[..., 0], BIG + i)


def test_readme_examples_run_as_written(tmp_path, monkeypatch):
    readme = (ROOT / "README.md").read_text()
    section = readme[readme.index("\n## Python\n"):]
    blocks = re.findall(r"```python\n(.*?)```", section[:section.index("\n## ", 5)], re.S)
    assert len(blocks) >= 2
    monkeypatch.chdir(ROOT)
    for block in blocks:
        exec(compile(block.replace("out.lat", str(tmp_path / "out.lat")), "README.md", "exec"), {})
