// Preprocessing and tokens of resource scripts.
#include "ScriptLexer.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "ResourceScript.h"
#include "Win32Names.h"

namespace user32::rc {
namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxExpansionDepth = 32;

[[noreturn]] void Fail(const std::string& file, int line, const std::string& message) {
  throw ScriptError(file + ":" + std::to_string(line) + ": " + message);
}

bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScriptError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Copies a string literal starting at text[i] (the opening quote) into `out` as written;
// returns the index after its closing quote. A doubled quote stands for one quote.
std::size_t CopyString(const std::string& text, std::size_t i, std::string& out) {
  out += text[i++];
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      out += text.substr(i, 2);
      i += 2;
    } else if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      out += "\"\"";
      i += 2;
    } else {
      out += c;
      ++i;
      if (c == '"') break;
    }
  }
  return i;
}

// Removes comments from one line; `inBlock` carries an open /* comment across lines.
std::string StripComments(const std::string& line, bool& inBlock) {
  std::string out;
  std::size_t i = 0;
  while (i < line.size()) {
    if (inBlock) {
      const auto end = line.find("*/", i);
      if (end == std::string::npos) return out;
      inBlock = false;
      i = end + 2;
      out += ' ';
    } else if (line[i] == '"') {
      i = CopyString(line, i, out);
    } else if (line.compare(i, 2, "//") == 0) {
      break;
    } else if (line.compare(i, 2, "/*") == 0) {
      inBlock = true;
      i += 2;
    } else {
      out += line[i++];
    }
  }
  return out;
}

// The content of the string literal at line[i]; advances i past it.
std::string StringContent(const std::string& line, std::size_t& i, const std::string& file,
                          int lineNo) {
  std::string value;
  ++i;
  while (true) {
    if (i >= line.size()) Fail(file, lineNo, "unterminated string");
    const char c = line[i++];
    if (c == '"') {
      if (i < line.size() && line[i] == '"') {
        value += '"';
        ++i;
        continue;
      }
      return value;
    }
    if (c != '\\' || i >= line.size()) {
      value += c;
      continue;
    }
    const char e = line[i++];
    value += e == 'n' ? '\n' : e == 't' ? '\t' : e;
  }
}

std::int64_t NumberValue(const std::string& digits, const std::string& file, int lineNo) {
  std::size_t used = 0;
  std::int64_t value = 0;
  try {
    value = std::stoll(digits, &used, 0);
  } catch (const std::exception&) {
    Fail(file, lineNo, "bad number " + digits);
  }
  const std::string suffix = digits.substr(used);
  for (char c : suffix) {
    if (c != 'L' && c != 'l' && c != 'U' && c != 'u') Fail(file, lineNo, "bad number " + digits);
  }
  return value;
}

}  // namespace

std::vector<Token> TokenizeLine(const std::string& line, const std::string& file, int lineNo) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    Token token;
    token.file = file;
    token.line = lineNo;
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++i;
      continue;
    } else if (IsNameStart(c)) {
      const std::size_t start = i;
      while (i < line.size() && IsNameChar(line[i])) ++i;
      token.kind = Token::Kind::Name;
      token.text = line.substr(start, i - start);
    } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      const std::size_t start = i;
      while (i < line.size() && std::isalnum(static_cast<unsigned char>(line[i])) != 0) ++i;
      token.kind = Token::Kind::Number;
      token.text = line.substr(start, i - start);
      token.number = NumberValue(token.text, file, lineNo);
    } else if (c == '"') {
      token.kind = Token::Kind::String;
      token.text = StringContent(line, i, file, lineNo);
    } else if (std::string_view(",|(){}-+").find(c) != std::string_view::npos) {
      token.kind = Token::Kind::Punct;
      token.text = std::string(1, c);
      ++i;
    } else {
      Fail(file, lineNo, std::string("unexpected character '") + c + "'");
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

ScriptLexer::ScriptLexer(std::vector<std::string> includeDirs)
    : includeDirs_(std::move(includeDirs)) {}

std::vector<Token> ScriptLexer::ReadFile(const std::string& path) {
  const std::string dir = std::filesystem::path(path).parent_path().string();
  ReadSource(ReadWhole(path), path, dir, 0);
  return Finish(path);
}

std::vector<Token> ScriptLexer::ReadText(const std::string& text, const std::string& name) {
  ReadSource(text, name, ".", 0);
  return Finish(name);
}

std::vector<Token> ScriptLexer::Finish(const std::string& file) {
  if (!conditions_.empty()) throw ScriptError(file + ": #ifdef without #endif");
  Token end;
  end.file = file;
  end.line = out_.empty() ? 0 : out_.back().line;
  out_.push_back(end);
  return std::exchange(out_, {});
}

void ScriptLexer::ReadSource(const std::string& text, const std::string& file,
                             const std::string& dir, int depth) {
  std::istringstream lines(text);
  std::string line;
  bool inBlock = false;
  int lineNo = 0;
  while (std::getline(lines, line)) {
    ++lineNo;
    const int first = lineNo;
    // A backslash at the end continues the line.
    while (!line.empty() && line.back() == '\\') {
      line.pop_back();
      std::string next;
      if (!std::getline(lines, next)) break;
      ++lineNo;
      line += next;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string code = StripComments(line, inBlock);
    const auto start = code.find_first_not_of(" \t");
    if (start != std::string::npos && code[start] == '#') {
      Directive(code.substr(start + 1), file, first, dir, depth);
    } else if (Active()) {
      for (const Token& token : TokenizeLine(code, file, first)) Emit(token, 0);
    }
  }
}

void ScriptLexer::Directive(const std::string& line, const std::string& file, int lineNo,
                            const std::string& dir, int depth) {
  std::istringstream words(line);
  std::string name;
  words >> name;
  std::string rest;
  std::getline(words, rest);
  rest.erase(0, rest.find_first_not_of(" \t"));
  rest.erase(rest.find_last_not_of(" \t") + 1);
  if (name == "ifdef" || name == "ifndef") {
    const bool defined = IsDefined(rest);
    conditions_.push_back(Active() && (name == "ifdef" ? defined : !defined));
  } else if (name == "if" && !Active()) {
    conditions_.push_back(false);  // skipped whole, whatever its condition
  } else if (name == "else") {
    if (conditions_.empty()) Fail(file, lineNo, "#else without #ifdef");
    const bool outer = conditions_.size() < 2 || conditions_[conditions_.size() - 2];
    conditions_.back() = outer && !conditions_.back();
  } else if (name == "endif") {
    if (conditions_.empty()) Fail(file, lineNo, "#endif without #ifdef");
    conditions_.pop_back();
  } else if (!Active() || name == "pragma" || name.empty()) {
    return;
  } else if (name == "include") {
    Include(rest, file, lineNo, dir, depth);
  } else if (name == "define") {
    Define(rest, file, lineNo);
  } else if (name == "undef") {
    macros_.erase(rest);
  } else {
    Fail(file, lineNo, "directive #" + name + " is not supported");
  }
}

void ScriptLexer::Include(const std::string& rest, const std::string& file, int lineNo,
                          const std::string& dir, int depth) {
  if (rest.size() >= 2 && rest.front() == '<' && rest.back() == '>') return;  // system header
  if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
    Fail(file, lineNo, "bad #include " + rest);
  }
  if (depth >= kMaxIncludeDepth) Fail(file, lineNo, "includes nested too deeply");
  const std::string name = rest.substr(1, rest.size() - 2);
  std::vector<std::string> dirs{dir};
  dirs.insert(dirs.end(), includeDirs_.begin(), includeDirs_.end());
  for (const std::string& candidate : dirs) {
    const std::filesystem::path path = std::filesystem::path(candidate) / name;
    if (!std::filesystem::is_regular_file(path)) continue;
    ReadSource(ReadWhole(path.string()), path.string(), path.parent_path().string(), depth + 1);
    return;
  }
  Fail(file, lineNo, "include file \"" + name + "\" not found");
}

void ScriptLexer::Define(const std::string& rest, const std::string& file, int lineNo) {
  std::size_t end = 0;
  while (end < rest.size() && IsNameChar(rest[end])) ++end;
  if (end == 0 || !IsNameStart(rest[0])) Fail(file, lineNo, "bad #define");
  Macro macro;
  macro.functionLike = end < rest.size() && rest[end] == '(';
  if (!macro.functionLike) macro.body = TokenizeLine(rest.substr(end), file, lineNo);
  macros_[rest.substr(0, end)] = std::move(macro);
}

void ScriptLexer::Emit(const Token& token, int expansionDepth) {
  const auto macro = token.kind == Token::Kind::Name ? macros_.find(token.text) : macros_.end();
  if (macro == macros_.end()) {
    out_.push_back(token);
    return;
  }
  if (macro->second.functionLike) {
    Fail(token.file, token.line, "macro " + token.text + "() cannot be used here");
  }
  if (expansionDepth >= kMaxExpansionDepth) {
    Fail(token.file, token.line, "macro " + token.text + " expands without end");
  }
  for (Token part : macro->second.body) {
    part.file = token.file;
    part.line = token.line;
    Emit(part, expansionDepth + 1);
  }
}

bool ScriptLexer::Active() const {
  return conditions_.empty() || conditions_.back();
}

bool ScriptLexer::IsDefined(const std::string& name) const {
  return macros_.count(name) != 0 || FindWin32Name(name).has_value();
}

}  // namespace user32::rc
