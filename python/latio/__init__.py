"""IRIS Explorer LAT lattice files as numpy arrays, read and written by the LAT plug-in.

    lattice = latio.read("wind.lat")        # values of shape (nz, ny, nx, components)
    latio.write("copy.lat", lattice.values, spacing=(0.5, 0.5, 1.0))

The extension `_latio` runs the plug-in module through the client library; this module
turns what it returns into numpy and Python terms (arrays, exceptions, warnings).
"""
import errno
import os
import warnings

import numpy as np

from . import _latio

__version__ = _latio.version
__all__ = ["Lattice", "LatError", "LatCancelledError", "LatWarning", "LatBackendEntrypoint",
           "probe", "read", "read_all", "write"]

KINDS = ("uniform", "rectilinear", "curvilinear")


class LatError(Exception):
    """An error raised by the plug-in or the host libraries: `code` (0 when the error has
    none), `module` (who raised it), `arguments` (the message's typed arguments)."""

    def __init__(self, message, code=0, module="latio", arguments=()):
        super().__init__(message)
        self.code = code
        self.module = module
        self.arguments = tuple(arguments)


class LatFileNotFoundError(LatError, FileNotFoundError):
    pass


class LatIsADirectoryError(LatError, IsADirectoryError):
    pass


class LatCancelledError(LatError):
    """The progress callback returned False."""


class LatWarning(UserWarning):
    """A warning of the plug-in, such as a data type promoted on export."""


# The host's error for a file that cannot be opened carries the path and the system's reason.
_ERR_FILE_OPEN = 101
_OPEN_ERRORS = {os.strerror(errno.ENOENT): (LatFileNotFoundError, errno.ENOENT),
                os.strerror(errno.EISDIR): (LatIsADirectoryError, errno.EISDIR)}


def _error(raw):
    code, module, arguments, message = raw.args
    cls, number = (LatCancelledError if isinstance(raw, _latio.RawCancelled) else LatError), None
    if code == _ERR_FILE_OPEN and len(arguments) == 2:
        cls, number = _OPEN_ERRORS.get(arguments[1], (LatError, None))
    error = cls(message, code, module, arguments)
    if number is not None:
        error.errno, error.strerror, error.filename = number, arguments[1], arguments[0]
    return error


def _call(function, *args):
    """Calls into the extension; its warnings become LatWarning warnings of our caller's caller."""
    try:
        result, messages = function(*args)
    except _latio.RawError as raw:
        raise _error(raw) from None
    for text in messages:
        warnings.warn(text, LatWarning, stacklevel=3)
    return result


class Lattice:
    """One lattice: `kind`, `values` (nz, ny, nx, components), the geometry of its kind
    (`origin` and `spacing`; `x`, `y`, `z`; `coords` (nz, ny, nx, 3)), the summary text
    `info` and `blank_value` (None when the lattice holds no blanked nodes)."""

    __slots__ = ("kind", "values", "origin", "spacing", "x", "y", "z", "coords", "info",
                 "blank_value")

    def __init__(self, values, kind="uniform", origin=None, spacing=None, x=None, y=None,
                 z=None, coords=None, info="", blank_value=None):
        if kind not in KINDS:
            raise ValueError(f"kind must be one of {', '.join(KINDS)}, not {kind!r}")
        self.kind, self.values, self.info, self.blank_value = kind, values, info, blank_value
        self.origin, self.spacing = origin, spacing
        self.x, self.y, self.z, self.coords = x, y, z, coords

    @property
    def summary(self):
        """The summary's lines as a dict; a line may hold several "Key:<TAB>value" pairs."""
        result = {}
        for line in self.info.splitlines():
            words = line.split("\t")
            for key, value in zip(words[::2], words[1::2]):
                if key.endswith(":"):
                    result[key[:-1]] = value.strip()
        return result

    @property
    def masked(self):
        """`values` with its blanked nodes masked."""
        if self.blank_value is None:
            return np.ma.masked_array(self.values)
        if np.isnan(self.blank_value):
            return np.ma.masked_invalid(self.values)
        return np.ma.masked_equal(self.values, self.blank_value)

    def __repr__(self):
        shape = "x".join(map(str, self.values.shape))
        return f"<latio.Lattice {self.kind} {shape} {self.values.dtype}>"


def _lattice(raw):
    return Lattice(**raw)


def probe(path):
    """Whether the plug-in recognises the file as a LAT file (a missing file is not)."""
    return _latio.probe(os.fspath(path))


def read(path, lattice=0, progress=None):
    """Lattice number `lattice` of the file. `progress(fraction)` is called as the import
    goes; returning False cancels it (LatCancelledError)."""
    if lattice < 0:
        raise ValueError(f"lattices count from 0, there is no lattice {lattice}")
    return _lattice(_call(_latio.read, os.fspath(path), lattice, progress)[0])


def read_all(path, progress=None):
    """Every lattice of the file (a plain file may hold several)."""
    return [_lattice(raw) for raw in _call(_latio.read, os.fspath(path), -1, progress)]


# Types the host has no code for, converted here as the exporter converts its own.
_WIDENED = {np.dtype(t): np.dtype(w) for t, w in
            ((np.uint64, np.float64), (np.float16, np.float32), (np.longdouble, np.float64))
            if np.dtype(t) != np.dtype(w)}
_TYPE_NAMES = {np.dtype(np.uint64): "64-bit unsigned integer", np.dtype(np.float16): "16-bit float",
               np.dtype(np.longdouble): "extended precision float"}
_WIDE_NAMES = {np.dtype(np.float64): "double", np.dtype(np.float32): "float"}


def _native(values):
    if values.dtype.kind not in "iuf":
        raise TypeError(f"values must be of an integer or float type, not {values.dtype}")
    values = values.astype(values.dtype.newbyteorder("="), copy=False)
    wider = _WIDENED.get(values.dtype)
    if wider is not None:
        warnings.warn(f"This file format does not support {_TYPE_NAMES[values.dtype]} data.  "
                      f"Export will proceed by converting to {_WIDE_NAMES[wider]} data.",
                      LatWarning, stacklevel=3)
        values = values.astype(wider)
    return values


def _four_dims(values):
    if not 1 <= values.ndim <= 4:
        raise ValueError(f"values must have 1 to 4 dimensions (nz, ny, nx, components), "
                         f"not {values.ndim}")
    shape = (1,) * (3 - min(values.ndim, 3)) + values.shape + ((1,) if values.ndim < 4 else ())
    if 0 in shape:
        raise ValueError(f"values of shape {values.shape} hold no node")
    return values.reshape(shape)


def _blank_for(data, given):
    """The value that marks blanked nodes: the one given, NaN for floats, else a value of
    the type that no node holds."""
    if given is not None:
        return given
    if data.dtype.kind == "f":
        return float("nan")
    info = np.iinfo(data.dtype)
    for candidate in (info.min, info.max):
        if not (data == candidate).any():
            return int(candidate)
    raise ValueError("every node holds the type's smallest or largest value: give blank_value "
                     "for the masked nodes")


def _mask_blanks(values, blank_value):
    if not np.ma.is_masked(values):
        return np.ma.getdata(values), blank_value
    mask = np.ma.getmaskarray(values)
    data = np.ma.getdata(values)
    blank = _blank_for(data[~mask], blank_value)
    filled = data.copy()
    filled[mask] = blank
    return filled, blank


def _triple(name, given, default):
    triple = tuple(float(v) for v in (default if given is None else given))
    if len(triple) != 3:
        raise ValueError(f"{name} must hold three numbers (x, y, z), not {len(triple)}")
    return triple


def _axis(name, given, count):
    axis = np.arange(count, dtype=np.float32) if given is None else \
        np.ascontiguousarray(given, dtype=np.float32)
    if axis.shape != (count,):
        raise ValueError(f"{name} must hold {count} coordinates, not shape {axis.shape}")
    return axis


def _options_text(options):
    if options is None:
        return ""
    if isinstance(options, str):
        return options
    items = []
    for key, value in options.items():
        value = ("true" if value else "false") if isinstance(value, bool) else str(value)
        if any(c in str(key) + value for c in ",="):
            raise ValueError(f"option {key!r}={value!r}: keys and values hold no ',' or '='")
        items.append(f"{key}={value}")
    return ",".join(items)


def write(path, values, *, origin=None, spacing=None, x=None, y=None, z=None, coords=None,
          blank_value=None, options=None, progress=None):
    """Writes one lattice to `path` in the format its extension names.

    `.vti`, `.vtr` and `.vts` write VTK's XML image, rectilinear and structured grids
    (uniform, rectilinear and curvilinear lattices); any other extension a binary LAT file.

    `values` has the shape (nx,), (ny, nx), (nz, ny, nx) or (nz, ny, nx, components), or is
    a Lattice (whose geometry and blank value are used). The lattice is uniform (`origin`,
    `spacing`), rectilinear (`x`, `y`, `z`) or curvilinear (`coords`, (nz, ny, nx, 3)).
    Masked nodes, and nodes equal to `blank_value`, are blanks, which the exporter replaces
    as `options` ask (a dict such as {"BlankMethod": 4, "FixedBlankValue": 0}, or the
    options string). The exporter's warnings become LatWarning warnings.
    """
    if isinstance(values, Lattice):
        lattice = values
        values, blank_value = lattice.values, lattice.blank_value
        origin, spacing = lattice.origin, lattice.spacing
        x, y, z, coords = lattice.x, lattice.y, lattice.z, lattice.coords
    values, blank_value = _mask_blanks(np.asanyarray(values), blank_value)
    values = np.ascontiguousarray(_four_dims(_native(values)))
    nz, ny, nx, _ = values.shape
    geometry = {}
    if coords is not None:
        geometry["coords"] = np.ascontiguousarray(coords, dtype=np.float32)
        if geometry["coords"].size != nz * ny * nx * 3:
            raise ValueError(f"coords must have the shape ({nz}, {ny}, {nx}, 3), "
                             f"not {geometry['coords'].shape}")
    elif x is not None or y is not None or z is not None:
        geometry.update(x=_axis("x", x, nx), y=_axis("y", y, ny), z=_axis("z", z, nz))
    else:
        geometry.update(origin=_triple("origin", origin, (0, 0, 0)),
                        spacing=_triple("spacing", spacing, (1, 1, 1)))
    blank = None if blank_value is None else float(blank_value)
    _call(_latio.write, os.fspath(path), values, geometry, blank, _options_text(options),
          progress)


def __getattr__(name):
    # xarray is imported only when the backend is asked for.
    if name == "LatBackendEntrypoint":
        from .xarray_backend import LatBackendEntrypoint
        return LatBackendEntrypoint
    raise AttributeError(f"module 'latio' has no attribute {name!r}")
