#!/usr/bin/python3
"""The numpy script a user would otherwise write, for each benchmark case, and the same
work through latio (the package must be on PYTHONPATH).

Prints the seconds its work took, timed inside this process so that Python's start-up
and numpy's import do not count against it.
"""
import sys
import time

import numpy as np

# Offsets in a binary uniform file as lat_bench_data writes it (three dimensions).
DIMS_OFFSET = 73
VALUES_OFFSET = 149


def read_binary(path):
    dims = np.fromfile(path, ">i4", count=3, offset=DIMS_OFFSET)
    count = int(dims[0]) * int(dims[1]) * int(dims[2])
    values = np.fromfile(path, ">f4", count=count, offset=VALUES_OFFSET)
    return values.astype(np.float32)  # native byte order


def binary_info(path):
    values = read_binary(path)
    return float(values.min()), float(values.max())


def plain_info(path, header_lines):
    values = np.loadtxt(path, dtype=np.float32, skiprows=header_lines)
    return float(values.min()), float(values.max())


def binary_convert(path, out_path):
    values = read_binary(path)
    with open(path, "rb") as source:
        head = source.read(VALUES_OFFSET)
        source.seek(VALUES_OFFSET + values.nbytes)
        tail = source.read()
    with open(out_path, "wb") as out:
        out.write(head)
        values.astype(">f4").tofile(out)
        out.write(tail)


def latio_read(path):
    import latio
    return latio.read(path)


def latio_write(path, out_path):
    """Times only the write: the lattice is read before the clock starts."""
    import latio
    values = latio.read(path).values
    start = time.perf_counter()
    latio.write(out_path, values)
    return time.perf_counter() - start


def vtk_zlib(path, out_path):
    """VTK's own writer with zlib on the lattice; only the writing is timed."""
    from vtkmodules.util.numpy_support import numpy_to_vtk
    from vtkmodules.vtkCommonDataModel import vtkImageData
    from vtkmodules.vtkIOXML import vtkXMLImageDataWriter
    dims = np.fromfile(path, ">i4", count=3, offset=DIMS_OFFSET)
    image = vtkImageData()
    image.SetDimensions(*(int(d) for d in dims))
    array = numpy_to_vtk(read_binary(path), deep=1)
    array.SetName("values")
    image.GetPointData().SetScalars(array)
    writer = vtkXMLImageDataWriter()
    writer.SetInputData(image)
    writer.SetFileName(out_path)
    writer.SetDataModeToAppended()
    writer.EncodeAppendedDataOff()
    writer.SetCompressorTypeToZLib()
    start = time.perf_counter()
    writer.Write()
    return time.perf_counter() - start


def main():
    case, path = sys.argv[1], sys.argv[2]
    if case == "vtk-zlib":
        print(f"{vtk_zlib(path, sys.argv[3]):.6f}")
        return
    if case.startswith("latio-"):
        import latio  # noqa: F401  (before the clock starts, as numpy's import is)
    start = time.perf_counter()
    if case == "binary":
        binary_info(path)
    elif case == "plain":
        plain_info(path, int(sys.argv[3]))
    elif case == "convert":
        binary_convert(path, sys.argv[3])
    elif case == "latio-read":
        latio_read(path)
    elif case == "latio-write":
        print(f"{latio_write(path, sys.argv[3]):.6f}")
        return
    else:
        sys.exit("peer.py: unknown case " + case)
    print(f"{time.perf_counter() - start:.6f}")


if __name__ == "__main__":
    main()
