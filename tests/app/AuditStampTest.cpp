// Audit columns stamped by the window before every post.


#include <QFile>

#include "MainWindowFixture.h"
#include "platform/data/DB.h"
#include "platform/win32/LocalTime.h"
#include "platform/win32/UserName.h"

namespace {

class AuditStampTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        Sql("CREATE TABLE AUDITED (ID INTEGER NOT NULL, DATA BLOB,"
            " LUUS VARCHAR(30), LUDT VARCHAR(14), LUDL VARCHAR(19),"
            " CRUS VARCHAR(30), CRDT VARCHAR(14), CRDL VARCHAR(19),"
            " XLUUS2 VARCHAR(30), lower_luus VARCHAR(30), SHORT_LUDT VARCHAR(8));"
            "INSERT INTO AUDITED (ID, CRUS) VALUES (1, 'creator');"
            "CREATE TABLE BAD_AUDIT (ID INTEGER, LUUS VARCHAR(30), LUDL INTEGER);"
            "INSERT INTO BAD_AUDIT VALUES (1, NULL, NULL);");
        Logon();
    }
    std::string F(const char* name) {
        return form_->odsUpdTable->FieldByName(name)->IsNull()
                   ? "<null>"
                   : form_->odsUpdTable->FieldByName(name)->AsString();
    }
    win32::ScopedUserName user_{std::string("taro")};
    win32::ScopedLocalTime clock_{win32::SYSTEMTIME{2012, 3, 4, 15, 9, 30, 5, 123}};
};

TEST_P(AuditStampTest, ANewRowGetsEveryStampAndALaterEditOnlyTheUpdateStamps) {
    OpenWithRows(QStringLiteral("AUDITED"));
    Click(form_->btnAppend);
    form_->odsUpdTable->FieldByName("ID")->SetAsString("2");
    form_->odsUpdTable->FieldByName("LUUS")->SetAsString("typed by hand");
    form_->odsUpdTable->Post();
    const std::pair<const char*, const char*> expected[] = {
        {"LUUS", "taro"},          {"LUDT", "20120315093005"}, {"LUDL", "2012/03/15 09:30:05"},
        {"CRUS", "taro"},          {"CRDT", "20120315093005"}, {"CRDL", "2012/03/15 09:30:05"},
        {"XLUUS2", "taro"},        {"lower_luus", "<null>"},         {"SHORT_LUDT", "20120315"}};
    for (const auto& [field, value] : expected) EXPECT_EQ(F(field), value) << field;

    // A fetched row: the creation columns are never touched.
    form_->odsUpdTable->SetRecNo(1);
    win32::ScopedUserName other(std::string("hanako"));
    form_->odsUpdTable->Edit();
    form_->odsUpdTable->Post();
    EXPECT_EQ(F("LUUS"), "hanako");
    EXPECT_EQ(F("CRUS"), "creator");
    EXPECT_EQ(F("CRDT"), "<null>");
}

TEST_P(AuditStampTest, LoadingAFileStampsTheRow) {
    OpenWithRows(QStringLiteral("AUDITED"));
    QFile f(Path("x.bin"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    Click(form_->btnAppend);
    form_->odsUpdTable->FieldByName("ID")->SetAsString("3");
    Focus("DATA");
    answers_.push_back(ChooseFile(Path("x.bin")));
    ColumnOf("DATA")->BlobProperties()->OnButtonClick(ColumnOf("DATA"), 0);
    EXPECT_EQ(F("LUDT"), "20120315093005");
    EXPECT_EQ(F("CRUS"), "taro");
}

TEST_P(AuditStampTest, AStampANumberColumnCannotTakeFailsThePostAndKeepsTheRecordEdited) {
    OpenWithRows(QStringLiteral("BAD_AUDIT"));
    form_->odsUpdTable->Edit();
    EXPECT_THROW(form_->odsUpdTable->Post(), EConvertError);
    EXPECT_EQ(form_->odsUpdTable->State(), dsEdit);
    EXPECT_EQ(F("LUUS"), "taro");  // assigned before the failing one
}

QUILLAN_ON_EVERY_DATABASE(AuditStampTest);

}  // namespace
