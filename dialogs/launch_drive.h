// The drive the program was started from ("E:", no backslash; empty for a network path),
// as the entry editor sees it. The add and edit commands copy the main window's launch
// drive here before every opening of the editor; the editor only reads it.
#pragma once

#include <string>

namespace verrow {

inline std::string LaunchDrive;

}  // namespace verrow
