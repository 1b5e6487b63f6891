// Option pages: class identity, the lattice export's property names, and properties set
// by the host and read by the page.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "hostfw/IoPropertyPage.h"

namespace {

using hostfw::IoPropertyPage;

// A page that handles nothing: the tests look at the base only.
class PlainPage : public IoPropertyPage {
 public:
  INT_PTR DialogProc(HWND, UINT, WPARAM, LPARAM) override { return 0; }
};

// A page class with its own identity below IoPropertyPage, as a filter's page has.
const hostbase::CTypeInfo kOwnPageType("OwnPage", nullptr, IoPropertyPage::GetClassTypeId());
class OwnPage : public PlainPage {
 public:
  const hostbase::CTypeInfo* GetTypeId() const override { return &kOwnPageType; }
};

TEST(PropertyPage, ClassIdentity) {
  const hostbase::CTypeInfo* type = IoPropertyPage::GetClassTypeId();
  ASSERT_NE(type, nullptr);
  EXPECT_STREQ(type->GetName(), "IoPropertyPage");
  EXPECT_EQ(type->GetBase(), nullptr);
  EXPECT_EQ(type->GetFactory(), nullptr);
  PlainPage plain;
  EXPECT_EQ(plain.GetTypeId(), type);
  OwnPage own;
  EXPECT_TRUE(own.GetTypeId()->IsDerivedFrom(type));
  EXPECT_FALSE(type->IsDerivedFrom(own.GetTypeId()));
  std::string archive;
  own.Serialize(archive);
  EXPECT_EQ(archive, "OwnPage");
}

TEST(PropertyPage, LatticeExportPropertyNames) {
  EXPECT_STREQ(IoPropertyPage::GetLatticeExportPropName_DataMin(), "LatticeExport.DataMin");
  EXPECT_STREQ(IoPropertyPage::GetLatticeExportPropName_DataMax(), "LatticeExport.DataMax");
  EXPECT_STREQ(IoPropertyPage::GetLatticeExportPropName_DataType(), "LatticeExport.DataType");
}

TEST(PropertyPage, UnsetPropertiesLeaveTheValue) {
  PlainPage page;
  int type = 42;
  double min = -3.5;
  EXPECT_FALSE(page.GetProperty(IoPropertyPage::GetLatticeExportPropName_DataType(), type));
  EXPECT_FALSE(page.GetProperty(IoPropertyPage::GetLatticeExportPropName_DataMin(), min));
  EXPECT_EQ(type, 42);
  EXPECT_EQ(min, -3.5);
  EXPECT_FALSE(page.GetProperty(nullptr, type));
  EXPECT_FALSE(page.GetProperty(nullptr, min));
  page.SetProperty(nullptr, 5);  // ignored, and does not become the property ""
  EXPECT_FALSE(page.GetProperty("", type));
  EXPECT_EQ(type, 42);
}

TEST(PropertyPage, PropertiesAreKeptByExactName) {
  PlainPage page;
  const double max = std::numeric_limits<double>::max();
  page.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMin(), -0.1);
  page.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataMax(), max);
  page.SetProperty(IoPropertyPage::GetLatticeExportPropName_DataType(), 3);
  double min = 0, gotMax = 0;
  int type = 0;
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataMin", min));
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataMax", gotMax));
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataType", type));
  EXPECT_EQ(min, -0.1);
  EXPECT_EQ(gotMax, max);
  EXPECT_EQ(type, 3);
  // Names are matched exactly, case included.
  double other = 7.0;
  EXPECT_FALSE(page.GetProperty("latticeexport.datamin", other));
  EXPECT_FALSE(page.GetProperty("LatticeExport.DataMin ", other));
  EXPECT_EQ(other, 7.0);
  // A name given as a buffer of its own, not the same pointer.
  char copy[32];
  std::strcpy(copy, "LatticeExport.DataType");
  type = 0;
  EXPECT_TRUE(page.GetProperty(copy, type));
  EXPECT_EQ(type, 3);
}

TEST(PropertyPage, TypesOfProperties) {
  PlainPage page;
  // A whole number given as an int reads as a double too.
  page.SetProperty("LatticeExport.DataMin", -2147483647 - 1);
  double min = 0;
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataMin", min));
  EXPECT_EQ(min, -2147483648.0);
  // A double does not read as an int: the value is left alone.
  page.SetProperty("LatticeExport.DataType", 7.0);
  int type = -1;
  EXPECT_FALSE(page.GetProperty("LatticeExport.DataType", type));
  EXPECT_EQ(type, -1);
  // The last Set wins, whatever its type.
  page.SetProperty("LatticeExport.DataType", 8);
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataType", type));
  EXPECT_EQ(type, 8);
  double asReal = 0;
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataType", asReal));
  EXPECT_EQ(asReal, 8.0);
  page.SetProperty("LatticeExport.DataMin", 0.25);
  EXPECT_FALSE(page.GetProperty("LatticeExport.DataMin", type));
  EXPECT_TRUE(page.GetProperty("LatticeExport.DataMin", min));
  EXPECT_EQ(min, 0.25);
  // Pages keep their own properties.
  PlainPage other;
  EXPECT_FALSE(other.GetProperty("LatticeExport.DataMin", min));
}

}  // namespace
