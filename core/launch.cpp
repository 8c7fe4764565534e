// Starting what an entry names: a folder in Explorer, a program as a new process.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/path.h"
#include "core/launch_entry.h"
#include "platform/os.h"
#include "resources/texts.h"

namespace verrow {
namespace {

constexpr std::uint32_t kErrorBadEnvironment = 10;  // ERROR_BAD_ENVIRONMENT

// The code as a signed number, as the system's message has always shown it.
std::string StartErrorText(const std::string& appPath, std::uint32_t code) {
    return cp932::Substitute(text::kStartError, {appPath, std::to_string(static_cast<int>(code))});
}

}  // namespace

bool LaunchEntry::IsLauncherItself() const {
    Os& os = GetOs();
    return os.IsThisProgram(OnLaunchDrive(AppPath, SplitPath(os.ModuleFileName()).drive));
}

bool LaunchEntry::Launch(bool wait, bool newConsole) const {
    Os& os = GetOs();
    const std::string drive = SplitPath(os.ModuleFileName()).drive;
    const std::string appPath = OnLaunchDrive(AppPath, drive);

    std::uint32_t attributes = 0;
    if (!os.FindFile(appPath, &attributes)) return false;

    if (attributes & kAttributeDirectory) {
        // Explorer reads its argument itself. It splits it at commas, so a folder whose path
        // has one goes in quotes (no path holds a quote, no trail byte is a comma). Nor can it
        // be relied on to read a slash (E:/tools) as the file system does, so slashes become
        // backslashes (no trail byte is a slash either).
        std::string folder = appPath;
        std::replace(folder.begin(), folder.end(), '/', '\\');
        const bool quoted = folder.find(',') != std::string::npos;
        return os.ShellOpen(nullptr, "explorer", quoted ? "/e,\"" + folder + '"' : "/e," + folder) > 32;
    }

    // The block is sized first, then filled into a buffer of exactly that size.
    std::vector<char> block;
    std::vector<std::u16string> originals;
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
            BuildEnvironmentBlock(block.data(), block.size(), &originals);
        }
    }

    // Without a folder of its own the program starts in its own folder, worked out for
    // each start and never kept: an EDIT may move the program to another folder.
    std::string directory;
    if (CurrentDir.empty()) {
        PathParts parts = SplitPath(appPath);
        directory = parts.drive + parts.dir;
    } else {
        directory = OnLaunchDrive(CurrentDir, drive);
    }

    ProcessStart start;
    start.applicationName = appPath;
    start.commandLine = CmdOpt;
    start.inheritHandles = true;
    start.creationFlags = newConsole ? kCreateNewConsole : 0;
    start.environment = block.empty() ? nullptr : block.data();
    start.environmentOriginals = std::move(originals);
    start.currentDirectory = directory;
    start.wait = wait;

    std::uint32_t error = 0;
    if (!os.StartProcess(start, &error)) {
        os.ShowMessage(StartErrorText(AppPath, error), mb::kOk | mb::kIconExclamation);
        return false;
    }
    return true;
}

}  // namespace verrow
