// The extension module latio._latio: reads and writes lattices through the client library
// with the GIL released, handing the imported values to numpy without a copy. The Python
// package (latio/__init__.py) turns its raw errors into exception classes and its
// warnings into Python warnings.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "hostbase/PrimType.h"
#include "latclient/LatticeIo.h"
#include "latclient/ModuleSet.h"

namespace py = pybind11;

namespace {

// The modules beside the client library, loaded once, when first needed.
const latclient::ModuleSet& Modules() {
  static const latclient::ModuleSet modules;
  return modules;
}

// The module's exception types, raised to the package with (code, module, arguments,
// message); it turns them into its own classes.
py::object ErrorType(const char* name) {
  return py::module_::import("latio._latio").attr(name);
}

[[noreturn]] void Raise(const py::object& type, py::tuple args) {
  PyErr_SetObject(type.ptr(), args.ptr());
  throw py::error_already_set();
}

[[noreturn]] void RaiseReport(const latclient::ErrorReport& report) {
  py::list arguments;
  for (const hostbase::CErrorArg& arg : report.args) {
    std::visit([&arguments](const auto& value) { arguments.append(value); }, arg);
  }
  Raise(ErrorType("RawError"),
        py::make_tuple(report.code, report.module, py::tuple(arguments), report.message));
}

[[noreturn]] void RaiseHostError(const std::string& message) {
  Raise(ErrorType("RawError"), py::make_tuple(0, "latio", py::tuple(), message));
}

// The progress function of one read or write, called with the GIL taken again. An
// exception it raises, or a signal's (Ctrl-C's KeyboardInterrupt), cancels the work and
// is raised once the plug-in has returned.
class ProgressBridge {
 public:
  explicit ProgressBridge(py::object function) : function_(std::move(function)) {}

  latclient::ProgressCallback Callback() {
    return [this](double fraction) { return Report(fraction); };
  }
  // Raises what the progress function or a signal left, if anything.
  void RaisePending() {
    if (!pending_) return;
    pending_->restore();
    pending_.reset();
    throw py::error_already_set();
  }

 private:
  bool Report(double fraction) {
    py::gil_scoped_acquire gil;
    if (pending_) return false;
    try {
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
      if (function_.is_none()) return true;
      const py::object answer = function_(fraction);
      return answer.is_none() || PyObject_IsTrue(answer.ptr()) != 0;
    } catch (py::error_already_set& e) {
      pending_.emplace(std::move(e));
      return false;
    }
  }

  py::object function_;
  std::optional<py::error_already_set> pending_;
};

py::dtype DtypeOf(int type) {
  py::dtype dtype;
  if (!hostbase::DispatchPrimType(
          type, [&dtype]<class T>(std::type_identity<T>) { dtype = py::dtype::of<T>(); }))
    RaiseHostError("unknown data type code " + std::to_string(type));
  return dtype;
}

// The type code of a native-order numpy type the host knows, or -1.
int TypeCodeOf(const py::dtype& dtype) {
  if (!dtype.attr("isnative").cast<bool>()) return -1;
  for (int code = 0; code < hostbase::CPrimType::kTypeCount; ++code) {
    bool same = false;
    hostbase::DispatchPrimType(code, [&]<class T>(std::type_identity<T>) {
      const char kind = std::is_floating_point_v<T> ? 'f' : std::is_signed_v<T> ? 'i' : 'u';
      same = dtype.kind() == kind && dtype.itemsize() == static_cast<py::ssize_t>(sizeof(T));
    });
    if (same) return code;
  }
  return -1;
}

// An array over memory moved into a capsule that frees it with the array.
template <class Owner>
py::array ArrayOwning(py::dtype dtype, std::vector<py::ssize_t> shape, void* data, Owner owner) {
  auto held = std::make_unique<Owner>(std::move(owner));
  py::capsule capsule(held.get(), [](void* p) { delete static_cast<Owner*>(p); });
  held.release();  // the capsule owns it now
  return py::array(std::move(dtype), std::move(shape), {}, data, capsule);
}

py::array FloatArray(std::vector<float>&& values, std::vector<py::ssize_t> shape) {
  float* data = values.data();
  return ArrayOwning(py::dtype::of<float>(), std::move(shape), data, std::move(values));
}

py::dict LatticeDict(latclient::Lattice& lattice) {
  py::dict result;
  result["kind"] = latclient::KindName(lattice.kind);
  unsigned char* data = lattice.values.Data();
  result["values"] = ArrayOwning(DtypeOf(lattice.dataType),
                                 {lattice.nz, lattice.ny, lattice.nx, lattice.components}, data,
                                 std::move(lattice.values));
  switch (lattice.kind) {
    case latclient::Kind::Uniform:
      result["origin"] = py::make_tuple(lattice.origin[0], lattice.origin[1], lattice.origin[2]);
      result["spacing"] =
          py::make_tuple(lattice.spacing[0], lattice.spacing[1], lattice.spacing[2]);
      break;
    case latclient::Kind::Rectilinear:
      result["x"] = FloatArray(std::move(lattice.x), {lattice.nx});
      result["y"] = FloatArray(std::move(lattice.y), {lattice.ny});
      result["z"] = FloatArray(std::move(lattice.z), {lattice.nz});
      break;
    case latclient::Kind::Curvilinear:
      result["coords"] =
          FloatArray(std::move(lattice.coords), {lattice.nz, lattice.ny, lattice.nx, 3});
      break;
  }
  result["info"] = lattice.info;
  result["blank_value"] = lattice.mayHaveBlanks ? py::cast(lattice.blankValue) : py::none();
  return result;
}

const latclient::ModuleSet& RequireModules() {
  try {
    return Modules();
  } catch (const latclient::SetupError& e) {
    RaiseHostError(e.what());
  }
}

// Lattice `lattice` of the file (every lattice when negative) and the warnings raised.
py::tuple Read(const std::string& path, int lattice, py::object progress) {
  const latclient::ModuleSet& modules = RequireModules();
  ProgressBridge bridge(std::move(progress));
  latclient::ReadRequest request;
  if (lattice >= 0) request.lattice = lattice;
  request.progress = bridge.Callback();
  latclient::ReadResult result;
  try {
    py::gil_scoped_release release;
    result = latclient::ReadLattices(modules, path, request);
  } catch (const latclient::SetupError& e) {
    RaiseHostError(e.what());
  }
  bridge.RaisePending();
  if (result.outcome.error) RaiseReport(*result.outcome.error);
  if (!result.outcome.Complete()) {
    Raise(ErrorType("RawCancelled"),
          py::make_tuple(0, "latio", py::tuple(), "the import of '" + path + "' was cancelled"));
  }
  py::list lattices;
  for (latclient::Lattice& read : result.lattices) lattices.append(LatticeDict(read));
  return py::make_tuple(lattices, result.warnings);
}

std::vector<float> FloatsOf(const py::dict& geometry, const char* key, std::size_t count) {
  const auto array =
      geometry[key].cast<py::array_t<float, py::array::c_style | py::array::forcecast>>();
  if (static_cast<std::size_t>(array.size()) != count) {
    RaiseHostError(std::string(key) + " holds " + std::to_string(array.size()) +
                   " coordinates, expected " + std::to_string(count));
  }
  return std::vector<float>(array.data(), array.data() + count);
}

// Writes the 4-D, C-ordered, native-order `values` with the geometry of its kind;
// returns the exporter's warnings.
py::tuple Write(const std::string& path, const py::array& values, const py::dict& geometry,
                std::optional<double> blank, const std::string& options, py::object progress) {
  const int type = TypeCodeOf(values.dtype());
  if (type < 0) {
    throw py::type_error("values must be of a native-order integer or float type, not " +
                         py::str(values.dtype()).cast<std::string>());
  }
  if (values.ndim() != 4 || !(values.flags() & py::array::c_style)) {
    throw py::value_error("values must be a C-ordered array of 4 dimensions");
  }
  for (int i = 0; i < 4; ++i) {
    if (values.shape(i) > INT32_MAX) throw py::value_error("a count beyond 2^31 - 1");
  }
  latclient::Lattice lattice;
  lattice.dataType = type;
  lattice.nz = static_cast<int>(values.shape(0));
  lattice.ny = static_cast<int>(values.shape(1));
  lattice.nx = static_cast<int>(values.shape(2));
  lattice.components = static_cast<int>(values.shape(3));
  const std::size_t nodes = lattice.NodeCount();
  if (geometry.contains("coords")) {
    lattice.kind = latclient::Kind::Curvilinear;
    lattice.coords = FloatsOf(geometry, "coords", nodes * 3);
  } else if (geometry.contains("x")) {
    lattice.kind = latclient::Kind::Rectilinear;
    lattice.x = FloatsOf(geometry, "x", static_cast<std::size_t>(lattice.nx));
    lattice.y = FloatsOf(geometry, "y", static_cast<std::size_t>(lattice.ny));
    lattice.z = FloatsOf(geometry, "z", static_cast<std::size_t>(lattice.nz));
  } else {
    lattice.origin = geometry["origin"].cast<std::array<double, 3>>();
    lattice.spacing = geometry["spacing"].cast<std::array<double, 3>>();
  }
  lattice.mayHaveBlanks = blank.has_value();
  lattice.blankValue = blank.value_or(0.0);
  // The array's memory is lent to the export, which copies it row by row.
  const std::span<const std::byte> lent(static_cast<const std::byte*>(values.data()),
                                        static_cast<std::size_t>(values.nbytes()));

  ProgressBridge bridge(std::move(progress));
  latclient::WriteRequest request;
  request.options = options;
  request.progress = bridge.Callback();
  latclient::ExportOutcome outcome;
  const latclient::ModuleSet& modules = RequireModules();
  try {
    const latclient::Module& module = modules.ForExport(path);
    py::gil_scoped_release release;
    outcome = latclient::WriteLattice(module, path, lattice, lent, request);
  } catch (const latclient::SetupError& e) {
    RaiseHostError(e.what());
  }
  bridge.RaisePending();
  if (outcome.error) RaiseReport(*outcome.error);
  if (outcome.cancelled) {
    Raise(ErrorType("RawCancelled"),
          py::make_tuple(0, "latio", py::tuple(), "the export to '" + path + "' was cancelled"));
  }
  if (outcome.noLattice) RaiseHostError("the export to '" + path + "' wrote no lattice");
  return py::make_tuple(py::none(), outcome.warnings);
}

bool Probe(const std::string& path) {
  const latclient::ModuleSet& modules = RequireModules();
  py::gil_scoped_release release;
  return modules.Recognising(path) != nullptr;
}

}  // namespace

PYBIND11_MODULE(_latio, m) {
  m.doc() = "LAT lattice files through the plug-in module (use the latio package)";
  m.attr("version") = LATIO_VERSION;
  const auto error = py::reinterpret_steal<py::object>(
      PyErr_NewException("latio._latio.RawError", PyExc_Exception, nullptr));
  m.attr("RawError") = error;
  m.attr("RawCancelled") = py::reinterpret_steal<py::object>(
      PyErr_NewException("latio._latio.RawCancelled", error.ptr(), nullptr));
  m.def("probe", &Probe, py::arg("path"));
  m.def("read", &Read, py::arg("path"), py::arg("lattice"), py::arg("progress"));
  m.def("write", &Write, py::arg("path"), py::arg("values"), py::arg("geometry"), py::arg("blank"),
        py::arg("options"), py::arg("progress"));
}
