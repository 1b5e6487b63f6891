// A file that appears at its path only when complete, so that a failed, cancelled or
// killed writer never costs the user a file.
//
// When the output path is a regular file or does not exist yet, the bytes go to a
// temporary file in the same directory, with the mode the output would get (an existing
// output keeps its mode exactly), and replace the output only at Commit; every failure or
// cancel removes only that temporary file. On Linux the temporary file has no name
// (O_TMPFILE) until Commit links it into place, so even a killed process leaves nothing
// behind. Where the file system refuses unnamed files, on Windows, and when the
// environment variable HOSTBASE_NAMED_TEMPORARY is set to a non-empty value, it is a
// hidden file "<dir>/.<name>.XXXXXX", created exclusively.
//
// An output that exists but is not a regular file (a device such as /dev/full, a FIFO)
// cannot be replaced: it is written directly and never removed. A directory, or a file the
// user may not write, is opened directly too, so the opener reports it with its own error.
// An output path that is a symbolic link is written through: the file it points to is
// replaced and the link stays.
//
// A file that is never committed (a spool) is made the same way and dropped by Discard.
#pragma once

#include <string>

#include "hostbase/Export.h"

namespace hostbase {

class HOSTBASE_API CAtomicFile {
 public:
  CAtomicFile() = default;
  ~CAtomicFile();  // removes an uncommitted file of its own
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Chooses where the bytes for `outputPath` go and creates the temporary file when there
  // is one; drops what an earlier Prepare left. False, with the system's reason, when the
  // output is an existing file and no temporary file can be made next to it.
  bool Prepare(const std::string& outputPath, std::string& reason);
  // The path to open for writing, and for reading back (valid until Commit or Discard).
  const std::string& WritePath() const noexcept { return writePath_; }
  // Tells the target that WritePath() was opened for writing: an output path that did not
  // exist before and was opened directly is this writer's own from then on.
  void Opened() noexcept;
  // After every handle on WritePath() has been closed: moves the written file over the
  // output. False, with the system's reason, when that fails (the temporary file is then
  // removed).
  bool Commit(std::string& reason);
  // Removes what this target created and has not committed. Never removes anything else.
  void Discard() noexcept;

 private:
  bool PrepareUnnamed(const std::string& target, unsigned existingMode);
  void Reset() noexcept;

  std::string writePath_;
  std::string finalPath_;
  int unnamedFd_ = -1;  // the unnamed temporary file, linked in by Commit
  bool prepared_ = false;
  bool owned_ = false;           // writePath_ was created here: removed by Discard
  bool createdOnOpen_ = false;   // writePath_ did not exist before; owned once opened
  bool renameOnCommit_ = false;  // writePath_ is a named temporary file for finalPath_
};

}  // namespace hostbase
