#include "accessdb/DatabaseLock.h"

#include <algorithm>
#include <string>
#include <thread>

#include "accessdb/Error.h"

namespace accessdb {

namespace {

constexpr LockRange kWriterRange{0x7FFFFFFF00000000ull, 1};
constexpr LockRange kGroupRange{0x7FFFFFFF00000001ull, 1};
// Held exclusively by a writer waiting for the readers to leave, and shared for a moment by
// every reader on its way in: while a writer waits, no new reader gets in, so a steady stream
// of readers cannot keep the writer out.
constexpr LockRange kPendingRange{0x7FFFFFFF00000002ull, 1};

[[noreturn]] void ThrowInUse(const FileHandle& file, const std::string& why) {
    throw Error(ErrorKind::InUse,
                "Could not use '" + file.Path() + "'; file already in use (" + why + ").");
}

std::string Seconds(std::chrono::milliseconds wait) {
    const auto tenths = wait.count() / 100;
    return std::to_string(tenths / 10) +
           (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

// Tries until `wait` has passed, pausing a little longer each time (1 ms up to 50 ms).
bool WaitForLock(FileHandle& file, LockRange range, bool exclusive,
                 std::chrono::milliseconds wait) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + wait;
    std::chrono::milliseconds pause{1};
    while (!file.TryLock(range, exclusive)) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{50});
    }
    return true;
}

}  // namespace

LockWaits& DatabaseLockWaits() {
    static LockWaits waits;
    return waits;
}

bool TryLockForWriting(FileHandle& file) {
    return file.TryLock(kWriterRange, true);
}

void LockForWriting(FileHandle& file) {
    if (!TryLockForWriting(file))
        ThrowInUse(file, "another session is writing it");
}

void LockForReading(FileHandle& file) {
    const std::chrono::milliseconds wait = DatabaseLockWaits().reader;
    const bool locked = WaitForLock(file, kPendingRange, false, wait) &&
                        WaitForLock(file, kGroupRange, false, wait);
    file.Unlock(kPendingRange);
    if (!locked)
        ThrowInUse(file, "a writer kept it locked for longer than " + Seconds(wait));
}

void UnlockDatabase(FileHandle& file) {
    file.Unlock(kGroupRange);
    file.Unlock(kWriterRange);
}

WriteGroupLock::WriteGroupLock(FileHandle& file) : file_(file) {
    const std::chrono::milliseconds wait = DatabaseLockWaits().writer;
    const bool locked =
        WaitForLock(file, kPendingRange, true, wait) && WaitForLock(file, kGroupRange, true, wait);
    file.Unlock(kPendingRange);
    if (!locked)
        ThrowInUse(file, "readers kept it open for longer than " + Seconds(wait) +
                             "; nothing was written");
}

WriteGroupLock::~WriteGroupLock() {
    try {
        file_.Unlock(kGroupRange);
    } catch (const Error&) {
        // Closing the handle ends the lock in any case.
    }
}

}  // namespace accessdb
