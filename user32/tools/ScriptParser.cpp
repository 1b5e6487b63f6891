// Reads the statements of a resource script: LANGUAGE, DIALOGEX templates with their
// controls (with the resource compiler's default styles) and the VERSIONINFO block.
#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

#include <windows.h>

#include "ResourceScript.h"
#include "ScriptLexer.h"
#include "Win32Names.h"

namespace user32::rc {
namespace {

constexpr std::uint32_t kChildDefaults = WS_CHILD | WS_VISIBLE;

// How a control statement is written and what it implies.
struct ControlStatement {
  std::string_view keyword;
  const char* className;
  std::uint32_t defaultStyle;
  bool hasText;
};

constexpr ControlStatement kStatements[] = {
    {"LTEXT", "Static", SS_LEFT | WS_GROUP, true},
    {"CTEXT", "Static", SS_CENTER | WS_GROUP, true},
    {"RTEXT", "Static", SS_RIGHT | WS_GROUP, true},
    {"GROUPBOX", "Button", BS_GROUPBOX, true},
    {"PUSHBUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP, true},
    {"DEFPUSHBUTTON", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, true},
    {"EDITTEXT", "Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, false},
};

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

class ScriptParser {
 public:
  explicit ScriptParser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  ResourceScript Parse() {
    ResourceScript script;
    while (Peek().kind != Token::Kind::End) {
      if (Accept("LANGUAGE")) {
        language_ = Language();
        continue;
      }
      const Token name = Next();
      if (Accept("DIALOGEX")) {
        script.dialogs.push_back(Dialog(name));
      } else if (Accept("VERSIONINFO")) {
        if (script.version.present) Fail(name, "second VERSIONINFO");
        script.version = Version();
      } else {
        Fail(Peek(), "resource type " + Peek().text + " is not supported");
      }
    }
    return script;
  }

 private:
  // Tokens.
  const Token& Peek() const { return tokens_[pos_]; }
  Token Next() {
    const Token& token = tokens_[pos_];
    if (token.kind != Token::Kind::End) ++pos_;
    return token;
  }
  static bool IsKeyword(const Token& token, std::string_view word) {
    return token.kind == Token::Kind::Name && token.text == word;
  }
  bool Accept(std::string_view word) {
    if (!IsKeyword(Peek(), word)) return false;
    ++pos_;
    return true;
  }
  bool AcceptPunct(char c) {
    if (Peek().kind != Token::Kind::Punct || Peek().text[0] != c) return false;
    ++pos_;
    return true;
  }
  void ExpectPunct(char c) {
    if (!AcceptPunct(c)) Fail(Peek(), std::string("expected '") + c + "'");
  }
  void ExpectBegin() {
    if (!Accept("BEGIN") && !AcceptPunct('{')) Fail(Peek(), "expected BEGIN");
  }
  bool AcceptEnd() { return Accept("END") || AcceptPunct('}'); }
  [[noreturn]] static void Fail(const Token& at, const std::string& message) {
    throw ScriptError(at.file + ":" + std::to_string(at.line) + ": " + message);
  }
  std::string String() {
    if (Peek().kind != Token::Kind::String) Fail(Peek(), "expected a string");
    return Next().text;
  }

  // Expressions: terms joined by '|'; "NOT x" clears x from what is on its left.
  std::int64_t Flags(std::int64_t value) {
    do {
      if (Accept("NOT")) {
        value &= ~Primary();
      } else {
        value |= Primary();
      }
    } while (AcceptPunct('|'));
    return value;
  }
  std::int64_t Primary() {
    if (AcceptPunct('-')) return -Primary();
    if (AcceptPunct('(')) {
      const std::int64_t value = Flags(0);
      ExpectPunct(')');
      return value;
    }
    const Token token = Next();
    if (token.kind == Token::Kind::Number) return token.number;
    if (token.kind == Token::Kind::Name) {
      if (const auto value = FindWin32Name(token.text)) return *value;
      Fail(token, "unknown name " + token.text);
    }
    Fail(token, "expected a number");
  }
  int Number() { return static_cast<int>(Flags(0)); }
  std::uint32_t Style(std::uint32_t defaults) {
    return static_cast<std::uint32_t>(Flags(defaults));
  }

  std::uint16_t Language() {
    const int primary = Number();
    ExpectPunct(',');
    const int sub = Number();
    return static_cast<std::uint16_t>((sub << 10) | primary);
  }

  ScriptDialog Dialog(const Token& name);
  void DialogOptions(ScriptDialog& dialog);
  ScriptControl Control(const Token& keyword);
  ScriptVersion Version();
  void VersionBlock(ScriptVersion& version, bool strings);

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  std::uint16_t language_ = 0;
  std::set<int> dialogIds_;
};

ScriptDialog ScriptParser::Dialog(const Token& name) {
  if (name.kind != Token::Kind::Number) Fail(name, "dialog names must be numbers");
  ScriptDialog dialog;
  dialog.id = static_cast<int>(name.number);
  if (!dialogIds_.insert(dialog.id).second) Fail(name, "second dialog " + name.text);
  dialog.language = language_;
  dialog.x = Number();
  ExpectPunct(',');
  dialog.y = Number();
  ExpectPunct(',');
  dialog.width = Number();
  ExpectPunct(',');
  dialog.height = Number();
  if (AcceptPunct(',')) Number();  // help id
  DialogOptions(dialog);
  ExpectBegin();
  std::set<int> ids;
  while (!AcceptEnd()) {
    const Token keyword = Next();
    if (keyword.kind == Token::Kind::End) Fail(keyword, "dialog without END");
    ScriptControl control = Control(keyword);
    if (control.id != -1 && !ids.insert(control.id).second) {
      Fail(keyword, "second control with id " + std::to_string(control.id));
    }
    dialog.controls.push_back(std::move(control));
  }
  return dialog;
}

void ScriptParser::DialogOptions(ScriptDialog& dialog) {
  bool styled = false;
  while (!IsKeyword(Peek(), "BEGIN") &&
         !(Peek().kind == Token::Kind::Punct && Peek().text == "{")) {
    const Token option = Next();
    if (option.kind == Token::Kind::End) Fail(option, "dialog without BEGIN");
    if (IsKeyword(option, "STYLE")) {
      dialog.style = Style(0);
      styled = true;
    } else if (IsKeyword(option, "EXSTYLE")) {
      dialog.exStyle = Style(0);
    } else if (IsKeyword(option, "CAPTION")) {
      dialog.caption = String();
    } else if (IsKeyword(option, "LANGUAGE")) {
      dialog.language = Language();
    } else if (IsKeyword(option, "FONT")) {
      dialog.fontSize = Number();
      ExpectPunct(',');
      dialog.fontName = String();
      for (int i = 0; i < 3 && AcceptPunct(','); ++i) Number();  // weight, italic, charset
    } else {
      Fail(option, "dialog option " + option.text + " is not supported");
    }
  }
  // What the resource compiler adds on its own.
  if (!styled) dialog.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
  if (!dialog.caption.empty()) dialog.style |= WS_CAPTION;
  if (!dialog.fontName.empty()) dialog.style |= DS_SETFONT;
}

ScriptControl ScriptParser::Control(const Token& keyword) {
  ScriptControl control;
  if (IsKeyword(keyword, "CONTROL")) {
    control.text = String();
    ExpectPunct(',');
    control.id = Number();
    ExpectPunct(',');
    const std::string className = Peek().kind == Token::Kind::Name ? Next().text : String();
    for (const char* known : {"Button", "Edit", "Static"}) {
      if (SameText(className, known)) control.className = known;
    }
    if (control.className.empty())
      Fail(keyword, "control class " + className + " is not supported");
    ExpectPunct(',');
    control.style = Style(kChildDefaults);
  } else {
    const auto statement = std::find_if(
        std::begin(kStatements), std::end(kStatements),
        [&keyword](const ControlStatement& s) { return IsKeyword(keyword, s.keyword); });
    if (statement == std::end(kStatements))
      Fail(keyword, "unknown control statement " + keyword.text);
    control.className = statement->className;
    if (statement->hasText) {
      control.text = String();
      ExpectPunct(',');
    }
    control.id = Number();
    control.style = kChildDefaults | statement->defaultStyle;
  }
  const bool generic = IsKeyword(keyword, "CONTROL");
  ExpectPunct(',');
  control.x = Number();
  ExpectPunct(',');
  control.y = Number();
  ExpectPunct(',');
  control.width = Number();
  ExpectPunct(',');
  control.height = Number();
  if (!generic && AcceptPunct(',')) control.style = Style(control.style);
  if (AcceptPunct(',')) control.exStyle = Style(0);
  if (AcceptPunct(',')) Number();  // help id
  if (control.className == "Button") {
    const std::uint32_t type = control.style & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_GROUPBOX &&
        type != BS_RADIOBUTTON && type != BS_AUTORADIOBUTTON) {
      Fail(keyword, "button type " + std::to_string(type) + " is not supported");
    }
  }
  return control;
}

ScriptVersion ScriptParser::Version() {
  ScriptVersion version;
  version.present = true;
  while (!IsKeyword(Peek(), "BEGIN") &&
         !(Peek().kind == Token::Kind::Punct && Peek().text == "{")) {
    const Token statement = Next();
    if (statement.kind == Token::Kind::End) Fail(statement, "VERSIONINFO without BEGIN");
    auto* numbers = IsKeyword(statement, "FILEVERSION")      ? &version.fileVersion
                    : IsKeyword(statement, "PRODUCTVERSION") ? &version.productVersion
                                                             : nullptr;
    if (numbers == nullptr) continue;  // flags, OS and type words: not needed here
    for (std::size_t i = 0; i < numbers->size(); ++i) {
      if (i > 0) ExpectPunct(',');
      (*numbers)[i] = Number();
    }
  }
  ExpectBegin();
  VersionBlock(version, false);
  return version;
}

// The inside of a BEGIN ... END of the version block, after its BEGIN.
void ScriptParser::VersionBlock(ScriptVersion& version, bool strings) {
  while (!AcceptEnd()) {
    if (Accept("BLOCK")) {
      const std::string name = String();
      ExpectBegin();
      VersionBlock(version, strings || name == "StringFileInfo");
    } else if (Accept("VALUE")) {
      const std::string key = String();
      while (AcceptPunct(',')) {
        if (Peek().kind == Token::Kind::String) {
          const std::string text = String();
          if (strings) version.strings[key] = text;
        } else {
          Number();
        }
      }
    } else {
      Fail(Peek(), "expected BLOCK or VALUE");
    }
  }
}

}  // namespace

ResourceScript ParseResourceScript(const std::string& path,
                                   const std::vector<std::string>& includeDirs) {
  return ScriptParser(ScriptLexer(includeDirs).ReadFile(path)).Parse();
}

ResourceScript ParseResourceScriptText(const std::string& text, const std::string& name,
                                       const std::vector<std::string>& includeDirs) {
  return ScriptParser(ScriptLexer(includeDirs).ReadText(text, name)).Parse();
}

}  // namespace user32::rc
