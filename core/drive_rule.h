// Registrations must lie on the drive the launcher runs from: a path entered as
// E:\tools\app.exe is kept as \tools\app.exe, so the entry still works when the stick
// gets another letter.
#pragma once

#include <string>
#include <string_view>

namespace verrow {

// Compares the first two bytes of `entered` (fewer when it is shorter) with `drive`
// without regard to letter case, stepping over double-byte characters whole. On a match
// `stored` receives `entered` without those bytes (a run of separators right after them
// cut to one) and the result is true; otherwise `stored` is left alone. An empty `drive`
// (a launcher started from a network path) never matches.
bool ApplyDriveRule(std::string_view entered, std::string_view drive, std::string& stored);

}  // namespace verrow
