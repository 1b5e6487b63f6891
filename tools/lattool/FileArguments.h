// The files named on the command line: checks that hold before anything is read or
// written, and inputs that cannot be read as files.
#pragma once

#include <memory>
#include <string>

#include "hostbase/AtomicFile.h"

namespace lattool {

// Raises UsageError when IN and OUT name the same file, however spelt (also through a
// link): writing OUT would destroy IN before it is read.
void RefuseSameFile(const std::string& input, const std::string& output);

// A new, empty folder of this run's own in the system's temporary folder, removed with
// everything in it when the object goes.
class TempFolder {
 public:
  // Raises std::runtime_error naming `purpose` when no folder can be made.
  explicit TempFolder(const std::string& purpose);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
};

// An input argument as a file the plug-in can seek in. "-" (standard input) and a pipe,
// FIFO or other file that is not a regular one are first copied into a temporary file,
// with a running count of the bytes on stderr when `progress`; the copy is removed with
// the object. Any other argument is used as it is.
class InputFile {
 public:
  InputFile(const std::string& argument, bool progress);
  const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
  std::unique_ptr<hostbase::CAtomicFile> spool_;
  // Holds the name the spool is read by (see the constructor).
  std::unique_ptr<TempFolder> folder_;
};

// An output argument. "-" (standard output): the export writes a file in a temporary
// folder of its own, which Deliver copies to standard output once the export is complete;
// the folder is removed with the object. Any other argument is used as it is.
class OutputFile {
 public:
  explicit OutputFile(const std::string& argument);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& Path() const noexcept { return path_; }
  // Copies the written file to standard output (nothing for a named output); raises
  // std::runtime_error when it cannot.
  void Deliver() const;

 private:
  std::string path_;
  std::unique_ptr<TempFolder> folder_;  // none for a named output
};

}  // namespace lattool
