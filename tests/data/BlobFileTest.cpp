#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <random>

#include "data/DataFixture.h"

using namespace testdata;

namespace {

std::string RandomBytes(std::size_t n) {
    std::mt19937 gen(static_cast<unsigned>(n));
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen());
    return s;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll().toStdString();
}

}  // namespace

class BlobFileTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (IsSkipped()) return;
        session = Connect("CREATE TABLE DOCS (DOC_ID INTEGER PRIMARY KEY, BODY BLOB);");
        docs = DataSet(*session, TableStatement("DOCS"));
        docs->Open();
    }
    std::string Temp(const char* name) { return dir.path().toStdString() + "/" + name; }

    QTemporaryDir dir;
    std::unique_ptr<TOracleSession> session;
    std::unique_ptr<TOracleDataSet> docs;
};

TEST_P(BlobFileTest, AFileGoesIntoTheDatabaseAndComesBackByteForByte) {
    // Empty, small, and above the in-memory threshold (held in a temporary file).
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{5} << 20}) {
        SCOPED_TRACE(size);
        const std::string bytes = RandomBytes(size);
        WriteFile(Temp("in.bin"), bytes);
        docs->Append();
        static_cast<TBlobField*>(docs->FieldByName("BODY"))->LoadFromFile(Temp("in.bin"));
        session->ApplyUpdates({docs.get()}, true);
        EXPECT_EQ(Query("SELECT length(BODY) FROM DOCS WHERE DOC_ID = " + docs->FieldByName("DOC_ID")->AsString()),
                  (Rows{{std::to_string(size)}}));

        // A fresh open reads it back from the database.
        auto again = DataSet(*session, TableStatement("DOCS"));
        again->Open();
        again->FetchAll();
        again->SetCurrentRow(again->RecordCount() - 1);
        auto* body = static_cast<TBlobField*>(again->FieldByName("BODY"));
        EXPECT_EQ(body->BlobSize(), static_cast<std::int64_t>(size));
        WriteFile(Temp("out.bin"), "old content that must go");
        body->SaveToFile(Temp("out.bin"));
        EXPECT_TRUE(ReadFile(Temp("out.bin")) == bytes);
    }
}

TEST_P(BlobFileTest, LoadingAFileThatAnotherProgramLocksOrThatIsMissingFails) {
    WriteFile(Temp("locked.bin"), "abc");
    const int fd = ::open(Temp("locked.bin").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    docs->Append();
    auto* body = static_cast<TBlobField*>(docs->FieldByName("BODY"));
    EXPECT_THROW(body->LoadFromFile(Temp("locked.bin")), EFOpenError);
    ::close(fd);
    try {
        body->LoadFromFile(Temp("missing.bin"));
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(Temp("missing.bin")), std::string::npos) << "names the file";
    }
    EXPECT_TRUE(body->IsNull());
    body->LoadFromFile(Temp("locked.bin"));
    EXPECT_EQ(body->AsString(), "abc");
}

TEST_P(BlobFileTest, SavingToAPlaceThatCannotBeWrittenFailsNamingTheFile) {
    docs->Append();
    const std::string target = Temp("no/such/folder/out.bin");
    try {
        static_cast<TBlobField*>(docs->FieldByName("BODY"))->SaveToFile(target);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(target), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, BlobFileTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });
