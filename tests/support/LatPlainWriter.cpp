// Builds plain text LAT files for tests.
#include "tests/support/LatPlainWriter.h"

#include <charconv>
#include <fstream>
#include <stdexcept>

namespace lattest {

std::string FormatNumber(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

PlainText& PlainText::Header(std::string_view kind, std::string_view version,
                             std::string_view path) {
  text_ += "#!";
  text_ += path;
  text_ += " cxLattice ";
  text_ += kind;
  text_ += ' ';
  text_ += version;
  text_ += '\n';
  return *this;
}

PlainText& PlainText::Line(std::string_view text) {
  text_ += text;
  text_ += '\n';
  return *this;
}

PlainText& PlainText::Numbers(std::initializer_list<double> values) {
  return Numbers(std::vector<double>(values));
}

PlainText& PlainText::Numbers(const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text_ += ' ';
    text_ += FormatNumber(values[i]);
  }
  text_ += '\n';
  return *this;
}

PlainText& PlainText::Raw(std::string_view text) {
  text_ += text;
  return *this;
}

void PlainText::WriteTo(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  if (!out) throw std::runtime_error("PlainText: cannot write " + path);
}

namespace {

void PutLines(PlainText& text, const std::vector<double>& values, std::size_t perLine) {
  if (perLine == 0) perLine = 1;
  for (std::size_t i = 0; i < values.size(); i += perLine) {
    const auto first = values.begin() + static_cast<std::ptrdiff_t>(i);
    const auto last =
        i + perLine < values.size() ? first + static_cast<std::ptrdiff_t>(perLine) : values.end();
    text.Numbers(std::vector<double>(first, last));
  }
}

}  // namespace

std::string PlainLatticeText(const PlainLattice& lat) {
  PlainText text;
  text.Header();
  text.Numbers({static_cast<double>(lat.nDim)});
  std::vector<double> dims;
  for (std::int32_t i = 0; i < lat.nDim && static_cast<std::size_t>(i) < lat.dims.size(); ++i)
    dims.push_back(lat.dims[static_cast<std::size_t>(i)]);
  text.Numbers(dims);
  text.Numbers({static_cast<double>(lat.nDataVar), static_cast<double>(lat.primType),
                static_cast<double>(lat.geometryType), static_cast<double>(lat.blocks.size())});
  if (lat.geometryType == 2) text.Numbers({static_cast<double>(lat.nCoordVar)});
  PutLines(text, lat.geometry, lat.valuesPerLine);
  for (const std::vector<double>& block : lat.blocks) PutLines(text, block, lat.valuesPerLine);
  return text.Text();
}

}  // namespace lattest
