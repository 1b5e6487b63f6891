"""cmake --install into a temporary prefix: the installed package, with no environment but
PYTHONPATH, finds its plug-in and gives xarray the engine "lat"."""
import os
import pathlib
import subprocess
import sys

import pytest

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "curvilinear-4x3x2.lat"
SCRIPT = """import latio, xarray
assert latio.__file__.startswith(%r), latio.__file__
print(xarray.open_dataset(%r, engine="lat")["X"].shape)"""


@pytest.mark.skipif("LATIO_BUILD_DIR" not in os.environ, reason="needs the build to install")
def test_installed_package_opens_a_file(tmp_path):
    subprocess.run(["cmake", "--install", os.environ["LATIO_BUILD_DIR"], "--prefix", tmp_path],
                   check=True, stdout=subprocess.DEVNULL)
    packages = str(tmp_path / os.environ["LATIO_INSTALL_DIR"])
    run = subprocess.run([sys.executable, "-c", SCRIPT % (packages, str(EXAMPLE))],
                         env={"PYTHONPATH": packages}, capture_output=True, text=True)
    assert (run.returncode, run.stdout, run.stderr) == (0, "(2, 3, 4)\n", "")
