#include "accessdb/WriteBehind.h"

#include <algorithm>

#include "accessdb/Error.h"
#include "accessdb/PageFile.h"

namespace accessdb {

WriteBehind::WriteBehind(FileHandle& file, std::uint32_t pageSize)
    : file_(file), pageSize_(pageSize), thread_([this] { Loop(); }) {}

WriteBehind::~WriteBehind() {
    (void)Wait();
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void WriteBehind::Start(std::vector<Piece> pieces, std::function<void()> after,
                        std::shared_ptr<void> hold) {
    pieces_ = std::move(pieces);
    numbers_.clear();
    for (const Piece& piece : pieces_) {
        numbers_.push_back(piece.number);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        states_.assign(pieces_.size(), State::Pending);
        after_ = std::move(after);
        hold_ = std::move(hold);
        error_ = nullptr;
        finished_ = false;
        work_ = true;
    }
    busy_ = true;
    changed_.notify_all();
}

bool WriteBehind::Holds(std::uint32_t page) const {
    return busy_ && std::binary_search(numbers_.begin(), numbers_.end(), page);
}

void WriteBehind::BeforeChange(std::uint32_t index) {
    if (!busy_ || index >= pieces_.size()) {
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    // A write that failed leaves its pieces marked as being written: the group's end says
    // that nobody writes them any more.
    changed_.wait(lock, [&] { return states_[index] != State::Writing || finished_; });
    if (states_[index] == State::Pending && pieces_[index].page) {
        // Not written yet: the writer takes the bytes as they are now.
        pieces_[index].own = pieces_[index].page->bytes;
        pieces_[index].page.reset();
    }
}

std::exception_ptr WriteBehind::Wait() {
    if (!busy_) {
        return nullptr;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return finished_; });
    busy_ = false;
    pieces_.clear();
    numbers_.clear();
    std::exception_ptr error = error_;
    error_ = nullptr;
    return error;
}

void WriteBehind::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return work_ || stop_; });
        if (stop_ && !work_) {
            return;
        }
        work_ = false;
        lock.unlock();
        std::exception_ptr error;
        try {
            WriteAll();
        } catch (const Error&) {
            error = std::current_exception();
        } catch (const std::exception& e) {
            error = std::make_exception_ptr(Error(
                ErrorKind::Io, std::string("Writing '") + file_.Path() + "' failed: " + e.what()));
        }
        std::function<void()> after;
        std::shared_ptr<void> hold;
        lock.lock();
        after.swap(after_);
        hold.swap(hold_);
        lock.unlock();
        if (!error && after) {
            try {
                after();
            } catch (const Error&) {
                error = std::current_exception();
            }
        }
        hold.reset();  // readers may come in again
        lock.lock();
        error_ = error;
        finished_ = true;
        changed_.notify_all();
    }
}

void WriteBehind::WriteAll() {
    // Runs of adjacent pages in one gathered write each, as the page file writes them itself,
    // but at most a megabyte at a time: the statements that go on meanwhile change a few pages
    // of the group (the table's definition, its usage maps, the page taking rows), which mostly
    // sit in the same run as the new pages, and such a change waits for the write holding it.
    const std::size_t mostPages = std::max<std::size_t>(1, (std::size_t{1} << 20) / pageSize_);
    std::vector<std::span<const std::uint8_t>> run;
    std::size_t i = 0;
    while (i < pieces_.size()) {
        std::size_t end = i + 1;
        while (end < pieces_.size() && end - i < mostPages &&
               pieces_[end].number == pieces_[end - 1].number + 1) {
            ++end;
        }
        run.clear();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (std::size_t k = i; k < end; ++k) {
                states_[k] = State::Writing;
                const Piece& piece = pieces_[k];
                run.emplace_back(piece.page ? std::span<const std::uint8_t>(piece.page->bytes)
                                            : std::span<const std::uint8_t>(piece.own));
            }
        }
        const std::uint64_t offset = static_cast<std::uint64_t>(pieces_[i].number) * pageSize_;
        if (run.size() == 1) {
            file_.WriteAt(offset, run[0]);
        } else {
            file_.WriteGathered(offset, run);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (std::size_t k = i; k < end; ++k) {
                states_[k] = State::Done;
                pieces_[k].page.reset();  // an evicted page's memory goes now
                pieces_[k].own = {};
            }
        }
        changed_.notify_all();
        i = end;
    }
}

}  // namespace accessdb
