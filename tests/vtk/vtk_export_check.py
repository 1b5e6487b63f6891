"""Files written by the VTK module's export, read back by VTK's own XML readers.

Run by CTest with VTK_SAMPLE naming the vtk_sample program, which writes the pattern that
expected_values() computes."""
import itertools
import os
import subprocess

import numpy as np
import pytest
from vtkmodules.util.numpy_support import vtk_to_numpy
from vtkmodules.vtkIOXML import (vtkXMLImageDataReader, vtkXMLRectilinearGridReader,
                                 vtkXMLStructuredGridReader)

TYPES = [np.int8, np.uint8, np.int16, np.uint16, np.int32, np.uint32, np.int64,
         np.float32, np.float64]
FLOAT, DOUBLE, INT16 = 7, 8, 2
READERS = [vtkXMLImageDataReader, vtkXMLRectilinearGridReader, vtkXMLStructuredGridReader]
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
