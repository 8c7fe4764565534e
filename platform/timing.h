// Timing marks for finding where start and close spend their time. Only a build made
// with -DVERROW_TIMING=ON (tools/bench.sh --timing) has them; everywhere else the macros
// are empty and nothing of this reaches the program.
//
//   VERROW_MARK("name")   a moment, in milliseconds since the process was created
//   VERROW_SPAN("name")   the time until the end of the enclosing scope, added up under
//                         the name (for work done once per entry)
//   VERROW_MARK_DIALOG_MESSAGE(message)   the dialog's first paint, WM_INITDIALOG and
//                         WM_CLOSE, marked alike in Verrow and in the benchmark's floor
//
// Such a build writes one "name milliseconds" line per mark and sum, in order, to the file
// that the environment variable VERROW_TIMING_LOG names, when the process ends.
#pragma once

#ifdef VERROW_TIMING

#include <cstdint>

namespace verrow::timing {

void Mark(const char* name);
void MarkDialogMessage(unsigned message);
void Add(const char* name, std::int64_t ticks);
std::int64_t Now();

class Span {
public:
    explicit Span(const char* name) : name_(name), start_(Now()) {}
    ~Span() { Add(name_, Now() - start_); }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    const char* name_;
    std::int64_t start_;
};

}  // namespace verrow::timing

#define VERROW_TIMING_JOIN2(a, b) a##b
#define VERROW_TIMING_JOIN(a, b) VERROW_TIMING_JOIN2(a, b)
#define VERROW_MARK(name) ::verrow::timing::Mark(name)
#define VERROW_SPAN(name) ::verrow::timing::Span VERROW_TIMING_JOIN(timingSpan, __LINE__)(name)
#define VERROW_MARK_DIALOG_MESSAGE(message) ::verrow::timing::MarkDialogMessage(message)

#else

#define VERROW_MARK(name) ((void)0)
#define VERROW_SPAN(name) ((void)0)
#define VERROW_MARK_DIALOG_MESSAGE(message) ((void)0)

#endif
