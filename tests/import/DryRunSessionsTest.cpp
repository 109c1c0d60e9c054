// The sessions a dry run executes its statements in: shared by the run, never written.
#include <gtest/gtest.h>

#include "accessdb/LockFile.h"
#include "accessdb/create/NewDatabase.h"
#include "database/AccessDbSession.h"
#include "database/ConnectionString.h"
#include "database/DiscardingSessions.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {

class DryRunSessions : public ::testing::Test {
  protected:
    std::string NewDatabase(const std::string& name) {
        const auto path = (folder.Path() / name).string();
        accessdb::CreateDatabase(path, {accessdb::NewDatabaseFormat::Default, ""});
        return path;
    }

    static std::unique_ptr<DatabaseSession> OpenSession(SessionFactory& factory,
                                                        const std::string& path) {
        auto session = factory.Create();
        session->SetMode(kModeReadWrite);
        session->Open(BuildConnectionString(path, ""));
        return session;
    }

    static int RowCount(DatabaseSession& session, const std::string& table) {
        auto rows =
            session.OpenRecordset("SELECT * FROM `" + table + "`", kCursorStatic, kLockUnspecified);
        int count = 0;
        for (; !rows->AtEnd(); rows->MoveNext()) {
            ++count;
        }
        return count;
    }

    testing::TempFolder folder;
};

TEST_F(DryRunSessions, LaterSessionsSeeEarlierChangesAndTheFileNeverChanges) {
    const auto path = NewDatabase("shop.accdb");
    const std::string before = testing::TempFolder::Read(path);
    auto factory = MakeDiscardingSessionFactory();

    auto first = OpenSession(*factory, path);
    first->Execute("CREATE TABLE `T`(`a` VARCHAR, `b` LONGTEXT);");
    first->Execute("INSERT INTO `T` VALUES('1','x');");
    auto open = first->OpenRecordset("SELECT * FROM `T`", kCursorStatic, kLockUnspecified);
    EXPECT_FALSE(std::filesystem::exists(accessdb::LockFile::PathFor(path)));
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
    first->Close();
    // Closing a session closes its recordsets, as the real one does.
    EXPECT_TRUE(open->AtEnd());
    EXPECT_EQ(first->State(), 0);

    auto second = OpenSession(*factory, path);
    second->Execute("INSERT INTO `T` VALUES('2','y');");
    EXPECT_EQ(RowCount(*second, "T"), 2);
    second->Close();
    factory.reset();

    EXPECT_EQ(testing::TempFolder::Read(path), before);
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        EXPECT_EQ(entry.path().filename(), "shop.accdb") << "left behind: " << entry.path();
    }
}

TEST_F(DryRunSessions, WhatTheRealSessionCannotOpenTheDryRunCannotEither) {
    const auto path = NewDatabase("locked.mdb");
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const auto openingFails = [&](SessionFactory& factory) -> std::string {
        try {
            OpenSession(factory, path);
        } catch (const DatabaseError& error) {
            return std::to_string(error.Number()) + " " + error.Description();
        }
        return "opened";
    };
    auto real = MakeEngineSessionFactory();
    auto dry = MakeDiscardingSessionFactory();
    const std::string refused = openingFails(*real);
    EXPECT_NE(refused, "opened");
    EXPECT_EQ(openingFails(*dry), refused);

    const auto missing = (folder.Path() / "missing.accdb").string();
    auto session = dry->Create();
    session->SetMode(kModeReadWrite);
    EXPECT_THROW(session->Open(BuildConnectionString(missing, "")), DatabaseError);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(DryRunSessions, AnotherDatabaseIsOpenedAfresh) {
    const auto one = NewDatabase("one.accdb");
    const auto two = NewDatabase("two.accdb");
    auto factory = MakeDiscardingSessionFactory();
    auto session = OpenSession(*factory, one);
    session->Execute("CREATE TABLE `OnlyInOne`(`a` VARCHAR);");
    session->Close();
    session = OpenSession(*factory, two);
    EXPECT_THROW(RowCount(*session, "OnlyInOne"), DatabaseError);
}

}  // namespace
}  // namespace quillmere
