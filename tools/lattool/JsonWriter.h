// A small streaming JSON writer: values go straight into one large buffer that is
// drained to a file (or appended to a string) when it fills. Objects are laid out one
// member per line; arrays of plain values stay on one line.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "Client.h"

namespace lattool {

class JsonWriter {
 public:
  static constexpr std::size_t kDefaultBufferSize = std::size_t{1} << 20;
  static constexpr int kMaxDepth = 32;
  // A number always fits in an empty buffer of at least this size.
  static constexpr std::size_t kMinBufferSize = 64;

  explicit JsonWriter(std::FILE* out, std::size_t bufferSize = kDefaultBufferSize);
  explicit JsonWriter(std::string& out, std::size_t bufferSize = kDefaultBufferSize);
  ~JsonWriter();  // drains what is left
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The key of the next object member.
  void Key(std::string_view key);

  void String(std::string_view text);
  void Bool(bool value);
  void Null();
  // Integers print in full; reals as their shortest round-trip text, NaN and the
  // infinities as the strings "NaN", "Infinity" and "-Infinity".
  template <class T>
  void Number(T value);
  // A value that is already JSON text.
  void Raw(std::string_view json);
  // Ends the document with a line feed and drains the buffer; false when writing failed.
  bool Finish();
  // Drops what is not drained yet, and everything after: the document is not wanted.
  void Discard() noexcept {
    used_ = 0;
    failed_ = true;
  }

 private:
  enum class Scope : std::uint8_t { Object, Array };
  struct Level {
    Scope scope;
    bool hasItems;
    bool hasContainers;
  };

  void BeforeValue(bool container);
  void Push(Scope scope);
  void Pop(Scope scope, char closer);
  void NewLine(int depth);
  void Put(char c) {
    if (used_ == size_) Drain();
    buffer_[used_++] = c;
  }
  void Put(std::string_view text);
  char* Reserve(std::size_t count) {
    if (size_ - used_ < count) Drain();
    return buffer_.get() + used_;
  }
  void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }
  void PutEscaped(std::string_view text);
  void Drain();

  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  std::size_t size_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
  bool afterKey_ = false;
  int depth_ = 0;
  std::array<Level, kMaxDepth> levels_{};
};

template <class T>
void JsonWriter::Number(T value) {
  static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>);
  if constexpr (std::is_floating_point_v<T>) {
    if (std::isnan(value)) return String("NaN");
    if (std::isinf(value)) return String(value > 0 ? "Infinity" : "-Infinity");
  }
  BeforeValue(false);
  Commit(FormatNumber(Reserve(kNumberTextMax), value));
}

}  // namespace lattool
