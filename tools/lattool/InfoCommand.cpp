// lattool info: for each imported lattice its summary text, the file's form, the kind, the
// coordinate ranges and per component the count, NaN and blank counts, extremes, mean and
// standard deviation, as text or as one JSON document. Only running sums are kept while
// the scans go by.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Client.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "LatticeRecorder.h"
#include "PluginHost.h"
#include "formats/LatPlainFormat.h"
#include "formats/VtkXmlFormat.h"
#include "hostbase/PrimType.h"
#include "latclient/ComponentStats.h"
#include "latclient/Formats.h"

namespace lattool {

namespace {

// The first `count` bytes of a file (fewer when it is shorter).
std::string Head(const std::string& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

// The value of the first `name="..."` attribute in `xml`, or empty.
std::string Attribute(std::string_view xml, std::string_view name) {
  const std::string key = std::string(name) + "=\"";
  const std::size_t at = xml.find(key);
  if (at == std::string_view::npos) return {};
  const std::size_t begin = at + key.size();
  const std::size_t end = xml.find('"', begin);
  return end == std::string_view::npos ? std::string()
                                       : std::string(xml.substr(begin, end - begin));
}

// How the file stores its lattice: a LAT file's kind word (binary, plain, ascii); for a VTK
// XML file the data arrays' encoding and compression. Empty when it cannot be told.
std::string FormOf(const std::string& path, std::string_view format) {
  if (format == "LAT") {
    const std::string head = Head(path, lat::plain::kRecognitionBytes);
    const std::string line = head.substr(0, head.find('\n'));
    const std::size_t word = line.find(lat::plain::kLatticeWord);
    if (word == std::string::npos) return {};
    std::size_t begin =
        line.find_first_not_of(" \t\r\f", word + std::string_view(lat::plain::kLatticeWord).size());
    if (begin == std::string::npos) return {};
    const std::string kind = line.substr(begin, line.find_first_of(" \t\r\f", begin) - begin);
    for (const char* known : lat::plain::kKindWords) {
      if (kind == known) return kind;
    }
    return {};
  }
  if (format != "VTK") return {};
  // The header elements come before the appended data; 64 KiB hold them.
  const std::string head = Head(path, std::size_t{64} << 10);
  const std::size_t array = head.find("<DataArray");
  if (array == std::string::npos) return "XML";
  std::string encoding = Attribute(std::string_view(head).substr(array), "format");
  if (encoding == "appended") {
    const std::size_t appended = head.find("<AppendedData");
    encoding += " " + (appended == std::string::npos
                           ? std::string("raw")
                           : Attribute(std::string_view(head).substr(appended), "encoding"));
  }
  const bool zlib = Attribute(head, "compressor") == vtkxml::kZlibCompressor;
  return "XML " + encoding + (zlib ? ", zlib" : "");
}

// The summary text's lines, without their CR LF ends.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

const char* TypeName(int type) {
  return hostbase::CPrimType::IsValid(type) ? hostbase::CPrimType::TypeName[type] : "unknown";
}

std::string Number(double value) {
  char text[kNumberTextMax];
  return std::string(text, FormatNumber(text, value));
}

// The lowest and highest coordinate along one axis, NaN left out.
struct AxisRange {
  bool seen = false;
  double lo = 0.0, hi = 0.0;

  void Take(double v) {
    if (std::isnan(v)) return;
    lo = seen ? std::min(lo, v) : v;
    hi = seen ? std::max(hi, v) : v;
    seen = true;
  }
};

// What is known of one lattice by its end (or by the import's end, when it never came).
struct LatticeReport {
  ObjectKind kind;
  int dataType;
  std::array<int, 3> dims;
  bool mayHaveBlanks;
  double blankValue;
  std::vector<std::string> summary;
  std::array<AxisRange, 3> axes;
  latclient::ComponentStats stats;
  long long scans = 0;
  bool ended = false;
};

// Keeps the running report of the lattice being imported and hands each finished one on.
class LatticeInspector : public hostfw::IoObjectSink {
 public:
  using Handler = std::function<void(const LatticeReport&)>;
  explicit LatticeInspector(Handler handler) : handler_(std::move(handler)) {}

  bool Receive(hostfw::TrBase& object) override;
  // Hands on a lattice whose end never came.
  void Finish() { Close(false); }

 private:
  void Open(const hostfw::TrLattice& lattice, ObjectKind kind);
  void Close(bool ended);

  Handler handler_;
  std::optional<LatticeReport> open_;
  int coordType_ = 0;
};

// Every value of `count` coordinates of `type` at `data` into `axis`, or, with `axis` null,
// node positions (x, y, z per node) into all three.
void TakeCoords(int type, const void* data, std::size_t count, AxisRange* axis,
                std::array<AxisRange, 3>& axes) {
  if (data == nullptr || !hostbase::CPrimType::IsValid(type)) return;
  const std::size_t bytes = count * static_cast<std::size_t>(hostbase::CPrimType::TypeSize[type]);
  std::size_t i = 0;
  ForEachValue(type, data, bytes,
               [&](auto v) { (axis ? *axis : axes[i++ % 3]).Take(static_cast<double>(v)); });
}

bool LatticeInspector::Receive(hostfw::TrBase& object) {
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    Open(static_cast<const hostfw::TrLattice&>(object), kind);
  } else if (kind == ObjectKind::Scan && open_) {
    const auto& scan = static_cast<const hostfw::TrLatticeScan&>(object);
    const hostfw::ScanOrder order{open_->kind == ObjectKind::Curvilinear};
    if (order.IsCoordinateScan(open_->scans)) {
      if (hostbase::CPrimType::IsValid(coordType_)) {
        TakeCoords(
            coordType_, scan.data,
            scan.GetSize() / static_cast<std::size_t>(hostbase::CPrimType::TypeSize[coordType_]),
            nullptr, open_->axes);
      }
    } else {
      open_->stats.AddScan(scan.data, scan.GetSize());
    }
    ++open_->scans;
  } else if (kind == ObjectKind::End) {
    Close(true);
  }
  return true;
}

void LatticeInspector::Open(const hostfw::TrLattice& lattice, ObjectKind kind) {
  Close(false);
  const char* info = lattice.params.Get(hostfw::TrLattice::kInfoKey);
  const bool blanks = (lattice.flags & hostfw::TrLattice::kFlagMayHaveBlanks) != 0;
  open_.emplace(LatticeReport{kind,
                              lattice.dataType,
                              {lattice.nx, lattice.ny, lattice.nz},
                              blanks,
                              lattice.blankValue,
                              Lines(info ? info : ""),
                              {},
                              latclient::ComponentStats(lattice.dataType, lattice.numComponents)});
  if (blanks) open_->stats.SkipBlanks(lattice.blankValue);
  const std::array<int, 3> dims = open_->dims;
  if (kind == ObjectKind::Uniform) {
    const auto& uniform = static_cast<const hostfw::TrUniformLattice&>(lattice);
    for (std::size_t a = 0; a < 3; ++a) {
      open_->axes[a].Take(uniform.origin[a]);
      open_->axes[a].Take(uniform.origin[a] + (dims[a] - 1) * uniform.spacing[a]);
    }
  } else if (kind == ObjectKind::Rectilinear) {
    const auto& rect = static_cast<const hostfw::TrRectilinearLattice&>(lattice);
    const void* coords[3] = {rect.xCoords, rect.yCoords, rect.zCoords};
    for (std::size_t a = 0; a < 3; ++a) {
      TakeCoords(rect.coordType, coords[a], static_cast<std::size_t>(std::max(dims[a], 0)),
                 &open_->axes[a], open_->axes);
    }
  } else {
    coordType_ = static_cast<const hostfw::TrCurvilinearLattice&>(lattice).coordType;
  }
}

void LatticeInspector::Close(bool ended) {
  if (!open_) return;
  open_->ended = ended;
  handler_(*open_);
  open_.reset();
}

// The text form: the summary, then one line per fact.
class TextPrinter {
 public:
  explicit TextPrinter(std::string form) : form_(std::move(form)) {}
  void Print(const LatticeReport& report);

 private:
  std::string form_;
  int printed_ = 0;
};

void TextPrinter::Print(const LatticeReport& report) {
  if (printed_++ > 0) std::fputs("\n", stdout);
  for (const std::string& line : report.summary) std::printf("%s\n", line.c_str());
  if (!form_.empty()) std::printf("Form: %s\n", form_.c_str());
  std::printf("Kind: %s\n", KindName(report.kind));
  const AxisRange& z = report.axes[2];
  if (z.seen) std::printf("zMin:\t%s\tzMax:\t%s\n", Number(z.lo).c_str(), Number(z.hi).c_str());
  std::printf("Data type: %s\n", TypeName(report.dataType));
  const latclient::ComponentStats& stats = report.stats;
  std::printf("Components: %zu\n", stats.Count());
  for (std::size_t c = 0; c < stats.Count(); ++c) {
    const latclient::ComponentStats::Summary s = stats.Of(c);
    std::printf("  Component %zu: %llu values, %llu NaN", c,
                static_cast<unsigned long long>(s.count), static_cast<unsigned long long>(s.nans));
    if (report.mayHaveBlanks) {
      std::printf(", %llu blanks", static_cast<unsigned long long>(s.blanks));
    }
    if (s.count > 0) {
      std::printf(", %s, mean %.7g, std %.7g", stats.Ranges().Describe(c).c_str(), s.mean,
                  s.stddev);
    }
    std::fputs("\n", stdout);
  }
}

int RunInfoText(PluginHost& host, bool progress, const std::string& form) {
  TextPrinter printer(form);
  LatticeInspector inspector([&printer](const LatticeReport& report) { printer.Print(report); });
  const ImportOutcome outcome = host.Import(inspector, progress);
  inspector.Finish();
  std::fflush(stdout);
  ReportImportError(outcome);
  return ExitCodeOf(outcome);
}

// A number, or null when it is NaN (no value to tell).
void NumberOrNull(JsonWriter& json, double value) {
  if (std::isnan(value)) {
    json.Null();
  } else {
    json.Number(value);
  }
}

// The JSON form: one object per lattice in the document's "lattices" array.
void WriteLattice(JsonWriter& json, const LatticeReport& report) {
  json.BeginObject();
  json.Key("kind");
  json.String(KindName(report.kind));
  json.Key("dims");
  json.BeginArray();
  for (int n : report.dims) json.Number(n);
  json.EndArray();
  json.Key("dataType");
  json.Number(report.dataType);
  json.Key("type");
  json.String(TypeName(report.dataType));
  json.Key("components");
  json.Number(report.stats.Count());
  json.Key("mayHaveBlanks");
  json.Bool(report.mayHaveBlanks);
  if (report.mayHaveBlanks) {
    json.Key("blankValue");
    json.Number(report.blankValue);
  }
  json.Key("ranges");
  json.BeginObject();
  for (std::size_t a = 0; a < 3; ++a) {
    json.Key(std::string_view(&"xyz"[a], 1));
    if (!report.axes[a].seen) {
      json.Null();
      continue;
    }
    json.BeginArray();
    json.Number(report.axes[a].lo);
    json.Number(report.axes[a].hi);
    json.EndArray();
  }
  json.EndObject();
  json.Key("componentStats");
  json.BeginArray();
  for (std::size_t c = 0; c < report.stats.Count(); ++c) {
    const latclient::ComponentStats::Summary s = report.stats.Of(c);
    const bool seen = s.count > 0;
    json.BeginObject();
    json.Key("count");
    json.Number(s.count);
    json.Key("nan");
    json.Number(s.nans);
    json.Key("blanks");
    json.Number(s.blanks);
    json.Key("min");
    NumberOrNull(json, seen ? report.stats.Ranges().Min(c) : std::nan(""));
    json.Key("max");
    NumberOrNull(json, seen ? report.stats.Ranges().Max(c) : std::nan(""));
    json.Key("mean");
    NumberOrNull(json, s.mean);
    json.Key("std");
    NumberOrNull(json, s.stddev);
    json.EndObject();
  }
  json.EndArray();
  json.Key("summary");
  json.BeginArray();
  for (const std::string& line : report.summary) json.String(line);
  json.EndArray();
  json.Key("scans");
  json.Number(report.scans);
  json.Key("ended");
  json.Bool(report.ended);
  json.EndObject();
}

int RunInfoJson(PluginHost& host, bool progress, const std::string& file, const std::string& form) {
  JsonWriter json(stdout);
  json.BeginObject();
  json.Key("file");
  json.String(file);
  json.Key("format");
  json.String(host.ImportModule().Name());
  json.Key("formatName");
  json.String(latclient::DisplayNameOf(host.ImportModule().Name()));
  json.Key("form");
  json.String(form);
  json.Key("lattices");
  json.BeginArray();
  LatticeInspector inspector([&json](const LatticeReport& report) { WriteLattice(json, report); });
  const ImportOutcome outcome = host.Import(inspector, progress);
  inspector.Finish();
  return EndImportDocument(json, outcome);
}

}  // namespace

int RunInfo(const GlobalOptions& options, const std::string& file, bool json) {
  PluginHost host(options.Modules(), file);
  const std::string form = FormOf(file, host.ImportModule().Name());
  return json ? RunInfoJson(host, options.ShowProgress(), file, form)
              : RunInfoText(host, options.ShowProgress(), form);
}

}  // namespace lattool
