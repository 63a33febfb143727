#include "support/TestSupport.h"
#include "store/Query.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::ScratchDatabase;

namespace {

struct Queries : ::testing::Test {
    void SetUp() override {
        Table p(s.db.get(), "Project");
        p.open();
        const std::vector<std::tuple<const char*, const char*, QDate>> rows = {
            {"_Casement", "Standard casements", QDate(2020, 1, 1)},
            {"HOUSE1", "Smith house", QDate(2026, 5, 1)},
            {"O\"Brien 3", "O'Brien offices", QDate(2025, 2, 3)},
            {"x\" or \"1\"=\"1", "Tricky", QDate(2024, 7, 8)},
            {"a_b", "Lower case shop", QDate(2026, 1, 2)},
        };
        for (const auto& [ref, name, date] : rows) {
            p.append();
            p.fieldByName("Project_Ref").setAsString(ref);
            p.fieldByName("Project_Name").setAsString(name);
            p.fieldByName("Project_Date").setAsDate(date);
            p.post();
        }
    }
    QStringList refs(const QString& statement, const QVariantList& params = {}) {
        Query q(s.db.get(), statement);
        q.setSql(statement, params);
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next()) out << q.fieldByName("Project_Ref").asString();
        return out;
    }
    ScratchDatabase s;
};

}  // namespace

TEST_F(Queries, ValuesAreBoundSoQuotesSelectExactlyTheirOwnRows) {
    EXPECT_EQ(refs("Select * from Project Where Project_Ref=?", {"O\"Brien 3"}), (QStringList{"O\"Brien 3"}));
    EXPECT_EQ(refs("Select * from Project Where Project_Ref=?", {"x\" or \"1\"=\"1"}),
              (QStringList{"x\" or \"1\"=\"1"}));
    EXPECT_EQ(refs("Select * from Project Where Project_Name=?", {"O'Brien offices"}), (QStringList{"O\"Brien 3"}));
    // A value written into the statement is refused rather than pasted.
    EXPECT_THROW(refs("Select * from Project Where Project_Ref=\"HOUSE1\""), StoreError);
    EXPECT_THROW(refs("Select * from Project Where Project_Ref=?"), StoreError);
}

TEST_F(Queries, DialectConditions) {
    EXPECT_EQ(refs("Select * from Project Where Substring(Project_Ref from 1 for 1)<>?", {"_"}),
              (QStringList{"HOUSE1", "O\"Brien 3", "a_b", "x\" or \"1\"=\"1"}));
    EXPECT_EQ(refs("Select * from Project Where Project_Ref<>? And ((Upper(Project_Ref) like ?) or "
                   "(Upper(Project_Name) like ?))",
                   {"", "%SHOP%", "%SHOP%"}),
              (QStringList{"a_b"}));
    // like matches letter case exactly; _ stands for one character.
    EXPECT_TRUE(refs("Select * from Project Where Project_Name like ?", {"%smith%"}).isEmpty());
    EXPECT_EQ(refs("Select * from Project Where Project_Ref like ?", {"HOUSE_"}), (QStringList{"HOUSE1"}));
    EXPECT_EQ(refs("Select * from Project Where not (Project_Ref=?) and not Project_Ref like ?", {"HOUSE1", "%\"%"}),
              (QStringList{"_Casement", "a_b"}));
    EXPECT_EQ(refs("Select * from Project Where Project_Ref=? or Project_Ref=?", {"a_b", "HOUSE1"}),
              (QStringList{"HOUSE1", "a_b"}));
    EXPECT_EQ(refs("Select * from Project Where Def_WL=0").size(), 0);
}

TEST_F(Queries, OrderByOneOrTwoFields) {
    EXPECT_EQ(refs("Select * from Project Order by Project_Date"),
              (QStringList{"_Casement", "x\" or \"1\"=\"1", "O\"Brien 3", "a_b", "HOUSE1"}));
    EXPECT_EQ(refs("Select * from Project Order by Project_Date desc").first(), "HOUSE1");
    EXPECT_EQ(refs("Select * from Project Order by Def_WL, Project_Ref desc").first(), "x\" or \"1\"=\"1");
    EXPECT_THROW(refs("Select * from Project Order by Nothing"), StoreError);
}

TEST_F(Queries, QueriesAreReadOnlyAndReportMissingTables) {
    Query q(s.db.get(), "Select * from Project");
    q.open();
    EXPECT_EQ(q.recordCount(), 5);
    EXPECT_THROW(q.fieldByName("Project_Name").setAsString("x"), StoreError);
    Query missing(s.db.get(), "Select * from Nowhere");
    EXPECT_THROW(missing.open(), StoreError);
}

// Upper() folds every letter Qt knows, on every connection, so a case-blind
// search finds accented names whichever way they were typed.
TEST_F(Queries, UpperFoldsAccentedLettersOnEveryConnection) {
    Table p(s.db.get(), "Project");
    p.open();
    const std::vector<std::pair<const char*, const char*>> rows = {{"CAFE", "Café Élan"},
                                                                   {"STRASSE", "Großstraße 4"},
                                                                   {"ATHENS", "σοφία house"},
                                                                   {"KIEV", "Дом на холме"},
                                                                   {"PLAIN", "Cafe Elan"}};
    for (const auto& [ref, name] : rows) {
        p.append();
        p.fieldByName("Project_Ref").setAsString(ref);
        p.fieldByName("Project_Name").setAsString(QString::fromUtf8(name));
        p.post();
    }
    const QString search = "Select * from Project Where Upper(Project_Name) like ?";
    auto find = [&](const char* text) {
        return refs(search,
                    {QLatin1Char('%') + QString::fromUtf8(text).toUpper() + QLatin1Char('%')});
    };
    EXPECT_EQ(find("é"), QStringList{"CAFE"});
    EXPECT_EQ(find("élan"), QStringList{"CAFE"});
    EXPECT_EQ(find("ÉLAN"), QStringList{"CAFE"});
    EXPECT_EQ(find("elan"), QStringList{"PLAIN"}); // an accent is a different letter
    EXPECT_EQ(find("straße"), QStringList{"STRASSE"});
    EXPECT_EQ(find("ΣΟΦΊΑ"), QStringList{"ATHENS"});
    EXPECT_EQ(find("холме"), QStringList{"KIEV"});
    // The stored text itself is not changed.
    EXPECT_EQ(refs("Select * from Project Where Project_Name=?", {QString::fromUtf8("Café Élan")}),
              QStringList{"CAFE"});

    // A second connection on the same file folds the same way.
    auto other = Database::open(s.file());
    Query q(other.get(), search);
    q.setSql(search, {QStringLiteral("%É%")});
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("Project_Ref").asString(), "CAFE");
}
