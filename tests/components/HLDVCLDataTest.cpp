#include <gtest/gtest.h>

#include "components/HLDDOA.h"
#include "components/HLDVCLData.h"
#include "data/DataFixture.h"

using namespace testdata;

namespace {

// Records what a data-aware control hears.
class RecordingLink : public TDataLink {
public:
    std::vector<std::string> heard;

protected:
    void ActiveChanged() override { heard.push_back("active"); }
    void LayoutChanged() override { heard.push_back("layout"); }
    void DataSetChanged() override { heard.push_back("dataset"); }
    void RowsInserted(int first, int count) override { heard.push_back("inserted " + std::to_string(first) + "+" + std::to_string(count)); }
    void RowsRemoved(int first, int count) override { heard.push_back("removed " + std::to_string(first) + "+" + std::to_string(count)); }
    void RecordChanged(int row) override { heard.push_back("record " + std::to_string(row)); }
    void StateChanged() override { heard.push_back("state"); }
    void RecordMoved() override { heard.push_back("moved"); }
};

}  // namespace

TEST(HLDVCLData, DestroyingTheDataSetFirstLeavesTheDataSourceSafe) {
    auto ds = std::make_unique<TCOracleDataSet>(nullptr);
    TCDataSource source(nullptr);
    RecordingLink link;
    link.SetDataSource(&source);
    source.SetDataSet(ds.get());
    ds.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(link.DataSet(), nullptr);
    source.SetDataSet(nullptr);
}

TEST(HLDVCLData, DestroyingTheDataSourceFirstDetachesIt) {
    TCOracleDataSet ds(nullptr);
    {
        TCDataSource source(nullptr);
        source.SetDataSet(&ds);
    }
    ds.DisableControls();
    ds.EnableControls();  // would reach a destroyed source if it were still attached
    SUCCEED();
}

class DataSourceTest : public DataTest {};

TEST_P(DataSourceTest, LinksHearEachChangeAndOneFullRefreshAfterTheLastEnable) {
    auto session = Connect("CREATE TABLE T (ID INTEGER PRIMARY KEY, V VARCHAR(5)); INSERT INTO T VALUES (1, 'a');");
    auto ds = DataSet(*session, TableStatement("T"));
    TCDataSource source(nullptr);
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);

    link.heard.clear();
    ds->Open();
    EXPECT_EQ(link.heard, (std::vector<std::string>{"inserted 0+1", "moved", "active", "layout", "dataset"}));

    link.heard.clear();
    ds->Append();
    ds->FieldByName("V")->SetAsString("b");
    ds->Cancel();
    EXPECT_EQ(link.heard, (std::vector<std::string>{"inserted 1+1", "state", "moved", "record 1", "removed 1+1",
                                                    "moved", "state"}));

    link.heard.clear();
    ds->DisableControls();
    ds->DisableControls();
    ds->Close();
    ds->Open();
    ds->EnableControls();
    EXPECT_TRUE(link.heard.empty()) << "still disabled once";
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->EnableControls();
    EXPECT_EQ(link.heard, (std::vector<std::string>{"active", "layout", "dataset"}));
    EXPECT_FALSE(ds->ControlsDisabled());
}

INSTANTIATE_TEST_SUITE_P(Backends, DataSourceTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });
