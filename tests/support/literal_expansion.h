// The composition of an environment block done literally, step by step, as the reference
// that the fast composition is checked against: for every variable's value, each variable
// in order (the launch drive's last) replaces its %NAME% (found left to right on character
// boundaries); text put in is not searched again by the same replacement.
#pragma once

#include <string>
#include <vector>

#include "base/cp932.h"
#include "core/var_map.h"

namespace verrow::test {

inline std::string LiteralValue(const VarMap& source, const std::string& value) {
    // The map's order, with the launch drive's variable (in any letter case) last.
    std::vector<const VarMap::Item*> order;
    for (bool drive : {false, true}) {
        for (const auto& u : source) {
            if (cp932::EqualsNoCase(u.first, "_VERROW_DRV_") == drive) order.push_back(&u);
        }
    }
    std::string work = value;
    for (const VarMap::Item* u : order) {
        const std::string pattern = "%" + u->first + "%";
        std::string out;
        std::size_t pos = 0, at;
        while ((at = cp932::Find(work, pattern, pos)) != std::string::npos) {
            out += work.substr(pos, at - pos) + u->second;
            pos = at + pattern.size();
        }
        work = out + work.substr(pos);
    }
    return work;
}

// name=value\0 for every variable, then two more zero bytes; empty for an empty map.
inline std::string LiteralBlock(const VarMap& source) {
    std::string block;
    for (const auto& v : source) block += v.first + "=" + LiteralValue(source, v.second) + '\0';
    return source.empty() ? block : block + '\0' + '\0';
}

}  // namespace verrow::test
