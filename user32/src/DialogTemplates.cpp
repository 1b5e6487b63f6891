// Looks up the generated dialog templates.
#include "user32/DialogTemplates.h"

#include "GeneratedTemplates.h"

namespace user32 {

const DialogTemplate* FindDialogTemplate(int id) noexcept {
  for (std::size_t i = 0; i < generated::kDialogCount; ++i) {
    if (generated::kDialogs[i].id == id) return &generated::kDialogs[i];
  }
  return nullptr;
}

}  // namespace user32
