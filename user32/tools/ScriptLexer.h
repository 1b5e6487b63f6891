// Turns a resource script into tokens: comments removed, quoted includes read, object-like
// macros expanded and #ifdef/#ifndef/#else/#endif applied.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace user32::rc {

struct Token {
  enum class Kind { Name, Number, String, Punct, End };
  Kind kind = Kind::End;
  std::string text;  // a name, the content of a string, or one punctuation character
  std::int64_t number = 0;
  std::string file;
  int line = 0;
};

class ScriptLexer {
 public:
  explicit ScriptLexer(std::vector<std::string> includeDirs);

  // All tokens of the script, ending with one End token. Raises ScriptError.
  std::vector<Token> ReadFile(const std::string& path);
  std::vector<Token> ReadText(const std::string& text, const std::string& name);

 private:
  struct Macro {
    bool functionLike = false;
    std::vector<Token> body;
  };

  void ReadSource(const std::string& text, const std::string& file, const std::string& dir,
                  int depth);
  void Directive(const std::string& line, const std::string& file, int lineNo,
                 const std::string& dir, int depth);
  void Include(const std::string& rest, const std::string& file, int lineNo, const std::string& dir,
               int depth);
  void Define(const std::string& rest, const std::string& file, int lineNo);
  void Emit(const Token& token, int expansionDepth);
  std::vector<Token> Finish(const std::string& file);
  bool Active() const;
  bool IsDefined(const std::string& name) const;

  std::vector<std::string> includeDirs_;
  std::map<std::string, Macro> macros_;
  std::vector<bool> conditions_;  // one per open #ifdef/#ifndef: whether its branch is taken
  std::vector<Token> out_;
};

// Tokens of one line whose comments are already removed.
std::vector<Token> TokenizeLine(const std::string& line, const std::string& file, int lineNo);

}  // namespace user32::rc
