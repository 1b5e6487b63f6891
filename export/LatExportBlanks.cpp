// Data types and blanks: the promotion of types the format lacks, the data range of a
// lattice, the value written for blanked nodes, and the conversion of one row with it.
#include <cmath>
#include <cstring>
#include <limits>

#include "export/LatExportDlg.h"
#include "export/LatExportFilter.h"

namespace {

constexpr const char* kModule = "LatExportFilter";

using hostbase::CPrimData;
using hostbase::CPrimType;

struct Promotion {
  std::int32_t from;
  std::int32_t to;
  const char* warning;
};

constexpr Promotion kPromotions[] = {
    {CPrimType::UInt8, CPrimType::Int16,
     "This file format does not support 8-bit unsigned integer data.  Export will proceed by "
     "converting to 16-bit signed data."},
    {CPrimType::UInt16, CPrimType::Int32,
     "This file format does not support 16-bit unsigned integer data.  Export will proceed by "
     "converting to 32-bit signed data."},
    {CPrimType::UInt32, CPrimType::Double,
     "This file format does not support 32-bit unsigned integer data.  Export will proceed by "
     "converting to double-precision floating-point data."},
    {CPrimType::Int64, CPrimType::Double,
     "This file format does not support 64-bit integer data.  Export will proceed by "
     "converting to 64-bit floating-point data.  Some data values may be truncated during "
     "conversion."},
};

// A double converted to `type` by the shared library's rules.
CPrimData Converted(double value, int type) {
  CPrimData result(type);
  result.ConvertData(CPrimData(CPrimType::Double, &value));
  return result;
}

// Overwrites every blanked value of a converted row with `replacement` (`size` bytes). A
// value is blanked when it reads as exactly `marker`; when the marker is NaN, every NaN is.
template <class T>
void PatchBlanks(const unsigned char* source, unsigned char* destination, std::size_t count,
                 double marker, const void* replacement, std::size_t size) {
  const bool nanMarker = std::isnan(marker);
  for (std::size_t i = 0; i < count; ++i) {
    T value;
    std::memcpy(&value, source + i * sizeof(T), sizeof(T));
    const auto wide = static_cast<double>(value);
    if (wide == marker || (nanMarker && std::isnan(wide)))
      std::memcpy(destination + i * size, replacement, size);
  }
}

void PatchBlanksOfType(int type, const void* source, void* destination, std::size_t count,
                       double marker, const CPrimData& replacement, std::size_t size) {
  hostbase::DispatchPrimType(type, [&]<class T>(std::type_identity<T>) {
    PatchBlanks<T>(static_cast<const unsigned char*>(source),
                   static_cast<unsigned char*>(destination), count, marker,
                   replacement.GetDataPtr(), size);
  });
}

}  // namespace

void LatExportFilter::PromoteDataType(std::int32_t& type) {
  for (const Promotion& promotion : kPromotions) {
    if (promotion.from != type) continue;
    type = promotion.to;
    if (latticesWritten == 0) Warning(hostbase::IError::WarnStyle_Warning, promotion.warning);
    return;
  }
}

// The smallest component minimum and the largest component maximum; an empty range (one
// value) is made inverted so that it is never mistaken for real data.
void LatExportFilter::ComputeDataRange(const hostfw::TrLattice& header) {
  dataMin = std::numeric_limits<double>::max();
  dataMax = std::numeric_limits<double>::lowest();
  for (std::size_t i = 0; i < header.componentMin.size(); ++i) {
    if (header.componentMin[i] < dataMin) dataMin = header.componentMin[i];
    if (i < header.componentMax.size() && header.componentMax[i] > dataMax)
      dataMax = header.componentMax[i];
  }
  if (dataMin == dataMax) dataMin += 1.0;
}

// Settles the options and the replacement for one lattice; false when the user cancelled
// the options dialog.
bool LatExportFilter::PrepareBlanks(const hostfw::TrLattice& header) {
  if (page) {
    blankMethod = page->blankMethod;
    fixedBlankValue = page->fixedValue;
    SaveOptions(true);
    page.reset();
    if (!ComputeBlankReplacement())
      ThrowError(kModule, __LINE__, hostfw::ErrCode::DataTypeNotSupported,
                 CPrimType::TypeName[dataType]);
  } else {
    blankMethod = BlankMethod::DataMin;
    fixedBlankValue = 0.0;
    LoadSavedOptions(true);
    if (hasBlanks) {
      if (interactive && !ShowOptionsDialog()) return false;
      if (!ComputeBlankReplacement())
        ThrowError(kModule, __LINE__, hostfw::ErrCode::DataTypeNotSupported,
                   CPrimType::TypeName[dataType]);
    }
  }
  if (hasBlanks) blankMarker = header.blankValue;
  return true;
}

// False only for a fixed value outside the range of the written type; the replacement
// then still holds that value.
bool LatExportFilter::ComputeBlankReplacement() {
  switch (blankMethod) {
    case BlankMethod::DataMin:
      blankReplacement = Converted(dataMin, dataType);
      return true;
    case BlankMethod::DataMax:
      blankReplacement = Converted(dataMax, dataType);
      return true;
    case BlankMethod::TypeMin:
      blankReplacement = CPrimData::PrimMin(dataType);
      return true;
    case BlankMethod::Fixed:
      blankReplacement = CPrimData(CPrimType::Double, &fixedBlankValue);
      return CPrimData::PrimMin(dataType).CompareData(CPrimType::Double, &fixedBlankValue) <= 0 &&
             CPrimData::PrimMax(dataType).CompareData(CPrimType::Double, &fixedBlankValue) >= 0;
    case BlankMethod::TypeMax:
    default:
      blankReplacement = CPrimData::PrimMax(dataType);
      return true;
  }
}

// One row from the received type into the written type: the whole row at once, then the
// blanked values replaced.
void LatExportFilter::ConvertRow(const void* source, void* destination) const {
  const std::size_t count = std::size_t{nx} * numComponents;
  CPrimType::CastArray(sourceDataType, source, dataType, destination, count, 1);
  if (hasBlanks)
    PatchBlanksOfType(sourceDataType, source, destination, count, blankMarker, blankInType,
                      static_cast<std::size_t>(dataTypeSize));
}
