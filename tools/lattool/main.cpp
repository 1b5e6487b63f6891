// lattool: the command-line host of the LAT plug-in (probe, info, dump, convert, create).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Client.h"
#include "Commands.h"
#include "FileArguments.h"
#include "InterruptGuard.h"

#ifndef LATTOOL_VERSION
#define LATTOOL_VERSION "unknown"
#endif

namespace {

struct Arguments {
  lattool::GlobalOptions options;
  std::vector<std::string> probeFiles;
  std::string file;
  int lattice = 0;
  bool noValues = false;
  bool json = false;
  std::optional<int> component;
  std::string region;
  lattool::ExportRequest request;
};

#if defined(_WIN32)
constexpr const char* kDialogPlace = " (in a window)";
constexpr const char* kModuleName = "LAT.dll";
#else
constexpr const char* kDialogPlace = " (on the terminal)";
constexpr const char* kModuleName = "LAT.so";
#endif

constexpr std::array<std::string_view, 5> kVerbs = {"probe", "info", "dump", "convert", "create"};

// A lattice index: the digits of a whole number from 0, checked before conversion so
// that a word is refused in the user's terms.
std::string CheckLatticeIndex(std::string& text) {
  const bool digits =
      !text.empty() && text.size() <= 9 &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits) return {};
  return "K is a lattice index, a whole number counting from 0, not '" + text + "'";
}

// The first word that is not an option, when it names no command ("lattool frob x").
std::string UnknownVerb(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--plugin") {
      ++i;  // its value
    } else if (!word.starts_with("-")) {
      return std::find(kVerbs.begin(), kVerbs.end(), word) == kVerbs.end() ? std::string(word)
                                                                           : std::string();
    }
  }
  return {};
}

// "probe, info, dump, convert or create"
std::string VerbList() {
  std::string list;
  for (std::size_t i = 0; i < kVerbs.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == kVerbs.size() ? " or " : ", ") + std::string(kVerbs[i]);
  }
  return list;
}

int UsageFailure(const std::string& message) {
  lattool::PrintError(message);
  std::fputs("Run 'lattool --help' for more information.\n", stderr);
  return lattool::kExitUsage;
}

// lattool's version and the modules it would load. A module exports only its two factories,
// so it cannot tell its own version here; lattool and the modules beside it are built and
// installed together, from one version.
std::string VersionText(const lattool::GlobalOptions& options) {
  std::string text = std::string("lattool ") + LATTOOL_VERSION;
  try {
    const lattool::ModuleSet modules = options.Modules();
    for (const auto& module : modules.Modules()) {
      text += "\n" + module.Name() + " module: " + module.Path() + " (records no version)";
    }
    if (modules.Empty()) text += "\nno plug-in module found";
  } catch (const std::exception& e) {
    text += std::string("\nno plug-in module: ") + e.what();
  }
  return text;
}

// One bound of a region's axis: empty, or the digits of a node index.
std::optional<int> RegionBound(std::string_view text, const std::string& region) {
  if (text.empty()) return std::nullopt;
  if (text.size() > 9 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw lattool::UsageError("--region '" + region +
                              "': each part is X0:X1 with node indices from 0, not '" +
                              std::string(text) + "'");
  }
  return std::stoi(std::string(text));
}

// The subset --component and --region ask for ("X0:X1,Y0:Y1,Z0:Z1", end-exclusive, each
// bound and each part optional), or none.
std::optional<latclient::Subset> SubsetOf(const Arguments& args) {
  if (!args.component && args.region.empty()) return std::nullopt;
  latclient::Subset subset;
  subset.component = args.component;
  const std::string& region = args.region;
  if (std::count(region.begin(), region.end(), ',') > 2) {
    throw lattool::UsageError("--region '" + region + "' has more than three parts (x, y, z)");
  }
  std::size_t at = 0;
  for (std::size_t axis = 0; at <= region.size(); ++axis) {
    const std::size_t comma = std::min(region.find(',', at), region.size());
    const std::string_view part = std::string_view(region).substr(at, comma - at);
    at = comma + 1;
    if (part.empty()) continue;
    const std::size_t colon = part.find(':');
    if (colon == std::string_view::npos) {
      throw lattool::UsageError("--region '" + region + "': the part '" + std::string(part) +
                                "' is not X0:X1 (a colon between first node and end)");
    }
    subset.begin[axis] = RegionBound(part.substr(0, colon), region);
    subset.end[axis] = RegionBound(part.substr(colon + 1), region);
  }
  return subset;
}

// --component and --region of dump and convert.
void DefineSubset(CLI::App& command, Arguments& args) {
  command.add_option("--component", args.component, "Keep only component C (counting from 0)")
      ->option_text("C");
  command
      .add_option("--region", args.region,
                  "Keep the box of nodes X0:X1,Y0:Y1,Z0:Z1 (ends excluded; each bound and part "
                  "optional: ,,3:4 is the fourth plane)")
      ->option_text("BOX");
}

// OUT and the options of the two export commands.
void DefineExport(CLI::App& command, Arguments& args) {
  command
      .add_option("OUT", args.request.output,
                  "File to write: .lat a binary LAT file, .vti/.vtr/.vts a VTK XML file")
      ->required();
  command
      .add_option("--to", args.request.format,
                  "Format to write whatever OUT's extension: lat or vtk")
      ->option_text("FORMAT")
      ->check(CLI::IsMember({"lat", "vtk"}, CLI::ignore_case))
      ->transform([](std::string format) {
        for (char& c : format) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return format;
      });
  command
      .add_option("--options", args.request.options,
                  "Export options: Key=Value,... (LAT: BlankMethod, FixedBlankValue, Defaults, "
                  "ForgetOptions; VTK: ArrayName, Compress=zlib)")
      ->option_text("STR");
  command.add_flag("--interactive", args.request.interactive,
                   std::string("Let the exporter ask how to write blanked nodes") + kDialogPlace);
  command.add_flag("--page", args.request.page,
                   std::string("Show the export options page before the export") + kDialogPlace);
}

void DefineCommands(CLI::App& app, Arguments& args) {
  app.add_option("--plugin", args.options.pluginPath,
                 std::string("Plug-in module to load (default: ") + kModuleName +
                     " next to lattool, else in ../lib/lattool)")
      ->option_text("PATH");
  app.add_flag("--quiet", args.options.quiet, "Draw no progress bar");
  app.set_version_flag("--version", [&args] { return VersionText(args.options); });
  app.require_subcommand(1);
  // --plugin and --quiet also after the command's name (the commands inherit this).
  app.fallthrough();

  CLI::App* probe =
      app.add_subcommand("probe", "Tell for each FILE which format (LAT, VTK) it is in");
  probe->add_option("FILE", args.probeFiles, "Files to examine")->required();
  CLI::App* info = app.add_subcommand("info", "Show the summary and value ranges of FILE");
  info->add_option("FILE", args.file, "LAT or VTK XML file to import")->required();
  info->add_flag("--json", args.json, "One JSON document with everything info shows");
  CLI::App* dump = app.add_subcommand("dump", "Write everything imported from FILE as JSON");
  dump->add_option("FILE", args.file, "LAT or VTK XML file to import")->required();
  dump->add_flag("--no-values", args.noValues,
                 "Only the header side: no values, no curvilinear node positions");
  DefineSubset(*dump, args);
  CLI::App* convert = app.add_subcommand(
      "convert", "Write lattice K of IN to OUT, in the format OUT's extension names");
  convert->add_option("IN", args.file, "LAT (binary or plain) or VTK XML file to import")
      ->required();
  DefineExport(*convert, args);
  convert->add_option("--lattice", args.lattice, "Lattice to write, counting from 0 (default 0)")
      ->option_text("K")
      ->check(CLI::Validator(CheckLatticeIndex, "K", "LatticeIndex"));
  DefineSubset(*convert, args);
  CLI::App* create = app.add_subcommand("create", "Write the lattice described by IN.json to OUT");
  create->add_option("IN.json", args.file, "One lattice in the JSON shape dump prints")->required();
  DefineExport(*create, args);
}

int RunCommand(const CLI::App& app, const Arguments& args) {
  const bool progress = args.options.ShowProgress();
  const std::optional<latclient::Subset> subset = SubsetOf(args);
  if (app.got_subcommand("probe")) {
    std::vector<std::unique_ptr<lattool::InputFile>> inputs;
    std::vector<std::string> paths;
    for (const std::string& file : args.probeFiles) {
      inputs.push_back(std::make_unique<lattool::InputFile>(file, progress));
      paths.push_back(inputs.back()->Path());
    }
    return lattool::RunProbe(args.options, paths);
  }
  const lattool::InputFile input(args.file, progress);
  if (app.got_subcommand("info")) return lattool::RunInfo(args.options, input.Path(), args.json);
  if (app.got_subcommand("dump")) {
    return lattool::RunDump(args.options, input.Path(), !args.noValues, subset);
  }
  lattool::RefuseSameFile(args.file, args.request.output);
  const lattool::OutputFile output(args.request.output);
  lattool::ExportRequest request = args.request;
  request.output = output.Path();
  const int code =
      app.got_subcommand("convert")
          ? lattool::RunConvert(args.options, input.Path(), args.lattice, subset, request)
          : lattool::RunCreate(args.options, input.Path(), request);
  if (code == lattool::kExitSuccess) output.Deliver();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Host for the IRIS Explorer LAT import/export plug-in", "lattool");
  Arguments args;
  DefineCommands(app, args);
  const std::string unknown = UnknownVerb(argc, argv);
  if (!unknown.empty()) {
    return UsageFailure("unknown command '" + unknown + "': the commands are " + VerbList());
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    if (e.get_name() == "RequiredError" && app.get_subcommands().empty()) {
      return UsageFailure("a command is needed: " + VerbList());
    }
    return UsageFailure(e.what());
  }
  // After a SIGTERM or SIGHUP the command stops and cleans up; lattool then ends by it.
  const struct EndBySignal {
    ~EndBySignal() { lattool::InterruptGuard::EndByTerminatingSignal(); }
  } endBySignal;
  try {
    return RunCommand(app, args);
  } catch (const lattool::SetupError& e) {
    lattool::PrintError(e.what());
    return lattool::kExitUsage;
  } catch (const std::exception& e) {
    lattool::PrintError(e.what());
    return lattool::kExitError;
  }
}
