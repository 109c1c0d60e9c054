#pragma once
// A second thread that writes a group's pages to the file while the next group's statements
// run. Copying pages into the system's file cache was the largest single cost of a long
// import (a tenth of its time), and the machine has another core.
//
// One group at a time: the page file hands over a group (its journal already written), and
// waits for it before it writes the next journal, reads the file, or rolls anything back, so
// the file sees exactly the writes it saw before, in the same order. The group's pages stay
// where they are; a page the next group changes before its turn is copied for the writer
// first (BeforeChange), and one it is writing at that moment is waited for.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "accessdb/FileHandle.h"

namespace accessdb {

struct Page;

class WriteBehind {
  public:
    // One page of the group: the cached page itself, or bytes of its own (a page whose stored
    // form differs from the cached one: page 0, an encrypted page).
    struct Piece {
        std::uint32_t number = 0;
        std::shared_ptr<Page> page;
        std::vector<std::uint8_t> own;
    };

    explicit WriteBehind(FileHandle& file, std::uint32_t pageSize);
    ~WriteBehind();  // waits for the group and ends the thread
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Starts writing `pieces` (in page order); then runs `after` (the journal marked done) and
    // drops `hold` (the lock that keeps readers out), all on the writing thread. Only when no
    // group is being written.
    void Start(std::vector<Piece> pieces, std::function<void()> after, std::shared_ptr<void> hold);
    // A group was started and not yet waited for.
    bool Busy() const { return busy_; }
    // The group holds the page (read from the file only once it is written).
    bool Holds(std::uint32_t page) const;
    // Before the cached bytes of the group's piece `index` change.
    void BeforeChange(std::uint32_t index);
    // Waits until the group is written (or failed); returns what it failed with, once.
    std::exception_ptr Wait();

  private:
    enum class State : std::uint8_t { Pending, Writing, Done };
    void Loop();
    void WriteAll();

    FileHandle& file_;
    std::uint32_t pageSize_;
    bool busy_ = false;  // the page file's thread only
    std::vector<Piece> pieces_;
    std::vector<std::uint32_t> numbers_;  // the pieces' page numbers, for Holds()

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<State> states_;
    std::function<void()> after_;
    std::shared_ptr<void> hold_;
    std::exception_ptr error_;
    bool work_ = false;
    bool finished_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace accessdb
