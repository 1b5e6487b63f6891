// The client's refusals of lattices whose parts disagree, and where modules are found; round
// trips, cancel, the errors' reports and the choice of lattice or module are latio's and
// lattool's tests.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "hostbase/PrimType.h"
#include "latclient/LatticeIo.h"
#include "tests/support/TempDir.h"

namespace {

using hostbase::CPrimType;
using latclient::Kind;
using latclient::Lattice;

// A float lattice of 3 x 3 x 1 nodes, whole in every part.
Lattice MakeLattice(Kind kind) {
  Lattice l;
  l.kind = kind, l.dataType = CPrimType::Float, l.nx = 3, l.ny = 3, l.nz = 1, l.components = 1;
  l.origin = {1.0, -2.0, 0.5};
  l.spacing = {0.25, 2.0, 4.0};
  l.x = l.y = {0.0f, 1.0f, 3.0f};
  l.z = {10.0f};
  l.coords.assign(3 * l.NodeCount(), 0.5f);
  l.valueBytes = Lattice::ValueBytesFor(l.dataType, 3, 3, 1, 1);
  l.values = hostbase::PageBuffer(l.valueBytes);
  std::memset(l.values.Data(), 0, l.valueBytes);
  return l;
}

std::span<const std::byte> Bytes(const Lattice& l) {
  return {reinterpret_cast<const std::byte*>(l.values.Data()), l.valueBytes};
}

TEST(LatticeIo, ALatticeWhosePartsDisagreeIsRefusedBeforeAnythingIsWritten) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const std::string missing = dir.File("missing.lat");
  const Lattice whole = MakeLattice(Kind::Uniform);
  Lattice shortValues = MakeLattice(Kind::Uniform);
  shortValues.valueBytes -= 4;
  Lattice shortAxis = MakeLattice(Kind::Rectilinear);
  shortAxis.y.pop_back();
  Lattice shortCoords = MakeLattice(Kind::Curvilinear);
  shortCoords.coords.resize(shortCoords.coords.size() - 3);
  const std::span<const std::byte> lentShort = Bytes(whole).first(whole.valueBytes - 1);
  for (const Kind kind : {Kind::Uniform, Kind::Rectilinear, Kind::Curvilinear})  // whole ones
    EXPECT_TRUE(latclient::WriteLattice(modules, dir.File("w.lat"), MakeLattice(kind)).Complete());
  for (const Lattice* bad :
       std::initializer_list<const Lattice*>{&shortValues, &shortAxis, &shortCoords, &whole}) {
    const latclient::ExportOutcome outcome =
        bad == &whole ? latclient::WriteLattice(*modules.Find("LAT"), missing, whole, lentShort)
                      : latclient::WriteLattice(modules, missing, *bad);
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->module, "latclient");
    EXPECT_FALSE(std::filesystem::exists(missing));
  }
  // Sizes that overflow, or of no node, are refused.
  constexpr int kMax = std::numeric_limits<int>::max();
  EXPECT_EQ(Lattice::ValueBytesFor(CPrimType::Double, kMax, kMax, kMax, kMax), 0u);
  EXPECT_EQ(Lattice::ValueBytesFor(CPrimType::Float, 0, 1, 1, 1), 0u);
  EXPECT_EQ(Lattice::ValueBytesFor(9, 1, 1, 1, 1), 0u);
}

TEST(ModuleSet, TheFirstFolderHoldingAModuleWinsAndAMissingOneSaysWhere) {
  namespace fs = std::filesystem;
  lattest::TempDir dir;
  const fs::path root(dir.Path()), plugin(LAT_PLUGIN_PATH);
  fs::create_directories(root / "empty");
  fs::create_directories(root / "lattool");
  fs::copy_file(plugin, root / "lattool" / plugin.filename());
  const latclient::ModuleSet found({root / "empty", root / "lattool"});
  ASSERT_NE(found.Find("LAT"), nullptr);
  EXPECT_EQ(fs::path(found.Find("LAT")->Path()), root / "lattool" / plugin.filename());
  EXPECT_EQ(found.Find("VTK"), nullptr);
  const latclient::ModuleSet none({root / "empty"});
  EXPECT_TRUE(none.Empty());
  try {
    none.Require("LAT");
    ADD_FAILURE() << "no SetupError";
  } catch (const latclient::SetupError& e) {
    EXPECT_NE(std::string(e.what()).find((root / "empty" / plugin.filename()).string()),
              std::string::npos)
        << e.what();
  }
  EXPECT_THROW(latclient::ReadLattices(none, dir.File("a.lat")), latclient::SetupError);
}

}  // namespace
