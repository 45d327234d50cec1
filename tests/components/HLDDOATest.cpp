#include <gtest/gtest.h>

#include "components/HLDDOA.h"
#include "data/DataFixture.h"
#include "platform/win32/CodePage.h"

using namespace testdata;

TEST(HLDDOA, ANewDataSetCarriesTheHousePresets) {
    TCOracleDataSet ds(nullptr);
    EXPECT_EQ(ds.Cursor(), crHourGlass);
    EXPECT_EQ(ds.LockingMode(), lmLockImmediate);
    EXPECT_EQ(ds.RefreshOptions(), roBeforeEdit | roAfterInsert | roAfterUpdate | roAllFields);
    EXPECT_TRUE(ds.CachedUpdates());
    EXPECT_TRUE(ds.DesignActivation());
    EXPECT_TRUE(ds.OracleDictionary().EnforceConstraints);
    EXPECT_TRUE(ds.OracleDictionary().RangeValues);
    EXPECT_FALSE(ds.ReadOnly() || ds.QBEMode() || ds.Active() || ds.UseFieldBufferEdit());
}

TEST(HLDDOA, ASessionCreatedAtRunTimeKeepsTheBaseDefaults) {
    TCOracleSession session(nullptr);
    EXPECT_EQ(session.Cursor(), crDefault);
    EXPECT_FALSE(session.DesignConnection() || session.ThreadSafe() || session.RollbackOnDisconnect());
    EXPECT_EQ(session.BytesPerCharacter(), bcAutoDetect);
    EXPECT_FALSE(session.Connected());
}

TEST(HLDDOA, ASessionPlacedInTheDesignerGetsTheHousePresets) {
    TComponent designer(nullptr);
    designer.SetDesigning(true);
    auto* session = new TCOracleSession(&designer);  // owned and freed by `designer`
    EXPECT_EQ(session->Cursor(), crHourGlass);
    EXPECT_TRUE(session->DesignConnection() && session->ThreadSafe() && session->RollbackOnDisconnect());
    EXPECT_EQ(session->BytesPerCharacter(), bc2Bytes);
    EXPECT_FALSE(session->Connected());
}

class HLDDOAErrorTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (IsSkipped()) return;
        session = Connect("CREATE TABLE T (ID INTEGER PRIMARY KEY, CODE VARCHAR(5) UNIQUE);"
                          "INSERT INTO T VALUES (1, 'A'), (2, 'B');");
    }
    // A data set read from a stored form (so its Loaded hook runs), with an optional form handler.
    std::unique_ptr<TCOracleDataSet> Loaded(const TTranslateMessageEvent& formHandler) {
        auto form = std::make_unique<TComponent>(nullptr);
        auto ds = std::make_unique<TCOracleDataSet>(nullptr);
        ReadStoredForm(*ds, [&] {
            ds->SetSession(session.get());
            ds->OnTranslateMessage = formHandler;
            for (const auto& l : TableStatement("T")) ds->SQL().Add(l);
        });
        return ds;
    }
    std::unique_ptr<TOracleSession> session;
};

TEST_P(HLDDOAErrorTest, ARowHeldByAnotherSessionReportsTheJapaneseTextAndTheFormHandlerSeesIt) {
    std::vector<std::pair<int, std::string>> seen;
    auto ds = Loaded([&](TOracleDataSet*, int code, const std::string&, char&, std::string& msg) {
        seen.emplace_back(code, msg);
    });
    ds->Open();
    auto other = Session();
    auto theirs = DataSet(*other, TableStatement("T"));
    theirs->Open();
    theirs->Edit();
    const std::string expected = win32::Utf8ToAnsi(
        "他のユーザーがこのデータを編集している可能性があります。\n\rしばらくしてからやり直してください。");
    try {
        ds->Edit();
        FAIL();
    } catch (const EOracleError& e) {
        EXPECT_EQ(e.Message(), expected);
        EXPECT_EQ(e.ErrorCode(), 54);
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(54, expected));
}

TEST_P(HLDDOAErrorTest, AUniqueViolationKeepsTheDatabasesText) {
    std::vector<std::string> seen;
    auto ds = Loaded([&](TOracleDataSet*, int, const std::string&, char&, std::string& msg) { seen.push_back(msg); });
    ds->Open();
    ds->Edit();
    ds->FieldByName("CODE")->SetAsString("B");
    try {
        session->ApplyUpdates({ds.get()}, true);
        FAIL();
    } catch (const EOracleError& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(seen, std::vector<std::string>{e.Message()});
        EXPECT_NE(e.Message().find(backend_->UniqueViolationText()), std::string::npos);
    }
}

TEST_P(HLDDOAErrorTest, ADataSetMadeByCodeOrInDesignGetsNoHook) {
    for (bool design : {false, true}) {
        SCOPED_TRACE(design);
        TCOracleDataSet ds(nullptr);
        if (design) {
            ds.SetDesigning(true);
            ReadStoredForm(ds, [] {});
        }
        EXPECT_FALSE(static_cast<bool>(ds.OnTranslateMessage));
    }
    auto loaded = Loaded(nullptr);
    EXPECT_TRUE(static_cast<bool>(loaded->OnTranslateMessage));
}

TEST_P(HLDDOAErrorTest, ReopenRefreshesAnActiveDataSetAndLeavesAClosedOneClosed) {
    TCOracleDataSet ds(nullptr);
    ds.SetSession(session.get());
    for (const auto& l : TableStatement("T")) ds.SQL().Add(l);
    ds.Reopen();
    EXPECT_FALSE(ds.Active());
    ds.Open();
    Query("INSERT INTO T VALUES (3, 'C')");
    ds.Reopen();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.RecordCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(Backends, HLDDOAErrorTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });
