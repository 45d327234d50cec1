#include <gtest/gtest.h>

#include "data/DataFixture.h"
#include "platform/data/DataTexts.h"
#include "platform/data/drivers/Driver.h"

using namespace testdata;

namespace {

const char* const kSchema = R"(
CREATE TABLE ITEMS (
  ITEM_ID  INTEGER NOT NULL PRIMARY KEY,
  CODE     VARCHAR(5) NOT NULL UNIQUE,
  PRICE    NUMERIC(10, 2),
  QTY      INTEGER,
  RELEASED DATE,
  CONTENT  BLOB,
  NOTE     CLOB
);
INSERT INTO ITEMS (ITEM_ID, CODE, PRICE, QTY) VALUES (1, 'A', 1.5, 10), (2, 'B', 2.5, 20), (3, 'C', NULL, 30);
CREATE TABLE EMPTY_ONE (NAME VARCHAR(3));
)";


}  // namespace

class DataSetTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (IsSkipped()) return;
        session = Connect(kSchema);
        items = DataSet(*session, TableStatement("ITEMS"));
    }
    std::string Stored(const std::string& sql) { return Query(sql).at(0).at(0); }

    std::unique_ptr<TOracleSession> session;
    std::unique_ptr<TOracleDataSet> items;
};

TEST_P(DataSetTest, OpeningMakesOneFieldPerColumnInOrderWithoutTheRowIdentifier) {
    struct Expect {
        const char* name;
        const char* cls;
        bool required;
        int size;
    } const expected[] = {
        {"ITEM_ID", "TIntegerField", false, 0},  // filled by the database when left empty
        {"CODE", "TStringField", true, 5},
        {"PRICE", "TFloatField", false, 0},
        {"QTY", "TIntegerField", false, 0},
        {"RELEASED", "TDateTimeField", false, 0},
        {"CONTENT", "TBlobField", false, 0},
        {"NOTE", "TMemoField", false, 0},
    };
    for (bool withData : {true, false}) {
        SCOPED_TRACE(withData);
        auto ds = DataSet(*session, TableStatement("ITEMS", withData));
        ds->Open();
        ds->FetchAll();
        ASSERT_EQ(ds->FieldCount(), 7);
        for (int i = 0; i < 7; ++i) {
            TField* f = ds->Fields()[i];
            EXPECT_EQ(f->FieldName(), expected[i].name);
            EXPECT_STREQ(f->ClassName(), expected[i].cls);
            EXPECT_EQ(f->Required(), expected[i].required) << f->FieldName();
            EXPECT_EQ(f->Size(), expected[i].size) << f->FieldName();
            EXPECT_EQ(f->IsBlob(), i >= 5);
        }
        EXPECT_EQ(ds->RecordCount(), withData ? 3 : 0);
    }
}

TEST_P(DataSetTest, CachedUpdatesRefuseAQueryWithoutRowIdentifierButAPlainQueryOpens) {
    auto list = DataSet(*session, {"select", "  TABLE_NAME", "from", "  USER_TABLES", "order by", "  TABLE_NAME"});
    try {
        list->Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), data::texts::Format(data::texts::kNoRowId));
    }
    EXPECT_FALSE(list->Active());
    list->SetCachedUpdates(false);
    list->Open();
    list->FetchAll();
    ASSERT_EQ(list->RecordCount(), 2);
    EXPECT_EQ(list->DisplayText(0, 0), "EMPTY_ONE");
    EXPECT_EQ(list->DisplayText(1, 0), "ITEMS");
}

TEST_P(DataSetTest, RecordOperationsMoveThroughTheStatesAndTheCache) {
    items->Open();
    // Each step: operation, then expected state, record count, pending updates.
    struct Step {
        const char* what;
        std::function<void(TOracleDataSet&)> run;
        TDataSetState state;
        int count;
        bool pending;
    } const steps[] = {
        {"append", [](TOracleDataSet& d) { d.Append(); }, dsInsert, 4, false},
        {"cancel insert", [](TOracleDataSet& d) { d.Cancel(); }, dsBrowse, 3, false},
        {"append again", [](TOracleDataSet& d) { d.Append(); d.FieldByName("code")->SetAsString("N"); }, dsInsert, 4, false},
        {"post", [](TOracleDataSet& d) { d.Post(); }, dsBrowse, 4, true},
        {"delete inserted", [](TOracleDataSet& d) { d.SetCurrentRow(3); d.Delete(); }, dsBrowse, 3, false},
        {"edit", [](TOracleDataSet& d) { d.SetCurrentRow(0); d.Edit(); d.Fields()[3]->SetAsString("11"); }, dsEdit, 3, false},
        {"cancel edit", [](TOracleDataSet& d) { d.Cancel(); }, dsBrowse, 3, false},
        {"delete inserted while inserting", [](TOracleDataSet& d) { d.Append(); d.Delete(); }, dsBrowse, 3, false},
        {"delete fetched", [](TOracleDataSet& d) { d.SetCurrentRow(2); d.Delete(); }, dsBrowse, 2, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.run(*items);
        EXPECT_EQ(items->State(), s.state);
        EXPECT_EQ(items->RecordCount(), s.count);
        EXPECT_EQ(items->UpdatesPending(), s.pending);
    }
    EXPECT_EQ(items->FieldByName("QTY")->AsInteger(), 20) << "the current record after deleting the last";
}

TEST_P(DataSetTest, PostRunsBeforePostThenDemandsRequiredFieldsNamingThem) {
    items->Open();
    std::vector<std::string> calls;
    items->BeforePost = [&](TDataSet* d) { calls.push_back(std::to_string(d->State())); };
    items->Append();
    try {
        items->Post();
        FAIL() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), data::texts::Format(data::texts::kFieldRequired, "CODE"));
    }
    EXPECT_EQ(items->State(), dsInsert);
    items->BeforePost = [](TDataSet* d) { d->FieldByName("CODE")->SetAsString("Z"); };
    items->Post();
    EXPECT_EQ(calls, std::vector<std::string>{std::to_string(dsInsert)});
    EXPECT_TRUE(items->UpdatesPending());
}

TEST_P(DataSetTest, TextAssignmentFollowsEachTypesRulesAndAFailureLeavesTheRecordAsItWas) {
    items->Open();
    items->Edit();
    struct Case {
        const char* field;
        const char* text;
        const char* shown;  // nullptr: a conversion error
    } const cases[] = {
        {"CODE", "ABCDEFG", "ABCDE"},
        {"CODE", "", ""},
        {"QTY", " 42 ", "42"},
        {"QTY", "4.2", nullptr},
        {"QTY", "x", nullptr},
        {"PRICE", "3.25", "3.25"},
        {"PRICE", "2012/03/15", nullptr},
        {"RELEASED", "2012/03/15 09:30:05", "2012/03/15 09:30:05"},
        {"RELEASED", "2012-03-15", "2012/03/15"},
        {"RELEASED", "20120315093005", nullptr},
        {"RELEASED", "2012/02/30", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.text);
        TField* f = items->FieldByName(c.field);
        const std::string before = f->AsString();
        if (c.shown) {
            f->SetAsString(c.text);
            EXPECT_EQ(f->AsString(), c.shown);
            EXPECT_EQ(f->IsNull(), std::string(c.shown).empty());
        } else {
            EXPECT_THROW(f->SetAsString(c.text), EConvertError);
            EXPECT_EQ(f->AsString(), before);
            EXPECT_EQ(items->State(), dsEdit);
        }
    }
}

TEST_P(DataSetTest, FieldsAreFoundByNameWithoutRegardToCaseAndAMissingNameIsReported) {
    items->Open();
    EXPECT_EQ(items->FieldByName("item_id"), items->Fields()[0]);
    EXPECT_EQ(items->FindField("nope"), nullptr);
    for (const std::string name : {"nope", ""}) {
        try {
            items->FieldByName(name);
            FAIL();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), data::texts::Format(data::texts::kFieldNotFound, name));
        }
    }
}

TEST_P(DataSetTest, ApplyWritesExactlyTheCachedChangesAndCommits) {
    items->Open();
    items->Edit();
    items->FieldByName("QTY")->SetAsInteger(11);
    items->Post();
    items->SetCurrentRow(1);
    items->Delete();
    items->Append();
    items->FieldByName("CODE")->SetAsString("NEW");
    // Left in insert state: the apply posts it first.
    session->ApplyUpdates({items.get()}, true);

    EXPECT_FALSE(items->UpdatesPending());
    EXPECT_FALSE(session->InTransaction());
    EXPECT_EQ(Query("SELECT ITEM_ID, CODE, PRICE, QTY FROM ITEMS ORDER BY ITEM_ID"),
              (Rows{{"1", "A", "1.5", "11"}, {"3", "C", "<null>", "30"}, {"4", "NEW", "<null>", "<null>"}}));
    // The new row was re-read: the database's key shows.
    EXPECT_EQ(items->FieldByName("ITEM_ID")->AsString(), "4");
}

TEST_P(DataSetTest, AFailingApplyUndoesItsWritesKeepsTheCacheAndSucceedsOnceMended) {
    items->Open();
    items->Edit();
    items->FieldByName("QTY")->SetAsInteger(99);
    items->Post();
    items->Append();
    items->FieldByName("CODE")->SetAsString("B");  // already taken
    items->Post();
    const Rows before = Query("SELECT * FROM ITEMS ORDER BY ITEM_ID");
    try {
        session->ApplyUpdates({items.get()}, true);
        FAIL() << "applied";
    } catch (const EOracleError& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_NE(e.Message().find(backend_->UniqueViolationText()), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Query("SELECT * FROM ITEMS ORDER BY ITEM_ID"), before);
    EXPECT_TRUE(items->UpdatesPending());
    EXPECT_EQ(items->RowStatus(0), data::RowOp::Modified);
    EXPECT_EQ(items->RowStatus(3), data::RowOp::Inserted);

    items->Edit();
    items->FieldByName("CODE")->SetAsString("D");
    items->Post();
    session->ApplyUpdates({items.get()}, true);
    EXPECT_EQ(Stored("SELECT QTY FROM ITEMS WHERE ITEM_ID = 1"), "99");
    EXPECT_EQ(Stored("SELECT count(*) FROM ITEMS WHERE CODE = 'D'"), "1");
}

TEST_P(DataSetTest, EditingARowThatAnotherSessionHoldsFailsWithError54AndLocksLastUntilCommit) {
    items->Open();
    auto other = Session();
    auto theirs = DataSet(*other, TableStatement("ITEMS"));
    theirs->Open();
    theirs->Edit();  // takes the lock
    try {
        items->Edit();
        FAIL() << "edited";
    } catch (const EOracleError& e) {
        EXPECT_EQ(e.ErrorCode(), 54);
    }
    EXPECT_EQ(items->State(), dsBrowse);
    theirs->Cancel();
    other->Rollback();
    items->Edit();
    EXPECT_EQ(items->State(), dsEdit);
    EXPECT_TRUE(session->InTransaction());
}

TEST_P(DataSetTest, EditRereadsTheRowFromTheDatabase) {
    items->Open();
    Query("UPDATE ITEMS SET QTY = 77 WHERE ITEM_ID = 1");
    EXPECT_EQ(items->FieldByName("QTY")->AsInteger(), 10);
    items->Edit();
    EXPECT_EQ(items->FieldByName("QTY")->AsInteger(), 77);
}

TEST_P(DataSetTest, LogOffRollsBackWhatWasNotCommitted) {
    items->Open();
    items->Edit();
    items->FieldByName("QTY")->SetAsInteger(5);
    session->ApplyUpdates({items.get()}, false);
    EXPECT_TRUE(session->InTransaction());
    session->LogOff();
    EXPECT_FALSE(session->Connected());
    EXPECT_EQ(Stored("SELECT QTY FROM ITEMS WHERE ITEM_ID = 1"), "10");
    EXPECT_EQ(items->RecordCount(), 3) << "the open data set keeps its rows";
}

TEST_P(DataSetTest, RowsComeLazilyAndEditingWhileFetchingSeesNoHalfAppliedState) {
    std::string script = "BEGIN;";
    for (int i = 10; i < 1010; ++i) script += "INSERT INTO ITEMS (ITEM_ID, CODE) VALUES (" + std::to_string(i) + ", 'K" + std::to_string(i) + "');";
    Query(script + "COMMIT;");
    items->Open();
    EXPECT_LT(items->RecordCount(), 1003);
    EXPECT_TRUE(items->CanFetchMore());
    items->Edit();
    items->FieldByName("QTY")->SetAsInteger(1);
    session->ApplyUpdates({items.get()}, true);
    items->FetchAll();
    EXPECT_EQ(items->RecordCount(), 1003);
    EXPECT_EQ(items->DisplayText(0, 3), "1");
}

TEST_P(DataSetTest, BlobContentIsReadOnDemandAndSizeIsKnownWithoutReadingIt) {
    // The last row: it stays last also where an update moves the row to the end.
    Query("UPDATE ITEMS SET CONTENT = randomblob(3000000), NOTE = 'memo text' WHERE ITEM_ID = 3");
    items->Open();
    EXPECT_EQ(items->BlobSize(2, 5), 3000000);
    EXPECT_EQ(items->DisplayText(2, 5), "(BLOB)");
    EXPECT_EQ(items->DisplayText(2, 6), "(MEMO)");
    EXPECT_TRUE(items->IsNull(0, 5));
    items->SetCurrentRow(2);
    EXPECT_EQ(items->FieldByName("NOTE")->AsString(), "memo text");
    EXPECT_EQ(items->FieldByName("CONTENT")->AsString().size(), 3000000u);
}

INSTANTIATE_TEST_SUITE_P(Backends, DataSetTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });

TEST(DriverChoice, TheDatabaseTextChoosesTheDriver) {
    struct Case {
        const char* database;
        data::DriverKind kind;
    } const cases[] = {
        {"sqlite:/tmp/x", data::DriverKind::SQLite},   {"/tmp/a.db", data::DriverKind::SQLite},
        {"b.SQLITE", data::DriverKind::SQLite},        {"c.sqlite3", data::DriverKind::SQLite},
        {"postgresql://h/db", data::DriverKind::PostgreSQL}, {"postgres://h/db", data::DriverKind::PostgreSQL},
        {"host:1521/ORCL", data::DriverKind::Oracle},  {"ORCL", data::DriverKind::Oracle},
        {"", data::DriverKind::Oracle},
    };
    for (const Case& c : cases) EXPECT_EQ(data::ChooseDriver(c.database), c.kind) << c.database;
}

TEST(DriverChoice, AnOracleDatabaseWithoutClientLibraryFailsNamingIt) {
    TOracleSession session(nullptr);
    session.SetLogonUsername("scott/tiger@ORCL");
    try {
        session.LogOn();
        FAIL();
    } catch (const EOracleError& e) {
        EXPECT_NE(e.Message().find("libclntsh"), std::string::npos);
    }
    EXPECT_FALSE(session.Connected());
}

TEST(DriverChoice, AMissingSqliteFileIsReportedAndNotCreated) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/missing.db";
    TOracleSession session(nullptr);
    session.SetLogonDatabase(path);
    EXPECT_THROW(session.LogOn(), EOracleError);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST(LogonText, UserNameEntryMayCarryPasswordAndDatabase) {
    struct Case {
        const char* text;
        const char* user;
        const char* password;  // nullptr: not given
        const char* database;
    } const cases[] = {
        {"scott", "scott", nullptr, nullptr},
        {"scott/tiger", "scott", "tiger", nullptr},
        {"scott@/data/x.db", "scott", nullptr, "/data/x.db"},
        {"scott/tiger@host:1521/ORCL", "scott", "tiger", "host:1521/ORCL"},
    };
    for (const Case& c : cases) {
        const LogonParts p = SplitLogonText(c.text);
        EXPECT_EQ(p.user, c.user);
        EXPECT_EQ(p.password.has_value(), c.password != nullptr);
        EXPECT_EQ(p.password.value_or("-"), c.password ? c.password : "-");
        EXPECT_EQ(p.database.has_value(), c.database != nullptr);
        EXPECT_EQ(p.database.value_or("-"), c.database ? c.database : "-");
    }
}
