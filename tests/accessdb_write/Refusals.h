#pragma once
// What the engine refused, for the tests of its errors: Access's error number and message of an
// operation, and the check that a refused write left the database file byte for byte as it was.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "accessdb/Database.h"
#include "accessdb/Error.h"
#include "accessdb_read/Fixtures.h"

namespace writetest {

// Whether `action` ended with an error of the engine, and that error's Access number and
// message.
struct Refusal {
    bool refused = false;
    long number = 0;
    std::string message;
};

template <class Fn>
Refusal RefusalOf(Fn&& action) {
    try {
        std::forward<Fn>(action)();
    } catch (const accessdb::Error& e) {
        return {true, e.JetNumber(), e.what()};
    }
    return {};
}

// `action` ends with Access's error `number` whose message holds `mentions`; `taken` says what
// went wrong when it ends without an error.
template <class Fn>
void ExpectRefused(Fn&& action, long number, const std::string& mentions,
                   const std::string& taken) {
    const Refusal refusal = RefusalOf(std::forward<Fn>(action));
    if (!refusal.refused) {
        ADD_FAILURE() << taken;
        return;
    }
    EXPECT_EQ(refusal.number, number) << refusal.message;
    EXPECT_NE(refusal.message.find(mentions), std::string::npos) << refusal.message;
}

// `write` gets the database at `path` open for writing and must be refused as ExpectRefused
// says; the database is closed afterwards and its file must be byte for byte as before.
template <class Fn>
void ExpectRefusedUnchanged(const std::string& path, Fn&& write, long number,
                            const std::string& mentions, const std::string& taken) {
    const std::string before = fixtures::ReadText(path);
    {
        auto db = accessdb::Database::Open(path, "", accessdb::OpenMode::ReadWrite);
        ExpectRefused([&] { write(*db); }, number, mentions, taken);
        db->Close();
    }
    EXPECT_TRUE(fixtures::ReadText(path) == before) << "the refused write changed the file";
}

}  // namespace writetest
