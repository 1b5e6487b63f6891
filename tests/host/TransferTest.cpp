// Transfer objects: class identities, scan sizes and coordinate storage.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "hostbase/PrimType.h"
#include "hostfw/Transfer.h"

namespace {

using hostbase::CPrimType;
using namespace hostfw;

bool AllZero(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(TransferIdentity, EachClassHasItsOwnIdentityChainedToItsBases) {
  TrUniformLattice uniform(CPrimType::Float, 2, 2, 1, 1);
  TrRectilinearLattice rectilinear(CPrimType::Float, CPrimType::Float, 2, 2, 1, 1);
  TrCurvilinearLattice curvilinear(CPrimType::Float, CPrimType::Float, 2, 2, 1, 1);
  TrLatticeScan scan(uniform);
  TrLatticeEnd end;
  const hostbase::CTypedObject* objects[] = {&uniform, &rectilinear, &curvilinear, &scan, &end};
  const hostbase::CTypeInfo* classes[] = {
      TrUniformLattice::GetClassTypeId(), TrRectilinearLattice::GetClassTypeId(),
      TrCurvilinearLattice::GetClassTypeId(), TrLatticeScan::GetClassTypeId(),
      TrLatticeEnd::GetClassTypeId()};
  const char* names[] = {"TrUniformLattice", "TrRectilinearLattice", "TrCurvilinearLattice",
                         "TrLatticeScan", "TrLatticeEnd"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(objects[i]->GetTypeId(), classes[i]) << names[i];
    EXPECT_STREQ(classes[i]->GetName(), names[i]);
    EXPECT_TRUE(classes[i]->IsDerivedFrom(TrBase::GetClassTypeId())) << names[i];
    for (int j = 0; j < 5; ++j) {
      if (i != j) {
        EXPECT_NE(classes[i], classes[j]);
      }
    }
  }
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(classes[i]->IsDerivedFrom(TrLattice::GetClassTypeId()));
  EXPECT_FALSE(classes[3]->IsDerivedFrom(TrLattice::GetClassTypeId()));
  EXPECT_STREQ(TrLattice::GetClassTypeId()->GetName(), "TrLattice");
  EXPECT_STREQ(TrBase::GetClassTypeId()->GetName(), "TrBase");
}

TEST(TransferLattice, HeaderStartsWithTheGivenCountsAndNeutralFields) {
  TrUniformLattice lattice(CPrimType::Int16, 3, 4, 5, 2);
  EXPECT_EQ(lattice.dataType, CPrimType::Int16);
  EXPECT_EQ(lattice.nx, 3);
  EXPECT_EQ(lattice.ny, 4);
  EXPECT_EQ(lattice.nz, 5);
  EXPECT_EQ(lattice.numComponents, 2);
  EXPECT_EQ(lattice.flags, 0);
  EXPECT_EQ(lattice.scanMode, 0);
  EXPECT_EQ(lattice.scanParam, 0);
  EXPECT_EQ(lattice.params.Count(), 0u);
  EXPECT_EQ(lattice.origin[2], 0.0);
  EXPECT_EQ(lattice.spacing[0], 0.0);
}

TEST(TransferScan, DataScanHoldsOneZeroedRowOfTheLattice) {
  for (int type = 0; type < CPrimType::kTypeCount; ++type) {
    TrUniformLattice lattice(type, 7, 2, 1, 3);
    TrLatticeScan scan(lattice);
    const std::size_t size = 7u * 3u * static_cast<std::size_t>(CPrimType::TypeSize[type]);
    ASSERT_EQ(scan.GetSize(), size) << type;
    ASSERT_NE(scan.data, nullptr);
    EXPECT_TRUE(AllZero(scan.data, size));
    std::memset(scan.data, 0xAB, size);  // the whole size is writable
  }
}

TEST(TransferScan, EmptyWhenACountIsBelowOneOrTheTypeIsInvalid) {
  const int bad[][3] = {{0, 1, 4}, {-3, 1, 4}, {5, 0, 4}, {5, -1, 4}, {5, 1, 9}, {5, 1, -1}};
  for (const auto& b : bad) {
    TrUniformLattice lattice(b[2], b[0], 1, 1, b[1]);
    TrLatticeScan scan(lattice);
    EXPECT_EQ(scan.GetSize(), 0u);
    EXPECT_EQ(scan.data, nullptr);
  }
  TrLatticeScan none(0), negative(-8);
  EXPECT_EQ(none.data, nullptr);
  EXPECT_EQ(negative.GetSize(), 0u);
  EXPECT_EQ(negative.data, nullptr);
}

TEST(TransferScan, ByteCountScan) {
  TrLatticeScan scan(3 * 5 * 4);
  EXPECT_EQ(scan.GetSize(), 60u);
  ASSERT_NE(scan.data, nullptr);
  EXPECT_TRUE(AllZero(scan.data, 60));
}

TEST(TransferScan, SizeIsComputedWithoutOverflow) {
  // 2^31-1 x 2^31-1 x 8 bytes overflows 64 bits; it must fail, not wrap to a small size.
  constexpr int kMax = std::numeric_limits<int>::max();
  TrUniformLattice huge(CPrimType::Double, kMax, 1, 1, kMax);
  EXPECT_THROW(TrLatticeScan{huge}, std::bad_alloc);
}

TEST(TransferRectilinear, CoordinateListsAreZeroedAndDoNotOverlap) {
  TrRectilinearLattice lattice(CPrimType::Double, CPrimType::Int8, 3, 2, 4, 1);
  EXPECT_EQ(lattice.coordType, CPrimType::Double);
  ASSERT_NE(lattice.xCoords, nullptr);
  ASSERT_NE(lattice.yCoords, nullptr);
  ASSERT_NE(lattice.zCoords, nullptr);
  EXPECT_TRUE(AllZero(lattice.xCoords, 3 * 8));
  EXPECT_TRUE(AllZero(lattice.yCoords, 2 * 8));
  EXPECT_TRUE(AllZero(lattice.zCoords, 4 * 8));
  auto* x = static_cast<double*>(lattice.xCoords);
  auto* y = static_cast<double*>(lattice.yCoords);
  auto* z = static_cast<double*>(lattice.zCoords);
  for (int i = 0; i < 3; ++i) x[i] = 1.0 + i;
  for (int i = 0; i < 2; ++i) y[i] = 10.0 + i;
  for (int i = 0; i < 4; ++i) z[i] = 100.0 + i;
  EXPECT_EQ(x[2], 3.0);
  EXPECT_EQ(y[0], 10.0);
  EXPECT_EQ(y[1], 11.0);
  EXPECT_EQ(z[0], 100.0);
}

TEST(TransferRectilinear, MissingAxesAndInvalidTypesAllocateNothing) {
  TrRectilinearLattice flat(CPrimType::Float, CPrimType::Float, 4, 0, -1, 1);
  EXPECT_NE(flat.xCoords, nullptr);
  EXPECT_EQ(flat.yCoords, nullptr);
  EXPECT_EQ(flat.zCoords, nullptr);
  TrRectilinearLattice invalid(11, CPrimType::Float, 4, 4, 4, 1);
  EXPECT_EQ(invalid.xCoords, nullptr);
  EXPECT_EQ(invalid.yCoords, nullptr);
  EXPECT_EQ(invalid.zCoords, nullptr);
}

}  // namespace
