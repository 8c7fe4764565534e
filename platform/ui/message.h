// The program's message box: every message the user sees goes through here.
// The operating-system services decide caption (the application name), owner (the active
// window) and icon (the exclamation icon when `type` names none); see platform/os.h.
#pragma once

#include <string>

#include "platform/os.h"

namespace verrow::ui {

inline int ShowMessage(const std::string& text, unsigned type = mb::kOk) {
    return GetOs().ShowMessage(text, type);
}

}  // namespace verrow::ui
