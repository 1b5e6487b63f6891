// The import filter: both readers over generated lattices, stopped anywhere; every refusal
// with its position or line; on POSIX also allocation limits, failing files and two threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "hostbase/Error.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoManager.h"
#include "import/LatImportFilter.h"
#include "tests/support/LatBinaryWriter.h"
#include "tests/support/LatPlainWriter.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>

#include <barrier>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <thread>

#include "formats/LatBinaryFormat.h"
#endif

namespace lattest {
namespace {

namespace bin = lat::binary;
using hostbase::CPrimType;
constexpr int kNever = RecordingHost::kNever;

const std::string kPlainMagic = "#!/usr/explorer/bin/explorer cxLattice plain 1.0\n";
// Uniform bounds per axis: a spacing that differs in single precision, a reversed axis.
constexpr float kBounds[3][2] = {{0.1f, 1.0f}, {4.0f, -2.0f}, {0.25f, 7.0f}};

// A lattice of any geometry, file value type, shape and components, its values filling
// every byte of their type.
struct Sample {
  std::int32_t kind = 0, code = 3, nDim = 3;
  std::array<std::int32_t, 3> dims{2, 3, 1};  // entries beyond nDim stay 1
  std::int32_t components = 1, blocks = 1, coordVars = 3;

  std::size_t Values() const { return std::size_t(dims[0] * dims[1] * dims[2] * components); }
  // Value i of the blocks one after another.
  double Value(std::size_t i) const {
    const double base = static_cast<double>((i * 37) % 251) - 125.0;
    const double scale[] = {1.0, 257.0, 16843009.0, 1500.0, 1e10};
    return base * scale[code] + (code == 3 ? 0.5 : code == 4 ? 0.25 : 0.0);
  }
  // As the file lists them: the binary form has three per node and every rectilinear axis.
  std::vector<double> Geometry(bool binary) const {
    std::vector<double> list;
    if (kind == bin::kCurvilinear) {
      for (std::size_t n = 0; n < Values() / std::size_t(components); ++n)
        for (std::int32_t v = 0; v < (binary ? 3 : coordVars); ++v)
          list.push_back(static_cast<double>(n) * 0.5 + v * 3.0 - 1.0);
      return list;
    }
    for (int a = 0; a < (binary && kind == bin::kRectilinear ? 3 : nDim); ++a)
      for (std::int32_t i = 0; i < (kind == bin::kUniform ? 2 : dims[a]); ++i)
        list.push_back(kind == bin::kUniform ? kBounds[a][i] : 1.5 * i - 10.0 * a + 0.5);
    return list;
  }

  BinaryLattice Binary() const {
    BinaryLattice lat;
    lat.nDim = nDim, lat.nDataVar = components, lat.primType = code, lat.geometryType = kind;
    lat.dims.assign(dims.begin(), dims.end());
    for (std::size_t i = 0; i < Values(); ++i) lat.values.push_back(Value(i));
    for (const double c : Geometry(true)) lat.coords.push_back(static_cast<float>(c));
    return lat;
  }

  std::string Plain() const {
    PlainLattice lat;
    lat.nDim = nDim, lat.nDataVar = components, lat.primType = code, lat.geometryType = kind;
    lat.dims.assign(dims.begin(), dims.end());
    lat.geometry = Geometry(false);
    lat.nCoordVar = coordVars;
    lat.blocks.resize(std::size_t(blocks));
    for (std::size_t i = 0; i < Values() * lat.blocks.size(); ++i)
      lat.blocks[i / Values()].push_back(Value(i));
    return PlainLatticeText(lat);
  }
};

class ImportTest : public ::testing::Test {
 protected:
  hostfw::ImportStatus Import(const std::string& p) { return filter.ImportFromFile(p.c_str()); }
  std::string Write(const std::string& content, const std::string& name = "lattice.lat") {
    return dir.Write(name, content);
  }
  std::string Write(const BinaryImage& image) { return dir.Write("lattice.lat", image.bytes); }
  // The import of `path` raises `code` from `module` with exactly `args`.
  void ExpectError(const std::string& path, const char* module, auto code,
                   const std::vector<hostbase::CErrorArg>& args) {
    try {
      const hostfw::ImportStatus status = filter.ImportFromFile(path.c_str());
      ADD_FAILURE() << "import of " << path << " returned " << status << " instead of raising";
    } catch (const hostbase::CError& error) {
      EXPECT_EQ(error.Module(), module);
      EXPECT_EQ(error.Code(), static_cast<int>(code));
      EXPECT_EQ(error.Args(), args) << error.Message();
    }
  }
  // ErrCode 18 at a position of the file; ErrCode 17 after a number of line feeds.
  void ExpectBadBinary(const std::string& path, std::int64_t position) {
    ExpectError(path, "LatImpBinary", hostfw::ErrCode::BadBinaryData, {position, path});
  }
  void ExpectNumberError(const std::string& path, std::int64_t line) {
    ExpectError(path, "LatImpPlain", hostfw::ErrCode::PlainSyntax, {line, path});
  }
  void ExpectSample(const Sample& s, bool binary) {
    const bool curvilinear = s.kind == bin::kCurvilinear;
    const int dataType = bin::PrimTypeOfCode(s.code);
    std::string block(1, "URC"[s.kind]), sequence;
    for (std::int32_t r = 0; r < s.dims[1] * s.dims[2] * (curvilinear ? 2 : 1); ++r) block += " S";
    for (std::int32_t b = 0; b < s.blocks; ++b) sequence += (b ? " " : "") + block + " E";
    ASSERT_EQ(host.Sequence(), sequence);
    std::vector<double> values, coords, geometry = s.Geometry(binary);
    for (std::size_t i = 0; i < s.Values() * std::size_t(s.blocks); ++i)
      values.push_back(s.Value(i));
    EXPECT_EQ(AsDoubles(dataType, host.ScanBytes(curvilinear, curvilinear ? 2 : 1)), values);
    if (!binary && s.kind == bin::kRectilinear) geometry.resize(geometry.size() + 3 - s.nDim);
    for (const RecordedObject& h : host.objects) {
      if (!h.IsHeader()) continue;
      EXPECT_EQ((std::vector<int>{h.nx, h.ny, h.nz, h.numComponents, h.dataType, h.hasLatticeInfo}),
                (std::vector<int>{s.dims[0], s.dims[1], s.dims[2], s.components, dataType, 1}));
      if (s.kind == bin::kRectilinear) {  // a plain file's missing axes are 0
        std::vector<double> lists(h.xCoords.begin(), h.xCoords.end());
        lists.insert(lists.end(), h.yCoords.begin(), h.yCoords.end());
        lists.insert(lists.end(), h.zCoords.begin(), h.zCoords.end());
        EXPECT_EQ(lists, geometry);
      }
      for (int a = 0; a < 3 && s.kind == bin::kUniform; ++a) {
        const float first = a < s.nDim ? float(geometry[2 * a]) : 0.0f;
        const float last = a < s.nDim ? float(geometry[2 * a + 1]) : 0.0f;
        const float steps = float(s.dims[a] > 1 ? s.dims[a] - 1 : 1);
        EXPECT_EQ(h.origin[a], first) << a;
        const double spacing = binary ? (last - first) / steps : (double(last) - first) / steps;
        EXPECT_EQ(h.spacing[a], spacing) << a;
      }
    }
    if (!curvilinear) return;
    geometry = s.Geometry(true);
    for (std::size_t i = 2; i < geometry.size() && !binary && s.coordVars == 2; i += 3)
      geometry[i] = 0;
    for (std::int32_t b = 0; b < s.blocks; ++b)
      coords.insert(coords.end(), geometry.begin(), geometry.end());
    EXPECT_EQ(AsDoubles(CPrimType::Float, host.ScanBytes(0, 2)), coords);
  }

  TempDir dir;
  hostfw::IoManager manager;
  RecordingHost host{manager};
  LatImportFilter filter{manager};
};

using ImportReadersTest = ImportTest;

// Refusing any object, or cancelling at any report or as the report begins, stops right there.
TEST_F(ImportReadersTest, EveryGeometryTypeAndShapeArrivesValueByValueAndStopsAnywhere) {
  const auto stopped = [&](const std::string& path, int refuse, int cancelAt, bool atBegin) {
    host.Clear();
    host.refuseObject = refuse, host.cancelAtProportion = cancelAt, host.cancelAtBegin = atBegin;
    EXPECT_EQ(Import(path), 1);
    EXPECT_EQ(host.stops, 1);
    host.refuseObject = host.cancelAtProportion = kNever, host.cancelAtBegin = false;
    return host.Sequence();
  };
  // One node along a given axis; x of 4 nodes, whose spacing differs in single precision.
  const Sample shapes[] = {{0, 0, 1, {5, 1, 1}}, {0, 0, 2, {4, 1, 1}}, {0, 0, 2, {2, 11, 1}},
                           {0, 0, 3, {3, 2, 4}}};
  for (const bool binary : {true, false}) {
    for (std::int32_t kind = 0; kind < 3; ++kind) {
      for (std::int32_t code = 0; code < bin::kValueTypeCount; ++code) {
        for (Sample s : shapes) {
          s.kind = kind, s.code = code, s.components = 1 + code % 2;
          if (!binary) s.blocks = 1 + s.nDim % 2, s.coordVars = 2 + code % 2;
          SCOPED_TRACE(testing::Message() << (binary ? "binary" : "plain") << " kind " << kind
                                          << " code " << code << " nDim " << s.nDim);
          std::string path;
          if (binary) {  // tolerated: CR LF after the magic line, any data dimsRef, a tail
            BinaryLattice lat = s.Binary();
            if (code % 2) lat.magicLine.insert(lat.magicLine.size() - 1, "\r");
            BinaryImage image = EncodeBinary(lat);
            if (code % 2) image.SetInt(BinaryField::DataDimsRef, 9), image.Append({0xFF, 0x0A});
            path = Write(image);
          } else {
            path = Write(s.Plain());
          }
          host.Clear();
          ASSERT_EQ(Import(path), 0);
          ExpectSample(s, binary);
          const std::vector<double> fractions = host.fractions;
          const std::string whole = host.Sequence();
          for (std::size_t k = 0; k <= whole.size() / 2; ++k)
            EXPECT_EQ(stopped(path, int(k), kNever, false), whole.substr(0, 2 * k + 1));
          EXPECT_EQ(stopped(path, kNever, kNever, true), "");
          // A report follows the header and its row's scans.
          const std::size_t rows = std::size_t(s.dims[1] * s.dims[2]), scans = kind == 2 ? 2 : 1;
          std::vector<double> expected;
          for (std::size_t b = 0; b < std::size_t(s.blocks); ++b) {
            for (std::size_t r = 0; r < rows; r += 10) {
              const std::size_t sent = b * (rows * scans + 2) + 1 + (r + 1) * scans;
              EXPECT_EQ(stopped(path, kNever, int(expected.size()), false),
                        whole.substr(0, 2 * sent - 1));
              expected.push_back(double(r) / double(rows));
            }
          }
          EXPECT_EQ(fractions, expected);
        }
      }
    }
  }
}

TEST_F(ImportReadersTest, SummaryTextOfEachKind) {
  manager.formatName = "Lattice Files";
  const struct {
    const char* body;
    const char* text;
  } cases[] = {
      {"2\n2 3\n2 3 0 1\n-1e-05 1e-05 123456789.123456 123456785.123456\n1 2 3 4 5 6 7 8 9 1 2 3\n",
       "Name:\ts.lat\r\nFormat:\tLattice Files\r\nSamples per pixel:\t2\r\n"
       "Size:\t3 rows x 2 columns x 1 planes\r\nSpacing:\tX=2E-05,   Y=2,   Z=0\r\n"
       "xMin:\t-1E-05\txMax:\t1E-05\r\nyMin:\t123456789.123\tyMax:\t123456785.123\r\n"
       "SW Corner:\t-1E-05, 123456789.123\r\nNW Corner:\t-1E-05, 123456785.123\r\n"
       "NE Corner:\t1E-05, 123456785.123\r\nSE Corner:\t1E-05, 123456789.123\r\n"},
      {"2\n3 2\n1 3 1 1\n0.5 5 0.25\n1024.125 9.5367431640625e-07\n1 2 3 4 5 6\n",
       "Filename:\ts.lat\r\nFormat:\tLattice Files\r\nSize:\t2 rows x 3 columns x 1 planes\r\n"
       "X, Y and Z spacings variate\r\nxMin:\t0.5\txMax:\t0.25\r\n"
       "yMin:\t1024.125\tyMax:\t9.53674316406E-07\r\n"},
      {"2\n4 2\n1 3 2 1\n2\n0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n1 2 3 4 5 6 7 8\n",
       "Filename:\ts.lat\r\nFormat:\tLattice Files\r\nSize:\t2 rows x 4 columns x 1 planes\r\n"
       "Regular topology, irregular geometry.\r\nThe lattice may be warped into any "
       "configuration\r\nin which the cells do not overlap or self-intersect.\r\n"},
  };
  for (const auto& c : cases) {
    host.Clear();
    ASSERT_EQ(Import(Write(kPlainMagic + c.body, "s.lat")), 0);
    EXPECT_EQ(host.objects.at(0).paramCount, 1u);
    EXPECT_EQ(host.objects.at(0).latticeInfo, c.text);
  }
}


using BinaryFaultsTest = ImportTest;

// Offsets in the 2 x 3 x 1 float files: lattice record at 53, its dimension list at 69, data
// record at 85, geometry record at 109; uniform: data dimension list at 129, value list at
// 145, geometry dimension list at 173, bounds at 189; the others 4 bytes later from 129 on.
TEST_F(BinaryFaultsTest, RefusesEachMalformedFieldWhereItIsRead) {
  const struct {
    Sample sample;
    BinaryField field;
    std::int32_t value;
    std::int64_t position;
    const char* sequence;  // what reached the host
  } faults[] = {
      {{bin::kUniform}, BinaryField::LatticeNDim, 0, 57, ""},
      {{bin::kUniform}, BinaryField::LatticeDimsRef, -1, 61, ""},  // every reference
      {{bin::kUniform}, BinaryField::LatticeDimsRef, 1, 69, ""},
      {{bin::kUniform}, BinaryField::DataRef, 2, 85, ""},
      {{bin::kUniform}, BinaryField::GeometryRef, 1, 109, ""},
      {{bin::kUniform}, BinaryField::LatticeDimsCount, 2, 73, ""},
      {{bin::kUniform}, BinaryField::LatticeDim0, 0, 85, ""},
      {{bin::kUniform}, BinaryField::DataNDim, 0, 89, ""},
      {{bin::kUniform}, BinaryField::DataNDim, 2, 109, ""},
      {{bin::kUniform}, BinaryField::NDataVar, 0, 97, ""},
      {{bin::kUniform}, BinaryField::PrimType, 4, 109, ""},
      {{bin::kUniform}, BinaryField::PrimTypeTag, 5, 105, ""},
      {{bin::kUniform}, BinaryField::ValuesRef, 3, 145, ""},
      {{bin::kUniform}, BinaryField::GeometryNDim, 4, 113, ""},
      {{bin::kUniform}, BinaryField::GeometryNDim, 1, 121, ""},
      {{bin::kUniform}, BinaryField::GeometryDimsRef, 4, 173, ""},
      {{bin::kUniform}, BinaryField::GeometryTypeTag, 2, 125, ""},
      {{bin::kUniform}, BinaryField::GeometryField5, 5, 189, ""},  // boundsRef
      {{bin::kUniform}, BinaryField::DataDimsCount, 2, 133, ""},
      {{bin::kUniform}, BinaryField::DataDim0 + 1, 4, 145, ""},
      {{bin::kUniform}, BinaryField::ValueCount, 5, 149, ""},
      {{bin::kUniform}, BinaryField::GeometryDim0 + 2, 2, 189, ""},
      {{bin::kUniform}, BinaryField::CoordCount, 4, 193, ""},
      {{bin::kRectilinear}, BinaryField::GeometryField5, 7, 129, ""},  // nRectCoord
      {{bin::kRectilinear}, BinaryField::GeometryField6, 7, 193, ""},  // rectCoordsRef
      {{bin::kRectilinear}, BinaryField::CoordCount, 5, 197, ""},
      {{bin::kCurvilinear}, BinaryField::GeometryField5, 2, 129, ""},  // nCoordVar
      {{bin::kCurvilinear}, BinaryField::GeometryField6, 5, 193, "C"},  // nodeCoordsRef
      {{bin::kCurvilinear}, BinaryField::CoordCount, 12, 197, "C"},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(testing::Message() << "kind " << fault.sample.kind << " field "
                                    << static_cast<int>(fault.field) << " = " << fault.value);
    BinaryImage image = EncodeBinary(fault.sample.Binary());
    image.SetInt(fault.field, fault.value);
    host.Clear();
    ExpectBadBinary(Write(image), fault.position);
    EXPECT_EQ(host.Sequence(), fault.sequence);
  }
}

TEST_F(BinaryFaultsTest, RefusesOtherBadHeaders) {
  BinaryLattice lat = Sample{bin::kUniform}.Binary();
  lat.magicTail = {0x0C, 0x0C, 0x0D};
  ExpectBadBinary(Write(EncodeBinary(lat)), 53);
  // The version word cut from its line feed is a number error.
  BinaryImage cut = EncodeBinary(Sample{}.Binary());
  cut.Truncate(bin::kMagicLine.size() - 1);
  ExpectNumberError(Write(cut), 0);
  // An unknown geometry type is found after the values, a disagreeing dimension list before.
  lat = Sample{}.Binary();
  lat.geometryType = 3;
  BinaryImage unknown = EncodeBinary(lat);
  ExpectError(Write(unknown), "LatImpBinary", hostfw::ErrCode::UnknownCode, {});
  unknown.SetInt(BinaryField::GeometryDim0, 7);
  ExpectBadBinary(Write(unknown), std::int64_t(unknown.Offset(BinaryField::CoordCount)));
  // Value lists of 2^31 bytes or more are refused before their buffers are allocated.
  const std::array<std::int32_t, 3> claims[] = {{2, 0x20000000, 1}, {0, 0x7FFFFFFF, 0x7FFFFFFF}};
  for (const auto& [code, nx, components] : claims) {
    lat = Sample{0, code, 1, {1, 1, 1}}.Binary();
    lat.dims[0] = nx, lat.nDataVar = components;
    const BinaryImage image = EncodeBinary(lat);
    ExpectBadBinary(Write(image), std::int64_t(image.Offset(BinaryField::ValueCount)));
  }
  EXPECT_TRUE(host.objects.empty());
}

// A cut file fails at its end, or where a list the rest of the file cannot hold begins.
TEST_F(BinaryFaultsTest, RefusesAFileCutShortAtAnyByte) {
  for (std::int32_t kind = 0; kind < 3; ++kind) {
    const BinaryImage whole = EncodeBinary(Sample{kind}.Binary());
    for (std::size_t size = bin::kMagicLine.size(); size < whole.Size(); ++size) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << ", cut at " << size);
      std::size_t position = size;
      if (size >= whole.firstValue && size < whole.Offset(BinaryField::GeometryDimsCount))
        position = whole.firstValue;
      else if (kind != bin::kUniform && size >= whole.firstCoord)
        position = whole.firstCoord;
      BinaryImage cut = whole;
      cut.Truncate(size);
      ExpectBadBinary(Write(cut), std::int64_t(position));
    }
  }
}

const std::string& M = kPlainMagic;
// 3 x 2 nodes, one float each, uniform, one block; its values 1.5 .. 6.5.
const std::string kBody = "2\n3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n";

using PlainTextTest = ImportTest;

TEST_F(PlainTextTest, RecognisesHashBangThenExplorerThenCxLatticeInTheFirst200Bytes) {
  const std::string padding(200 - 2 - 8 - 9, ' ');
  const struct {
    std::string content;
    bool recognised;
  } cases[] = {
      {kPlainMagic, true},
      {"#!explorer" + padding + "cxLattice", true},    // ends at byte 200
      {"#!explorer" + padding + " cxLattice", false},  // one byte beyond
      {"#!cxLattice /usr/explorer/bin/explorer\n", false},
      {"#!cxLattice explorer cxLattice\n", true},
      {" " + kPlainMagic, false},
      {"#", false},
      {std::string("#!explorer\0cxLattice\n", 21), false},  // the search stops at a NUL
  };
  for (const auto& c : cases)
    EXPECT_EQ(filter.CanImportFile(Write(c.content).c_str()), c.recognised) << c.content;
  EXPECT_FALSE(filter.CanImportFile(dir.File("missing.lat").c_str()));
  EXPECT_FALSE(filter.CanImportFile(dir.Path().c_str()));
}

TEST_F(PlainTextTest, VariantsOfTheTextReadAsTheSameLattice) {
  const std::string texts[] = {
      M + kBody,
      "#!\r  explorer \t cxLattice  plain   7 extra words\r\n" + kBody,
      M + "# a comment\n  # indented\n2\n3 2 # sizes\n1 3 0 1\n0 1 10 20\n#\n1.5 2.5 3.5\n"
          "4.5 5.5 6.5 #end",
      M + kBody + "anything after the last block\x01\xff",
      M + "2\r\n3 2\r\n1 3 0 1\r\n0 1 10 20\r\n1.\r5 \r\r2.5 3.5\r\n4.5 5.5 6.5\r\n",
      M + "2.0\n3e0 20e-1\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n",
      // A word ends after 999 bytes; the 1000th (X) is dropped.
      M + std::string(998, '0') + "2X3 2\n1 3 0 1\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 80));
    host.Clear();
    ASSERT_EQ(Import(Write(text)), 0);
    ASSERT_EQ(host.Sequence(), "U S S E");
    EXPECT_EQ(host.objects[0].origin, (std::array<double, 3>{0, 10, 0}));
    EXPECT_EQ(host.objects[0].spacing, (std::array<double, 3>{0.5, 10, 0}));
    EXPECT_EQ(AsDoubles(7, host.ScanBytes()), (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5}));
  }
}

// Refused texts, in this order on one filter: each import counts its lines from 0.
TEST_F(PlainTextTest, RefusesBadTextsNamingTheLine) {
  std::string noEnd = M + kBody;
  noEnd.pop_back();
  const struct {
    std::string text;
    std::int64_t line;     // -1: not a LAT file
    const char* sequence;  // what reached the host
  } cases[] = {
      {" " + M + kBody, -1, ""},
      {"#/usr/explorer/bin/explorer cxLattice plain 1.0\n", -1, ""},
      {"#!", -1, ""},
      {"#!/usr/bin/iris cxLattice plain 1.0\n", -1, ""},
      {"#!/usr/explorer/bin/explorer CxLattice plain 1.0\n", -1, ""},
      {"#!/usr/explorer/bin/explorer cxLattice", -1, ""},
      {"#!/usr/explorer/bin/explorer cxLattice plain", -1, ""},
      {"#!/usr/explorer/bin/explorer cxLattice Plain 1.0\n", -1, ""},
      {M + "2\n3 2# sizes\n", 2, ""},  // a hash right after a word is part of it
      {noEnd, 6, "U S"},  // the last value needs whitespace after it
      {"#!/usr/explorer/bin/explorer cxLattice plain x\n", 1, ""},
      {M + "2.5\n", 2, ""},
      {M + "2\n3 2\n1 3 0 2147483648\n", 4, ""},
      {M + "2\n3 2\n1 3 0 2147483647\n0 1 10 20\n1.5 2.5 3.5\n4.5 5.5 6.5\n", 7, "U S S E U"},
      {M + "0\n3 2\n1 3 0 1\n", 2, ""},  // not read as a 0-dimensional lattice
      {M + "2\n0 2\n", 2, ""},
      {M + "2\n3 2\n1 5 0 1\n", 3, ""},
      {M + "2\n3 2\n1 3 3 1\n", 3, ""},
      {M + "2\n3 2\n1 3 2 1\n0\n", 5, ""},
      {M + "2\n3 2\n1 3 2 1\n4\n", 5, ""},
      {M + "2\n3 2\n1 3 0 1\n0 1 10 2x\n", 5, ""},
      {M + "\n\n\n\n", 5, ""},
      // Buffers the text cannot hold are refused before they are allocated.
      {M + "1\n100000000\n1 3 0 1\n", 3, ""},           // a row of 400 MB
      {M + "2\n1 100000000\n1 3 1 1\n", 4, ""},         // a y list of 400 MB
      {M + "3\n1 1 1000000000\n1 3 2 1\n3\n", 5, ""},  // node coordinates past 2^31 bytes
      {M + "2\n1000 10000\n1 3 2 1\n3\n", 5, ""},      // 120 MB of node coordinates
      // Smaller ones are read until the numbers end; what was complete has been sent.
      {M + "1\n1000\n1 3 1 1\n0 1 2\n", 5, ""},
      {M + "2\n10 10\n1 3 2 1\n2\n0 0 1 1\n", 6, ""},
      {M + "2\n2 1000000000\n1 3 0 1\n0 1 0 1\n1 2\n3 4\n", 7, "U S S"},
      {M + "1\n2\n1 3 1 1\n0 1\nx 2\n", 5, "R"},
      {M + "1\n2\n1 3 2 1\n3\n0 0 0 1 1 1\nx 2\n", 6, "C S"},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    host.Clear();
    const std::string path = Write(c.text, "bad" + std::to_string(index++) + ".lat");
    if (c.line < 0)
      ExpectError(path, "LatImportFilter", hostfw::ErrCode::NotLatFile, {path});
    else
      ExpectNumberError(path, c.line);
    EXPECT_EQ(host.Sequence(), c.sequence);
    EXPECT_EQ(host.stops, 1);
  }
  const std::string p = Write("#!/usr/explorer/bin/explorer cxLattice ascii 1.0\n");
  ExpectError(p, "LatImportFilter", hostfw::ErrCode::UnsupportedFeature,
              {std::string("Iris Explorer LAT"), std::string("import of 'ASCII' format files"), p});
}

// More integers than one buffer holds, moved along by a comment of `shift` bytes.
std::string EdgeText(const std::vector<double>& values, std::size_t shift, const std::string& end) {
  std::string text = M + "1" + end + std::to_string(values.size()) + end + "1 2 0 1" + end +
                     "0 1" + end + "#" + std::string(shift, '-') + end;
  for (std::size_t i = 0; i < values.size(); ++i)
    text += std::to_string(std::int32_t(values[i])) + (i % 9 == 8 ? end : " ");
  return text + end;
}

// A word, line end or carriage return split by the buffer's end reads the same.
TEST_F(PlainTextTest, WordsSplitByTheEndOfTheBuffer) {
  constexpr std::size_t kBuf = hostbase::CBufferedFile::kBufferSize;
  std::vector<double> values;
  for (std::int32_t i = 0; i < 260000; ++i)
    values.push_back((i * 7919) % (i % 5 == 0 ? 10 : 200003) - 999);
  for (const std::string end : {"\n", "\r\n"}) {
    for (std::size_t shift = 0; shift < 12; ++shift) {
      SCOPED_TRACE("shift " + std::to_string(shift) + (end.size() == 2 ? " CR LF" : " LF"));
      std::string text = EdgeText(values, shift, end);
      ASSERT_GT(text.size(), kBuf + 1000);
      host.Clear();
      ASSERT_EQ(Import(Write(text)), 0);
      ASSERT_EQ(AsDoubles(4, host.ScanBytes()), values);
      // The word in which the buffer ends, or the one after it, with a letter at its end.
      std::size_t start = kBuf - 1;
      while (start > 0 && !std::isspace(static_cast<unsigned char>(text[start - 1]))) --start;
      while (std::isspace(static_cast<unsigned char>(text[start]))) ++start;
      std::size_t after = text.find_first_of(" \n\r", start);
      text[after - 1] = 'x';
      while (text[after] == '\r') ++after;  // a carriage return is dropped
      host.Clear();
      ExpectNumberError(Write(text), std::count(text.begin(), text.begin() + after + 1, '\n'));
      EXPECT_EQ(host.Sequence(), "U");
    }
  }
}

#if !defined(_WIN32)
using ImportFaultsTest = ImportTest;

std::uint64_t AddressSpaceInUse() {
  std::uint64_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// In a child whose address space cannot hold the claimed size, the import raises `code` at
// `position` and hands over nothing; the exit code says what went wrong.
[[noreturn]] void ImportUnderLimit(const std::string& path, const char* module, int code,
                                   std::int64_t position) {
  const rlim_t bytes = AddressSpaceInUse() + (256 << 20);
  const rlimit limit{bytes, bytes};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
  if (std::unique_ptr<char[]> probe{new (std::nothrow) char[(std::size_t{1} << 31) - 1]})
    std::_Exit(4);
  hostfw::IoManager manager;
  RecordingHost host(manager);
  LatImportFilter filter(manager);
  try {
    filter.ImportFromFile(path.c_str());
  } catch (const hostbase::CError& error) {
    const bool expected = error.Module() == module && error.Code() == code &&
                          error.Args() == std::vector<hostbase::CErrorArg>{position, path};
    std::_Exit(!expected ? 6 : host.objects.empty() ? 0 : 8);
  } catch (const std::bad_alloc&) {
    std::_Exit(7);
  }
  std::_Exit(5);
}

// Claims of just under 2 GB in a 200-byte file.
TEST_F(ImportFaultsTest, ClaimsOfAboutTwoGigabytesUnderAnAllocationLimit) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
  const auto binary = [](std::int32_t code, std::int32_t count) {
    BinaryLattice lat;
    lat.dims = {count, 1, 1};
    lat.primType = code;
    lat.rawValues = std::vector<std::uint8_t>(200, 0x5A);
    lat.coords = {0, 1, 0, 0, 0, 0};
    BinaryImage image = EncodeBinary(lat);
    image.SetInt(BinaryField::ValueCount, count);
    image.Truncate(200);
    return std::string(image.bytes.begin(), image.bytes.end());
  };
  const auto plain = [](const std::string& body) {
    std::string text = kPlainMagic + body + "#";
    text.resize(199, 'x');
    return text + "\n";
  };
  const auto firstValue = static_cast<std::int64_t>(lat::binary::offset::kUniformFirstValue);
  const struct {
    std::string bytes;
    bool binary;
    std::int64_t position;  // a byte, or a line
  } claims[] = {
      {binary(4, 268435455), true, firstValue},  // 2^31 - 8 bytes
      {plain("1\n2147483647\n1 0 0 1\n0 1\n"), false, 3},  // refused once the type is known
      {plain("2\n3 2147483647\n1 3 1 1\n0 1 2\n"), false, 4},
      {plain("3\n10 1000 17800\n1 3 2 1\n3\n0 0 0\n"), false, 5},  // 2136000000 bytes
  };
  for (const auto& c : claims) {
    SCOPED_TRACE(c.bytes.substr(0, 80));
    ASSERT_EQ(c.bytes.size(), 200u);
    const auto code = c.binary ? hostfw::ErrCode::BadBinaryData : hostfw::ErrCode::PlainSyntax;
    EXPECT_EXIT(ImportUnderLimit(Write(c.bytes), c.binary ? "LatImpBinary" : "LatImpPlain",
                                 static_cast<int>(code), c.position),
                ::testing::ExitedWithCode(0), "");
  }
}

// Files cut or emptied under the import, unreadable, folders and missing paths; the same
// filter then imports a sound file.
TEST_F(ImportFaultsTest, FilesThatChangeOrFailUnderTheImport) {
  std::string text = kPlainMagic + "2\n500 600\n1 3 0 1\n0 1 0 1\n";
  for (int n = 0; n < 500 * 600; ++n)
    text += std::to_string(1000 + n % 8000) + (n % 500 == 499 ? ".5\n" : ".5 ");
  const std::size_t cut = text.find(' ', hostbase::CBufferedFile::kBufferSize + 12345) + 3;
  const std::int64_t lines = std::count(text.begin(), text.begin() + long(cut), '\n');
  const std::string large = Write(text, "large.lat"), sound = Write(kPlainMagic + kBody);
  const std::string emptied = Write(kPlainMagic + kBody, "emptied.lat");
  const auto resize = [](const std::string& path, std::size_t size) {
    return [=] { std::filesystem::resize_file(path, size); };
  };
  const std::string folder = dir.Path(), missing = dir.File("x/x.lat"), mem = "/proc/self/mem";
  const int open = hostbase::kErrFileOpen, notLat = static_cast<int>(hostfw::ErrCode::NotLatFile);
  const int syntax = static_cast<int>(hostfw::ErrCode::PlainSyntax);
  const char* const file = "CBufferedFile";
  const struct {
    std::string path;
    std::function<void()> atBegin, atHeader;
    const char* module;
    int code;
    std::vector<hostbase::CErrorArg> args;
    std::size_t objects;  // the header and the rows before the cut
  } cases[] = {
      {large, {}, resize(large, cut), "LatImpPlain", syntax, {lines, large}, size_t(lines - 4)},
      {emptied, resize(emptied, 0), {}, "LatImportFilter", notLat, {emptied}, 0},
      {mem, {}, {}, file, hostbase::kErrFileRead, {mem, std::strerror(EIO)}, 0},
      {folder, {}, {}, file, open, {folder, std::strerror(EISDIR)}, 0},
      {folder + "/", {}, {}, file, open, {folder + "/", std::strerror(EISDIR)}, 0},
      {missing, {}, {}, file, open, {missing, std::strerror(ENOENT)}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    host.Clear();
    host.atBegin = c.atBegin;
    host.atObject = c.atHeader;
    EXPECT_EQ(filter.CanImportFile(c.path.c_str()), c.module != std::string(file));
    ExpectError(c.path, c.module, c.code, c.args);
    EXPECT_EQ(host.objects.size(), c.objects);
    const int begun = c.code == open ? 0 : 1;
    EXPECT_EQ(host.beginMessages.size(), std::size_t(begun));
    EXPECT_EQ(host.stops, begun);
    host.Clear();
    host.atBegin = host.atObject = nullptr;
    EXPECT_EQ(Import(sound), hostfw::ImportStatus_Complete);
    EXPECT_EQ(host.Sequence(), "U S S E");
  }
}

// Keeps two imports within one object of each other.
class LockstepSink final : public hostfw::IoObjectSink {
 public:
  LockstepSink(std::barrier<>& lockstep, RecordingHost& host) : lockstep_(lockstep), host_(host) {}
  bool Receive(hostfw::TrBase& object) override {
    lockstep_.arrive_and_wait();
    return host_.Receive(object);
  }

 private:
  std::barrier<>& lockstep_;
  RecordingHost& host_;
};

// Everything an import delivered, as text.
std::string Delivery(LatImportFilter& filter, RecordingHost& host, const std::string& path) {
  host.Clear();
  std::string d = std::to_string(filter.ImportFromFile(path.c_str())) + host.Sequence();
  const std::vector<std::uint8_t> bytes = host.ScanBytes();
  d.append(bytes.begin(), bytes.end());
  for (const RecordedObject& o : host.objects) d += o.latticeInfo;
  for (double f : host.fractions) d += std::to_string(f);
  return d;
}

// Two filters on two threads, twice each (a plain and a binary file, then one file on
// both), deliver exactly what they deliver alone.
TEST_F(ImportFaultsTest, ConcurrentImportsEachDeliverWhatTheyDeliverAlone) {
  const std::string plain = Write(Sample{1, 4, 3, {4, 6, 3}, 1, 3}.Plain(), "p.lat");
  const std::string binary = Write(EncodeBinary(Sample{2, 3, 3, {5, 7, 3}, 2}.Binary()));
  for (const auto& paths : {std::array{plain, binary}, std::array{plain, plain}}) {
    std::string alone[2], together[2][2];
    for (int t = 0; t < 2; ++t) alone[t] = Delivery(filter, host, paths[t]);
    std::barrier lockstep(2);
    const auto run = [&](int me) {
      hostfw::IoManager mine;
      RecordingHost recorder(mine);
      LockstepSink sink(lockstep, recorder);
      mine.SetObjectSink(&sink);
      LatImportFilter own(mine);
      for (std::string& delivery : together[me]) delivery = Delivery(own, recorder, paths[me]);
      mine.SetObjectSink(&recorder);
      lockstep.arrive_and_drop();
    };
    std::thread first(run, 0), second(run, 1);
    first.join();
    second.join();
    for (int t = 0; t < 2; ++t)
      EXPECT_TRUE(together[t][0] == alone[t] && together[t][1] == alone[t]) << paths[t];
  }
}
#endif

}  // namespace
}  // namespace lattest
