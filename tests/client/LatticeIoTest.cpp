// Lattices through the LAT module and back, cancel, refusals, and where modules are found;
// the errors' reports and the choice of lattice or module are latio's and lattool's tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "hostbase/PrimType.h"
#include "latclient/LatticeIo.h"
#include "tests/support/TempDir.h"

namespace {

using hostbase::CPrimType;
using latclient::Kind;
using latclient::Lattice;

// A lattice of `type` whose values count up from 1.
Lattice MakeLattice(Kind kind, int type, int nx, int ny, int nz, int components) {
  Lattice l;
  std::tie(l.kind, l.dataType, l.nx, l.ny, l.nz, l.components) =
      std::tie(kind, type, nx, ny, nz, components);
  l.origin = {1.0, -2.0, 0.5};
  l.spacing = {0.25, 2.0, 4.0};
  for (int i = 0; i < nx; ++i) l.x.push_back(0.5f * static_cast<float>(i * i));
  for (int i = 0; i < ny; ++i) l.y.push_back(-1.0f - static_cast<float>(i));
  for (int i = 0; i < nz; ++i) l.z.push_back(10.0f + static_cast<float>(i));
  for (std::size_t n = 0; n < l.NodeCount(); ++n)
    l.coords.insert(l.coords.end(), {static_cast<float>(n), 0.5f * static_cast<float>(n), 3.0f});
  std::vector<double> numbers(l.NodeCount() * static_cast<std::size_t>(components));
  for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = static_cast<double>(i % 100) + 1;
  l.valueBytes = Lattice::ValueBytesFor(type, nx, ny, nz, components);
  l.values = hostbase::PageBuffer(l.valueBytes);
  CPrimType::CastArray(CPrimType::Double, numbers.data(), type, l.values.Data(), numbers.size(), 1);
  return l;
}

std::span<const std::byte> Bytes(const Lattice& l) {
  return {reinterpret_cast<const std::byte*>(l.values.Data()), l.valueBytes};
}

std::vector<double> Values(const Lattice& l) {
  std::vector<double> out(l.NodeCount() * static_cast<std::size_t>(l.components));
  CPrimType::CastArray(l.dataType, l.values.Data(), CPrimType::Double, out.data(), out.size(), 1);
  return out;
}

TEST(LatticeIo, EachKindAndTypeComesBackAsItWasWrittenOrPromotedWithAWarning) {
  // Lattices of several components are written from lent values, the others from their own.
  const struct {
    Kind kind;
    int type, nx, ny, nz, components, written;
  } cases[] = {
      {Kind::Uniform, CPrimType::Int8, 5, 1, 1, 3, CPrimType::Int8},
      {Kind::Uniform, CPrimType::UInt8, 3, 2, 1, 1, CPrimType::Int16},
      {Kind::Rectilinear, CPrimType::Double, 3, 4, 2, 2, CPrimType::Double},
      {Kind::Curvilinear, CPrimType::Int16, 3, 2, 2, 1, CPrimType::Int16},
      {Kind::Curvilinear, CPrimType::Float, 2, 3, 1, 4, CPrimType::Float},
  };
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(latclient::KindName(c.kind)) + " type " + std::to_string(c.type));
    Lattice written = MakeLattice(c.kind, c.type, c.nx, c.ny, c.nz, c.components);
    written.mayHaveBlanks = c.components == 1;
    written.blankValue = 7.0;
    const std::string path = dir.File("out.lat");
    latclient::WriteRequest request;
    request.options = "BlankMethod=1";
    Lattice shape = MakeLattice(c.kind, c.type, c.nx, c.ny, c.nz, c.components);
    shape.values = {};
    const latclient::ExportOutcome out =
        c.components == 1
            ? latclient::WriteLattice(modules, path, written, request)
            : latclient::WriteLattice(*modules.Find("LAT"), path, shape, Bytes(written), request);
    ASSERT_TRUE(out.Complete()) << (out.error ? out.error->message : "cancelled");
    EXPECT_EQ(out.warnings.size(), c.written != c.type ? 1u : 0u);

    const latclient::ReadResult in = latclient::ReadLattices(modules, path);
    ASSERT_TRUE(in.outcome.Complete()) << (in.outcome.error ? in.outcome.error->message : "");
    EXPECT_EQ(in.format, "LAT");
    ASSERT_EQ(in.lattices.size(), 1u);
    const Lattice& read = in.lattices[0];
    EXPECT_EQ(std::vector<int>({int(read.kind), read.dataType, read.nx, read.ny, read.nz,
                                read.components, read.complete}),
              std::vector<int>({int(c.kind), c.written, c.nx, c.ny, c.nz, c.components, 1}));
    EXPECT_TRUE(c.kind != Kind::Uniform || read.origin == written.origin);
    EXPECT_TRUE(c.kind != Kind::Rectilinear ||
                (read.x == written.x && read.y == written.y && read.z == written.z));
    EXPECT_TRUE(c.kind != Kind::Curvilinear || read.coords == written.coords);
    // Blank 7 was replaced as the options said; the rest holds.
    const std::vector<double> got = Values(read), want = Values(written);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_TRUE(got[i] == want[i] || (written.mayHaveBlanks && want[i] == 7.0)) << i;
  }
}

TEST(LatticeIo, ACancelStopsTheReadAndKeepsWhatItRead) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const Lattice written = MakeLattice(Kind::Curvilinear, CPrimType::Float, 40, 30, 20, 1);
  const std::string path = dir.File("c.lat");
  ASSERT_TRUE(latclient::WriteLattice(modules, path, written).Complete());
  int calls = 0;
  const latclient::ReadResult in =
      latclient::ReadLattices(modules, path, {std::nullopt, [&](double) { return ++calls < 2; }});
  EXPECT_EQ(std::tuple(in.outcome.error.has_value(), in.outcome.status, calls),
            std::tuple(false, hostfw::ImportStatus_Stopped, 2));
  EXPECT_TRUE(in.lattices.size() == 1 && !in.lattices[0].complete);
}

TEST(LatticeIo, ALatticeWhosePartsDisagreeIsRefusedBeforeAnythingIsWritten) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const std::string missing = dir.File("missing.lat");
  const Lattice whole = MakeLattice(Kind::Uniform, CPrimType::Float, 3, 3, 1, 1);
  Lattice shortValues = MakeLattice(Kind::Uniform, CPrimType::Float, 3, 3, 1, 1);
  shortValues.valueBytes -= 4;
  Lattice shortAxis = MakeLattice(Kind::Rectilinear, CPrimType::Float, 3, 3, 1, 1);
  shortAxis.y.pop_back();
  Lattice shortCoords = MakeLattice(Kind::Curvilinear, CPrimType::Float, 3, 3, 1, 1);
  shortCoords.coords.resize(shortCoords.coords.size() - 3);
  const std::span<const std::byte> lentShort = Bytes(whole).first(whole.valueBytes - 1);
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
