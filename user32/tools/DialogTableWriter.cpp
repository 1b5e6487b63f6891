// The generated table: one array of control templates per dialog, then the dialogs.
#include "DialogTableWriter.h"

#include <cstdio>

namespace user32::rc {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08Xu", value);
  return text;
}

void WriteControls(const ScriptDialog& dialog, std::ostream& out) {
  out << "const ControlTemplate kControls" << dialog.id << "[] = {\n";
  for (const ScriptControl& c : dialog.controls) {
    out << "    {" << c.id << ", " << CppLiteral(c.className) << ", " << CppLiteral(c.text) << ", "
        << Hex(c.style) << ", " << Hex(c.exStyle) << ", " << c.x << ", " << c.y << ", " << c.width
        << ", " << c.height << "},\n";
  }
  out << "};\n\n";
}

}  // namespace

std::string CppLiteral(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void WriteDialogTable(const ResourceScript& script, const std::string& source, std::ostream& out) {
  out << "// Dialog templates generated from " << source << "; do not edit.\n"
      << "#include \"GeneratedTemplates.h\"\n\n"
      << "namespace user32::generated {\nnamespace {\n\n";
  for (const ScriptDialog& dialog : script.dialogs) WriteControls(dialog, out);
  out << "}  // namespace\n\n"
      << "extern const DialogTemplate kDialogs[] = {\n";
  for (const ScriptDialog& d : script.dialogs) {
    out << "    {" << d.id << ", " << d.language << ", " << Hex(d.style) << ", " << Hex(d.exStyle)
        << ", " << d.x << ", " << d.y << ", " << d.width << ", " << d.height << ", "
        << CppLiteral(d.caption) << ", " << CppLiteral(d.fontName) << ", " << d.fontSize
        << ", kControls" << d.id << ", " << d.controls.size() << "},\n";
  }
  out << "};\n"
      << "extern const std::size_t kDialogCount = " << script.dialogs.size() << ";\n\n"
      << "}  // namespace user32::generated\n";
}

}  // namespace user32::rc
