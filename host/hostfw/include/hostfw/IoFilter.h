// Filter bases of the host framework. The virtual tables follow the host's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "hostbase/AtomicFile.h"
#include "hostbase/BufferedFile.h"
#include "hostbase/Error.h"
#include "hostbase/TypeInfo.h"
#include "hostfw/Export.h"
#include "hostfw/Status.h"

namespace hostfw {

class IoManager;
class IoPropertyPage;
class TrBase;

class HOSTFW_API IoFilter {
 public:
  explicit IoFilter(IoManager& manager) noexcept;
  virtual ~IoFilter();
  IoFilter(const IoFilter&) = delete;
  IoFilter& operator=(const IoFilter&) = delete;

  // Base: no pages.
  virtual void GetPropertyPages(std::vector<IoPropertyPage*>& pages, const char* fileName);
  virtual void SetOptions(const char* options);
  virtual std::string GetOptionsInStringForm();
  // Base: ','.
  virtual char GetOptionStringDelimiter();
  virtual bool IsObjectTypeSupported(const hostbase::CTypeInfo* type);
  virtual bool GetStringOption(const char* options, const char* key, std::string& value);

  // Raises the host's error (hostbase::CError) with a code and its message arguments
  // (integers and texts); never returns.
  template <class... Args>
  [[noreturn]] void ThrowError(const char* module, int line, ErrCode code,
                               const Args&... args) const {
    RaiseError(module, line, code, std::vector<hostbase::CErrorArg>{ToErrorArg(args)...});
  }
  // Raises the host's error with a message text and no code; never returns.
  [[noreturn]] void ThrowError(const char* module, int line, const char* message) const;

  // Shows a warning; the result carries no meaning for filters.
  int Warning(hostbase::IError::WarnStyle style, const char* message) const;
  // The manager's session options as "Key=Value" items joined by `delimiter`.
  std::string GetOptionsInStringFormWorker(const char* delimiter) const;
  void ShowHelp(const char* topic, void* reserved) const;

  IoManager& GetManager() const noexcept { return manager_; }

  // Rows between two progress reports of an import or export.
  static constexpr std::uint32_t kRowsPerReport = 10;

 private:
  template <class T>
  static hostbase::CErrorArg ToErrorArg(const T& value) {
    if constexpr (std::is_integral_v<T>) {
      return static_cast<std::int64_t>(value);
    } else if constexpr (std::is_array_v<T>) {
      return std::string(value);  // a string literal
    } else {
      const char* text = value;
      return std::string(text ? text : "");
    }
  }
  static hostbase::CErrorArg ToErrorArg(const std::string& value) { return value; }

  [[noreturn]] void RaiseError(const char* module, int line, ErrCode code,
                               std::vector<hostbase::CErrorArg> args) const;

  IoManager& manager_;
};

class HOSTFW_API IoImportFilter : public IoFilter {
 public:
  using IoFilter::IoFilter;
  ~IoImportFilter() override;

  virtual bool CanImportFile(const char* path) = 0;
  // Base: imports `path` until the first lattice header and returns its "LatticeInfo".
  // Kept for its slot in the host's interface order; the hosts here do not call it.
  virtual bool GetSummary(const char* path, std::string& summary);
  virtual ImportStatus ImportFromFile(const char* path) = 0;
  // Base: copies the bytes to a temporary file and imports that. Kept for its slot in the
  // host's interface order; the hosts here do not call it.
  virtual ImportStatus ImportFromMemory(const void* bytes, std::size_t size, bool flag);
  // Base: hands `object` to the host (the manager's object sink); false means stop.
  virtual bool ImportObject(TrBase& object) const;

 protected:
  // Hands the host the end marker of a lattice: ImportStatus_Complete, or
  // ImportStatus_Stopped when the host wants no more.
  ImportStatus ImportEnd() const;
};

class HOSTFW_API IoExportFilter : public IoFilter {
 public:
  using IoFilter::IoFilter;
  ~IoExportFilter() override;

  virtual ExportStatus BeginExportToFile(const char* path, bool interactive) = 0;
  // Base: export to memory is not offered; returns ExportStatus_NotHandled.
  virtual ExportStatus BeginExportToMemory(std::vector<std::uint8_t>& bytes, bool interactive);
  virtual ExportStatus ExportObject(TrBase& object) = 0;
  virtual ExportStatus EndExportToFile() = 0;
  // Base: ExportStatus_NotHandled; kept for its slot in the host's interface order.
  virtual ExportStatus EndExportToMemory();

 protected:
  // Reports `rows` of `rowCount` done at every kRowsPerReport-th row;
  // ExportStatus_Cancelled when the user asked to stop.
  ExportStatus ReportRows(std::uint32_t rows, std::uint32_t rowCount) const;
  // Opens `file` for writing the export to `path` through `output`, whose temporary file
  // replaces `path` only when output.Commit is called. Raises this filter's error (module
  // `module`) when no temporary file can be made next to `path`, and the file library's
  // open error when the file cannot be opened.
  void OpenOutput(hostbase::CAtomicFile& output, hostbase::CBufferedFile& file,
                  const std::string& path, const char* module) const;
};

}  // namespace hostfw
