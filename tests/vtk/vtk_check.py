"""The VTK module against VTK itself: files our export writes, read by VTK's XML readers;
files VTK's XML writers write in every encoding, imported by our module; broken files.

Run by CTest with VTK_SAMPLE naming the vtk_sample program, which exports the pattern that
expected_values() computes, and LATTOOL the lattool that imports files (dump)."""
import itertools
import json
import os
import re
import resource
import subprocess

import numpy as np
import pytest
from vtkmodules.util.numpy_support import numpy_to_vtk, vtk_to_numpy
from vtkmodules.vtkCommonCore import vtkPoints
from vtkmodules.vtkCommonDataModel import (vtkImageData, vtkPolyData, vtkRectilinearGrid,
                                           vtkStructuredGrid, vtkUnstructuredGrid)
from vtkmodules.vtkFiltersGeneral import vtkImageDataToPointSet
from vtkmodules.vtkImagingCore import vtkRTAnalyticSource
from vtkmodules.vtkIOXML import (vtkXMLImageDataReader, vtkXMLImageDataWriter,
                                 vtkXMLPolyDataWriter, vtkXMLRectilinearGridReader,
                                 vtkXMLRectilinearGridWriter, vtkXMLStructuredGridReader,
                                 vtkXMLStructuredGridWriter, vtkXMLUnstructuredGridWriter)

TYPES = [np.int8, np.uint8, np.int16, np.uint16, np.int32, np.uint32, np.int64,
         np.float32, np.float64]
FLOAT, DOUBLE, INT16 = 7, 8, 2
READERS = [vtkXMLImageDataReader, vtkXMLRectilinearGridReader, vtkXMLStructuredGridReader]
WRITERS = [vtkXMLImageDataWriter, vtkXMLRectilinearGridWriter, vtkXMLStructuredGridWriter]
EXTENSIONS = [".vti", ".vtr", ".vts"]


def blank_marker(type_code):
    return 42 if type_code < FLOAT else 42.5


def as_coords(values, coord_type):
    """Coordinates as the export writes them: integer types rounded half away from zero."""
    values = np.asarray(values, dtype=np.float64)
    if coord_type in (FLOAT, DOUBLE):
        return values
    return np.sign(values) * np.floor(np.abs(values) + 0.5)


def expected_values(type_code, nodes, components):
    dtype = TYPES[type_code]
    n = np.arange(nodes)[:, None]
    c = np.arange(components)[None, :]
    values = ((3 * n + 7 * c) % 100).astype(dtype)
    if np.issubdtype(dtype, np.floating):
        values += dtype(0.5)
        info = np.finfo(dtype)
    else:
        info = np.iinfo(dtype)
    values[1, 0] = info.max
    values[2, 0] = info.min
    return values


def export(tmp_path, kind, type_code, components, dims, coord_type=FLOAT, blanks=False,
           options=""):
    out = str(tmp_path / ("out" + EXTENSIONS[kind]))
    args = [os.environ["VTK_SAMPLE"], out, kind, type_code, components, *dims, coord_type,
            int(blanks), options]
    subprocess.run([str(a) for a in args], check=True)
    reader = READERS[kind]()
    reader.SetFileName(out)
    reader.Update()
    assert reader.GetErrorCode() == 0
    return reader.GetOutput()


def check(grid, kind, type_code, components, dims, blanks, coord_type=FLOAT, name="values"):
    nx, ny, nz = dims
    nodes = nx * ny * nz
    assert grid.GetExtent() == (0, nx - 1, 0, ny - 1, 0, nz - 1)
    data = grid.GetPointData()
    array = data.GetArray(name)
    assert array is not None, f"no array {name!r}"
    assert array.GetNumberOfComponents() == components
    got = vtk_to_numpy(array).reshape(nodes, components)
    want = expected_values(type_code, nodes, components)
    assert got.dtype == want.dtype
    np.testing.assert_array_equal(got, want)
    ghost = data.GetArray("vtkGhostType")
    if blanks:
        hidden = np.where((want == blank_marker(type_code)).any(axis=1), 2, 0)
        np.testing.assert_array_equal(vtk_to_numpy(ghost), hidden)
        assert hidden.any()
    else:
        assert ghost is None
    i, j, k = np.meshgrid(np.arange(nx), np.arange(ny), np.arange(nz), indexing="ij")
    i, j, k = (a.transpose(2, 1, 0).ravel() for a in (i, j, k))  # x fastest
    if kind == 0:
        np.testing.assert_allclose(grid.GetOrigin(), (1.5, -2.0, 0.25))
        np.testing.assert_allclose(grid.GetSpacing(), (0.5, 2.0, 3.0))
    elif kind == 1:
        axes = [grid.GetXCoordinates(), grid.GetYCoordinates(), grid.GetZCoordinates()]
        want_axes = [1.5 * np.arange(nx), 10.0 + np.arange(ny) ** 2, -np.arange(nz)]
        for axis, want_axis in zip(axes, want_axes):
            np.testing.assert_array_equal(vtk_to_numpy(axis), as_coords(want_axis, coord_type))
    else:
        points = vtk_to_numpy(grid.GetPoints().GetData())
        np.testing.assert_array_equal(
            points, as_coords(np.stack([i + 0.25 * j, j, k - i], axis=1), coord_type))


# Every kind, type, encoding and blank setting; the component count cycles through 1 to 4.
CASES = [(kind, t, 1 + (t + kind) % 4, compress, blanks)
         for kind, t, compress, blanks in itertools.product(range(3), range(9), ["", "zlib"],
                                                            [False, True])]


@pytest.mark.parametrize("kind,type_code,components,compress,blanks", CASES)
def test_every_type(tmp_path, kind, type_code, components, compress, blanks):
    dims = (5, 4, 3)
    grid = export(tmp_path, kind, type_code, components, dims, blanks=blanks,
                  options=f"Compress={compress}")
    check(grid, kind, type_code, components, dims, blanks)


# Many zlib blocks with a partial last one, a flat lattice, and other coordinate types.
@pytest.mark.parametrize("kind,type_code,components,dims,coord_type,options", [
    (0, DOUBLE, 3, (70, 60, 3), FLOAT, "Compress=zlib"),
    (2, FLOAT, 2, (64, 64, 4), DOUBLE, "Compress=zlib"),
    (1, 4, 4, (33, 17, 1), INT16, "Compress=zlib"),
    (2, 1, 1, (7, 5, 1), INT16, ""),
])
def test_shapes_and_blocks(tmp_path, kind, type_code, components, dims, coord_type, options):
    grid = export(tmp_path, kind, type_code, components, dims, coord_type, True, options)
    check(grid, kind, type_code, components, dims, True, coord_type)


def test_array_name_with_markup(tmp_path):
    name = 'a<b & "c"'
    grid = export(tmp_path, 0, FLOAT, 1, (3, 3, 1), options=f"ArrayName={name}")
    check(grid, 0, FLOAT, 1, (3, 3, 1), False, name=name)


@pytest.mark.parametrize("options", ["Compress=lz4", "Compress=LZMA"])
def test_other_compressors_refused(tmp_path, options):
    out = tmp_path / "out.vti"
    run = subprocess.run([os.environ["VTK_SAMPLE"], str(out), "0", "7", "1", "3", "3", "1",
                          "7", "0", options], capture_output=True, text=True)
    assert run.returncode == 1
    assert options.split("=")[1] in run.stderr
    assert list(tmp_path.iterdir()) == []


# ---- Import: files VTK writes ----

def vtk_grid(kind):
    """A 5 x 4 x 3 grid not starting at index 0, with arrays of three types (one of them
    64-bit unsigned), a ghost array hiding some nodes and a cell array."""
    extent = (2, 6, 0, 3, 1, 3)
    nodes = 60
    if kind == 0:
        grid = vtkImageData()
        grid.SetOrigin(1.0, 2.0, 3.0)
        grid.SetSpacing(0.5, 1.0, 2.0)
    elif kind == 1:
        grid = vtkRectilinearGrid()
    else:
        grid = vtkStructuredGrid()
    grid.SetExtent(*extent)
    if kind == 1:
        for setter, values in ((grid.SetXCoordinates, np.linspace(0, 1, 5, dtype=np.float32)),
                               (grid.SetYCoordinates, np.array([0, 2, 3, 7], np.float64)),
                               (grid.SetZCoordinates, np.array([-1, 0, 5], np.float32))):
            setter(numpy_to_vtk(values, deep=1))
    if kind == 2:
        points = vtkPoints()
        points.SetData(numpy_to_vtk(np.arange(3 * nodes, dtype=np.float32).reshape(nodes, 3) / 4,
                                    deep=1))
        grid.SetPoints(points)
    n = np.arange(nodes)
    arrays = [("temperature", (np.sin(n)[:, None] * [1, 2, 3]).astype(np.float64)),
              ("level", (n * 37 % 200 - 100).astype(np.int16)),
              ("count", (n.astype(np.uint64) << np.uint64(40)))]
    for name, values in arrays:
        array = numpy_to_vtk(values, deep=1)
        array.SetName(name)
        grid.GetPointData().AddArray(array)
    ghost = numpy_to_vtk(np.where(n % 7 == 3, 2, np.where(n % 7 == 5, 1, 0)).astype(np.uint8),
                         deep=1)
    ghost.SetName("vtkGhostType")
    grid.GetPointData().AddArray(ghost)
    cells = numpy_to_vtk(np.arange(grid.GetNumberOfCells(), dtype=np.float32), deep=1)
    cells.SetName("pressure")
    grid.GetCellData().AddArray(cells)
    return grid


def write_vtk(path, kind, source, mode, zlib=False, uint64=False, big=False, pieces=1):
    writer = WRITERS[kind]()
    if hasattr(source, "GetOutputPort"):
        writer.SetInputConnection(source.GetOutputPort())
    else:
        writer.SetInputData(source)
    writer.SetFileName(str(path))
    getattr(writer, {"ascii": "SetDataModeToAscii", "binary": "SetDataModeToBinary"}.get(
        mode, "SetDataModeToAppended"))()
    writer.SetEncodeAppendedData(mode == "base64")
    writer.SetCompressorType(writer.ZLIB if zlib else writer.NONE)
    writer.SetHeaderType(64 if uint64 else 32)
    writer.SetByteOrder(1 if big else 0)
    writer.SetNumberOfPieces(pieces)
    assert writer.Write() == 1


def import_file(path, address_space=None):
    """lattool's dump of `path` (its stderr's warnings added), and whether probe names VTK."""
    def limit():
        if address_space:
            resource.setrlimit(resource.RLIMIT_AS, (address_space, address_space))
    tool = os.environ["LATTOOL"]
    run = subprocess.run([tool, "--quiet", "dump", str(path)], capture_output=True, text=True,
                         preexec_fn=limit)
    got = json.loads(run.stdout)
    got["warnings"] = [line for line in run.stderr.splitlines() if "warning" in line]
    probe = subprocess.run([tool, "probe", str(path)], capture_output=True, text=True)
    got["recognised"] = probe.stdout.endswith(": VTK\n")
    return got


def check_import(path, kind):
    """Our import of `path` against VTK's own reading of it."""
    got = import_file(path)
    assert got["recognised"] and got.get("status") == 0, got.get("error")
    reader = READERS[kind]()
    reader.SetFileName(str(path))
    reader.Update()
    grid = reader.GetOutput()
    data = grid.GetPointData()
    names = [data.GetArrayName(i) for i in range(data.GetNumberOfArrays())]
    ghost = data.GetArray("vtkGhostType")
    hidden = (vtk_to_numpy(ghost) & 2) != 0 if ghost is not None else None
    names = [name for name in names if name != "vtkGhostType"]
    assert [len(got["lattices"]), grid.GetCellData().GetNumberOfArrays() > 0] == \
        [len(names), bool(got["warnings"])]
    e = grid.GetExtent()
    for name, lattice in zip(names, got["lattices"]):
        array = data.GetArray(name)
        want = vtk_to_numpy(array).reshape(grid.GetNumberOfPoints(), -1)
        assert lattice["kind"] == ["uniform", "rectilinear", "curvilinear"][kind]
        assert [lattice[n] for n in ("nx", "ny", "nz")] == [e[1] - e[0] + 1, e[3] - e[2] + 1,
                                                           e[5] - e[4] + 1]
        assert lattice["components"] == want.shape[1]
        dtype = np.float64 if want.dtype == np.uint64 else want.dtype
        assert lattice["dataType"] == [np.dtype(t) for t in TYPES].index(dtype)
        # dump prints a float as the shortest decimal that reads back as that float.
        values = np.array([float(v) for v in lattice["values"]]).astype(dtype)
        want = want.astype(dtype)
        if hidden is not None and hidden.any():
            assert lattice["flags"] == 1
            want[hidden] = np.nan if lattice["dataType"] >= FLOAT else np.iinfo(dtype).min
        np.testing.assert_array_equal(values.reshape(want.shape), want)
        if kind == 0:
            np.testing.assert_allclose(lattice["origin"], np.array(grid.GetOrigin()) +
                                       np.array(e[::2]) * grid.GetSpacing())
            np.testing.assert_allclose(lattice["spacing"], grid.GetSpacing())
        elif kind == 1:
            for axis, coords in zip((lattice[a] for a in ("xCoords", "yCoords", "zCoords")),
                                    (grid.GetXCoordinates(), grid.GetYCoordinates(),
                                     grid.GetZCoordinates())):
                want_axis = vtk_to_numpy(coords)
                np.testing.assert_array_equal(np.asarray(axis, want_axis.dtype), want_axis)
        else:
            points = vtk_to_numpy(grid.GetPoints().GetData())
            np.testing.assert_array_equal(
                np.asarray(lattice["coords"], points.dtype).reshape(-1, 3), points)


@pytest.mark.parametrize("kind,mode,zlib,uint64,big", itertools.product(
    range(3), ["ascii", "binary", "raw", "base64"], [False, True], [False, True], [False, True]))
def test_import_every_encoding(tmp_path, kind, mode, zlib, uint64, big):
    path = tmp_path / ("in" + EXTENSIONS[kind])
    write_vtk(path, kind, vtk_grid(kind), mode, zlib, uint64, big)
    check_import(path, kind)


# Several pieces that share their boundary nodes, from a source that streams.
@pytest.mark.parametrize("kind,mode", itertools.product([0, 2], ["ascii", "binary", "raw"]))
def test_import_pieces(tmp_path, kind, mode):
    source = vtkRTAnalyticSource()
    source.SetWholeExtent(0, 6, 0, 4, 0, 3)
    if kind == 2:
        points = vtkImageDataToPointSet()
        points.SetInputConnection(source.GetOutputPort())
        source = points
    path = tmp_path / ("in" + EXTENSIONS[kind])
    write_vtk(path, kind, source, mode, zlib=True, pieces=3)
    assert open(path, "rb").read().count(b"<Piece ") == 3
    check_import(path, kind)


def polydata(path, writer=vtkXMLPolyDataWriter, data=vtkPolyData):
    w = writer()
    w.SetInputData(data())
    w.SetFileName(str(path))
    w.Write()


def edited(path, old, new, cut=0):
    text = re.sub(old, new, open(path, "rb").read(), count=1)
    open(path, "wb").write(text[:len(text) - cut])


def lz4(path, name="LZ4"):
    write_vtk(path, 0, vtk_grid(0), "raw")
    edited(path, b'header_type="UInt32"',
           b'header_type="UInt32" compressor="vtk%sDataCompressor"' % name.encode())


def cells_only(path):
    grid = vtkImageData()
    grid.SetDimensions(3, 2, 1)
    cells = numpy_to_vtk(np.arange(2, dtype=np.float32), deep=1)
    cells.SetName("p")
    grid.GetCellData().AddArray(cells)
    write_vtk(path, 0, grid, "raw")


# Broken and foreign files: the error code and what the message names.
BAD = [
    ("text", lambda p: open(p, "w").write("hello\n"), 16, "", False),
    ("polydata", polydata, 14, "PolyData", True),
    ("unstructured", lambda p: polydata(p, vtkXMLUnstructuredGridWriter, vtkUnstructuredGrid), 14,
     "UnstructuredGrid", True),
    ("lz4", lz4, 14, "vtkLZ4DataCompressor", True),
    ("lzma", lambda p: lz4(p, "LZMA"), 14, "vtkLZMADataCompressor", True),
    ("short", lambda p: (write_vtk(p, 0, vtk_grid(0), "raw"),
                         edited(p, b"</VTKFile>", b"", cut=200)), 18, "", True),
    ("short-zlib", lambda p: (write_vtk(p, 2, vtk_grid(2), "raw", zlib=True),
                              edited(p, b"</VTKFile>", b"", cut=100)), 18, "", True),
    ("outside", lambda p: (write_vtk(p, 0, vtk_grid(0), "raw"),
                           edited(p, b'Piece Extent="2 6', b'Piece Extent="2 7')), 14,
     "outside the whole extent", True),
    ("huge", lambda p: (write_vtk(p, 0, vtk_grid(0), "raw"),
                        edited(p, b'WholeExtent="2 6 0 3 1 3"',
                               b'WholeExtent="0 99999 0 99999 0 9999"'),
                        edited(p, b'Piece Extent="2 6 0 3 1 3"',
                               b'Piece Extent="0 99999 0 99999 0 9999"')), 18, "", True),
    ("no-point-data", cells_only, 14, "without a point-data array", True),
    ("syntax", lambda p: (write_vtk(p, 0, vtk_grid(0), "ascii"),
                          edited(p, b'Name="level"', b'Name="level')), 17, "", True),
    ("bad-number", lambda p: (write_vtk(p, 1, vtk_grid(1), "ascii"),
                              edited(p, rb'(Name="level"[^>]*>)', rb"\1 1x0")), 17, "", True),
]


@pytest.mark.parametrize("name,make,code,named,recognised", BAD, ids=[b[0] for b in BAD])
def test_import_refuses(tmp_path, name, make, code, named, recognised):
    path = tmp_path / "in.vti"
    make(path)
    got = import_file(path, address_space=1 << 30)
    assert got["recognised"] == recognised
    assert got["lattices"] == [] and got["error"]["code"] == code, got["error"]
    assert named in got["error"]["message"] and str(path) in got["error"]["message"]
