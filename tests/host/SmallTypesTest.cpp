// Paths, parameter lists, class identities and the error type.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hostbase/Error.h"
#include "hostbase/ParamList.h"
#include "hostbase/Path.h"
#include "hostbase/TypeInfo.h"

namespace {

using hostbase::CTypeInfo;

TEST(Path, NameAfterTheLastSeparatorOfEitherKind) {
  using hostbase::CPath;
  EXPECT_STREQ(CPath::GetNamePtr("dir/sub/a.lat"), "a.lat");
  EXPECT_STREQ(CPath::GetNamePtr("C:\\data\\b.lat"), "b.lat");
  EXPECT_STREQ(CPath::GetNamePtr("mixed\\dir/c.lat"), "c.lat");
  EXPECT_STREQ(CPath::GetNamePtr("mixed/dir\\d.lat"), "d.lat");
  EXPECT_STREQ(CPath::GetNamePtr("plain.lat"), "plain.lat");
  EXPECT_STREQ(CPath::GetNamePtr("dir/"), "");
  EXPECT_EQ(CPath::GetNamePtr(nullptr), nullptr);
  const char* path = "x/y.lat";
  EXPECT_EQ(CPath::GetNamePtr(path), path + 2);  // points into the given text
}

TEST(ParamList, SetReplacesAnEarlierValueOfTheSameKey) {
  hostbase::CParamList params;
  params.Set("LatticeInfo", "first");
  params.Set("Other", "x");
  params.Set("LatticeInfo", "second");
  EXPECT_EQ(params.Count(), 2u);
  EXPECT_STREQ(params.Get("LatticeInfo"), "second");
  EXPECT_STREQ(params.Get("Other"), "x");
  EXPECT_EQ(params.Get("latticeinfo"), nullptr);  // keys keep their case
  EXPECT_EQ(params.Get(nullptr), nullptr);
  EXPECT_EQ(params.At(0).first, "LatticeInfo");
  params.Set("Empty", nullptr);
  EXPECT_STREQ(params.Get("Empty"), "");
}

TEST(TypeInfo, DerivationWalksTheChainOfBases) {
  const CTypeInfo root("Root", nullptr, nullptr);
  const CTypeInfo middle("Middle", nullptr, &root);
  const CTypeInfo leaf("Leaf", nullptr, &middle);
  const CTypeInfo other("Other", nullptr, &root);
  EXPECT_TRUE(leaf.IsDerivedFrom(&leaf));
  EXPECT_TRUE(leaf.IsDerivedFrom(&middle));
  EXPECT_TRUE(leaf.IsDerivedFrom(&root));
  EXPECT_FALSE(leaf.IsDerivedFrom(&other));
  EXPECT_FALSE(root.IsDerivedFrom(&leaf));
  EXPECT_FALSE(leaf.IsDerivedFrom(nullptr));
  EXPECT_STREQ(leaf.GetName(), "Leaf");
  EXPECT_EQ(leaf.GetBase(), &middle);
}

class Widget : public hostbase::CTypedObject {
 public:
  static hostbase::CTypedObject* Make() { return new Widget; }
  const CTypeInfo* GetTypeId() const override { return &type_; }

 private:
  static const CTypeInfo type_;
};
const CTypeInfo Widget::type_("Widget", &Widget::Make, nullptr);

TEST(TypeInfo, FactoryMakesTheClassAndSerializeWritesItsName) {
  Widget widget;
  const CTypeInfo* type = widget.GetTypeId();
  ASSERT_NE(type->GetFactory(), nullptr);
  std::unique_ptr<hostbase::CTypedObject> made(type->GetFactory()());
  EXPECT_EQ(made->GetTypeId(), type);
  std::string archive = "[";
  made->Serialize(archive);
  EXPECT_EQ(archive, "[Widget");
}

TEST(Error, CarriesModuleLineCodeArgumentsAndMessage) {
  const hostbase::CError error("Reader", 42, 18, {std::int64_t{1024}, std::string("a.lat")},
                               "Bad data.");
  EXPECT_EQ(error.Module(), "Reader");
  EXPECT_EQ(error.Line(), 42);
  EXPECT_EQ(error.Code(), 18);
  ASSERT_EQ(error.Args().size(), 2u);
  EXPECT_EQ(std::get<std::int64_t>(error.Args()[0]), 1024);
  EXPECT_EQ(std::get<std::string>(error.Args()[1]), "a.lat");
  EXPECT_STREQ(error.Message(), "Bad data.");
  EXPECT_STREQ(error.what(), "Bad data.");
}

}  // namespace
