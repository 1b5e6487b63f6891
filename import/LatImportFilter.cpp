// The import filter's face towards the host: recognition, the import driver with its
// magic line check, and the small services both readers share.
#include "import/LatImportFilter.h"

#include <cstring>

#include "hostaux/Options.h"
#include "hostbase/Path.h"
#include "hostfw/IoManager.h"

namespace {

constexpr const char* kModule = "LatImportFilter";
constexpr const char* kFormatName = "Iris Explorer LAT";
constexpr const char* kAsciiFeature = "import of 'ASCII' format files";
constexpr const char* kReadMode = "rb";
constexpr int kSharing = 3;

// Points the filter's progress member at the import's reporter for as long as it lives.
class ProgressBinding {
 public:
  ProgressBinding(hostfw::CProgress*& member, hostfw::CProgress& report) : member_(member) {
    member_ = &report;
  }
  ~ProgressBinding() { member_ = nullptr; }
  ProgressBinding(const ProgressBinding&) = delete;
  ProgressBinding& operator=(const ProgressBinding&) = delete;

 private:
  hostfw::CProgress*& member_;
};

}  // namespace

LatImportFilter::LatImportFilter(hostfw::IoManager& manager) noexcept
    : hostfw::IoImportFilter(manager) {}

LatImportFilter::~LatImportFilter() = default;

void LatImportFilter::SetOptions(const char* /*options*/) {}

std::string LatImportFilter::GetOptionsInStringForm() {
  return {};
}

bool LatImportFilter::IsObjectTypeSupported(const hostbase::CTypeInfo* type) {
  return hostfw::IsLatticeObjectType(type);
}

bool LatImportFilter::GetStringOption(const char* options, const char* key, std::string& value) {
  return hostaux::CommonGetStringOption(options, key, ',', value);
}

bool LatImportFilter::CanImportFile(const char* path) {
  hostbase::CBufferedFile probe;
  if (!probe.OpenNoThrow(path, kReadMode, kSharing, false)) return false;
  if (probe.GetLength() == 0) return false;
  char text[lat::plain::kRecognitionBytes + 1];
  const std::size_t count = probe.Read(text, lat::plain::kRecognitionBytes);
  text[count] = '\0';
  if (count < 2 || text[0] != lat::plain::kHashChar || text[1] != lat::plain::kBangChar)
    return false;
  const char* explorer = std::strstr(text, lat::plain::kExplorerWord);
  return explorer != nullptr && std::strstr(explorer, lat::plain::kLatticeWord) != nullptr;
}

hostfw::ImportStatus LatImportFilter::ImportFromFile(const char* path) {
  file.reset();
  file = std::make_unique<hostbase::CBufferedFile>(path, kReadMode, kSharing, false);
  hostfw::CProgress report(GetManager(), nullptr, true, true);
  const ProgressBinding binding(progress, report);
  lineNumber = 0;
  if (!report.MessageVA("Importing Iris Explorer LAT file %s", hostbase::CPath::GetNamePtr(path)))
    return hostfw::ImportStatus_Stopped;
  ReadMagicLine();
  if (kind == lat::plain::kPlain) return ImportPlain();
  if (kind == lat::plain::kBinary) return ImportBinary();
  if (kind == lat::plain::kAscii)
    ThrowError(kModule, __LINE__, hostfw::ErrCode::UnsupportedFeature, kFormatName, kAsciiFeature,
               path);
  ThrowError(kModule, __LINE__, hostfw::ErrCode::UnknownCode);
}

void LatImportFilter::ThrowNotLatFile(int line) const {
  ThrowError(kModule, line, hostfw::ErrCode::NotLatFile, file->GetFilePath());
}

// "#!", a word containing "explorer", "cxLattice", the kind word and the version number.
void LatImportFilter::ReadMagicLine() {
  NextChar();
  if (curChar != lat::plain::kHashChar) ThrowNotLatFile(__LINE__);
  NextChar();
  if (curChar != lat::plain::kBangChar) ThrowNotLatFile(__LINE__);
  ReadToken();
  if (curChar == -1 || token[0] == '\0' || std::strstr(token, lat::plain::kExplorerWord) == nullptr)
    ThrowNotLatFile(__LINE__);
  ReadToken();
  if (curChar == -1 || std::strcmp(token, lat::plain::kLatticeWord) != 0) ThrowNotLatFile(__LINE__);
  ReadToken();
  if (curChar == -1) ThrowNotLatFile(__LINE__);
  std::int32_t found = -1;
  for (std::int32_t k = 0; k < lat::plain::kKindCount; ++k)
    if (std::strcmp(token, lat::plain::kKindWords[k]) == 0) found = k;
  if (found < 0) ThrowNotLatFile(__LINE__);
  kind = found;
  version = ReadNumber();
}

bool LatImportFilter::ReportRowProgress(std::int64_t row, std::int64_t rows) {
  if (row % kRowsPerReport != 0) return true;
  return progress->Proportion(static_cast<double>(row) / static_cast<double>(rows));
}

const char* LatImportFilter::FileName() const {
  return hostbase::CPath::GetNamePtr(file->GetFilePath());
}
