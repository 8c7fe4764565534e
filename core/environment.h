// The launcher's own environment as a variable map, and the block composed for a start.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/var_map.h"

namespace verrow {

// Empties `vars` and fills it from the process environment; false (and empty) when the
// platform gives none. Strings beginning with '=' keep that '=' in their name. When
// `originals` is given, it gets one element per variable, in the map's order: empty, or,
// for a variable that code page 932 cannot hold (a character without a form there, in
// the name or the value), its own text, "name=value" in UTF-16; the map then has the
// nearest code page 932 form.
bool SnapshotEnvironment(VarMap& vars, std::vector<std::u16string>* originals = nullptr);

// The most an environment block may take to compose: 32 MB, far more than any real
// environment holds. Nested references can multiply a value's size at every level.
inline constexpr std::size_t kMaxComposedBytes = std::size_t{32} << 20;
// The most the replacements may go through in all: the working copy's size at each
// variable that a value names, and the bytes of each name with '%' compared on the way.
inline constexpr std::size_t kMaxCompositionWork = kMaxComposedBytes;

// Expands %NAME% references in one pass and lays the strings out in the map's order as
// an environment block in code page 932: name=value\0 ... \0\0. Values arrive whole: a
// '|', or a trail byte 0x7C as in ポ, is not a place to cut them. The variables replace
// their references in the map's order, except that `_VERROW_DRV_` (in any letter case)
// comes last. Empty when `source` is empty, and when the block would take more than
// `limit` bytes, each value counted at the largest size it reaches while its references
// are replaced, or when replacing them would go through more than `work` bytes.
// When `untouched` is given it gets, for each variable in the map's order (so for each
// string of the block), whether its string is exactly as given: its value has no reference
// replaced. A variable that others only refer to stays as given.
std::string ComposeEnvironmentBlock(const VarMap& source, std::size_t limit = kMaxComposedBytes,
                                    std::vector<bool>* untouched = nullptr,
                                    std::size_t work = kMaxCompositionWork);

}  // namespace verrow
