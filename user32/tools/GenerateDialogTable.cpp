// Build step of the user32 stand-in: reads the module's resource script and writes its
// dialog templates as a C++ table, so the stand-in's dialogs are the script's dialogs.
//
//   generate_dialog_table SCRIPT OUTPUT [-I DIR]...
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "DialogTableWriter.h"
#include "ResourceScript.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<std::string> includeDirs;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-I" && i + 1 < args.size()) {
      includeDirs.push_back(args[++i]);
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) {
    std::cerr << "usage: generate_dialog_table SCRIPT OUTPUT [-I DIR]...\n";
    return 2;
  }
  try {
    const auto script = user32::rc::ParseResourceScript(files[0], includeDirs);
    if (script.dialogs.empty()) {
      std::cerr << files[0] << ": no DIALOGEX templates\n";
      return 1;
    }
    std::ostringstream table;
    user32::rc::WriteDialogTable(script, files[0], table);
    std::ofstream out(files[1], std::ios::binary | std::ios::trunc);
    out << table.str();
    if (!out.flush()) {
      std::cerr << files[1] << ": cannot be written\n";
      return 1;
    }
  } catch (const user32::rc::ScriptError& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
