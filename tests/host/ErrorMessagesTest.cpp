// The errors filters raise: codes, modules, lines, arguments and message texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"

namespace {

using hostbase::CError;
using hostfw::ErrCode;

// The least filter there is: only its ThrowError is used.
class Filter : public hostfw::IoImportFilter {
 public:
  using IoImportFilter::IoImportFilter;
  bool CanImportFile(const char*) override { return false; }
  hostfw::ImportStatus ImportFromFile(const char*) override {
    return hostfw::ImportStatus_Complete;
  }
};

class ErrorMessages : public ::testing::Test {
 protected:
  // Runs `raise`, which must throw a CError, and returns it.
  template <class F>
  CError Raised(F raise) {
    try {
      raise();
    } catch (const CError& e) {
      return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return CError("", 0, -1, {}, "");
  }

  hostfw::IoManager manager_;
  Filter filter_{manager_};
};

TEST_F(ErrorMessages, EachCodeNamesWhatWentWrongWithItsArguments) {
  const std::int64_t position = 5'000'000'000;  // beyond 32 bits
  const struct {
    CError error;
    int code;
    std::string text;
  } cases[] = {
      {Raised([&] { filter_.ThrowError("M", 1, ErrCode::UnknownCode); }), 1,
       "Unknown kind or type code in the file."},
      {Raised([&] {
         filter_.ThrowError("M", 1, ErrCode::UnsupportedFeature, "Iris Explorer LAT",
                            "import of 'ASCII' format files", "dir/a.lat");
       }),
       14, "Iris Explorer LAT: import of 'ASCII' format files is not supported ('dir/a.lat')."},
      {Raised([&] { filter_.ThrowError("M", 1, ErrCode::ExportFileNotOpen); }), 15,
       "The export file is not open."},
      {Raised([&] { filter_.ThrowError("M", 1, ErrCode::NotLatFile, "x/b.lat"); }), 16,
       "'x/b.lat' is not a LAT file."},
      {Raised([&] { filter_.ThrowError("M", 1, ErrCode::PlainSyntax, 5, "c.lat"); }), 17,
       "Syntax error in 'c.lat' after line 5: a number was expected."},
      {Raised([&] { filter_.ThrowError("M", 1, ErrCode::BadBinaryData, position, "d.lat"); }), 18,
       "Bad or short binary LAT data in 'd.lat' at byte 5000000000."},
      {Raised([&] {
         filter_.ThrowError("M", 1, ErrCode::DataTypeNotSupported, "8-bit signed integer");
       }),
       27,
       "The data type '8-bit signed integer' cannot be exported: the fixed blank value lies "
       "outside its range."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error.Code(), c.code);
    EXPECT_EQ(c.error.what(), c.text) << "code " << c.code;
  }
}

TEST_F(ErrorMessages, ModuleLineAndTypedArgumentsTravelWithTheError) {
  const std::string path = "e.lat";
  const CError e = Raised([&] {
    filter_.ThrowError("LatImpBinary", 321, ErrCode::BadBinaryData, std::int64_t{77}, path);
  });
  EXPECT_EQ(e.Module(), "LatImpBinary");
  EXPECT_EQ(e.Line(), 321);
  EXPECT_EQ(e.Code(), 18);
  ASSERT_EQ(e.Args().size(), 2u);
  EXPECT_EQ(std::get<std::int64_t>(e.Args()[0]), 77);
  EXPECT_EQ(std::get<std::string>(e.Args()[1]), "e.lat");
}

TEST_F(ErrorMessages, NullTextArgumentBecomesEmpty) {
  const char* none = nullptr;
  const CError e = Raised([&] { filter_.ThrowError("M", 1, ErrCode::NotLatFile, none); });
  ASSERT_EQ(e.Args().size(), 1u);
  EXPECT_EQ(std::get<std::string>(e.Args()[0]), "");
  EXPECT_STREQ(e.what(), "'' is not a LAT file.");
}

TEST_F(ErrorMessages, MissingOrMisplacedArgumentsAreFormattedAsTheyAre) {
  EXPECT_STREQ(Raised([&] { filter_.ThrowError("M", 1, ErrCode::PlainSyntax); }).what(),
               "Syntax error in '(unknown)' after line (unknown): a number was expected.");
  EXPECT_STREQ(
      Raised([&] { filter_.ThrowError("M", 1, ErrCode::BadBinaryData, "a.lat", 12); }).what(),
      "Bad or short binary LAT data in '12' at byte a.lat.");
  EXPECT_STREQ(Raised([&] { filter_.ThrowError("M", 1, ErrCode::UnsupportedFeature, "F"); }).what(),
               "F: (unknown) is not supported ('(unknown)').");
  // An unknown code still carries its arguments.
  const CError e = Raised([&] { filter_.ThrowError("M", 1, static_cast<ErrCode>(55), 3, "z"); });
  EXPECT_EQ(e.Code(), 55);
  EXPECT_STREQ(e.what(), "Filter error 55: 3, z.");
}

}  // namespace
