#include "platform/os.h"

#include <cstdlib>
#include <utility>

namespace verrow {
namespace {
Os* g_os = nullptr;
}

namespace {
class FilesInTurn final : public FileSequence {
public:
    FilesInTurn(Os& os, std::vector<std::string> paths) : os_(os), paths_(std::move(paths)) {}
    bool Next(std::string& bytes) override {
        bytes.clear();
        return next_ < paths_.size() && os_.ReadFile(paths_[next_++], bytes);
    }

private:
    Os& os_;
    std::vector<std::string> paths_;
    std::size_t next_ = 0;
};
}  // namespace

std::unique_ptr<FileSequence> Os::ReadFiles(std::vector<std::string> paths) {
    return std::make_unique<FilesInTurn>(*this, std::move(paths));
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
