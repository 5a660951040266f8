#include "runtime/RecordListener.h"

#include <gtest/gtest.h>

#include "runtime/SessionFixture.h"

namespace quorvane {
namespace {

class Recorder : public RecordListener {
  public:
    void RecordDelivered(const DeliveredRecord& record) override { records.push_back(record); }
    std::vector<DeliveredRecord> records;
};

class RecordListenerTest : public SessionFixture {
  protected:
    void StartListening() {
        Start();
        session->SetRecordListener(&recorder);
    }
    Recorder recorder;
};

TEST_F(RecordListenerTest, EveryDeliveredRecordWithItsFieldsAndNumber) {
    g.NumberOfFields = 3;
    g.DelimiterChar = ",";
    StartListening();
    // The default record end keeps its CR in the last field, as the items show it.
    Tick("12.5,kg\r7,g,x\r");
    ASSERT_EQ(recorder.records.size(), 2u);
    EXPECT_EQ(recorder.records[0].number, 1u);
    EXPECT_EQ(recorder.records[0].fields, (std::vector<std::string>{"12.5", "kg\r", ""}));
    EXPECT_EQ(recorder.records[1].number, 2u);
    EXPECT_EQ(recorder.records[1].fields, (std::vector<std::string>{"7", "g", "x\r"}));
    // What the listener saw is what the items hold after the record.
    EXPECT_EQ(session->ItemText("Field(3)"), "x\r");
    EXPECT_EQ(session->ItemText("RecordNumber"), "2");
}

TEST_F(RecordListenerTest, NothingWhileSuspendedOrWithoutAListener) {
    Start();
    Tick("1\r");
    session->SetRecordListener(&recorder);
    session->Flags().Suspended = true;
    Tick("2\r");
    EXPECT_TRUE(recorder.records.empty());
}

}  // namespace
}  // namespace quorvane
