#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "GridFixture.h"
#include "platform/grid/DataSetModel.h"

namespace {

using gridtest::Fixture;

struct ModelOver {
    DataSetModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    explicit ModelOver(TDataSource* source) {
        model.SetDataSource(source);
        model.SetColumns({"ID", "NAME", "CONTENT", "NOTE", "", "NO_SUCH_FIELD"});
    }
};

TEST(DataSetModel, CellsShowValuesBlobSizesMemoStartsAndNothingForNull) {
    Fixture f;
    ModelOver m(f.source);
    struct Case {
        int row, column;
        QString shown;
    } cases[] = {
        {0, 0, "1"},
        {0, 1, "first"},
        {0, 2, "(BLOB) 12.3 KB"},
        {0, 3, "Line one line two of a longer note"},
        {1, 2, ""},
        {1, 3, ""},
        {0, 4, ""},
        {0, 5, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m.model.index(c.row, c.column).data().toString(), c.shown)
            << c.row << "," << c.column;
    }
    EXPECT_FALSE(m.model.index(0, 4).flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(m.model.index(0, 1).flags() & Qt::ItemIsEditable);
}

TEST(DataSetModel, BlobSizesReadLikeAPersonWouldSayThem) {
    struct Case {
        std::int64_t bytes;
        const char* text;
    } cases[] = {{0, "(BLOB) 0 B"},
                 {1023, "(BLOB) 1023 B"},
                 {12630, "(BLOB) 12.3 KB"},
                 {5 * 1024 * 1024 + 300 * 1024, "(BLOB) 5.3 MB"},
                 {std::int64_t{3} << 30, "(BLOB) 3.0 GB"}};
    for (const Case& c : cases) EXPECT_EQ(DataSetModel::BlobSizeText(c.bytes), c.text);
}

TEST(DataSetModel, RowsArriveLazilyAndFollowAppendDeleteAndReopen) {
    Fixture f(2000);
    ModelOver m(f.source);
    const int first = m.model.rowCount();
    EXPECT_LT(first, 2000) << "rows are fetched as they are asked for";
    while (m.model.canFetchMore({})) m.model.fetchMore({});
    EXPECT_EQ(m.model.rowCount(), 2000);

    f.dataSet->Append();
    EXPECT_EQ(m.model.rowCount(), 2001);
    f.dataSet->FieldByName("NAME")->SetAsString("new");
    f.dataSet->Post();
    EXPECT_EQ(m.model.index(2000, 1).data().toString(), "new");
    f.dataSet->SetCurrentRow(0);
    f.dataSet->Delete();
    EXPECT_EQ(m.model.rowCount(), 2000);

    f.dataSet->Close();
    EXPECT_EQ(m.model.rowCount(), 0);
    f.dataSet->Open();
    EXPECT_GT(m.model.rowCount(), 0);
}

TEST(DataSetModel, WritingACellEditsTheRecordAndABadTextFailsWithoutChangingIt) {
    Fixture f;
    ModelOver m(f.source);
    EXPECT_TRUE(m.model.setData(m.model.index(1, 1), "renamed"));
    EXPECT_EQ(f.dataSet->State(), dsEdit);
    EXPECT_EQ(f.dataSet->CurrentRow(), 1);
    EXPECT_EQ(m.model.index(1, 1).data().toString(), "renamed");
    EXPECT_THROW(m.model.setData(m.model.index(1, 0), "not a number"), Exception);
    EXPECT_EQ(m.model.index(1, 0).data().toString(), "2");
    m.model.MoveTo(2);  // leaving the changed row posts it
    EXPECT_EQ(f.dataSet->State(), dsBrowse);
    EXPECT_TRUE(f.dataSet->UpdatesPending());
}

}  // namespace
