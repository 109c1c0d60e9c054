// The writing thread: the file receives every page of a group as it was when the group was
// handed over, however the next group's changes race with the writes.
#include "accessdb/WriteBehind.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "accessdb/PageFile.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kPageSize = 4096;

fs::path EmptyFile(const std::string& name, std::size_t bytes) {
    const fs::path path = fs::temp_directory_path() / ("quillmere_write_behind_" + name);
    std::ofstream(path, std::ios::binary) << std::string(bytes, '\0');
    return path;
}

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(WriteBehind, TheFileGetsEachPageAsHandedOverWhileTheNextGroupChangesIt) {
    const fs::path path = EmptyFile("race", 0);
    std::mt19937 random(3);
    {
        accessdb::FileHandle file(path.string(), true);
        accessdb::WriteBehind behind(file, kPageSize);
        std::vector<std::shared_ptr<accessdb::Page>> pages;
        for (std::uint32_t n = 0; n < 64; ++n) {
            auto page = std::make_shared<accessdb::Page>();
            page->number = n;
            page->bytes.assign(kPageSize, 0);
            pages.push_back(page);
        }
        std::vector<std::uint8_t> expected(64 * kPageSize);
        for (int group = 1; group <= 40; ++group) {
            // Runs with gaps: pages 0-63 less a few, some groups with own bytes.
            std::vector<accessdb::WriteBehind::Piece> pieces;
            for (std::uint32_t n = 0; n < 64; ++n) {
                if (random() % 5 == 0)
                    continue;
                std::fill(pages[n]->bytes.begin(), pages[n]->bytes.end(),
                          static_cast<std::uint8_t>(group + n));
                std::fill(expected.begin() + n * kPageSize, expected.begin() + (n + 1) * kPageSize,
                          static_cast<std::uint8_t>(group + n));
                accessdb::WriteBehind::Piece piece;
                piece.number = n;
                if (n % 7 == 0)
                    piece.own = pages[n]->bytes;
                else
                    piece.page = pages[n];
                pieces.push_back(std::move(piece));
            }
            std::vector<std::uint32_t> indexOf(64, UINT32_MAX);
            for (std::uint32_t i = 0; i < pieces.size(); ++i)
                indexOf[pieces[i].number] = i;
            bool afterRan = false;
            auto hold = std::make_shared<int>(0);
            std::weak_ptr<int> held = hold;
            behind.Start(
                std::move(pieces), [&] { afterRan = true; }, std::move(hold));
            // The next group changes pages at once, while they are being written.
            for (int change = 0; change < 30; ++change) {
                const std::uint32_t n = random() % 64;
                if (indexOf[n] != UINT32_MAX)
                    behind.BeforeChange(indexOf[n]);
                std::fill(pages[n]->bytes.begin(), pages[n]->bytes.end(), 0xEE);
            }
            EXPECT_TRUE(behind.Busy());
            EXPECT_EQ(behind.Wait(), nullptr);
            EXPECT_FALSE(behind.Busy());
            EXPECT_TRUE(afterRan);
            EXPECT_TRUE(held.expired()) << "the readers' lock is dropped once written";
            ASSERT_EQ(FileBytes(path), expected) << "group " << group;
            // The file now holds what the pages held when handed over; the 0xEE changes are
            // the next group's and were never handed over.
            for (std::uint32_t n = 0; n < 64; ++n)
                std::copy(expected.begin() + n * kPageSize, expected.begin() + (n + 1) * kPageSize,
                          pages[n]->bytes.begin());
        }
    }
    fs::remove(path);
}

#ifndef _WIN32
TEST(WriteBehind, AFailedWriteComesBackFromWaitAndSkipsTheJournalMark) {
    const fs::path path = EmptyFile("readonly", kPageSize);
    {
        accessdb::FileHandle file(path.string(), false);  // writes fail
        accessdb::WriteBehind behind(file, kPageSize);
        auto page = std::make_shared<accessdb::Page>();
        page->bytes.assign(kPageSize, 1);
        for (int round = 0; round < 200; ++round) {
            std::vector<accessdb::WriteBehind::Piece> pieces(1);
            pieces[0].page = page;
            bool afterRan = false;
            behind.Start(
                std::move(pieces), [&] { afterRan = true; }, nullptr);
            // A change of the page once its write has failed returns (it once waited forever
            // for a write that had given up); half the rounds change it at once.
            if (round % 2 == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            behind.BeforeChange(0);
            const std::exception_ptr error = behind.Wait();
            ASSERT_NE(error, nullptr);
            EXPECT_THROW(std::rethrow_exception(error), accessdb::Error);
            EXPECT_FALSE(afterRan) << "a group not fully written must keep its journal";
            EXPECT_EQ(behind.Wait(), nullptr) << "the failure is told once";
        }
    }
    fs::remove(path);
}
#endif
