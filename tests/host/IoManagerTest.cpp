// The manager's session and saved options and options strings; the errors filters raise.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "hostfw/IoFilter.h"
#include "hostfw/IoManager.h"

namespace {

using hostfw::IoManager;

TEST(IoManagerOptions, SessionAndSavedValuesAreSeparateAndLoadingReplacesTheStore) {
  IoManager manager;
  manager.SetOption("BlankMethod", 2, false);
  manager.SetOption("FixedBlankValue", -1.5, true);
  EXPECT_EQ(manager.SavedOptionsText(), "FixedBlankValue=-1.5\n");

  IoManager next;
  next.LoadSavedOptions(manager.SavedOptionsText());
  int method = 0;
  double fixed = 7.0;
  EXPECT_FALSE(next.GetOption("FixedBlankValue", fixed, false));  // not in this session
  EXPECT_EQ(fixed, 7.0);
  EXPECT_TRUE(next.GetOption("FixedBlankValue", fixed, true) && fixed == -1.5);
  EXPECT_FALSE(next.GetOption("BlankMethod", method, true));
  next.SetOption("FixedBlankValue", 3.0, false);  // the session's value comes first
  EXPECT_TRUE(next.GetOption("FixedBlankValue", fixed, true) && fixed == 3.0);

  // Loading replaces the store and skips bad lines; stray carriage returns at a line's end
  // are line-end noise, so the value reads the same after the store is saved and loaded.
  next.LoadSavedOptions("A=1\r\nnot an option\n=5\nB=2.5\r\r\r\n\nC=x=y\r\r");
  const std::string saved = next.SavedOptionsText();
  EXPECT_EQ(saved, "A=1\nB=2.5\nC=x=y\n");
  next.LoadSavedOptions(saved);
  EXPECT_EQ(next.SavedOptionsText(), saved);
  EXPECT_TRUE(next.GetOption("B", fixed, true) && fixed == 2.5);
}

TEST(IoManagerOptions, DoublesRoundTripExactly) {
  IoManager manager;
  for (double value : {0.1, -DBL_MAX, DBL_MAX, 5e-324, 1.0 / 3.0, -0.0, 123456789.0}) {
    manager.SetOption("V", value, true);
    double back = 1.0;
    ASSERT_TRUE(manager.GetOption("V", back, false)) << value;
    EXPECT_EQ(back, value);
    EXPECT_EQ(std::signbit(back), std::signbit(value));
  }
  manager.SetOption("I", -2147483647 - 1, false);
  EXPECT_EQ(manager.OptionsInStringForm(','), "I=-2147483648,V=123456789");
  // A whole number reads as a double; a real does not read as an int.
  double asDouble = 0.0;
  EXPECT_TRUE(manager.GetOption("I", asDouble, false) && asDouble == -2147483648.0);
  int asInt = 9;
  manager.SetOption("V", 2.5, false);
  EXPECT_FALSE(manager.GetOption("V", asInt, false));
  EXPECT_EQ(asInt, 9);
  EXPECT_FALSE(manager.GetOption(nullptr, asDouble, true));
}

// The least filter there is: only its ThrowError is used.
class Filter : public hostfw::IoImportFilter {
 public:
  using IoImportFilter::IoImportFilter;
  bool CanImportFile(const char*) override { return false; }
  hostfw::ImportStatus ImportFromFile(const char*) override {
    return hostfw::ImportStatus_Complete;
  }
};

// The CError that ThrowError raises for `code` and `args`.
template <class... A>
hostbase::CError Raised(hostfw::ErrCode code, A... args) {
  IoManager manager;
  try {
    Filter(manager).ThrowError("Imp", 321, code, args...);
  } catch (const hostbase::CError& e) {
    return e;
  }
}

// Missing arguments read "(unknown)"; an unknown code still shows its arguments.
TEST(ErrorMessages, EachCodeNamesWhatWentWrongWithItsArguments) {
  using hostfw::ErrCode;
  const std::int64_t position = 5'000'000'000;  // beyond 32 bits
  const char* none = nullptr;
  const struct {
    hostbase::CError error;
    int code;
    std::string text;
  } cases[] = {
      {Raised(ErrCode::BadBinaryData, position, "d.lat"), 18,
       "Bad or short binary LAT data in 'd.lat' at byte 5000000000."},
      {Raised(ErrCode::UnsupportedFeature, "Iris Explorer LAT", "import of 'ASCII' format files",
              "dir/a.lat"),
       14, "Iris Explorer LAT: import of 'ASCII' format files is not supported ('dir/a.lat')."},
      {Raised(ErrCode::UnsupportedFeature, "F"), 14,
       "F: (unknown) is not supported ('(unknown)')."},
      {Raised(ErrCode::NotLatFile, none), 16, "'' is not a LAT file."},
      {Raised(ErrCode::PlainSyntax, 5, "c.lat"), 17,
       "Syntax error in 'c.lat' after line 5: a number was expected."},
      {Raised(static_cast<ErrCode>(55), 3, "z"), 55, "Filter error 55: 3, z."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error.Code(), c.code);
    EXPECT_EQ(c.error.what(), c.text) << "code " << c.code;
  }
  EXPECT_EQ(cases[0].error.Line(), 321);  // modules and arguments: the import's tests
}

}  // namespace
