// Size and display name of each primitive type code.
#include "hostbase/PrimType.h"

namespace hostbase {

const int CPrimType::TypeSize[kTypeCount] = {1, 1, 2, 2, 4, 4, 8, 4, 8};

const char* const CPrimType::TypeName[kTypeCount] = {
    "8-bit signed integer",    "8-bit unsigned integer", "16-bit signed integer",
    "16-bit unsigned integer", "32-bit signed integer",  "32-bit unsigned integer",
    "64-bit integer",          "32-bit float",           "64-bit double",
};

}  // namespace hostbase
