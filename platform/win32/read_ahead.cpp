#include "platform/win32/read_ahead.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/scoped.h"

namespace verrow {
namespace {

// The files are read while the window is made too: every one of a thousand may be read
// before the first is taken, as long as they stay within the bytes.
constexpr std::size_t kMaxFilesAhead = 4096;
// Checked before each read: the file under way, and one the caller reads itself, may go
// past it.
constexpr std::size_t kMaxBytesAhead = 16u << 20;
// A caller that has caught up with the reader sleeps until this many files are ready, not
// one: on a virtual machine, a wait for each file made the reading take half as long again.
constexpr std::size_t kTakeRun = 32;
// A buffer handed back is read into again unless nothing is left to read or it is this
// large: a few huge files would otherwise keep their room for every small one after them.
constexpr std::size_t kMaxSpareRoom = 64u << 10;
// Buffers that go round between the reader and the taker: enough for a run and the next.
constexpr std::size_t kPoolBuffers = 2 * kTakeRun;
// Files left open by one sequence, at most: under wine each holds a file descriptor in the
// process, which may be allowed as few as 1024, and the rest of the program needs some too.
// Any after them are closed as they are read.
constexpr std::size_t kMaxLeftOpen = 768;

class Lock {
public:
    explicit Lock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Lock() { ReleaseSRWLockExclusive(&lock_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    SRWLOCK& lock_;
};

// The other way round, for work done without the lock by one who holds it.
class Unlock {
public:
    explicit Unlock(SRWLOCK& lock) : lock_(lock) { ReleaseSRWLockExclusive(&lock_); }
    ~Unlock() { AcquireSRWLockExclusive(&lock_); }
    Unlock(const Unlock&) = delete;
    Unlock& operator=(const Unlock&) = delete;

private:
    SRWLOCK& lock_;
};

class FilesReadAhead final : public FileSequence {
public:
    FilesReadAhead(std::vector<std::string> paths, FilesLeftOpen& leftOpen)
        : leftOpen_(leftOpen), paths_(std::move(paths)), slots_(paths_.size()) {
        // One reader: the wine server answers one request at a time, so a second only
        // waited for the first and made one more thread to wake. Without it the caller
        // reads every file itself, when it takes it.
        reader_.reset(CreateThread(nullptr, 0, &FilesReadAhead::Reader, this, 0, nullptr));
    }

    ~FilesReadAhead() override {
        {
            Lock lock(lock_);
            stopping_ = true;
            WakeAllConditionVariable(&room_);
        }
        if (reader_) WaitForSingleObject(reader_.get(), INFINITE);
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
        if (!slots_[index].done) {
            wantReady_ = std::min(index + kTakeRun, slots_.size());
            takerWaiting_ = true;
            while (!TakeCanGoOn(index)) SleepConditionVariableSRW(&ready_, &lock_, INFINITE, 0);
            takerWaiting_ = false;
        }
        Slot& slot = slots_[index];
        aheadBytes_ -= slot.bytes.size();
        ++nextTake_;
        if (readerWaiting_) WakeConditionVariable(&room_);
        // A file read into a buffer of the pool is copied out, and the buffer goes back to
        // the reader: it then reads into memory in use already, and the fresh memory that
        // the kept copy needs is first touched here, by a thread that mostly waits. On a
        // virtual machine, placing a 9 KB file in fresh memory took three times as long as
        // reading it into used memory (45 us, 15 us). Any other buffer is handed over as
        // it is: one read into fresh memory while the pool is full, a huge one, and every
        // one once nothing is left to read.
        const bool recycle = nextClaim_ < slots_.size() && slot.bytes.capacity() <= kMaxSpareRoom &&
                             (slot.pooled || pooled_ < kPoolBuffers);
        if (recycle) {
            {
                Unlock unlock(lock_);
                bytes.assign(slot.bytes);
            }
            if (!slot.pooled) ++pooled_;
            spare_.push_back(std::move(slot.bytes));
        } else {
            if (slot.pooled) --pooled_;
            bytes.swap(slot.bytes);
            std::string().swap(slot.bytes);  // the room the caller's string had
        }
        return slot.ok;
    }

private:
    struct Slot {
        std::string bytes;
        bool ok = false;
        bool done = false;
        bool pooled = false;  // read into a buffer handed back
    };

    static DWORD WINAPI Reader(void* self) {
        // A thread's own error mode starts at the process's: without this, a pulled card
        // raised the system's "no disk" box here though the window's thread asks for none.
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
        static_cast<FilesReadAhead*>(self)->ReadWhileWanted();
        return 0;
    }

    bool MayReadAhead() const {
        return nextClaim_ < nextTake_ + kMaxFilesAhead && aheadBytes_ < kMaxBytesAhead;
    }

    // The file taken next is there, and so is the run the taker waits for, or the reader
    // will read no further for now.
    bool TakeCanGoOn(std::size_t index) const {
        return slots_[index].done &&
               (readyThrough_ >= wantReady_ || nextClaim_ >= slots_.size() || !MayReadAhead());
    }

    void ReadWhileWanted() {
        Lock lock(lock_);
        while (!stopping_ && nextClaim_ < slots_.size()) {
            if (!MayReadAhead()) {
                readerWaiting_ = true;
                SleepConditionVariableSRW(&room_, &lock_, INFINITE, 0);
                readerWaiting_ = false;
                continue;
            }
            Read(nextClaim_++);
        }
    }

    // Reads a file, the lock released meanwhile; the file goes to leftOpen_ when `keep`.
    bool ReadUnlocked(const std::string& path, std::string& bytes, bool keep, DWORD& error) {
        Unlock unlock(lock_);
        ScopedHandle file;
        const bool ok = ReadWholeFile(path, bytes, file);
        error = ok ? 0 : ::GetLastError();
        if (!ok) std::string().swap(bytes);  // not what the buffer held before, nor its room
        if (ok && keep) leftOpen_.Keep(file);
        file.reset();
        return ok;
    }

    // Reads file `index` without the lock held; called and returning with it held.
    void Read(std::size_t index) {
        std::string bytes;
        const bool pooled = !spare_.empty();
        if (pooled) {
            bytes.swap(spare_.back());
            spare_.pop_back();
        }
        const bool keepOpen = keptOpen_ < kMaxLeftOpen;
        if (keepOpen) ++keptOpen_;
        DWORD error = 0;
        bool ok = ReadUnlocked(paths_[index], bytes, keepOpen, error);
        if (!ok && error == ERROR_TOO_MANY_OPEN_FILES) {
            // The process may hold no more files: those kept go now, and no more are kept.
            // Closed with the lock held, so that the other thread, refused too, finds them
            // gone when it tries again.
            keptOpen_ = kMaxLeftOpen;
            leftOpen_.CloseAll();
            ok = ReadUnlocked(paths_[index], bytes, false, error);
        }
        Slot& slot = slots_[index];
        aheadBytes_ += bytes.size();
        slot.bytes = std::move(bytes);
        slot.ok = ok;
        slot.pooled = pooled;
        slot.done = true;
        while (readyThrough_ < slots_.size() && slots_[readyThrough_].done) ++readyThrough_;
        if (takerWaiting_ && TakeCanGoOn(nextTake_)) WakeConditionVariable(&ready_);
    }

    FilesLeftOpen& leftOpen_;
    const std::vector<std::string> paths_;
    std::vector<Slot> slots_;
    std::size_t keptOpen_ = 0;  // files given to leftOpen_ (kMaxLeftOpen: keep no more)
    std::vector<std::string> spare_;  // buffers handed back, to be read into again
    std::size_t pooled_ = 0;          // buffers that go round: spare, or read into
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE ready_ = CONDITION_VARIABLE_INIT;  // the taker waits on it
    CONDITION_VARIABLE room_ = CONDITION_VARIABLE_INIT;   // the reader waits on it
    std::size_t nextClaim_ = 0;     // the first file that nobody reads yet
    std::size_t nextTake_ = 0;      // the file that the caller takes next
    std::size_t readyThrough_ = 0;  // files 0 to this one (excluded) are all read
    std::size_t wantReady_ = 0;     // the taker waits for readyThrough_ to reach this
    std::size_t aheadBytes_ = 0;    // read and not yet taken
    bool takerWaiting_ = false;
    bool readerWaiting_ = false;
    bool stopping_ = false;
    ScopedHandle reader_;  // closed once it has ended
};

}  // namespace

void FilesLeftOpen::Keep(ScopedHandle& file) {
    Lock lock(lock_);
    if (paused_ == 0) files_.push_back(std::move(file));
}

void FilesLeftOpen::CloseAll() {
    std::vector<ScopedHandle> closing;
    {
        Lock lock(lock_);
        closing.swap(files_);
    }
}

void FilesLeftOpen::Pause() {
    {
        Lock lock(lock_);
        ++paused_;
    }
    CloseAll();
}

void FilesLeftOpen::Resume() {
    Lock lock(lock_);
    --paused_;
}

std::unique_ptr<FileSequence> ReadAhead(std::vector<std::string> paths, FilesLeftOpen& leftOpen) {
    return std::make_unique<FilesReadAhead>(std::move(paths), leftOpen);
}

}  // namespace verrow
