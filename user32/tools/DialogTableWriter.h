// Writes the dialog templates of a resource script as the C++ table the stand-in compiles.
#pragma once

#include <ostream>
#include <string>

#include "ResourceScript.h"

namespace user32::rc {

// `source` names the script in the table's header comment.
void WriteDialogTable(const ResourceScript& script, const std::string& source, std::ostream& out);

// `text` as a C++ string literal.
std::string CppLiteral(const std::string& text);

}  // namespace user32::rc
