// Message texts of the framework's error codes, and the raising of them.
#include <string>
#include <utility>
#include <variant>

#include "hostfw/IoFilter.h"

namespace hostfw {
namespace {

using Args = std::vector<hostbase::CErrorArg>;

// Argument `i` as text, whichever kind it is; missing ones read "(unknown)".
std::string ArgText(const Args& args, std::size_t i) {
  if (i >= args.size()) return "(unknown)";
  if (const auto* text = std::get_if<std::string>(&args[i])) return *text;
  return std::to_string(std::get<std::int64_t>(args[i]));
}

std::string OtherCodeMessage(int code, const Args& args) {
  std::string text = "Filter error " + std::to_string(code);
  for (std::size_t i = 0; i < args.size(); ++i) text += (i == 0 ? ": " : ", ") + ArgText(args, i);
  return text + ".";
}

std::string MessageOf(ErrCode code, const Args& args) {
  switch (code) {
    case ErrCode::UnknownCode:
      return "Unknown kind or type code in the file.";
    case ErrCode::UnsupportedFeature:
      return ArgText(args, 0) + ": " + ArgText(args, 1) + " is not supported ('" +
             ArgText(args, 2) + "').";
    case ErrCode::ExportFileNotOpen:
      return "The export file is not open.";
    case ErrCode::NotLatFile:
      return "'" + ArgText(args, 0) + "' is not a LAT file.";
    case ErrCode::PlainSyntax:
      return "Syntax error in '" + ArgText(args, 1) + "' after line " + ArgText(args, 0) +
             ": a number was expected.";
    case ErrCode::BadBinaryData:
      return "Bad or short binary LAT data in '" + ArgText(args, 1) + "' at byte " +
             ArgText(args, 0) + ".";
    case ErrCode::DataTypeNotSupported:
      return "The data type '" + ArgText(args, 0) +
             "' cannot be exported: the fixed blank value lies outside its range.";
  }
  return OtherCodeMessage(static_cast<int>(code), args);
}

}  // namespace

void IoFilter::RaiseError(const char* module, int line, ErrCode code, Args args) const {
  std::string message = MessageOf(code, args);
  throw hostbase::CError(module ? module : "", line, static_cast<int>(code), std::move(args),
                         message);
}

}  // namespace hostfw
