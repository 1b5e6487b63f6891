// The host's side of the filter contract: one IoManager per format. It keeps the
// options (session and saved), forwards progress, warnings and help requests to sinks
// the host application installs, and delivers every imported object to the host's
// object sink.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hostfw/Export.h"

namespace hostfw {

class TrBase;

// Receives progress of the filter's long work.
class HOSTFW_API IoProgressSink {
 public:
  virtual ~IoProgressSink();
  // A new progress report with its message; false when the user cancels.
  virtual bool Begin(const std::string& message) = 0;
  // Fraction 0..1 of the work done; false when the user cancels.
  virtual bool Proportion(double fraction) = 0;
  // The report ended.
  virtual void Stop() = 0;
};

// Receives every object an import hands to the host; false refuses it (the import stops).
class HOSTFW_API IoObjectSink {
 public:
  virtual ~IoObjectSink();
  virtual bool Receive(TrBase& object) = 0;
};

// Shows warnings and help to the user.
class HOSTFW_API IoMessageSink {
 public:
  virtual ~IoMessageSink();
  virtual void Warning(const std::string& text) = 0;
  virtual void ShowHelp(const std::string& topic) = 0;
};

class HOSTFW_API IoManager {
 public:
  explicit IoManager(std::string formatName = "Iris Explorer LAT");
  IoManager(const IoManager&) = delete;
  IoManager& operator=(const IoManager&) = delete;
  ~IoManager();

  // Options. SetOption keeps a value for this session and, with `persist`, also in the
  // saved store. GetOption finds a value set in this session and, with `useSaved`, also
  // one from the saved store; it leaves `value` untouched and returns false otherwise.
  bool GetOption(const char* name, int& value, bool useSaved) const;
  bool GetOption(const char* name, double& value, bool useSaved) const;
  void SetOption(const char* name, int value, bool persist);
  void SetOption(const char* name, double value, bool persist);

  // Reads `key` from an options string (delimiter ','); false, `value` untouched, when
  // the key is absent or its text does not spell a value of the type.
  bool GetStringOption(const char* options, const char* key, bool& value) const;
  bool GetStringOption(const char* options, const char* key, int& value) const;
  bool GetStringOption(const char* options, const char* key, double& value) const;
  // The keys a filter has read through GetStringOption so far, and the keys of `options`
  // (as spelt there, matched without regard to case) that it has not: the ones the filter
  // does not know, once it has read its options.
  const std::set<std::string>& OptionKeysRead() const noexcept { return keysRead_; }
  std::vector<std::string> OptionKeysNotRead(const char* options) const;

  // The session options as "Key=Value" items joined by `delimiter`, sorted by key.
  std::string OptionsInStringForm(char delimiter) const;
  // The saved store as text, one "Key=Value" per line, and back. Loading replaces the
  // store; lines that are not "Key=Value" are skipped.
  std::string SavedOptionsText() const;
  void LoadSavedOptions(const std::string& text);

  // Progress, forwarded to the progress sink (without one: never cancelled).
  bool ProgressBegin(const std::string& message);
  bool ProgressProportion(double fraction);
  void ProgressStop();

  // Delivery of imported objects to the object sink (without one: accepted and dropped).
  bool DeliverObject(TrBase& object) const;
  void ReportWarning(const std::string& text) const;
  void ShowHelp(const std::string& topic) const;

  void SetProgressSink(IoProgressSink* sink) noexcept { progressSink_ = sink; }
  void SetObjectSink(IoObjectSink* sink) noexcept { objectSink_ = sink; }
  void SetMessageSink(IoMessageSink* sink) noexcept { messageSink_ = sink; }
  IoObjectSink* GetObjectSink() const noexcept { return objectSink_; }

  std::string formatName;
  void* parentWindow = nullptr;      // owner window of the filter's dialogs
  void* resourceInstance = nullptr;  // module holding the filter's dialog resources

 private:
  std::map<std::string, std::string> session_;
  std::map<std::string, std::string> saved_;
  mutable std::set<std::string> keysRead_;  // as the filter spells them
  IoProgressSink* progressSink_ = nullptr;
  IoObjectSink* objectSink_ = nullptr;
  IoMessageSink* messageSink_ = nullptr;
};

}  // namespace hostfw
