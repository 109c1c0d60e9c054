#include "accessdb/DatabaseLock.h"

#include <algorithm>
#include <string>
#include <thread>

#include "accessdb/Error.h"

namespace accessdb {

namespace {

constexpr LockRange kWriterRange{0x7FFFFFFF00000000ull, 1};
constexpr LockRange kGroupRange{0x7FFFFFFF00000001ull, 1};

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
    if (!WaitForLock(file, kGroupRange, false, wait))
        ThrowInUse(file, "a writer kept it locked for longer than " + Seconds(wait));
}

void UnlockDatabase(FileHandle& file) {
    file.Unlock(kGroupRange);
    file.Unlock(kWriterRange);
}

WriteGroupLock::WriteGroupLock(FileHandle& file) : file_(file) {
    const std::chrono::milliseconds wait = DatabaseLockWaits().writer;
    if (!WaitForLock(file, kGroupRange, true, wait))
        ThrowInUse(file, "readers kept it open for longer than " + Seconds(wait) +
                             "; the statement was not written");
}

WriteGroupLock::~WriteGroupLock() {
    try {
        file_.Unlock(kGroupRange);
    } catch (const Error&) {
        // Closing the handle ends the lock in any case.
    }
}

}  // namespace accessdb
