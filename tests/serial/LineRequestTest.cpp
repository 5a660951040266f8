#include "serial/LineRequest.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(LineRequest, BaudFromEveryIndexWithOutOfTableIndicesAt9600) {
    const int32_t expected[] = {110,  300,   600,   1200,  2400,  4800,
                                9600, 14400, 19200, 38400, 57600, 115200};
    SetupGlobals g;
    for (int i = 0; i < 12; ++i) {
        g.BaudRateIndex = static_cast<int16_t>(i);
        EXPECT_EQ(LineRequestFor(g).BaudRate, expected[i]) << "index " << i;
    }
    for (int16_t i : {12, 13, 99, -1, 32767}) {
        g.BaudRateIndex = i;
        EXPECT_EQ(LineRequestFor(g).BaudRate, 9600) << "index " << i;
    }
}

TEST(LineRequest, DataBitsParityAndStopBits) {
    SetupGlobals g;
    for (int16_t i = 0; i < 4; ++i) {
        g.DataBitsIndex = i;
        EXPECT_EQ(LineRequestFor(g).DataBits, i + 5);
    }
    const SerialParity parities[] = {SerialParity::None, SerialParity::Odd, SerialParity::Even,
                                     SerialParity::Mark, SerialParity::Space};
    for (int16_t i = 0; i < 5; ++i) {
        g.Parity = i;
        EXPECT_EQ(LineRequestFor(g).Parity, parities[i]) << "parity " << i;
    }
    const SerialStopBits stops[] = {SerialStopBits::One, SerialStopBits::OneAndHalf,
                                    SerialStopBits::Two};
    for (int16_t i = 0; i < 3; ++i) {
        g.StopBits = i;
        EXPECT_EQ(LineRequestFor(g).StopBits, stops[i]) << "stop bits " << i;
    }
}

TEST(LineRequest, OutOfRangeLineValuesReachTheDeviceUnchanged) {
    // The device refuses them, so the open fails the way a refused setting does.
    SetupGlobals g;
    g.DataBitsIndex = 4;
    g.Parity = 5;
    g.StopBits = 3;
    const LineRequest r = LineRequestFor(g);
    EXPECT_EQ(r.DataBits, 9);
    EXPECT_EQ(static_cast<int>(r.Parity), 5);
    EXPECT_EQ(static_cast<int>(r.StopBits), 3);
}

TEST(LineRequest, FlowControlGivesTheLineStates) {
    struct Row {
        int16_t flow;
        bool xonXoff, cts, dtr;
        RtsControl rts;
    };
    const Row rows[] = {
        {0, false, false, true, RtsControl::On},
        {1, true, false, true, RtsControl::On},
        {2, false, true, true, RtsControl::Handshake},
        {3, false, false, true, RtsControl::Off},  // Opto-RS: RTS low, DTR high
        {7, false, false, true, RtsControl::On},   // unknown value: no flow control
    };
    SetupGlobals g;
    for (const Row& row : rows) {
        g.FlowControl = row.flow;
        const LineRequest r = LineRequestFor(g);
        EXPECT_EQ(r.XonXoff, row.xonXoff) << "flow " << row.flow;
        EXPECT_EQ(r.CtsOutputFlow, row.cts) << "flow " << row.flow;
        EXPECT_EQ(r.DtrOn, row.dtr) << "flow " << row.flow;
        EXPECT_EQ(r.Rts, row.rts) << "flow " << row.flow;
    }
}

TEST(LineRequest, PortNames) {
    EXPECT_EQ(PortNameFor(0), "COM1");
    EXPECT_EQ(PortNameFor(8), "COM9");
    EXPECT_EQ(PortNameFor(9), "COM10");
    EXPECT_EQ(PortNameFor(98), "COM99");
}

}  // namespace
}  // namespace quorvane
