"""The VTK module against VTK itself: the round trip's files (VTK_TESTS; it shows our import
gives back what our export was given), read by VTK's XML readers as by our import (LATTOOL's
dump); files VTK's XML writers write in every encoding, imported by our module; broken files."""
import itertools
import json
import os
import pathlib
import re
import resource
import subprocess
import tempfile

import numpy as np
import pytest
from vtkmodules.util.numpy_support import numpy_to_vtk, vtk_to_numpy
from vtkmodules.vtkCommonCore import vtkPoints
from vtkmodules.vtkCommonDataModel import (vtkImageData, vtkPolyData, vtkRectilinearGrid,
                                           vtkStructuredGrid)
from vtkmodules.vtkFiltersGeneral import vtkImageDataToPointSet
from vtkmodules.vtkImagingCore import vtkRTAnalyticSource
import vtkmodules.vtkIOXML as xml

TYPES = [np.int8, np.uint8, np.int16, np.uint16, np.int32, np.uint32, np.int64,
         np.float32, np.float64]
FLOAT = 7
READERS = [xml.vtkXMLImageDataReader, xml.vtkXMLRectilinearGridReader,
           xml.vtkXMLStructuredGridReader]
WRITERS = [xml.vtkXMLImageDataWriter, xml.vtkXMLRectilinearGridWriter,
           xml.vtkXMLStructuredGridWriter]
EXTENSIONS = [".vti", ".vtr", ".vts"]
MARKUP_NAME = 'a<b & "c"'  # the zlib files' array name; the others have the default
KEPT = tempfile.TemporaryDirectory()  # removed when the run ends
subprocess.run([os.environ["VTK_TESTS"], "--gtest_filter=*VtkRoundTrip*"], check=True,
               env={**os.environ, "VTK_REFEREE_DIR": KEPT.name}, stdout=subprocess.DEVNULL)
EXPORTED = sorted(pathlib.Path(KEPT.name).iterdir())


def compare(path, kind):
    """Our import of `path` against VTK's own reading of it; the point-data arrays' names."""
    got = import_file(path)
    assert got.get("status") == 0, got.get("error")
    reader = READERS[kind]()
    reader.SetFileName(str(path))
    reader.Update()
    assert reader.GetErrorCode() == 0
    grid = reader.GetOutput()
    data = grid.GetPointData()
    arrays = {data.GetArrayName(i): vtk_to_numpy(data.GetArray(i))
              for i in range(data.GetNumberOfArrays())}
    hidden = (arrays.pop("vtkGhostType", np.zeros(grid.GetNumberOfPoints(), np.uint8)) & 2) != 0
    assert [len(got["lattices"]), grid.GetCellData().GetNumberOfArrays() > 0] == \
        [len(arrays), bool(got["warnings"])]
    e = grid.GetExtent()
    positions = [grid.GetPoint(n) for n in range(grid.GetNumberOfPoints())]
    for (name, want), lattice in zip(arrays.items(), got["lattices"]):
        want = want.reshape(grid.GetNumberOfPoints(), -1)
        assert lattice["kind"] == ["uniform", "rectilinear", "curvilinear"][kind]
        assert f"Array:\t{name}\r\n" in lattice["info"]
        assert [lattice[n] for n in ("nx", "ny", "nz", "components")] == \
            [e[1] - e[0] + 1, e[3] - e[2] + 1, e[5] - e[4] + 1, want.shape[1]]
        dtype = np.float64 if want.dtype == np.uint64 else want.dtype
        assert lattice["dataType"] == [np.dtype(t) for t in TYPES].index(dtype)
        # dump prints a float as the shortest decimal that reads back as that float.
        want = want.astype(dtype)
        if hidden.any():
            assert lattice["flags"] == 1
            want[hidden] = np.nan if lattice["dataType"] >= FLOAT else np.iinfo(dtype).min
        np.testing.assert_array_equal(np.array(lattice["values"], dtype).reshape(want.shape), want)
        if kind == 2:
            nodes = np.reshape(lattice["coords"], (-1, 3))
        else:
            axes = [lattice["xCoords"], lattice["yCoords"], lattice["zCoords"]] if kind else \
                [o + d * np.arange(lattice[n]) for o, d, n in
                 zip(lattice["origin"], lattice["spacing"], ("nx", "ny", "nz"))]
            nodes = np.stack(np.meshgrid(*axes[::-1], indexing="ij")[::-1], -1).reshape(-1, 3)
        np.testing.assert_allclose(nodes, positions, rtol=1e-7)
    return list(arrays)


@pytest.mark.parametrize("path", EXPORTED, ids=[path.name for path in EXPORTED])
def test_exported_file(path):
    kind, zlib = int(path.name[1]), path.name.endswith("z1" + path.suffix)
    assert compare(path, kind) == [MARKUP_NAME if zlib else "values"]


# ---- Import: files VTK writes ----

def add(data, name, values):
    array = numpy_to_vtk(values, deep=1)
    array.SetName(name)
    data.AddArray(array)


def vtk_grid(kind):
    """A 5 x 4 x 3 grid not starting at index 0, with arrays of three types (one of them
    64-bit unsigned), a ghost array hiding some nodes and a cell array."""
    grid = [vtkImageData, vtkRectilinearGrid, vtkStructuredGrid][kind]()
    grid.SetExtent(2, 6, 0, 3, 1, 3)
    n = np.arange(60)
    if kind == 0:
        grid.SetOrigin(1.0, 2.0, 3.0)
        grid.SetSpacing(0.5, 1.0, 2.0)
    elif kind == 1:
        grid.SetXCoordinates(numpy_to_vtk(np.linspace(0, 1, 5, dtype=np.float32), deep=1))
        grid.SetYCoordinates(numpy_to_vtk(np.array([0, 2, 3, 7], np.float64), deep=1))
        grid.SetZCoordinates(numpy_to_vtk(np.array([-1, 0, 5], np.float32), deep=1))
    else:
        grid.SetPoints(vtkPoints())
        grid.GetPoints().SetData(numpy_to_vtk(np.arange(180, dtype=np.float32).reshape(60, 3) / 4,
                                              deep=1))
    for name, values in [("temperature", (np.sin(n)[:, None] * [1, 2, 3]).astype(np.float64)),
                         ("level", (n * 37 % 200 - 100).astype(np.int16)),
                         ("count", (n.astype(np.uint64) << np.uint64(40))),
                         ("vtkGhostType", np.where(n % 7 == 3, 2, n % 7 == 5).astype(np.uint8))]:
        add(grid.GetPointData(), name, values)
    add(grid.GetCellData(), "pressure", np.arange(grid.GetNumberOfCells(), dtype=np.float32))
    return grid


def streamed(kind):
    """A source that streams, so that a writer asked for pieces writes several."""
    source = vtkRTAnalyticSource()
    source.SetWholeExtent(0, 6, 0, 4, 0, 3)
    if kind == 0:
        return source
    points = vtkImageDataToPointSet()
    points.SetInputConnection(source.GetOutputPort())
    return points


def write_vtk(path, writer, source, mode, zlib=False, uint64=False, big=False, pieces=1):
    writer = writer()
    if hasattr(source, "GetOutputPort"):
        writer.SetInputConnection(source.GetOutputPort())
    else:
        writer.SetInputData(source)
    writer.SetFileName(str(path))
    writer.SetDataMode({"ascii": writer.Ascii, "binary": writer.Binary}.get(mode, writer.Appended))
    writer.SetEncodeAppendedData(mode == "base64")
    writer.SetCompressorType(writer.ZLIB if zlib else writer.NONE)
    writer.SetHeaderType(64 if uint64 else 32)
    writer.SetByteOrder(1 if big else 0)
    writer.SetNumberOfPieces(pieces)
    assert writer.Write() == 1
    assert open(path, "rb").read().count(b"<Piece ") == pieces


def import_file(path, address_space=None):
    """lattool's dump of `path`, its stderr's warnings added."""
    limit = (lambda: resource.setrlimit(resource.RLIMIT_AS, (address_space,) * 2)) \
        if address_space else None
    run = subprocess.run([os.environ["LATTOOL"], "--quiet", "dump", str(path)],
                         capture_output=True, text=True, preexec_fn=limit)
    got = json.loads(run.stdout)
    got["warnings"] = [line for line in run.stderr.splitlines() if "warning" in line]
    return got


# Every encoding of a grid with several arrays, and files of several pieces (sharing their
# boundary nodes): our import against VTK's own reading of the file.
@pytest.mark.parametrize("kind,mode,zlib,uint64,big,pieces", [
    *itertools.product(range(3), ["ascii", "binary", "raw", "base64"], [0, 1], [0, 1], [0, 1],
                       [1]),
    *((kind, mode, 1, 0, 0, 3) for kind in (0, 2) for mode in ("ascii", "binary", "raw"))])
def test_import(tmp_path, kind, mode, zlib, uint64, big, pieces):
    path = tmp_path / ("in" + EXTENSIONS[kind])
    write_vtk(path, WRITERS[kind], vtk_grid(kind) if pieces == 1 else streamed(kind), mode, zlib,
              uint64, big, pieces)
    compare(path, kind)


def edited(path, old, new, cut=0, kind=0, mode="raw", zlib=False, source=None):
    """A file VTK writes, with `old` replaced by `new` and its last `cut` bytes dropped."""
    write_vtk(path, WRITERS[kind], source or vtk_grid(kind), mode, zlib, pieces=3 if source else 1)
    text = re.sub(old, new, open(path, "rb").read(), count=1)
    open(path, "wb").write(text[:len(text) - cut])


def cells_only(path):
    grid = vtkImageData()
    grid.SetDimensions(3, 2, 1)
    add(grid.GetCellData(), "p", np.arange(2, dtype=np.float32))
    write_vtk(path, WRITERS[0], grid, "raw")


HUGE = b'xtent="0 99999 0 99999 0 9999"'
# Broken and foreign files: the error code and what the message names.
BAD = [
    ("text", lambda p: open(p, "w").write("hello\n"), 16, "", False),
    ("polydata", lambda p: write_vtk(p, xml.vtkXMLPolyDataWriter, vtkPolyData(), "raw"), 14,
     "PolyData", True),
    ("lz4", lambda p: edited(p, b'header_type="UInt32"',
                             b'header_type="UInt32" compressor="vtkLZ4DataCompressor"'), 14,
     "vtkLZ4DataCompressor", True),
    ("short", lambda p: edited(p, b"</VTKFile>", b"", cut=200), 18, "", True),
    ("short-zlib", lambda p: edited(p, b"</VTKFile>", b"", cut=100, kind=2, zlib=True), 18, "",
     True),
    ("outside", lambda p: edited(p, b'Piece Extent="2 6', b'Piece Extent="2 7'), 14,
     "outside the whole extent", True),
    ("pieces-unlike", lambda p: edited(p, b'Float32" Name="RTData"', b'Float64" Name="RTData"',
                                       mode="ascii", source=streamed(0)), 14, "not given alike",
     True),
    ("huge", lambda p: edited(p, rb'(?s)xtent="2 6 0 3 1 3"(.*?)xtent="2 6 0 3 1 3"',
                              HUGE + rb"\1" + HUGE), 18, "", True),
    ("no-point-data", cells_only, 14, "without a point-data array", True),
    ("syntax", lambda p: edited(p, b'Name="level"', b'Name="level', mode="ascii"), 17, "", True),
    ("bad-number", lambda p: edited(p, rb'(Name="level"[^>]*>)', rb"\1 1x0", kind=1, mode="ascii"),
     17, "", True),
]


@pytest.mark.parametrize("name,make,code,named,recognised", BAD, ids=[b[0] for b in BAD])
def test_import_refuses(tmp_path, name, make, code, named, recognised):
    path = tmp_path / "in.vti"
    make(path)
    got = import_file(path, address_space=1 << 30)
    probe = subprocess.run([os.environ["LATTOOL"], "probe", str(path)], capture_output=True)
    assert probe.stdout.endswith(b": VTK\n") == recognised
    assert got["lattices"] == [] and got["error"]["code"] == code, got["error"]
    assert named in got["error"]["message"] and str(path) in got["error"]["message"]
