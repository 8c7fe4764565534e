// An entry file of arbitrary content, read as the entry store reads it (through the fake
// services, with the drive filter), checked against the read limits, then saved and read
// back. Invariants:
// - texts keep their limits (name 1024 bytes, path, options and folder 259, variable
//   names 259, values 25999) and hold no zero byte; variable names are never empty;
// - any letter case of _VERROW_DRV_ holds the launcher's drive;
// - an entry that was not changed writes nothing, even when asked to save;
// - a saved entry replaces its file in one write, leaves no other file behind, and reads
//   back with every text and variable unchanged where the profile format can hold it
//   (see ProfileRoundTrips), flags as 0 or 1 with the same meaning, variables in order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "core/launch_entry.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/fake_os.h"

namespace verrow::fuzz {
namespace {

const char kFolder[] = "E:\\tools\\VERROW_CNF";
const char kFile[] = "E:\\tools\\VERROW_CNF\\a.vrc";
const char kCopy[] = "E:\\tools\\VERROW_CNF\\b.vrc";
const char kCopyAgain[] = "E:\\tools\\VERROW_CNF\\c.vrc";

void CheckText(const std::string& text, std::size_t limit) {
    FUZZ_CHECK(text.size() <= limit);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
}

void CheckLimits(const LaunchEntry& entry) {
    CheckText(entry.GetAppName(), kNameReadLimit);
    CheckText(entry.GetAppPath(), kTextReadLimit);
    CheckText(entry.GetCmdOpt(), kCmdOptReadLimit);
    CheckText(entry.GetCurrentDir(), kFolderReadLimit);
    for (const auto& variable : entry.GetEnvMap()) {
        FUZZ_CHECK(!variable.first.empty());
        CheckText(variable.first, kEnvNameReadLimit);
        CheckText(variable.second, kEnvValueReadLimit);
        if (cp932::EqualsNoCase(variable.first, kDriveVariable)) FUZZ_CHECK(variable.second == "E:");
    }
}

bool SameFlag(int a, int b) { return (a != 0) == (b != 0); }

void CheckRoundTrip(const std::string& before, const std::string& after) {
    if (ProfileRoundTrips(before)) FUZZ_CHECK(after == before);
}

}  // namespace
}  // namespace verrow::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace verrow;
    using namespace verrow::fuzz;
    test::FakeOs os;
    ScopedOs scope(os);
    os.AddDirectory(kFolder);
    const std::string original(reinterpret_cast<const char*>(data), size);
    os.AddFile(kFile, original);

    LaunchEntry entry;
    entry.SetValueFilter(DriveValueFilter);
    FUZZ_CHECK(entry.LoadFromFile(kFile));
    FUZZ_CHECK(!entry.IsModified());
    FUZZ_CHECK(entry.GetEntryFilePath() == kFile);
    CheckLimits(entry);

    // Not changed: nothing is written.
    FUZZ_CHECK(entry.SaveToFile());
    FUZZ_CHECK(entry.SaveToFile(kFile));
    FUZZ_CHECK(os.log.empty());
    FUZZ_CHECK(os.FileBytes(kFile) == original);

    // Marked, but nothing changed that a reading sees: the file is left alone.
    entry.SetAppName(entry.GetAppName());
    FUZZ_CHECK(entry.IsModified());
    FUZZ_CHECK(entry.SaveToFile());
    FUZZ_CHECK(!entry.IsModified());
    FUZZ_CHECK(os.log.empty());
    FUZZ_CHECK(os.FileBytes(kFile) == original);

    // Written into a file of its own.
    entry.SetAppName(entry.GetAppName());
    FUZZ_CHECK(entry.SaveToFile(kCopy));
    FUZZ_CHECK(os.log.size() == 1 && os.log[0] == std::string("write ") + kCopy);
    FUZZ_CHECK(os.FilesIn(kFolder).size() == 2);
    const std::string written = os.FileBytes(kCopy);
    FUZZ_CHECK(written.compare(0, 21, "[MoxEnvExec]\r\nAppName") == 0);

    LaunchEntry back;
    back.SetValueFilter(DriveValueFilter);
    FUZZ_CHECK(back.LoadFromFile(kCopy));
    CheckLimits(back);
    CheckRoundTrip(entry.GetAppName(), back.GetAppName());
    CheckRoundTrip(entry.GetAppPath(), back.GetAppPath());
    CheckRoundTrip(entry.GetCmdOpt(), back.GetCmdOpt());
    CheckRoundTrip(entry.GetCurrentDir(), back.GetCurrentDir());
    FUZZ_CHECK(SameFlag(entry.GetStartUp(), back.GetStartUp()));
    FUZZ_CHECK(SameFlag(entry.GetUseCustomEnv(), back.GetUseCustomEnv()));
    FUZZ_CHECK(SameFlag(entry.GetOverWriteEnv(), back.GetOverWriteEnv()));
    for (int flag : {back.GetStartUp(), back.GetUseCustomEnv(), back.GetOverWriteEnv()}) {
        FUZZ_CHECK(flag == 0 || flag == 1);
    }

    bool variablesRoundTrip = true;
    for (const auto& variable : entry.GetEnvMap()) {
        variablesRoundTrip = variablesRoundTrip && ProfileRoundTrips(variable.first) &&
                             ProfileRoundTrips(variable.second);
    }
    if (variablesRoundTrip) {
        std::vector<std::string> names, backNames;
        entry.GetEnvNames(names);
        back.GetEnvNames(backNames);
        FUZZ_CHECK(names == backNames);
        for (const std::string& name : names) {
            std::string value, backValue;
            entry.LookupEnv(name, value);
            back.LookupEnv(name, backValue);
            FUZZ_CHECK(value == backValue);
        }
    } else {
        FUZZ_CHECK(back.GetEnvMap().size() <= entry.GetEnvMap().size());
    }

    // Written again unchanged, the file is the same bytes.
    back.SetAppName(back.GetAppName());
    if (variablesRoundTrip && ProfileRoundTrips(entry.GetAppName()) &&
        ProfileRoundTrips(entry.GetAppPath()) && ProfileRoundTrips(entry.GetCmdOpt()) &&
        ProfileRoundTrips(entry.GetCurrentDir())) {
        FUZZ_CHECK(back.SaveToFile(kCopyAgain));
        FUZZ_CHECK(os.FileBytes(kCopyAgain) == written);
    }
    return 0;
}
