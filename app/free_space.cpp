#include "app/free_space.h"

#include <climits>

namespace verrow {

std::string FormatField10(std::int64_t value) {
    // Digits from the magnitude as unsigned, so the most negative value works too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) text.insert(text.begin(), '-');
    if (text.size() < 10) text.insert(0, 10 - text.size(), ' ');
    return text;
}

int CrtAtoi(std::string_view text) {
    std::size_t at = 0;
    auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < text.size() && space(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    // Accumulated as a negative number: its range reaches INT_MIN.
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 - (text[at] - '0');
        if (value < INT_MIN) return negative ? INT_MIN : INT_MAX;
    }
    if (negative) return static_cast<int>(value);
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

FreeSpaceFigures FreeSpaceFor(std::uint64_t totalBytes, std::uint64_t freeBytes) {
    // Shifted by 20 bits, both fit a signed 64-bit number.
    std::string freeText = FormatField10(static_cast<std::int64_t>(freeBytes >> 20));
    std::string totalText = FormatField10(static_cast<std::int64_t>(totalBytes >> 20));
    FreeSpaceFigures figures;
    figures.label = freeText + "Mbyte/" + totalText + "Mbyte";
    figures.total = CrtAtoi(totalText);
    figures.free = CrtAtoi(freeText);
    return figures;
}

std::optional<FreeSpaceFigures> NextFreeSpace(Os& os, const std::string& directory, bool shownBefore) {
    std::uint64_t total = 0;
    std::uint64_t free = 0;
    // Quiet failures on a drive letter without media (a card reader without its card),
    // whatever the calling thread asks for itself (the window's thread already does):
    // the thread's mode rather than the process's, which started programs inherit.
    std::uint32_t previous = 0;
    const bool quiet = os.SetThreadErrorMode(kFailCriticalErrors, &previous);
    const bool known = os.DiskFreeSpace(directory, &total, &free);
    if (quiet) os.SetThreadErrorMode(previous, nullptr);
    if (!known) {
        // A drive pulled out or unreadable: keep the last figures rather than inventing any.
        if (shownBefore) return std::nullopt;
        total = free = 0;
    }
    return FreeSpaceFor(total, free);
}

}  // namespace verrow
