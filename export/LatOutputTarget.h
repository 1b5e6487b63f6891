// Where an export's bytes go, so that a failed or cancelled export never costs the user a
// file.
//
// A plain "wb" open of the output followed by removing it when the export fails would
// destroy whatever was at the output path before, and would remove the file of an earlier,
// completed export when the path is reused. Instead, when the output path is a regular
// file or does not exist yet, the bytes go to a new temporary file in the same directory
// ("<dir>/.<name>.XXXXXX", created exclusively, with the mode the output would get) that
// replaces the output by a rename only once the lattice is complete; every failure or
// cancel removes only that temporary file. An output that exists but is not a regular
// file (a device such as /dev/full, a FIFO) cannot be replaced by a rename: it is written
// directly and never removed. A directory, or a file the user may not write, is opened
// directly too, so the file library reports it with its own open error. An output path
// that is a symbolic link is written through: the file it points to is replaced and the
// link stays.
#pragma once

#include <string>

class LatOutputTarget {
 public:
  LatOutputTarget() = default;
  ~LatOutputTarget();  // removes an uncommitted file of its own
  LatOutputTarget(const LatOutputTarget&) = delete;
  LatOutputTarget& operator=(const LatOutputTarget&) = delete;

  // Chooses where the bytes for `outputPath` go and creates the temporary file when there
  // is one; drops what an earlier Prepare left. False, with the system's reason, when the
  // output is an existing file and no temporary file can be made next to it.
  bool Prepare(const std::string& outputPath, std::string& reason);
  // The path to open for writing (valid after Prepare).
  const std::string& WritePath() const noexcept { return writePath_; }
  // Tells the target that WritePath() was opened for writing: an output path that did not
  // exist before and was opened directly is this export's own from then on.
  void Opened() noexcept;
  // After the written file has been closed: moves the temporary file over the output.
  // False, with the system's reason, when that fails (the temporary file is then removed).
  bool Commit(std::string& reason);
  // Removes what this target created and has not committed. Never removes anything else.
  void Discard() noexcept;

 private:
  void Reset() noexcept;

  std::string writePath_;
  std::string finalPath_;
  bool prepared_ = false;
  bool owned_ = false;           // writePath_ was created here: removed by Discard
  bool createdOnOpen_ = false;   // writePath_ did not exist before; owned once opened
  bool renameOnCommit_ = false;  // writePath_ is a temporary file for finalPath_
};
