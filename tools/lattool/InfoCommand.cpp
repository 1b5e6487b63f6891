// lattool info: prints each imported lattice's summary text, data type and the range of
// each component, keeping only running extremes while the scans go by.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "Client.h"
#include "Commands.h"
#include "PluginHost.h"
#include "hostbase/PrimType.h"

namespace lattool {

namespace {

// The summary text with its CR LF line ends shown as plain line ends.
std::string PlainLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

const char* TypeName(int type) {
  return hostbase::CPrimType::IsValid(type) ? hostbase::CPrimType::TypeName[type] : "unknown";
}

// What is kept of one lattice until its end.
struct OpenLattice {
  std::string info;
  int dataType;
  bool curvilinear;
  long long scans = 0;
  ComponentRanges ranges;
};

class InfoPrinter : public hostfw::IoObjectSink {
 public:
  bool Receive(hostfw::TrBase& object) override;
  // Prints a lattice whose end never came.
  void Finish() { Close(); }

 private:
  void Open(const hostfw::TrLattice& lattice, ObjectKind kind);
  void Close();

  std::optional<OpenLattice> open_;
  int printed_ = 0;
};

bool InfoPrinter::Receive(hostfw::TrBase& object) {
  const ObjectKind kind = KindOf(object);
  if (IsLatticeHeader(kind)) {
    Open(static_cast<const hostfw::TrLattice&>(object), kind);
  } else if (kind == ObjectKind::Scan && open_) {
    // A curvilinear lattice's scans alternate coordinates (even) and data (odd).
    if (!open_->curvilinear || open_->scans % 2 == 1) {
      const auto& scan = static_cast<const hostfw::TrLatticeScan&>(object);
      open_->ranges.AddScan(scan.data, scan.GetSize());
    }
    ++open_->scans;
  } else if (kind == ObjectKind::End) {
    Close();
  }
  return true;
}

void InfoPrinter::Open(const hostfw::TrLattice& lattice, ObjectKind kind) {
  Close();
  const char* info = lattice.params.Get("LatticeInfo");
  open_.emplace(OpenLattice{info ? PlainLineEnds(info) : std::string(), lattice.dataType,
                            kind == ObjectKind::Curvilinear, 0,
                            ComponentRanges(lattice.dataType, lattice.numComponents)});
}

void InfoPrinter::Close() {
  if (!open_) return;
  if (printed_++ > 0) std::fputs("\n", stdout);
  std::fputs(open_->info.c_str(), stdout);
  std::printf("Data type: %s\n", TypeName(open_->dataType));
  std::printf("Components: %zu\n", open_->ranges.Count());
  for (std::size_t c = 0; c < open_->ranges.Count(); ++c) {
    std::printf("  Component %zu: %s\n", c, open_->ranges.Describe(c).c_str());
  }
  open_.reset();
}

}  // namespace

int RunInfo(const GlobalOptions& options, const std::string& file) {
  PluginHost host(options.Modules(), file);
  InfoPrinter printer;
  const ImportOutcome outcome = host.Import(printer, options.ShowProgress());
  printer.Finish();
  std::fflush(stdout);
  ReportImportError(outcome);
  return ExitCodeOf(outcome);
}

}  // namespace lattool
