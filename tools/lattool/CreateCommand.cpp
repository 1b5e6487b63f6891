// lattool create: builds the lattice described by a JSON file (the shape `dump` prints)
// and hands its header, rows and end marker to the export filter.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "Commands.h"
#include "FileArguments.h"
#include "InterruptGuard.h"
#include "LatticeDescription.h"
#include "ProgressDisplay.h"
#include "TerminalDialogUser.h"
#include "hostbase/Path.h"
#include "hostbase/PrimType.h"

namespace lattool {

namespace {

// Given ranges are kept as they are; missing ones come from the values.
void SetComponentRanges(hostfw::TrLattice& header, const LatticeDescription& description,
                        const ComponentRanges& ranges) {
  std::vector<double> min;
  std::vector<double> max;
  for (std::size_t c = 0; c < ranges.Count(); ++c) {
    min.push_back(ranges.Min(c));
    max.push_back(ranges.Max(c));
  }
  header.componentMin = description.componentMin.value_or(std::move(min));
  header.componentMax = description.componentMax.value_or(std::move(max));
}

LatticeTraits TraitsOf(const hostfw::TrLattice& header) {
  LatticeTraits traits;
  traits.dataType = header.dataType;
  const auto& min = header.componentMin;
  const auto& max = header.componentMax;
  if (!min.empty()) traits.dataMin = *std::min_element(min.begin(), min.end());
  if (!max.empty()) traits.dataMax = *std::max_element(max.begin(), max.end());
  return traits;
}

// The rows (a curvilinear lattice's coordinate scan before each data scan) and the end.
bool SendRows(ExportSession& session, const LatticeSource& source, const hostfw::TrLattice& header,
              const LatticeDescription& description) {
  hostfw::TrLatticeScan data(header);
  std::unique_ptr<hostfw::TrLatticeScan> coords;
  if (description.kind == ObjectKind::Curvilinear) coords = source.MakeCoordScan();
  for (std::size_t row = 0; row < description.RowCount(); ++row) {
    if (coords) {
      source.FillCoords(row, *coords);
      if (!session.Send(*coords)) return false;
    }
    source.FillData(row, data);
    if (!session.Send(data)) return false;
  }
  hostfw::TrLatticeEnd end;
  return session.Send(end);
}

int Export(const GlobalOptions& options, const ExportRequest& request,
           const TerminalDialogs& dialogs, const LatticeDescription& description,
           hostfw::TrLattice& header) {
  const ModuleSet modules = options.Modules();
  const Module& module = modules.ForExport(request.output, request.format);
  const LatticeSource source(description);
  const InterruptGuard interrupt;
  const char* name = hostbase::CPath::GetNamePtr(request.output.c_str());
  const auto bytes =
      static_cast<std::uint64_t>(description.values->Size()) *
      static_cast<std::uint64_t>(hostbase::CPrimType::TypeSize[description.dataType]);
  ProgressDisplay progress(name ? name : request.output, bytes,
                           options.ShowProgress() ? stderr : nullptr, InterruptGuard::Flag());
  ExportSession session(module, request, SavedOptionsFile::ForEnvironment(), progress,
                        dialogs.User());
  if (session.Begin(TraitsOf(header)) && session.Send(header)) {
    SendRows(session, source, header, description);
  }
  return session.End();
}

}  // namespace

int RunCreate(const GlobalOptions& options, const std::string& input,
              const ExportRequest& request) {
  RefuseSameFile(input, request.output);
  const TerminalDialogs dialogs(request.interactive || request.page);
  try {
    std::optional<JsonMembers> members;
    {
      const InterruptGuard interrupt;
      const char* name = hostbase::CPath::GetNamePtr(input.c_str());
      std::error_code error;
      const std::uintmax_t size = std::filesystem::file_size(input, error);
      ProgressDisplay progress(name ? name : input, error ? 0 : size,
                               options.ShowProgress() ? stderr : nullptr, InterruptGuard::Flag());
      members = ReadLatticeJson(input, &progress);
    }
    if (!members) return kExitStopped;
    const LatticeDescription description = ReadLatticeDescription(*members);
    const std::unique_ptr<hostfw::TrLattice> header = LatticeSource(description).MakeHeader();
    SetComponentRanges(*header, description, LatticeSource(description).CheckRows(*header));
    return Export(options, request, dialogs, description, *header);
  } catch (const InputError& e) {
    PrintError(input + ": " + e.what());
    return kExitError;
  }
}

}  // namespace lattool
