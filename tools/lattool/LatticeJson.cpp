// A SAX reader over nlohmann's parser: keeps the members of the root object and of the
// first element of its "lattices" array, and only checks the syntax of everything else.
#include "LatticeJson.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
#include <limits>
#include <streambuf>
#include <vector>

#include <nlohmann/json.hpp>

namespace lattool {

namespace {

using Json = nlohmann::json;

JsonMember MemberOfKind(JsonMember::Kind kind) {
  JsonMember member;
  member.kind = kind;
  return member;
}

class MemberCollector {
 public:
  // nlohmann's SAX interface.
  bool null() { return Scalar(JsonMember{}, "null"); }
  bool boolean(bool value) {
    JsonMember m = MemberOfKind(JsonMember::Kind::Bool);
    m.boolean = value;
    return Scalar(std::move(m), value ? "true" : "false");
  }
  bool number_integer(Json::number_integer_t value) { return Integer(value); }
  bool number_unsigned(Json::number_unsigned_t value);
  bool number_float(Json::number_float_t value, const Json::string_t& text);
  bool string(Json::string_t& value);
  bool binary(Json::binary_t&) { return Scalar(MemberOfKind(JsonMember::Kind::Other), "binary"); }
  bool start_object(std::size_t);
  bool key(Json::string_t& name);
  bool end_object() { return Pop(); }
  bool start_array(std::size_t);
  bool end_array() { return Pop(); }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e);

  // The lattice's members once the document was read without error.
  JsonMembers Result();

 private:
  enum class Role { Root, LatticeList, Lattice, Numbers, Skip };
  struct Frame {
    explicit Frame(Role r, JsonMember* m = nullptr) : role(r), member(m) {}
    Role role;
    JsonMember* member;  // Numbers: the member the array belongs to
    std::string key;     // Root, Lattice: the key of the next value
  };

  bool Integer(std::int64_t value);
  bool Real(double value, const char* text);
  bool Scalar(JsonMember value, const std::string& text);
  bool Container(bool object);
  void ArrayProblem(const std::string& what);
  JsonMember& MemberOf(Frame& frame);
  bool Pop() {
    frames_.pop_back();
    return true;
  }

  std::vector<Frame> frames_;
  JsonMembers root_;
  JsonMembers lattice_;
  bool sawList_ = false;
  std::size_t listSize_ = 0;
  bool firstIsObject_ = false;
  std::string error_;
};

JsonMember& MemberCollector::MemberOf(Frame& frame) {
  JsonMembers& members = frame.role == Role::Root ? root_ : lattice_;
  JsonMember& member = members[frame.key];
  member = JsonMember{};  // a repeated key: the last one counts
  return member;
}

void MemberCollector::ArrayProblem(const std::string& what) {
  JsonMember& member = *frames_.back().member;
  if (member.problem.empty()) {
    member.problem = "[" + std::to_string(member.numbers.Size()) + "] is " + what;
  }
}

bool MemberCollector::Scalar(JsonMember value, const std::string& text) {
  if (frames_.empty()) {
    error_ = "the document is not a JSON object";
    return false;
  }
  Frame& top = frames_.back();
  switch (top.role) {
    case Role::Root:
    case Role::Lattice:
      MemberOf(top) = std::move(value);
      break;
    case Role::Numbers:
      ArrayProblem("not a number (" + text + ")");
      break;
    case Role::LatticeList:
      ++listSize_;
      break;
    case Role::Skip:
      break;
  }
  return true;
}

bool MemberCollector::Integer(std::int64_t value) {
  if (!frames_.empty() && frames_.back().role == Role::Numbers) {
    if (frames_.back().member->problem.empty()) frames_.back().member->numbers.AddInteger(value);
    return true;
  }
  JsonMember m = MemberOfKind(JsonMember::Kind::Integer);
  m.integer = value;
  m.real = static_cast<double>(value);
  return Scalar(std::move(m), std::to_string(value));
}

bool MemberCollector::number_unsigned(Json::number_unsigned_t value) {
  if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return Integer(static_cast<std::int64_t>(value));
  }
  return Real(static_cast<double>(value), std::to_string(value).c_str());
}

bool MemberCollector::number_float(Json::number_float_t value, const Json::string_t& text) {
  return Real(value, text.c_str());
}

bool MemberCollector::Real(double value, const char* text) {
  if (!frames_.empty() && frames_.back().role == Role::Numbers) {
    if (frames_.back().member->problem.empty()) frames_.back().member->numbers.AddReal(value);
    return true;
  }
  JsonMember m = MemberOfKind(JsonMember::Kind::Real);
  m.real = value;
  return Scalar(std::move(m), text);
}

// The dump writes NaN and the infinities as these strings.
bool MemberCollector::string(Json::string_t& value) {
  if (!frames_.empty() && frames_.back().role == Role::Numbers) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    if (value == "NaN") return Real(std::numeric_limits<double>::quiet_NaN(), "NaN");
    if (value == "Infinity") return Real(kInf, "Infinity");
    if (value == "-Infinity") return Real(-kInf, "-Infinity");
  }
  JsonMember m = MemberOfKind(JsonMember::Kind::String);
  m.text = value;
  return Scalar(std::move(m), "\"" + value + "\"");
}

bool MemberCollector::Container(bool object) {
  if (frames_.empty()) {
    if (!object) error_ = "the document is not a JSON object";
    frames_.emplace_back(Role::Root);
    return object;
  }
  Frame& top = frames_.back();
  Role role = Role::Skip;
  if (top.role == Role::Root && !object && top.key == "lattices") {
    sawList_ = true;
    MemberOf(top).kind = JsonMember::Kind::Other;
    role = Role::LatticeList;
  } else if (top.role == Role::Root || top.role == Role::Lattice) {
    JsonMember& member = MemberOf(top);
    member.kind = object ? JsonMember::Kind::Other : JsonMember::Kind::Numbers;
    frames_.emplace_back(object ? Role::Skip : Role::Numbers, &member);
    return true;
  } else if (top.role == Role::LatticeList) {
    if (listSize_++ == 0 && object) {
      firstIsObject_ = true;
      role = Role::Lattice;
    }
  } else if (top.role == Role::Numbers) {
    ArrayProblem(object ? "an object" : "an array");
  }
  frames_.emplace_back(role);
  return true;
}

bool MemberCollector::start_object(std::size_t) {
  return Container(true);
}

bool MemberCollector::start_array(std::size_t) {
  return Container(false);
}

bool MemberCollector::key(Json::string_t& name) {
  frames_.back().key = name;
  return true;
}

bool MemberCollector::parse_error(std::size_t, const std::string&,
                                  const nlohmann::detail::exception& e) {
  // nlohmann's text starts with its own tag, "[json.exception.parse_error.101] ".
  std::string text = e.what();
  const std::size_t tag = text.find("] ");
  if (text.rfind("[json.exception.", 0) == 0 && tag != std::string::npos) text.erase(0, tag + 2);
  error_ = "malformed JSON: " + text;
  return false;
}

JsonMembers MemberCollector::Result() {
  if (!error_.empty()) throw InputError(error_);
  if (!sawList_) return std::move(root_);
  if (listSize_ == 0) throw InputError("\"lattices\" holds no lattice");
  if (!firstIsObject_) throw InputError("\"lattices\"[0] is not an object");
  return std::move(lattice_);
}

}  // namespace

JsonMembers ParseLatticeJson(const std::string& text) {
  MemberCollector collector;
  Json::sax_parse(text, &collector);
  return collector.Result();
}

namespace {

// The file in blocks of 1 MiB for the parser, reporting the fraction read after each; a
// report answered false ends the input there.
class ProgressReader : public std::streambuf {
 public:
  ProgressReader(const std::string& path, hostfw::IoProgressSink* progress)
      : file_(std::fopen(path.c_str(), "rb")), progress_(progress), buffer_(kBlockSize) {
    if (file_ == nullptr) throw InputError("cannot read '" + path + "': " + std::strerror(errno));
    std::error_code error;
    size_ = std::filesystem::file_size(path, error);
    if (error) size_ = 0;
    if (progress_ != nullptr && !progress_->Begin("Reading " + path)) stopped_ = true;
  }
  ~ProgressReader() override {
    if (progress_ != nullptr) progress_->Stop();
    std::fclose(file_);
  }
  ProgressReader(const ProgressReader&) = delete;
  ProgressReader& operator=(const ProgressReader&) = delete;

  bool Stopped() const noexcept { return stopped_; }

 protected:
  int_type underflow() override {
    if (stopped_) return traits_type::eof();
    const std::size_t count = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (count == 0) return traits_type::eof();
    read_ += count;
    if (progress_ != nullptr && size_ > 0 &&
        !progress_->Proportion(static_cast<double>(read_) / static_cast<double>(size_))) {
      stopped_ = true;
      return traits_type::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + count);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  std::FILE* file_;
  hostfw::IoProgressSink* progress_;
  std::vector<char> buffer_;
  std::uintmax_t size_ = 0;
  std::uintmax_t read_ = 0;
  bool stopped_ = false;
};

}  // namespace

std::optional<JsonMembers> ReadLatticeJson(const std::string& path,
                                           hostfw::IoProgressSink* progress) {
  ProgressReader reader(path, progress);
  std::istream in(&reader);
  MemberCollector collector;
  Json::sax_parse(in, &collector);
  if (reader.Stopped()) return std::nullopt;
  return collector.Result();
}

}  // namespace lattool
