#include "platform/os.h"

#include <cstdlib>

namespace verrow {
namespace {
Os* g_os = nullptr;
}

Os& GetOs() {
    // Using the services before they are installed is a programming error.
    if (!g_os) std::abort();
    return *g_os;
}

void SetOs(Os* os) { g_os = os; }

ScopedOs::ScopedOs(Os& os) : previous_(g_os) { g_os = &os; }
ScopedOs::~ScopedOs() { g_os = previous_; }

}  // namespace verrow
