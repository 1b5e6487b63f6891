// Help topics: the topic's file from the host program's help folder (Windows), or the
// host's own help display through its message sink.
#include "HelpTopic.h"

#include "hostfw/IoManager.h"

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <system_error>
#endif

namespace hostfw::detail {

#if defined(_WIN32)
namespace {

// The host program's own file name.
std::filesystem::path ProgramPath() {
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    name.resize(name.size() * 2);  // the name was cut short
  }
}

}  // namespace

void ShowHelpTopic(const IoManager& manager, const std::string& topic) {
  const std::filesystem::path file = ProgramPath().parent_path() / "help" / topic;
  std::error_code ignored;
  if (topic.empty() || !std::filesystem::is_regular_file(file, ignored)) {
    manager.ReportWarning("Help topic '" + topic + "' is not installed: '" + file.string() +
                          "' not found");
    return;
  }
  // The system's own error dialogs stay closed: a failure is reported as a warning.
  const std::string name = file.string();
  SHELLEXECUTEINFOA request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.hwnd = static_cast<HWND>(manager.parentWindow);
  request.lpVerb = "open";
  request.lpFile = name.c_str();
  request.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&request)) {
    manager.ReportWarning("Help topic '" + topic + "' cannot be opened: '" + name + "' (error " +
                          std::to_string(GetLastError()) + ")");
  }
}
#else
void ShowHelpTopic(const IoManager& manager, const std::string& topic) {
  manager.ShowHelp(topic);
}
#endif

}  // namespace hostfw::detail
