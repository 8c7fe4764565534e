// The launcher's own environment as a variable map, and the block composed for a start.
#pragma once

#include <cstddef>
#include <string>

#include "core/var_map.h"

namespace verrow {

// Empties `vars` and fills it from the process environment; false (and empty) when the
// platform gives none. Strings beginning with '=' keep that '=' in their name.
bool SnapshotEnvironment(VarMap& vars);

// The most an environment block may take to compose: 32 MB, far more than any real
// environment holds. Nested references can multiply a value's size at every level.
inline constexpr std::size_t kMaxComposedBytes = std::size_t{32} << 20;

// Expands %NAME% references in one pass and lays the strings out in the map's order as an
// ANSI environment block: name=value\0 ... \0\0. The variables replace their references
// in the map's order, except that `_VERROW_DRV_` (in any letter case) comes last. Empty
// when `source` is empty, and when the block would take more than `limit` bytes, each
// value counted at the largest size it reaches while its references are replaced.
std::string ComposeEnvironmentBlock(const VarMap& source, std::size_t limit = kMaxComposedBytes);

}  // namespace verrow
