// A small import filter for the tests of the framework's bases. Its "files" are letters,
// one object each: 'H' a header whose "LatticeInfo" names its position, 'h' a header
// without one, 'S' a scan, 'E' an end marker, '!' a bad-data error.
#pragma once

#include <string>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "hostbase/PrimType.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Transfer.h"

namespace hosttest {

class FakeImportFilter : public hostfw::IoImportFilter {
 public:
  using IoImportFilter::IoImportFilter;

  bool CanImportFile(const char* /*path*/) override { return true; }

  hostfw::ImportStatus ImportFromFile(const char* path) override {
    paths.emplace_back(path);
    hostbase::CBufferedFile file(path, "rb", 3, false);
    for (int c = file.Getc(); c != -1; c = file.Getc()) {
      ++readObjects;
      if (c == '!')
        ThrowError("FakeImport", 7, hostfw::ErrCode::BadBinaryData, file.GetPosition(), path);
      if (!Deliver(c, file.GetPosition())) return hostfw::ImportStatus_Stopped;
    }
    return hostfw::ImportStatus_Complete;
  }

  std::vector<std::string> paths;  // every path ImportFromFile was given
  int readObjects = 0;

 private:
  bool Deliver(int letter, std::int64_t position) const {
    if (letter == 'S') {
      hostfw::TrLatticeScan scan(4);
      return ImportObject(scan);
    }
    if (letter == 'E') {
      hostfw::TrLatticeEnd end;
      return ImportObject(end);
    }
    hostfw::TrUniformLattice header(hostbase::CPrimType::Float, 1, 1, 1, 1);
    if (letter == 'H')
      header.params.Set("LatticeInfo", ("header at " + std::to_string(position)).c_str());
    return ImportObject(header);
  }
};

}  // namespace hosttest
