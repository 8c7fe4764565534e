// Starting what an entry names: a folder in Explorer, a program as a new process.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/launch_entry.h"
#include "core/path.h"
#include "platform/os.h"
#include "resources/texts.h"

namespace verrow {
namespace {

constexpr std::uint32_t kErrorBadEnvironment = 10;  // ERROR_BAD_ENVIRONMENT

std::string StartErrorText(const std::string& appPath, std::uint32_t code) {
    const int value = static_cast<int>(code);
    int length = std::snprintf(nullptr, 0, text::kStartError, appPath.c_str(), value);
    if (length <= 0) return std::string();
    std::string out(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(&out[0], out.size(), text::kStartError, appPath.c_str(), value);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace

bool LaunchEntry::Launch(bool wait, bool newConsole) {
    Os& os = GetOs();

    std::uint32_t attributes = 0;
    if (!os.FindFile(AppPath, &attributes)) return false;

    if (attributes & kAttributeDirectory) {
        return os.ShellOpen(nullptr, "explorer", "/e," + AppPath) > 32;
    }

    // The block is sized first, then filled into a buffer of exactly that size.
    std::vector<char> block;
    if (UseCustomEnv) {
        std::size_t size = BuildEnvironmentBlock(nullptr, 0);
        if (size == 0 && !GetEnvMap().empty()) {
            // Variables whose references cannot be composed (see ComposeEnvironmentBlock):
            // starting the program with the launcher's environment instead would be wrong
            // without a word, so the start fails as the platform reports a bad environment.
            os.ShowMessage(StartErrorText(AppPath, kErrorBadEnvironment), mb::kOk | mb::kIconExclamation);
            return false;
        }
        if (size != 0) {
            block.assign(size, '\0');
            BuildEnvironmentBlock(block.data(), block.size());
        }
    }

    // Remembered for later starts, but not a change the user made: Modified stays.
    if (CurrentDir.empty()) {
        PathParts parts = SplitPath(AppPath);
        CurrentDir = parts.drive + parts.dir;
    }

    ProcessStart start;
    start.applicationName = AppPath;
    start.commandLine = CmdOpt;
    start.inheritHandles = true;
    start.creationFlags = newConsole ? kCreateNewConsole : 0;
    start.environment = block.empty() ? nullptr : block.data();
    start.currentDirectory = CurrentDir;
    start.wait = wait;

    std::uint32_t error = 0;
    if (!os.StartProcess(start, &error)) {
        os.ShowMessage(StartErrorText(AppPath, error), mb::kOk | mb::kIconExclamation);
        return false;
    }
    return true;
}

}  // namespace verrow
