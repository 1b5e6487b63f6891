// The XML subset reader of the VTK import.
#include "vtk/VtkXmlReader.h"

#include <cstdint>

namespace {

constexpr const char* kModule = "VtkXmlReader";
constexpr int kNone = -2;
constexpr std::size_t kMaxName = 256;       // element and attribute names
constexpr std::size_t kMaxValue = 1 << 20;  // attribute values

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameByte(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || c == '-' || c == '.' || c >= 0x80;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

const std::string* VtkXmlReader::Tag::Find(std::string_view key) const {
  for (const auto& attribute : attributes)
    if (attribute.first == key) return &attribute.second;
  return nullptr;
}

VtkXmlReader::VtkXmlReader(hostbase::CBufferedFile& file, const hostfw::IoFilter& filter)
    : file_(file), filter_(filter) {}

void VtkXmlReader::Fail(int sourceLine) const {
  filter_.ThrowError(kModule, sourceLine, hostfw::ErrCode::PlainSyntax, line_, file_.GetFilePath());
}

int VtkXmlReader::Get() {
  int c = pending_;
  if (c == kNone) c = file_.Getc();
  pending_ = kNone;
  if (c == '\n') ++line_;
  return c;
}

int VtkXmlReader::Peek() {
  if (pending_ == kNone) pending_ = file_.Getc();
  return pending_;
}

int VtkXmlReader::TextByte() {
  return Peek() == '<' ? -1 : Get();
}

void VtkXmlReader::SkipSpace() {
  while (IsSpace(Peek())) Get();
}

// Skips up to and including `end`; the file must hold it.
void VtkXmlReader::SkipPast(std::string_view end) {
  std::size_t matched = 0;
  while (matched < end.size()) {
    const int c = Get();
    if (c < 0) Fail(__LINE__);
    if (c == end[matched])
      ++matched;
    else
      matched = c == end[0] ? 1 : 0;
  }
}

void VtkXmlReader::ReadName(std::string& name) {
  name.clear();
  while (IsNameByte(Peek())) {
    name += static_cast<char>(Get());
    if (name.size() > kMaxName) Fail(__LINE__);
  }
  if (name.empty()) Fail(__LINE__);
}

// &lt; &gt; &amp; &quot; &apos; &#N; &#xN; (after the '&').
void VtkXmlReader::AppendReference(std::string& value) {
  std::string entity;
  for (int c = Get(); c != ';'; c = Get()) {
    if (c < 0 || entity.size() > 10) Fail(__LINE__);
    entity += static_cast<char>(c);
  }
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [name, c] : kEntities)
    if (entity == name) {
      value += c;
      return;
    }
  if (entity.size() < 2 || entity[0] != '#') Fail(__LINE__);
  const bool hex = entity[1] == 'x';
  std::uint32_t code = 0;
  const std::size_t first = hex ? 2 : 1;
  if (first >= entity.size()) Fail(__LINE__);
  for (std::size_t i = first; i < entity.size(); ++i) {
    const char d = entity[i];
    int digit = -1;
    if (d >= '0' && d <= '9') digit = d - '0';
    if (hex && d >= 'a' && d <= 'f') digit = d - 'a' + 10;
    if (hex && d >= 'A' && d <= 'F') digit = d - 'A' + 10;
    if (digit < 0) Fail(__LINE__);
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    if (code > 0x10FFFF) Fail(__LINE__);
  }
  if (code == 0) Fail(__LINE__);
  AppendUtf8(value, code);
}

void VtkXmlReader::ReadAttributeValue(std::string& value) {
  value.clear();
  const int quote = Get();
  if (quote != '"' && quote != '\'') Fail(__LINE__);
  for (int c = Get(); c != quote; c = Get()) {
    if (c < 0 || c == '<' || value.size() > kMaxValue) Fail(__LINE__);
    if (c == '&')
      AppendReference(value);
    else
      value += static_cast<char>(c);
  }
}

bool VtkXmlReader::NextTag(Tag& tag) {
  for (;;) {
    int c = Get();
    while (c >= 0 && c != '<') c = Get();
    if (c < 0) return false;
    c = Peek();
    if (c == '?') {
      SkipPast("?>");
      continue;
    }
    if (c == '!') {
      Get();
      if (Peek() == '-') {
        Get();
        if (Get() != '-') Fail(__LINE__);
        SkipPast("-->");
      } else {
        SkipPast(">");
      }
      continue;
    }
    tag.closing = c == '/';
    if (tag.closing) Get();
    ReadName(tag.name);
    tag.attributes.clear();
    tag.empty = false;
    for (;;) {
      SkipSpace();
      c = Peek();
      if (c == '>') {
        Get();
        return true;
      }
      if (c == '/' && !tag.closing) {
        Get();
        if (Get() != '>') Fail(__LINE__);
        tag.empty = true;
        return true;
      }
      if (tag.closing) Fail(__LINE__);
      std::pair<std::string, std::string> attribute;
      ReadName(attribute.first);
      SkipSpace();
      if (Get() != '=') Fail(__LINE__);
      SkipSpace();
      ReadAttributeValue(attribute.second);
      tag.attributes.push_back(std::move(attribute));
    }
  }
}
