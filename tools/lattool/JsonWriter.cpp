// Layout, escaping and buffering of the streaming JSON writer.
#include "JsonWriter.h"

#include <algorithm>
#include <stdexcept>

namespace lattool {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The two-character escape of `c`, or 0 when it has none.
char ShortEscape(unsigned char c) {
  switch (c) {
    case '"':
      return '"';
    case '\\':
      return '\\';
    case '\b':
      return 'b';
    case '\f':
      return 'f';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '\t':
      return 't';
    default:
      return 0;
  }
}

}  // namespace

JsonWriter::JsonWriter(std::FILE* out, std::size_t bufferSize)
    : file_(out),
      size_(std::max(bufferSize, kMinBufferSize)),
      buffer_(std::make_unique_for_overwrite<char[]>(size_)) {}

JsonWriter::JsonWriter(std::string& out, std::size_t bufferSize)
    : text_(&out),
      size_(std::max(bufferSize, kMinBufferSize)),
      buffer_(std::make_unique_for_overwrite<char[]>(size_)) {}

JsonWriter::~JsonWriter() {
  Drain();
}

void JsonWriter::BeginObject() {
  BeforeValue(true);
  Push(Scope::Object);
  Put('{');
}

void JsonWriter::EndObject() {
  Pop(Scope::Object, '}');
}

void JsonWriter::BeginArray() {
  BeforeValue(true);
  Push(Scope::Array);
  Put('[');
}

void JsonWriter::EndArray() {
  Pop(Scope::Array, ']');
}

void JsonWriter::Key(std::string_view key) {
  if (depth_ == 0 || levels_[depth_ - 1].scope != Scope::Object || afterKey_) {
    throw std::logic_error("JsonWriter: a key outside an object");
  }
  Level& level = levels_[depth_ - 1];
  if (level.hasItems) Put(',');
  NewLine(depth_);
  level.hasItems = true;
  Put('"');
  PutEscaped(key);
  Put("\": ");
  afterKey_ = true;
}

void JsonWriter::String(std::string_view text) {
  BeforeValue(false);
  Put('"');
  PutEscaped(text);
  Put('"');
}

void JsonWriter::Bool(bool value) {
  BeforeValue(false);
  Put(value ? "true" : "false");
}

void JsonWriter::Null() {
  BeforeValue(false);
  Put("null");
}

void JsonWriter::Raw(std::string_view json) {
  BeforeValue(false);
  Put(json);
}

bool JsonWriter::Finish() {
  Put('\n');
  Drain();
  if (file_ != nullptr && std::fflush(file_) != 0) failed_ = true;
  return !failed_;
}

// Separates a value from the one before it: inside an object the key has done that;
// inside an array plain values follow ", " on the same line and containers start a line.
void JsonWriter::BeforeValue(bool container) {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (depth_ == 0) return;
  Level& level = levels_[depth_ - 1];
  if (level.scope == Scope::Object) throw std::logic_error("JsonWriter: a value without a key");
  if (level.hasItems) {
    Put(',');  // one byte at a time: no copy call for the separator of every number
    if (!container) Put(' ');
  }
  if (container) {
    NewLine(depth_);
    level.hasContainers = true;
  }
  level.hasItems = true;
}

void JsonWriter::Push(Scope scope) {
  if (depth_ == kMaxDepth) throw std::length_error("JsonWriter: nested too deeply");
  levels_[depth_++] = Level{scope, false, false};
}

void JsonWriter::Pop(Scope scope, char closer) {
  if (depth_ == 0 || levels_[depth_ - 1].scope != scope || afterKey_) {
    throw std::logic_error("JsonWriter: unbalanced end of a container");
  }
  const Level level = levels_[--depth_];
  if (level.scope == Scope::Object ? level.hasItems : level.hasContainers) NewLine(depth_);
  Put(closer);
}

void JsonWriter::NewLine(int depth) {
  Put('\n');
  for (int i = 0; i < depth; ++i) Put("  ");
}

void JsonWriter::Put(std::string_view text) {
  while (!text.empty()) {
    if (used_ == size_) Drain();
    const std::size_t n = std::min(text.size(), size_ - used_);
    std::copy_n(text.data(), n, buffer_.get() + used_);
    used_ += n;
    text.remove_prefix(n);
  }
}

// Quotes, backslashes and control characters are escaped; every other byte, bytes of
// 0x80 and above included, passes through as it is.
void JsonWriter::PutEscaped(std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != '"' && c != '\\') {
      Put(ch);
    } else if (const char e = ShortEscape(c); e != 0) {
      Put('\\');
      Put(e);
    } else {
      const char code[] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
      Put(std::string_view(code, sizeof code));
    }
  }
}

// After a failed write (or a discard) nothing more is written.
void JsonWriter::Drain() {
  if (used_ == 0 || failed_) {
    used_ = 0;
    return;
  }
  if (text_ != nullptr) {
    text_->append(buffer_.get(), used_);
  } else if (std::fwrite(buffer_.get(), 1, used_, file_) != used_) {
    failed_ = true;
  }
  used_ = 0;
}

}  // namespace lattool
