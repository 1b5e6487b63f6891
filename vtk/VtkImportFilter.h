// The VTK import filter: recognises VTK XML files, reads ImageData, RectilinearGrid and
// StructuredGrid files in every encoding VTK writes (ascii, inline base64, appended raw or
// base64; zlib or not; 32- or 64-bit headers; either byte order; one or several pieces)
// and hands each point-data array to the host as one lattice on the file's geometry.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hostbase/BufferedFile.h"
#include "hostbase/PageBuffer.h"
#include "hostfw/IoFilter.h"
#include "hostfw/Transfer.h"
#include "vtk/VtkXmlReader.h"

// Bytes decoded from base64 text pulled one character at a time; blanks are skipped and
// padding may end any group, as where VTK encodes a header apart from its data.
class Base64Reader {
 public:
  explicit Base64Reader(std::function<int()> next) : next_(std::move(next)) {}
  // Up to `count` bytes; fewer at the end of the text (or at a character outside base64).
  std::size_t Read(void* destination, std::size_t count);

 private:
  std::function<int()> next_;
  unsigned char group_[3] = {};
  int have_ = 0, taken_ = 0;
};

class VtkImportFilter final : public hostfw::IoImportFilter {
 public:
  explicit VtkImportFilter(hostfw::IoManager& manager) noexcept;
  ~VtkImportFilter() override;

  void SetOptions(const char* options) override;
  std::string GetOptionsInStringForm() override;
  bool IsObjectTypeSupported(const hostbase::CTypeInfo* type) override;
  bool GetStringOption(const char* options, const char* key, std::string& value) override;
  bool CanImportFile(const char* path) override;
  hostfw::ImportStatus ImportFromFile(const char* path) override;

 private:
  static constexpr const char* kFormatName = "VTK XML";
  enum class Role { Values, Ghost, XAxis, YAxis, ZAxis, Points };
  enum class Encoding { Ascii, Base64, Appended };
  struct Extent {
    std::int64_t lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    std::int64_t Count(int axis) const { return hi[axis] - lo[axis] + 1; }
    std::int64_t Nodes() const { return Count(0) * Count(1) * Count(2); }
  };
  // One DataArray of one piece; `bytes` holds its values in the machine's order once read.
  struct Array {
    Role role = Role::Values;
    std::string name;
    int type = 0;               // host type code (64-bit unsigned arrives as doubles)
    bool wideUnsigned = false;  // a 64-bit unsigned array, converted once read
    int components = 1;
    std::int64_t count = 0;  // values
    Encoding encoding = Encoding::Ascii;
    std::uint64_t offset = 0;  // into the appended data
    std::size_t piece = 0;
    hostbase::PageBuffer bytes;
  };
  using ByteReader = std::function<std::size_t(void*, std::size_t)>;

  // Structure (VtkImportFilter.cpp).
  void ReadFileElement(VtkXmlReader& xml);
  void ReadDataset(VtkXmlReader& xml);
  void ReadDataArray(VtkXmlReader& xml, const VtkXmlReader::Tag& tag, int section);
  void ReadAppended(VtkXmlReader& xml, const VtkXmlReader::Tag& tag);
  Extent ParseExtent(VtkXmlReader& xml, const std::string* text) const;
  hostfw::ImportStatus SendLattices();
  hostfw::ImportStatus SendLattice(Array& values, const Array* ghost, std::vector<Array*>& coords);
  std::unique_ptr<hostfw::TrLattice> MakeHeader(const Array& values, std::vector<Array*>& coords);

  // Data (VtkImportData.cpp).
  void CheckCapacity(const Array& array, std::int64_t bytes, bool base64) const;
  void ReadAscii(VtkXmlReader& xml, Array& array);
  void ReadBinary(Array& array, const ByteReader& read, bool base64);
  void ReadCompressed(Array& array, const ByteReader& read, std::uint64_t bytes);
  std::uint64_t ReadHeaderWord(const ByteReader& read);
  void FinishArray(Array& array, bool swap);
  void Assemble(std::vector<Array*>& parts, Array& whole, bool axis, int axisIndex);
  [[noreturn]] void ThrowBadData(int line) const;

  std::unique_ptr<hostbase::CBufferedFile> file;
  std::string path;
  int kind = 0;
  bool bigEndian = false;
  int headerSize = 4;
  bool zlib = false;
  Extent whole;
  double origin[3] = {0, 0, 0}, spacing[3] = {1, 1, 1};
  std::vector<Extent> pieces;
  std::vector<Array> arrays;
  std::vector<std::string> cellArrays;
  std::int64_t appendedStart = -1;
};

PLUGIN_FACTORY hostfw::IoImportFilter* ImportVTK(hostfw::IoManager& manager);
