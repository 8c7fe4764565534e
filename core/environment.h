// The launcher's own environment as a variable map, and the block composed for a start.
#pragma once

#include <cstddef>
#include <string>

#include "core/var_map.h"

namespace verrow {

// Empties `vars` and fills it from the process environment; false (and empty) when the
// platform gives none. Strings beginning with '=' keep that '=' in their name.
bool SnapshotEnvironment(VarMap& vars);

// Expands %NAME% references in one pass over `source` and lays the strings out as an
// ANSI environment block: name=value\0 ... \0\0. Empty when `source` is empty, and
// also when the references would take more work than any real environment needs
// (tens of megabytes of text: nested references can multiply a value's size at every
// level); such a block cannot be made.
std::string ComposeEnvironmentBlock(const VarMap& source);

}  // namespace verrow
