// The "LatticeInfo" texts of the three lattice kinds, built from header members.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "hostfw/IoManager.h"
#include "hostfw/Transfer.h"
#include "import/LatImportFilter.h"

namespace {

class SummaryTest : public ::testing::Test {
 protected:
  static std::string Info(const hostfw::TrLattice& header) {
    EXPECT_EQ(header.params.Count(), 1u);
    const char* text = header.params.Get("LatticeInfo");
    return text ? text : "<none>";
  }
  // The text of a uniform lattice with two components.
  std::string UniformInfo(int nx, int ny, int nz, std::array<double, 3> origin,
                          std::array<double, 3> spacing) {
    hostfw::TrUniformLattice header(7, nx, ny, nz, 2);
    for (int a = 0; a < 3; ++a) {
      header.origin[a] = origin[static_cast<std::size_t>(a)];
      header.spacing[a] = spacing[static_cast<std::size_t>(a)];
    }
    filter.AddUniformSummary(header, "grid.lat");
    return Info(header);
  }
  template <class T>
  static void Fill(void* coords, std::initializer_list<T> values) {
    std::memcpy(coords, values.begin(), values.size() * sizeof(T));
  }

  hostfw::IoManager manager;
  LatImportFilter filter{manager};
};

TEST_F(SummaryTest, UniformTextNamesSizeSpacingAndCorners) {
  EXPECT_EQ(UniformInfo(5, 3, 1, {10, 20, 99}, {0.5, -2, 1}),
            "Name:\tgrid.lat\r\n"
            "Format:\tIris Explorer LAT\r\n"
            "Samples per pixel:\t2\r\n"
            "Size:\t3 rows x 5 columns x 1 planes\r\n"
            "Spacing:\tX=0.5,   Y=2,   Z=1\r\n"
            "xMin:\t10\txMax:\t12\r\n"
            "yMin:\t20\tyMax:\t16\r\n"
            "SW Corner:\t10, 20\r\n"
            "NW Corner:\t10, 16\r\n"
            "NE Corner:\t12, 16\r\n"
            "SE Corner:\t12, 20\r\n");
}

TEST_F(SummaryTest, UniformTextPrintsTwelveSignificantDigits) {
  const std::string third = UniformInfo(1, 4, 2, {3.25, 0, 0}, {7, 1.0 / 3, 1.5e20});
  EXPECT_NE(third.find("Spacing:\tX=7,   Y=0.333333333333,   Z=1.5E+20\r\n"), std::string::npos)
      << third;
  EXPECT_NE(third.find("xMin:\t3.25\txMax:\t3.25\r\n"), std::string::npos) << third;
  EXPECT_NE(third.find("yMin:\t0\tyMax:\t1\r\n"), std::string::npos) << third;
  EXPECT_NE(third.find("Size:\t4 rows x 1 columns x 2 planes\r\n"), std::string::npos) << third;
  const std::string small = UniformInfo(2, 2, 1, {-1e-5, 123456789.123456, 0}, {2e-5, 1, 0});
  EXPECT_NE(small.find("xMin:\t-1E-05\txMax:\t1E-05\r\n"), std::string::npos) << small;
  EXPECT_NE(small.find("yMin:\t123456789.123\tyMax:\t123456790.123\r\n"), std::string::npos)
      << small;
}

TEST_F(SummaryTest, RectilinearTextTakesFirstAndLastCoordinates) {
  hostfw::TrRectilinearLattice header(7, 2, 3, 2, 1, 1);
  Fill<float>(header.xCoords, {5, 3, 1});
  Fill<float>(header.yCoords, {0, 2.5f});
  Fill<float>(header.zCoords, {-7});
  filter.AddRectilinearSummary(header, "r.lat");
  EXPECT_EQ(Info(header),
            "Filename:\tr.lat\r\n"
            "Format:\tIris Explorer LAT\r\n"
            "Size:\t2 rows x 3 columns x 1 planes\r\n"
            "X, Y and Z spacings variate\r\n"
            "xMin:\t5\txMax:\t1\r\n"
            "yMin:\t0\tyMax:\t2.5\r\n");
}

TEST_F(SummaryTest, RectilinearTextReadsCoordinatesOfAnyType) {
  hostfw::TrRectilinearLattice doubles(8, 7, 2, 2, 1, 1);
  Fill<double>(doubles.xCoords, {0.1, 1.0 / 3});
  Fill<double>(doubles.yCoords, {123456789.123456, -2e-7});
  filter.AddRectilinearSummary(doubles, "d.lat");
  EXPECT_NE(Info(doubles).find("xMin:\t0.1\txMax:\t0.333333333333\r\n"
                               "yMin:\t123456789.123\tyMax:\t-2E-07\r\n"),
            std::string::npos)
      << Info(doubles);
  hostfw::TrRectilinearLattice bytes(0, 7, 3, 1, 1, 1);
  Fill<std::int8_t>(bytes.xCoords, {-5, 0, 7});
  Fill<std::int8_t>(bytes.yCoords, {100});
  filter.AddRectilinearSummary(bytes, "b.lat");
  EXPECT_NE(Info(bytes).find("xMin:\t-5\txMax:\t7\r\nyMin:\t100\tyMax:\t100\r\n"),
            std::string::npos)
      << Info(bytes);
}

TEST_F(SummaryTest, TakesTheFormatNameFromTheManagerAndReplacesAnEarlierText) {
  manager.formatName = "Lattice Files";
  hostfw::TrCurvilinearLattice header(7, 8, 1, 1, 1, 1);
  filter.AddCurvilinearSummary(header, "first.lat");
  filter.AddCurvilinearSummary(header, "second.lat");
  const std::string text = Info(header);
  EXPECT_EQ(text.rfind("Filename:\tsecond.lat\r\nFormat:\tLattice Files\r\n", 0), 0u) << text;
}

}  // namespace
