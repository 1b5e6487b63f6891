"""The xarray backend: xarray.open_dataset(path, engine="lat") reads one lattice of a LAT file
as a Dataset with the data variable "values" on the dimensions ("z", "y", "x"[, "component"])."""
import os

import numpy as np
from xarray import Dataset
from xarray.backends import BackendEntrypoint

import latio


def _coordinates(lattice):
    nz, ny, nx, _ = lattice.values.shape
    if lattice.kind == "uniform":
        return {name: (name, origin + np.arange(count) * step) for name, origin, step, count in
                zip("xyz", lattice.origin, lattice.spacing, (nx, ny, nz))}
    if lattice.kind == "rectilinear":
        return {"x": ("x", lattice.x), "y": ("y", lattice.y), "z": ("z", lattice.z)}
    return {name: (("z", "y", "x"), lattice.coords[..., axis]) for axis, name in enumerate("XYZ")}


def to_dataset(lattice):
    """The Dataset of one Lattice; its summary lines become the attributes."""
    values = lattice.values
    dims = ("z", "y", "x")
    if values.shape[3] > 1:
        dims += ("component",)
    else:
        values = values[..., 0]
    return Dataset({"values": (dims, values)}, coords=_coordinates(lattice),
                   attrs=lattice.summary)


class LatBackendEntrypoint(BackendEntrypoint):
    description = "IRIS Explorer LAT lattice files, read by the LAT plug-in"
    open_dataset_parameters = ("filename_or_obj", "drop_variables", "lattice")

    def open_dataset(self, filename_or_obj, *, drop_variables=None, lattice=0):
        dataset = to_dataset(latio.read(filename_or_obj, lattice))
        if drop_variables is not None:
            names = [drop_variables] if isinstance(drop_variables, str) else drop_variables
            dataset = dataset.drop_vars(names, errors="ignore")
        return dataset

    def guess_can_open(self, filename_or_obj):
        try:
            path = os.fspath(filename_or_obj)
        except TypeError:
            return False
        if isinstance(path, bytes):
            path = os.fsdecode(path)
        return path.lower().endswith(".lat") or (os.path.isfile(path) and latio.probe(path))
