// The extended dialog template's layout: a header, optional menu, class, title and font,
// then one DWORD-aligned record per control, with names either as UTF-16 text or as
// 0xFFFF followed by an ordinal.
#include "DialogTemplateReader.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace wintest {
namespace {

class TemplateBytes {
 public:
  TemplateBytes(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  template <class T>
  T Take() {
    Need(sizeof(T));
    T value;
    std::memcpy(&value, bytes_ + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  int TakeShort() { return Take<short>(); }
  // A UTF-16 text ending in a zero; the templates here hold ASCII only.
  std::string TakeText() {
    std::string text;
    for (WORD unit = Take<WORD>(); unit != 0; unit = Take<WORD>()) {
      if (unit > 0x7F) throw std::runtime_error("non-ASCII text in the template");
      text += static_cast<char>(unit);
    }
    return text;
  }
  // A name or an ordinal: ordinals come back as "#<number>".
  std::string TakeNameOrOrdinal() {
    Need(sizeof(WORD));
    WORD first;
    std::memcpy(&first, bytes_ + at_, sizeof first);
    if (first != 0xFFFF) return TakeText();
    at_ += sizeof first;
    return "#" + std::to_string(Take<WORD>());
  }
  void AlignToDword() { at_ = (at_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t count) {
    Need(count);
    at_ += count;
  }

 private:
  void Need(std::size_t count) const {
    if (at_ + count > size_) throw std::runtime_error("dialog template ends early");
  }

  const unsigned char* bytes_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The predefined control classes, given by ordinal or by name in any case (class names
// are not case-sensitive; the resource compiler writes "BUTTON" for "Button").
std::string ClassName(const std::string& name) {
  for (const auto& [ordinal, canonical] :
       {std::pair{"#128", "Button"}, std::pair{"#129", "Edit"}, std::pair{"#130", "Static"}}) {
    if (name == ordinal || lstrcmpiA(name.c_str(), canonical) == 0) return canonical;
  }
  return name;
}

ItemTemplateData ReadItem(TemplateBytes& in) {
  in.AlignToDword();
  ItemTemplateData item;
  in.Take<DWORD>();  // help id
  in.Take<DWORD>();  // extended style
  item.style = in.Take<DWORD>();
  item.x = in.TakeShort();
  item.y = in.TakeShort();
  item.width = in.TakeShort();
  item.height = in.TakeShort();
  item.id = static_cast<int>(in.Take<DWORD>());
  item.className = ClassName(in.TakeNameOrOrdinal());
  item.text = in.TakeNameOrOrdinal();
  in.Skip(in.Take<WORD>());  // creation data
  return item;
}

}  // namespace

DialogTemplateData ReadDialogTemplate(const unsigned char* bytes, std::size_t size) {
  if (bytes == nullptr) throw std::runtime_error("no dialog template");
  TemplateBytes in(bytes, size);
  if (in.Take<WORD>() != 1 || in.Take<WORD>() != 0xFFFF) {
    throw std::runtime_error("not an extended dialog template");
  }
  DialogTemplateData dialog;
  in.Take<DWORD>();  // help id
  dialog.exStyle = in.Take<DWORD>();
  dialog.style = in.Take<DWORD>();
  const WORD count = in.Take<WORD>();
  dialog.x = in.TakeShort();
  dialog.y = in.TakeShort();
  dialog.width = in.TakeShort();
  dialog.height = in.TakeShort();
  in.TakeNameOrOrdinal();  // menu
  in.TakeNameOrOrdinal();  // window class
  dialog.title = in.TakeText();
  if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
    dialog.fontSize = in.Take<WORD>();
    in.Take<WORD>();  // weight
    in.Take<BYTE>();  // italic
    in.Take<BYTE>();  // character set
    dialog.fontName = in.TakeText();
  }
  for (WORD i = 0; i < count; ++i) dialog.items.push_back(ReadItem(in));
  return dialog;
}

}  // namespace wintest
