// The resources compiled into LAT.dll, read back as the system reads them: dialog
// templates 105 and 106 (ids, classes, texts, styles, rectangles, font, language) and the
// version block.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DialogTemplateReader.h"
#include "LatVersion.h"
#include "resources/LatResource.h"

namespace {

using wintest::DialogTemplateData;
using wintest::ItemTemplateData;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kText = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::filesystem::path ModulePath() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / "LAT.dll";
}

struct ModuleCloser {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ModuleHandle = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser>;

class ModuleResources : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module_) << ModulePath() << " error " << GetLastError(); }
  // The template of dialog `id` in US English; fails the test when it is missing.
  DialogTemplateData Dialog(int id) const {
    const HRSRC found = FindResourceExA(module_.get(), MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                        MAKEINTRESOURCEA(id), kEnglishUs);
    EXPECT_NE(found, nullptr) << "dialog " << id;
    if (found == nullptr) return {};
    const HGLOBAL loaded = LoadResource(module_.get(), found);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    return wintest::ReadDialogTemplate(bytes, SizeofResource(module_.get(), found));
  }

  ModuleHandle module_{
      LoadLibraryExA(ModulePath().string().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)};
};

// The controls both forms share, in tab order.
std::vector<ItemTemplateData> SharedControls() {
  return {
      {IDC_STATIC, "Static",
       "Some exported nodes may contain missing (blanked) data, which this file format "
       "doesn't support.",
       kText, 5, 5, 188, 20},
      {IDC_STATIC, "Button", "Set any blanked nodes to", kChild | BS_GROUPBOX, 5, 25, 182, 77},
      {IDC_BLANK_DATA_MIN, "Button", "Data mi&n", kRadio | WS_GROUP | WS_TABSTOP, 10, 37, 45, 10},
      {IDC_BLANK_DATA_MAX, "Button", "Data ma&x", kRadio, 10, 49, 45, 10},
      {IDC_BLANK_TYPE_MIN, "Button", "&Type min", kRadio, 10, 61, 45, 10},
      {IDC_BLANK_TYPE_MAX, "Button", "Type &max", kRadio, 10, 73, 45, 10},
      {IDC_BLANK_FIXED, "Button", "&Fixed   ", kRadio, 10, 85, 45, 10},
      {IDC_SHOW_DATA_MIN, "Static", "", kText, 60, 37, 100, 10},
      {IDC_SHOW_DATA_MAX, "Static", "", kText, 60, 49, 100, 10},
      {IDC_SHOW_TYPE_MIN, "Static", "", kText, 60, 61, 100, 10},
      {IDC_SHOW_TYPE_MAX, "Static", "", kText, 60, 73, 100, 10},
      {IDC_FIXED_VALUE, "Edit", "", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 60, 85, 118,
       12},
  };
}

void ExpectFrame(const DialogTemplateData& dialog) {
  EXPECT_EQ(dialog.style, DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.title, "LAT Export Options");
  EXPECT_EQ(dialog.fontName, "MS Shell Dlg");
  EXPECT_EQ(dialog.fontSize, 8);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.width, 198);
  EXPECT_EQ(dialog.height, 123);
}

void ExpectControls(const DialogTemplateData& dialog, const std::vector<ItemTemplateData>& want) {
  ASSERT_EQ(dialog.items.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("control " + std::to_string(i) + " \"" + want[i].text + "\"");
    const ItemTemplateData& got = dialog.items[i];
    EXPECT_EQ(got.id, want[i].id);
    EXPECT_EQ(got.className, want[i].className);
    EXPECT_EQ(got.text, want[i].text);
    EXPECT_EQ(got.style, want[i].style);
    EXPECT_EQ(got.x, want[i].x);
    EXPECT_EQ(got.y, want[i].y);
    EXPECT_EQ(got.width, want[i].width);
    EXPECT_EQ(got.height, want[i].height);
  }
}

TEST_F(ModuleResources, ModalDialogHasTheChoicesRangesAndOkCancel) {
  const DialogTemplateData dialog = Dialog(IDD_LAT_EXPORT_MODAL);
  ExpectFrame(dialog);
  std::vector<ItemTemplateData> want = SharedControls();
  want.push_back({IDC_DEFAULTS, "Button", "&Defaults", kButton, 57, 105, 41, 14});
  want.push_back({IDOK, "Button", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 102, 105, 41, 14});
  want.push_back({IDCANCEL, "Button", "Cancel", kButton, 147, 105, 41, 14});
  ExpectControls(dialog, want);
}

TEST_F(ModuleResources, PageHasTheChoicesRangesAndATallerDefaultsButtonOnly) {
  const DialogTemplateData dialog = Dialog(IDD_LAT_EXPORT_PAGE);
  ExpectFrame(dialog);
  std::vector<ItemTemplateData> want = SharedControls();
  want.push_back({IDC_DEFAULTS, "Button", "&Defaults", kButton, 147, 105, 41, 16});
  ExpectControls(dialog, want);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}

TEST_F(ModuleResources, EachDialogExistsInUsEnglishOnly) {
  for (const int id : {IDD_LAT_EXPORT_MODAL, IDD_LAT_EXPORT_PAGE}) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module_.get(), MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{kEnglishUs}) << "dialog " << id;
  }
  EXPECT_EQ(FindResourceA(module_.get(), MAKEINTRESOURCEA(107), MAKEINTRESOURCEA(5)), nullptr);
}

// One value of the version block's US English, Unicode string table.
std::string VersionValue(const std::vector<char>& block, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
  auto* data = const_cast<char*>(block.data());
  if (!VerQueryValueA(data, key.c_str(), reinterpret_cast<void**>(&value), &length)) return "-";
  return length > 0 ? std::string(value, length - 1) : std::string();
}

TEST(ModuleVersion, VersionBlockNamesTheProductAndTheProjectsVersion) {
  const std::string path = ModulePath().string();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u) << path;
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  EXPECT_EQ(VersionValue(block, "ProductName"), LAT_PRODUCT_NAME);
  EXPECT_EQ(VersionValue(block, "FileDescription"), LAT_FILE_DESCRIPTION);
  EXPECT_EQ(VersionValue(block, "ProductVersion"), LAT_VERSION_TEXT);
  EXPECT_EQ(VersionValue(block, "FileVersion"), LAT_VERSION_TEXT);
  EXPECT_EQ(VersionValue(block, "OriginalFilename"), "LAT.dll");
  EXPECT_FALSE(std::string(LAT_FILE_DESCRIPTION).empty());

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS,
            static_cast<DWORD>(MAKELONG(LAT_VERSION_MINOR, LAT_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, LAT_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

}  // namespace
