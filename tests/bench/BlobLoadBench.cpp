// Loads a large file into a BLOB cell of a SQLite table, applies it, and saves it back out,
// printing the time of each step and the peak memory of the process.
//
//   bench_blob_load [size in MiB, default 300] [folder, default the temporary folder]

#include <sqlite3.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/data/Oracle.h"
#include "platform/data/OracleData.h"

namespace {

long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

template <class F>
void Step(const char* name, F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-28s %8.2f s   peak memory %5ld MiB\n", name, seconds, PeakMiB());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const long mib = argc > 1 ? std::stol(argv[1]) : 300;
    QTemporaryDir dir(argc > 2 ? QString(argv[2]) + "/quillan-bench-XXXXXX" : QDir::tempPath() + "/quillan-bench-XXXXXX");
    const std::string folder = dir.path().toStdString();
    const std::string dbPath = folder + "/bench.db", inPath = folder + "/in.bin", outPath = folder + "/out.bin";

    sqlite3* db = nullptr;
    sqlite3_open(dbPath.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE DOCS (DOC_ID INTEGER PRIMARY KEY, TITLE VARCHAR(20), BODY BLOB)", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    std::printf("BLOB of %ld MiB, files in %s\n", mib, folder.c_str());
    Step("write input file", [&] {
        QFile f(QString::fromStdString(inPath));
        f.open(QIODevice::WriteOnly);
        std::string chunk(1 << 20, '\0');
        for (long i = 0; i < mib; ++i) {
            for (std::size_t k = 0; k < chunk.size(); k += 64) chunk[k] = static_cast<char>(i + k);
            f.write(chunk.data(), static_cast<qint64>(chunk.size()));
        }
    });

    TOracleSession session(nullptr);
    session.SetLogonDatabase(dbPath);
    session.LogOn();
    TOracleDataSet ds(nullptr);
    ds.SetSession(&session);
    ds.SetCachedUpdates(true);
    ds.SetRefreshOptions(roAfterInsert);
    for (const char* line : {"select", "  rowid, DOCS.*", "from", "  DOCS"}) ds.SQL().Add(line);
    ds.Open();

    Step("load file into cell", [&] {
        ds.Append();
        ds.FieldByName("TITLE")->SetAsString("bench");
        static_cast<TBlobField*>(ds.FieldByName("BODY"))->LoadFromFile(inPath);
        ds.Post();
    });
    Step("apply and commit", [&] { session.ApplyUpdates({&ds}, true); });
    Step("reopen", [&] {
        ds.Close();
        ds.Open();
    });
    Step("save cell to file", [&] { static_cast<TBlobField*>(ds.FieldByName("BODY"))->SaveToFile(outPath); });
    const bool same = QFile(QString::fromStdString(outPath)).size() == static_cast<qint64>(mib) << 20;
    std::printf("round trip size %s\n", same ? "matches" : "DIFFERS");
    return same ? 0 : 1;
}
