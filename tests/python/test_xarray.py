"""The xarray backend: geometries, lattice choice (and latio's), variables dropped, the engine
by name, also from an installed package (cmake --install into a temporary prefix, found
with no environment but PYTHONPATH)."""
import os
import pathlib
import subprocess
import sys

import numpy as np
import pytest
import xarray

import latio

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"
TWO_BLOCKS = ("#!/usr/explorer/bin/explorer cxLattice plain 1.0\n2\n3 2\n1 3 0 2\n0 1   10 20\n"
              "1.5 2.5 3.5\n4.5 5.5 6.5\n10 20 30\n40 50 60\n")


@pytest.mark.parametrize("name, coord, expected", [
    ("uniform-4x3x2.lat", "z", lambda l: l.origin[2] + np.arange(2) * l.spacing[2]),
    ("rectilinear-4x3x2.lat", "x", lambda l: l.x),
    ("curvilinear-4x3x2.lat", "Y", lambda l: l.coords[..., 1])])
def test_geometries(name, coord, expected):
    lattice = latio.read(EXAMPLES / name)
    with xarray.open_dataset(EXAMPLES / name, engine="lat") as dataset:
        several = ("component",) if lattice.values.shape[3] > 1 else ()
        assert dataset["values"].dims == ("z", "y", "x") + several
        np.testing.assert_array_equal(dataset["values"].values.reshape(lattice.values.shape),
                                      lattice.values)
        assert dataset.attrs == lattice.summary and dataset.attrs["Format"] == "Iris Explorer LAT"
        assert sorted(dataset.coords) == list("XYZ" if coord.isupper() else "xyz")
        assert dataset[coord].dims == (("z", "y", "x") if coord.isupper() else (coord,))
        np.testing.assert_allclose(dataset[coord], expected(lattice))


def test_several_lattices_and_drop_variables(tmp_path):
    (tmp_path / "two.lat").write_text(TWO_BLOCKS)
    first, second = latio.read_all(tmp_path / "two.lat")
    assert first.values[0, 1, 2, 0] == np.float32(6.5) and first.spacing == (0.5, 10, 0)
    with pytest.raises(latio.LatError, match="holds 2 lattices, so there is no lattice 2"):
        latio.read(tmp_path / "two.lat", 2)
    chosen = xarray.open_dataset(tmp_path / "two.lat", engine="lat", lattice=1)["values"]
    np.testing.assert_array_equal(chosen.values.ravel(), second.values.ravel())
    np.testing.assert_array_equal(second.values.ravel(), [10, 20, 30, 40, 50, 60])
    dropped = xarray.open_dataset(tmp_path / "two.lat", engine="lat", drop_variables=["y"])
    assert "y" not in dropped.coords and dropped["values"].shape == (1, 2, 3)
    assert not xarray.open_dataset(tmp_path / "two.lat", drop_variables="values").data_vars
    guess = latio.LatBackendEntrypoint().guess_can_open
    os.rename(tmp_path / "two.lat", tmp_path / "two")  # recognised by its contents too
    assert guess(tmp_path / "two") and guess("anything.LAT")
    assert not guess(__file__) and not guess(object())


@pytest.mark.skipif("LATIO_BUILD_DIR" not in os.environ, reason="needs the build to install")
def test_installed_package_opens_a_file(tmp_path):
    subprocess.run(["cmake", "--install", os.environ["LATIO_BUILD_DIR"], "--prefix", tmp_path],
                   check=True, stdout=subprocess.DEVNULL)
    packages = str(tmp_path / os.environ["LATIO_INSTALL_DIR"])
    script = (f"import latio, xarray\nassert latio.__file__.startswith({packages!r})\n"
              f"print(xarray.open_dataset({str(EXAMPLES / 'curvilinear-4x3x2.lat')!r}, "
              'engine="lat")["X"].shape)')
    run = subprocess.run([sys.executable, "-c", script], env={"PYTHONPATH": packages},
                         capture_output=True, text=True)
    assert (run.returncode, run.stdout, run.stderr) == (0, "(2, 3, 4)\n", "")
