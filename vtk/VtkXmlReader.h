// A reader of the XML that VTK writes, pulled tag by tag from the host's buffered file:
// elements with attributes (entities and character references decoded), comments,
// processing instructions and declarations skipped. Character data between tags is either
// skipped or read byte by byte by the caller (inline arrays), and the raw bytes after the
// appended-data marker are read from the file itself. No DTDs, namespaces or CDATA: VTK
// writes none.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "hostfw/IoFilter.h"

class VtkXmlReader {
 public:
  struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    bool closing = false;  // </name>
    bool empty = false;    // <name ... />
    // The attribute's value, or null.
    const std::string* Find(std::string_view key) const;
  };

  // Syntax errors are raised through `filter` (the plain-syntax code, with the line and
  // the file's path).
  VtkXmlReader(hostbase::CBufferedFile& file, const hostfw::IoFilter& filter);

  // The next tag, skipping character data; false at the end of the file.
  bool NextTag(Tag& tag);
  // The next byte of character data (-1 at the end of the file), counting lines; a '<'
  // is left for NextTag.
  int TextByte();
  int Line() const noexcept { return line_; }
  [[noreturn]] void Fail(int sourceLine) const;

 private:
  int Get();
  int Peek();
  void SkipSpace();
  void SkipPast(std::string_view end);
  void ReadName(std::string& name);
  void ReadAttributeValue(std::string& value);
  void AppendReference(std::string& value);

  hostbase::CBufferedFile& file_;
  const hostfw::IoFilter& filter_;
  int pending_ = -2;  // a byte looked at and not yet taken; -2 for none
  int line_ = 1;
};
