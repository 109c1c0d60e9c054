#include <gtest/gtest.h>

#include "app/ApplicationError.h"
#include "database/ConnectionString.h"
#include "database/DatabaseSession.h"

namespace quillmere {
namespace {

TEST(ConnectionString, ProviderFollowsTheLastFiveCharactersInAnyCase) {
    EXPECT_EQ(BuildConnectionString("C:\\data\\shop.ACCDB", "pw"),
              "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\data\\shop.ACCDB;"
              "JET OLEDB:Database Password=pw");
    EXPECT_EQ(BuildConnectionString("/x/old.mdb", ""),
              "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/x/old.mdb;"
              "JET OLEDB:Database Password=");
    // "accdb" without a dot still counts; a short path is no error.
    EXPECT_NE(BuildConnectionString("myaccdb", "").find("ACE"), std::string::npos);
    EXPECT_NE(BuildConnectionString("db", "").find("Jet"), std::string::npos);
}

TEST(ConnectionString, SemicolonsAndClauseTextSurviveTheRoundTrip) {
    const std::string path = "/tmp/a;b/Data Source=odd.accdb";
    const std::string password = "p;w;JET OLEDB:Database Password=x";
    auto target = ParseConnectionString(BuildConnectionString(path, password));
    // The path runs to the last password clause, so a clause inside the password is cut there.
    EXPECT_EQ(target.provider, "Microsoft.ACE.OLEDB.12.0");
    EXPECT_EQ(target.path, path + ";JET OLEDB:Database Password=p;w");
    EXPECT_EQ(target.password, "x");

    auto plain = ParseConnectionString(BuildConnectionString("/a;b.mdb", "se;cret"));
    EXPECT_EQ(plain.path, "/a;b.mdb");
    EXPECT_EQ(plain.password, "se;cret");
    EXPECT_THROW(ParseConnectionString("Provider=x"), DatabaseError);
}

TEST(ApplicationError, TextHasLocationLineAndSupportAddress) {
    EXPECT_EQ(ApplicationErrorText("Boom", HandlerLocation("Form1", "PushButton3_Click"), 2),
              "Boom\r\nin Korvath2021/08/31.Form1.PushButton3_Click at line 2\r\r"
              "Please email screenshot of this message to support@quillmere.app");
}

}  // namespace
}  // namespace quillmere
