// The table written by the dialog table generator (see tools/).
#pragma once

#include <cstddef>

#include "user32/DialogTemplates.h"

namespace user32::generated {

extern const DialogTemplate kDialogs[];
extern const std::size_t kDialogCount;

}  // namespace user32::generated
