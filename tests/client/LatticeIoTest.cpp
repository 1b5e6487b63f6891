// Lattices through the LAT module and back, for each kind; selection, cancel and errors.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "hostbase/PrimType.h"
#include "latclient/Formats.h"
#include "latclient/LatticeIo.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/TempDir.h"

namespace {

using hostbase::CPrimType;
using latclient::Kind;
using latclient::Lattice;

// A lattice of `type` whose values count up from 1 (and blanks every fifth when asked).
Lattice MakeLattice(Kind kind, int type, int nx, int ny, int nz, int components) {
  Lattice l;
  l.kind = kind;
  l.dataType = type;
  l.nx = nx;
  l.ny = ny;
  l.nz = nz;
  l.components = components;
  l.origin = {1.0, -2.0, 0.5};
  l.spacing = {0.25, 2.0, 4.0};
  for (int i = 0; i < nx; ++i) l.x.push_back(0.5f * static_cast<float>(i * i));
  for (int i = 0; i < ny; ++i) l.y.push_back(-1.0f - static_cast<float>(i));
  for (int i = 0; i < nz; ++i) l.z.push_back(10.0f + static_cast<float>(i));
  for (std::size_t n = 0; n < l.NodeCount(); ++n) {
    for (float v : {static_cast<float>(n), 0.5f * static_cast<float>(n), 3.0f})
      l.coords.push_back(v);
  }
  const std::size_t count = l.NodeCount() * static_cast<std::size_t>(components);
  std::vector<double> numbers(count);
  for (std::size_t i = 0; i < count; ++i) numbers[i] = static_cast<double>(i % 100) + 1.0;
  l.valueBytes = Lattice::ValueBytesFor(type, nx, ny, nz, components);
  l.values = std::make_unique<std::byte[]>(l.valueBytes);
  CPrimType::CastArray(CPrimType::Double, numbers.data(), type, l.values.get(), count, 1);
  return l;
}

bool SameValues(const Lattice& a, const Lattice& b) {
  return a.valueBytes == b.valueBytes &&
         std::memcmp(a.values.get(), b.values.get(), a.valueBytes) == 0;
}

TEST(LatticeIo, EachKindAndTypeComesBackAsItWasWritten) {
  const struct {
    Kind kind;
    int type;
    int nx, ny, nz, components;
  } cases[] = {
      {Kind::Uniform, CPrimType::Float, 4, 3, 2, 1},
      {Kind::Uniform, CPrimType::Int8, 5, 1, 1, 3},
      {Kind::Rectilinear, CPrimType::Double, 3, 4, 2, 2},
      {Kind::Rectilinear, CPrimType::Int32, 2, 2, 1, 1},
      {Kind::Curvilinear, CPrimType::Int16, 3, 2, 2, 1},
      {Kind::Curvilinear, CPrimType::Float, 2, 3, 1, 4},
  };
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  ASSERT_NE(modules.Find("LAT"), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(latclient::KindName(c.kind)) + " type " + std::to_string(c.type));
    Lattice written = MakeLattice(c.kind, c.type, c.nx, c.ny, c.nz, c.components);
    written.mayHaveBlanks = c.components == 1;
    written.blankValue = 7.0;
    const std::string path = dir.File("out.lat");
    std::vector<double> fractions;
    const latclient::ExportOutcome out = latclient::WriteLattice(
        modules, path, written,
        {"BlankMethod=1", {}, [&](double f) { return fractions.push_back(f), true; }});
    ASSERT_TRUE(out.Complete()) << (out.error ? out.error->message : "cancelled");
    EXPECT_TRUE(out.warnings.empty());
    EXPECT_FALSE(fractions.empty());

    const latclient::ReadResult in = latclient::ReadLattices(modules, path);
    ASSERT_TRUE(in.outcome.Complete()) << (in.outcome.error ? in.outcome.error->message : "");
    EXPECT_EQ(in.format, "LAT");
    ASSERT_EQ(in.lattices.size(), 1u);
    const Lattice& read = in.lattices[0];
    EXPECT_EQ(read.kind, c.kind);
    EXPECT_EQ(read.dataType, c.type);
    EXPECT_EQ(std::vector<int>({read.nx, read.ny, read.nz, read.components}),
              std::vector<int>({c.nx, c.ny, c.nz, c.components}));
    EXPECT_TRUE(read.complete);
    EXPECT_NE(read.info.find("out.lat"), std::string::npos) << read.info;
    if (c.kind == Kind::Uniform) {
      EXPECT_EQ(read.origin, written.origin);
      // The file keeps bounds: an axis of one node has no spacing.
      const int counts[] = {c.nx, c.ny, c.nz};
      for (std::size_t axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(read.spacing[axis], counts[axis] > 1 ? written.spacing[axis] : 0.0) << axis;
      }
    } else if (c.kind == Kind::Rectilinear) {
      EXPECT_EQ(read.x, written.x);
      EXPECT_EQ(read.y, written.y);
      EXPECT_EQ(read.z, written.z);
    } else {
      EXPECT_EQ(read.coords, written.coords);
    }
    // Blank 7 was replaced as the options said; the rest holds.
    if (written.mayHaveBlanks) {
      std::vector<double> got(read.NodeCount());
      CPrimType::CastArray(c.type, read.values.get(), CPrimType::Double, got.data(), got.size(), 1);
      for (std::size_t i = 0; i < got.size(); ++i) {
        const double expected = static_cast<double>(i % 100) + 1.0;
        if (expected != 7.0) {
          EXPECT_EQ(got[i], expected) << i;
        }
      }
    } else {
      EXPECT_TRUE(SameValues(read, written));
    }
  }
}

TEST(LatticeIo, ATypeTheFormatLacksIsPromotedWithAWarning) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const Lattice written = MakeLattice(Kind::Uniform, CPrimType::UInt8, 3, 2, 1, 1);
  const latclient::ExportOutcome out = latclient::WriteLattice(modules, dir.File("a.lat"), written);
  ASSERT_TRUE(out.Complete());
  ASSERT_EQ(out.warnings.size(), 1u);
  EXPECT_NE(out.warnings[0].find("8-bit unsigned"), std::string::npos);
  const latclient::ReadResult in = latclient::ReadLattices(modules, dir.File("a.lat"));
  ASSERT_EQ(in.lattices.size(), 1u);
  EXPECT_EQ(in.lattices[0].dataType, CPrimType::Int16);
}

TEST(LatticeIo, LentValuesAreWrittenInsteadOfTheLatticesOwn) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const Lattice source = MakeLattice(Kind::Uniform, CPrimType::Float, 4, 2, 1, 1);
  Lattice shape = MakeLattice(Kind::Uniform, CPrimType::Float, 4, 2, 1, 1);
  shape.values.reset();
  const std::span<const std::byte> lent(source.values.get(), source.valueBytes);
  const latclient::Module& lat = *modules.Find("LAT");
  ASSERT_TRUE(latclient::WriteLattice(lat, dir.File("a.lat"), shape, lent).Complete());
  const latclient::ReadResult in = latclient::ReadLattices(modules, dir.File("a.lat"));
  ASSERT_EQ(in.lattices.size(), 1u);
  EXPECT_TRUE(SameValues(in.lattices[0], source));
  const latclient::ExportOutcome shortLent =
      latclient::WriteLattice(lat, dir.File("b.lat"), shape, lent.first(lent.size() - 1));
  ASSERT_TRUE(shortLent.error.has_value());
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.lat")));
}

TEST(LatticeIo, OneLatticeOrAllOfAMultiLatticeFile) {
  lattest::TempDir dir;
  lattest::PlainLattice plain;
  plain.dims = {2, 2, 1};
  plain.geometry = {0, 1, 0, 1, 0, 0};
  plain.blocks = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}};
  const std::string path = dir.Write("three.lat", lattest::PlainLatticeText(plain));
  const latclient::ModuleSet modules;

  const latclient::ReadResult all = latclient::ReadLattices(modules, path);
  ASSERT_TRUE(all.outcome.Complete());
  ASSERT_EQ(all.lattices.size(), 3u);
  for (int k : {0, 2}) {
    const latclient::ReadResult one = latclient::ReadLattices(modules, path, {k, {}});
    ASSERT_TRUE(one.outcome.Complete());
    ASSERT_EQ(one.lattices.size(), 1u);
    EXPECT_TRUE(SameValues(one.lattices[0], all.lattices[static_cast<std::size_t>(k)]));
  }
  const latclient::ReadResult none = latclient::ReadLattices(modules, path, {3, {}});
  ASSERT_TRUE(none.outcome.error.has_value());
  EXPECT_EQ(none.outcome.error->message, path + " holds 3 lattices, so there is no lattice 3");
  EXPECT_TRUE(none.lattices.empty());
}

TEST(LatticeIo, ACancelStopsTheReadAndLeavesNoOutputFile) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const Lattice written = MakeLattice(Kind::Curvilinear, CPrimType::Float, 40, 30, 20, 1);
  const std::string path = dir.File("c.lat");
  ASSERT_TRUE(latclient::WriteLattice(modules, path, written).Complete());

  int calls = 0;
  const latclient::ReadResult in =
      latclient::ReadLattices(modules, path, {std::nullopt, [&](double) { return ++calls < 2; }});
  EXPECT_FALSE(in.outcome.error.has_value());
  EXPECT_EQ(in.outcome.status, hostfw::ImportStatus_Stopped);
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(in.lattices.size(), 1u);
  EXPECT_FALSE(in.lattices[0].complete);

  const std::string cancelled = dir.File("cancelled.lat");
  const latclient::ExportOutcome out = latclient::WriteLattice(
      modules, cancelled, written, {"", {}, [](double f) { return f < 0.5; }});
  EXPECT_TRUE(out.cancelled);
  EXPECT_FALSE(out.error.has_value());
  EXPECT_FALSE(std::filesystem::exists(cancelled));
}

TEST(LatticeIo, ErrorsCarryCodeModuleArgumentsAndMessage) {
  lattest::TempDir dir;
  const latclient::ModuleSet modules;
  const std::string missing = dir.File("missing.lat");
  const std::string text = dir.Write("notes.txt", "just some words\n");
  const struct {
    std::string path;
    int code;
  } cases[] = {{missing, hostbase::kErrFileOpen}, {text, 16}};
  for (const auto& c : cases) {
    const latclient::ReadResult in = latclient::ReadLattices(modules, c.path);
    ASSERT_TRUE(in.outcome.error.has_value()) << c.path;
    EXPECT_EQ(in.outcome.error->code, c.code);
    EXPECT_FALSE(in.outcome.error->module.empty());
    ASSERT_FALSE(in.outcome.error->args.empty());
    EXPECT_EQ(std::get<std::string>(in.outcome.error->args[0]), c.path);
    EXPECT_NE(in.outcome.error->message.find(c.path), std::string::npos);
  }

  // A lattice whose parts disagree is refused before anything is written.
  Lattice shortValues = MakeLattice(Kind::Uniform, CPrimType::Float, 3, 3, 1, 1);
  shortValues.valueBytes -= 4;
  Lattice shortAxis = MakeLattice(Kind::Rectilinear, CPrimType::Float, 3, 3, 1, 1);
  shortAxis.y.pop_back();
  Lattice shortCoords = MakeLattice(Kind::Curvilinear, CPrimType::Float, 3, 3, 1, 1);
  shortCoords.coords.resize(shortCoords.coords.size() - 3);
  for (const Lattice* bad : {&shortValues, &shortAxis, &shortCoords}) {
    const std::string out = dir.File("bad.lat");
    const latclient::ExportOutcome outcome = latclient::WriteLattice(modules, out, *bad);
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->module, "latclient");
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

TEST(LatticeIo, SizesThatOverflowAreRefused) {
  constexpr int kMax = std::numeric_limits<int>::max();
  EXPECT_EQ(Lattice::ValueBytesFor(CPrimType::Double, 2, 3, 4, 5), 960u);
  EXPECT_EQ(Lattice::ValueBytesFor(CPrimType::Double, kMax, kMax, kMax, kMax), 0u);
  EXPECT_EQ(Lattice::ValueBytesFor(CPrimType::Float, 0, 1, 1, 1), 0u);
  EXPECT_EQ(Lattice::ValueBytesFor(9, 1, 1, 1, 1), 0u);
}

TEST(ModuleSet, TheFirstFolderHoldingAModuleWinsAndAMissingOneSaysWhere) {
  namespace fs = std::filesystem;
  lattest::TempDir dir;
  const fs::path root(dir.Path());
  fs::create_directories(root / "empty");
  fs::create_directories(root / "lattool");
  const fs::path plugin(LAT_PLUGIN_PATH);
  fs::copy_file(plugin, root / "lattool" / plugin.filename());

  const latclient::ModuleSet found({root / "empty", root / "lattool"});
  ASSERT_NE(found.Find("LAT"), nullptr);
  EXPECT_EQ(fs::path(found.Find("LAT")->Path()), root / "lattool" / plugin.filename());
  EXPECT_EQ(found.Find("VTK"), nullptr);
  EXPECT_EQ(found.Recognising(dir.Write("notes.txt", "words\n")), nullptr);

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

TEST(Formats, TheOutputExtensionChoosesTheModuleAndKind) {
  EXPECT_EQ(latclient::FormatForOutput("a/b.LAT"), "LAT");
  EXPECT_EQ(latclient::FormatForOutput("b.vtr"), "VTK");
  EXPECT_EQ(latclient::FormatForOutput("b.json"), std::nullopt);
  EXPECT_EQ(latclient::KindForOutput("b.vts"), Kind::Curvilinear);
  EXPECT_EQ(latclient::KindForOutput("b.lat"), std::nullopt);
  const latclient::ModuleSet modules;
  EXPECT_EQ(&modules.ForExport("x.unknown"), modules.Find("LAT"));
  EXPECT_THROW(modules.ForExport("x.lat", "NONE"), latclient::SetupError);
}

}  // namespace
