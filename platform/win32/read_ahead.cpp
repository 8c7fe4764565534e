#include "platform/win32/read_ahead.h"

#include <windows.h>

#include <utility>

#include "platform/scoped.h"

namespace verrow {
namespace {

// Two readers, one for a few files: the wine server answers one request at a time, so
// more would only wait for each other.
constexpr int kReaders = 2;
constexpr std::size_t kFewFiles = 32;
// The files are read while the window is made too: every one of a thousand may be read
// before the first is taken, as long as they stay within the bytes.
constexpr std::size_t kMaxFilesAhead = 4096;
constexpr std::size_t kMaxBytesAhead = 16u << 20;  // however large the files

class Lock {
public:
    explicit Lock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Lock() { ReleaseSRWLockExclusive(&lock_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    SRWLOCK& lock_;
};

class FilesReadAhead final : public FileSequence {
public:
    FilesReadAhead(Os& os, std::vector<std::string> paths)
        : os_(os), paths_(std::move(paths)), slots_(paths_.size()) {
        const int readers = paths_.size() < kFewFiles ? 1 : kReaders;
        for (int i = 0; i < readers; ++i) {
            ScopedHandle thread(CreateThread(nullptr, 0, &FilesReadAhead::Reader, this, 0, nullptr));
            if (thread) threads_.push_back(std::move(thread));
        }
    }

    ~FilesReadAhead() override {
        {
            Lock lock(lock_);
            stopping_ = true;
            WakeAllConditionVariable(&changed_);
        }
        for (const ScopedHandle& thread : threads_) WaitForSingleObject(thread.get(), INFINITE);
    }

    FilesReadAhead(const FilesReadAhead&) = delete;
    FilesReadAhead& operator=(const FilesReadAhead&) = delete;

    bool Next(std::string& bytes) override {
        bytes.clear();
        Lock lock(lock_);
        if (nextTake_ >= slots_.size()) return false;
        const std::size_t index = nextTake_;
        if (nextClaim_ == index) {
            ++nextClaim_;
            Read(index);
        }
        while (!slots_[index].done) SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        Slot& slot = slots_[index];
        bytes.swap(slot.bytes);
        aheadBytes_ -= bytes.size();
        ++nextTake_;
        WakeAllConditionVariable(&changed_);  // room ahead again
        return slot.ok;
    }

private:
    struct Slot {
        std::string bytes;
        bool ok = false;
        bool done = false;
    };

    static DWORD WINAPI Reader(void* self) {
        // A thread's own error mode starts at the process's: without this, a pulled card
        // raised the system's "no disk" box here though the window's thread asks for none.
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
        static_cast<FilesReadAhead*>(self)->ReadWhileWanted();
        return 0;
    }

    void ReadWhileWanted() {
        Lock lock(lock_);
        while (!stopping_ && nextClaim_ < slots_.size()) {
            if (nextClaim_ >= nextTake_ + kMaxFilesAhead || aheadBytes_ >= kMaxBytesAhead) {
                SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
                continue;
            }
            Read(nextClaim_++);
        }
    }

    // Reads file `index` without the lock held; called and returning with it held.
    void Read(std::size_t index) {
        ReleaseSRWLockExclusive(&lock_);
        std::string bytes;
        bool ok = os_.ReadFile(paths_[index], bytes);
        AcquireSRWLockExclusive(&lock_);
        Slot& slot = slots_[index];
        aheadBytes_ += bytes.size();
        slot.bytes = std::move(bytes);
        slot.ok = ok;
        slot.done = true;
        WakeAllConditionVariable(&changed_);
    }

    Os& os_;
    const std::vector<std::string> paths_;
    std::vector<Slot> slots_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::size_t nextClaim_ = 0;   // the first file that nobody reads yet
    std::size_t nextTake_ = 0;    // the file that the caller takes next
    std::size_t aheadBytes_ = 0;  // read and not yet taken
    bool stopping_ = false;
    std::vector<ScopedHandle> threads_;  // closed once they have ended
};

}  // namespace

std::unique_ptr<FileSequence> ReadAhead(Os& os, std::vector<std::string> paths) {
    return std::make_unique<FilesReadAhead>(os, std::move(paths));
}

}  // namespace verrow
