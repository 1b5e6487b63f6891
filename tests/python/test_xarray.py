"""The xarray backend: geometries, lattice choice, variables dropped, the engine by name."""
import os
import pathlib

import numpy as np
import pytest
import xarray

import latio
from test_latio import TWO_BLOCKS

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


@pytest.mark.parametrize("engine", ["lat", latio.LatBackendEntrypoint])
@pytest.mark.parametrize("name, coords", [("uniform-4x3x2.lat", "xyz"),
                                          ("rectilinear-4x3x2.lat", "xyz"),
                                          ("curvilinear-4x3x2.lat", "XYZ")])
def test_geometries(engine, name, coords):
    lattice = latio.read(EXAMPLES / name)
    with xarray.open_dataset(EXAMPLES / name, engine=engine) as dataset:
        several = ("component",) if lattice.values.shape[3] > 1 else ()
        assert dataset["values"].dims == ("z", "y", "x") + several
        np.testing.assert_array_equal(dataset["values"].values.reshape(lattice.values.shape),
                                      lattice.values)
        assert dataset.attrs == lattice.summary and dataset.attrs["Format"] == "Iris Explorer LAT"
        assert sorted(dataset.coords) == list(coords)
        if lattice.kind == "uniform":
            z = lattice.origin[2] + np.arange(2) * lattice.spacing[2]
            np.testing.assert_allclose(dataset["z"], z)
        elif lattice.kind == "rectilinear":
            np.testing.assert_array_equal(dataset["x"], lattice.x)
        else:
            assert dataset["Y"].dims == ("z", "y", "x")
            np.testing.assert_array_equal(dataset["Y"], lattice.coords[..., 1])


def test_lattice_and_drop_variables(tmp_path):
    (tmp_path / "two.lat").write_text(TWO_BLOCKS)
    second = xarray.open_dataset(tmp_path / "two.lat", engine="lat", lattice=1)
    np.testing.assert_array_equal(second["values"].values.ravel(), [10, 20, 30, 40, 50, 60])
    dropped = xarray.open_dataset(tmp_path / "two.lat", engine="lat", drop_variables=["y"])
    assert "y" not in dropped.coords and dropped["values"].shape == (1, 2, 3)
    assert not xarray.open_dataset(tmp_path / "two.lat", drop_variables="values").data_vars
    guess = latio.LatBackendEntrypoint().guess_can_open
    os.rename(tmp_path / "two.lat", tmp_path / "two")  # recognised by its contents too
    assert guess(tmp_path / "two") and guess("anything.LAT")
    assert not guess(__file__) and not guess(object())
