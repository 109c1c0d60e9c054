#include <gtest/gtest.h>

#include "database/ProviderCheck.h"
#include "database/TableCatalogue.h"
#include "support/FakeDatabase.h"
#include "support/FakePrompts.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {
using testing::FakePrompts;
using testing::FakeSessionFactory;
using testing::TempFolder;

class RecordingList : public ListControl {
  public:
    void Clear() override {
        items.clear();
        selected = -1;
        ++clears;
    }
    void Add(const std::string& text) override { items.push_back(text); }
    int Count() const override { return static_cast<int>(items.size()); }
    void Select(int index) override { selected = index; }
    std::vector<std::string> items;
    int selected = -1;
    int clears = 0;
};

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder.Write("shop.mdb", "stand-in: the fake engine never reads it");
        factory.files[path] = {"",
                               {{"SYSTEM TABLE", "MSysObjects"},
                                {"TABLE", "Orders"},
                                {"VIEW", "Big orders"},
                                {"table", "lowercase type"},
                                {"LINK", "Linked"},
                                {"TABLE", "Order Lines (2024)"},
                                {"TABLE", "Customers"}}};
    }
    TempFolder folder;
    std::string path;
    FakeSessionFactory factory;
};

TEST_F(Catalogue, ListsUserTablesInSchemaOrderAndClosesTheSession) {
    const auto names = ListUserTables(factory, path, "");
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(*names, (std::vector<std::string>{"Orders", "Order Lines (2024)", "Customers"}));
    EXPECT_EQ(factory.opened, 1);
    EXPECT_EQ(factory.closed, 1);
}

TEST_F(Catalogue, AMissingFileHasNoCatalogueAndOpensNothing) {
    EXPECT_FALSE(ListUserTables(factory, (folder / "gone.mdb").string(), "").has_value());
    EXPECT_FALSE(ListUserTables(factory, "", "").has_value());
    EXPECT_EQ(factory.created, 0);
}

TEST_F(Catalogue, OnlyQueriesAndSystemTablesGiveAnEmptyCatalogue) {
    factory.files[path].schemaRows = {{"SYSTEM TABLE", "MSysACEs"}, {"VIEW", "q"}};
    const auto names = ListUserTables(factory, path, "");
    ASSERT_TRUE(names.has_value());
    EXPECT_TRUE(names->empty());
}

TEST_F(Catalogue, EngineErrorsAreRaisedUnchangedAndTheSessionIsReleased) {
    factory.files[path].password = "right";
    try {
        ListUserTables(factory, path, "wrong");
        FAIL() << "no error";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.Number(), 3031);
        EXPECT_EQ(e.Description(), "Not a valid password.");
    }
    EXPECT_TRUE(ListUserTables(factory, path, "right").has_value());
}

TEST_F(Catalogue, FillClearsRefillsAndSelectsTheFirstEntry) {
    RecordingList list;
    list.items = {"old"};
    FillTableList(list, factory, path, "");
    FillTableList(list, factory, path, "");
    EXPECT_EQ(list.items, (std::vector<std::string>{"Orders", "Order Lines (2024)", "Customers"}));
    EXPECT_EQ(list.selected, 0);
}

TEST_F(Catalogue, FillLeavesTheListAloneWithoutACatalogueOrOnAnError) {
    RecordingList list;
    list.items = {"kept"};
    list.selected = 0;
    FillTableList(list, factory, (folder / "gone.mdb").string(), "");
    factory.files[path].password = "right";
    EXPECT_THROW(FillTableList(list, factory, path, "wrong"), DatabaseError);
    EXPECT_EQ(list.items, std::vector<std::string>{"kept"});
    EXPECT_EQ(list.clears, 0);

    factory.files[path].password = "";
    factory.files[path].schemaRows.clear();
    FillTableList(list, factory, path, "");
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(list.selected, -1);  // an empty list keeps no selection
}

// The provider check with a fake engine and boxes, recording the pages it opens.
class ProviderCheck : public ::testing::Test {
  protected:
    bool Check() {
        return CheckProvider(factory, prompts, [&](const std::string& a) { opened.push_back(a); });
    }
    FakeSessionFactory factory;
    FakePrompts prompts;
    std::vector<std::string> opened;
};

TEST_F(ProviderCheck, AWorkingEngineIsSilent) {
    EXPECT_TRUE(Check());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(factory.opened, 0);  // nothing is opened
}

TEST_F(ProviderCheck, OtherFailuresEndWithoutAMessage) {
    factory.createError = DatabaseError(429, "ActiveX component can't create object");
    EXPECT_FALSE(Check());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ProviderCheck, AMissingProviderAsksAndYesOpensBothPagesInOrder) {
    for (const auto& error : {DatabaseError(3706, "whatever the engine says"),
                              DatabaseError(1, "The PROVIDER CANNOT BE FOUND here.")}) {
        SCOPED_TRACE(error.Description());
        factory.createError = error;
        prompts.messages.clear();
        prompts.answers = {MessageAnswer::Yes};
        opened.clear();
        EXPECT_FALSE(Check());
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(prompts.messages[0].caption, "");  // the application title
        EXPECT_EQ(opened, ProviderDownloadPages());
        ASSERT_EQ(opened.size(), 2u);
    }
}

TEST_F(ProviderCheck, NoOpensNothingAndTheTextHasSevenParagraphs) {
    factory.createError = DatabaseError(3706, "Provider cannot be found.");
    prompts.answers = {MessageAnswer::No};
    EXPECT_FALSE(Check());
    EXPECT_TRUE(opened.empty());
    const std::string text = prompts.messages.at(0).text;
    EXPECT_EQ(text.rfind("Error #3706: Provider cannot be found. It may not be properly "
                         "installed.\r\n\r\nYou are getting this error because:\r\n\r\n1. ",
                         0),
              0u);
    size_t breaks = 0;
    for (size_t at = text.find("\r\n\r\n"); at != std::string::npos;
         at = text.find("\r\n\r\n", at + 4)) {
        ++breaks;
    }
    EXPECT_EQ(breaks, 6u);
    EXPECT_EQ(text.substr(text.size() - 22), "support@quillmere.app)");
}

TEST_F(ProviderCheck, AFailingOpenerIsNotExamined) {
    factory.createError = DatabaseError(3706, "x");
    prompts.answers = {MessageAnswer::Yes};
    int calls = 0;
    EXPECT_FALSE(CheckProvider(factory, prompts, [&](const std::string&) {
        ++calls;
        throw std::runtime_error("no browser");
    }));
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace quillmere
