// The errors filters raise: codes, modules, lines, arguments and message texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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
  // The CError that ThrowError raises for `code` and `args`.
  template <class... A>
  CError Raised(ErrCode code, A... args) {
    try {
      filter_.ThrowError("Imp", 321, code, args...);
    } catch (const CError& e) {
      return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return CError("", 0, -1, {}, "");
  }

  hostfw::IoManager manager_;
  Filter filter_{manager_};
};

// Each code names what went wrong with its arguments; missing or misplaced arguments are
// formatted as they are, and an unknown code still carries its arguments.
TEST_F(ErrorMessages, EachCodeNamesWhatWentWrongWithItsArguments) {
  const std::int64_t position = 5'000'000'000;  // beyond 32 bits
  const char* none = nullptr;
  const struct {
    CError error;
    int code;
    std::string text;
  } cases[] = {
      {Raised(ErrCode::UnknownCode), 1, "Unknown kind or type code in the file."},
      {Raised(ErrCode::UnsupportedFeature, "Iris Explorer LAT", "import of 'ASCII' format files",
              "dir/a.lat"),
       14, "Iris Explorer LAT: import of 'ASCII' format files is not supported ('dir/a.lat')."},
      {Raised(ErrCode::UnsupportedFeature, "F"), 14,
       "F: (unknown) is not supported ('(unknown)')."},
      {Raised(ErrCode::ExportFileNotOpen), 15, "The export file is not open."},
      {Raised(ErrCode::NotLatFile, "x/b.lat"), 16, "'x/b.lat' is not a LAT file."},
      {Raised(ErrCode::NotLatFile, none), 16, "'' is not a LAT file."},
      {Raised(ErrCode::PlainSyntax, 5, "c.lat"), 17,
       "Syntax error in 'c.lat' after line 5: a number was expected."},
      {Raised(ErrCode::PlainSyntax), 17,
       "Syntax error in '(unknown)' after line (unknown): a number was expected."},
      {Raised(ErrCode::BadBinaryData, position, "d.lat"), 18,
       "Bad or short binary LAT data in 'd.lat' at byte 5000000000."},
      {Raised(ErrCode::BadBinaryData, "a.lat", 12), 18,
       "Bad or short binary LAT data in '12' at byte a.lat."},
      {Raised(ErrCode::DataTypeNotSupported, "8-bit signed integer"), 27,
       "The data type '8-bit signed integer' cannot be exported: the fixed blank value lies "
       "outside its range."},
      {Raised(static_cast<ErrCode>(55), 3, "z"), 55, "Filter error 55: 3, z."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error.Code(), c.code);
    EXPECT_EQ(c.error.what(), c.text) << "code " << c.code;
  }
  // Module, line and typed arguments travel with the error.
  const CError& e = cases[8].error;
  EXPECT_EQ(e.Module(), "Imp");
  EXPECT_EQ(e.Line(), 321);
  EXPECT_EQ(e.Args(), (std::vector<hostbase::CErrorArg>{position, std::string("d.lat")}));
}

}  // namespace
