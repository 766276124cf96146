#include <gtest/gtest.h>

#include "livetext/TransmissionInfo.h"

namespace morvane {
namespace {

struct HeaderCase {
    double baud, nominal;
    float tone1, tone2;
    CodeSettings code;
    const char* expected;
    std::optional<double> quality = std::nullopt;
};

TEST(TransmissionHeader, NamesRateTonesAndCode) {
    const HeaderCase cases[] = {
        {50.02, 50.0, 1500.0F, 2000.0F, {}, "14:02:11 \u00b7 50 Bd \u00b7 1500/2000 Hz \u00b7 Baudot"},
        {45.44, 45.45, 2125.0F, 2295.5F, {TextCode::BaudotUs, Parity::None},
         "14:02:11 \u00b7 45.45 Bd \u00b7 2125/2295.5 Hz \u00b7 Baudot, US figures"},
        // No usual rate near: the measured one, to 0.1 Bd.
        {63.27, 0.0, 1000.0F, 1170.0F, {TextCode::Ascii7, Parity::Even},
         "14:02:11 \u00b7 63.3 Bd \u00b7 1000/1170 Hz \u00b7 ASCII 7-bit, even parity"},
        {110.0, 110.0, 1200.0F, 2200.0F, {TextCode::Ascii8, Parity::Odd},
         "14:02:11 \u00b7 110 Bd \u00b7 1200/2200 Hz \u00b7 ASCII 8-bit, odd parity"},
        // Parity means nothing to Baudot and is not named.
        {75.0, 75.0, 1500.0F, 1700.0F, {TextCode::Baudot, Parity::Odd},
         "14:02:11 \u00b7 75 Bd \u00b7 1500/1700 Hz \u00b7 Baudot"},
        // The receiver's reading measures the quality: named last, to two places.
        {45.45, 45.45, 1275.0F, 1445.0F, {}, "14:02:11 \u00b7 45.45 Bd \u00b7 1275/1445 Hz \u00b7 Baudot \u00b7 quality 0.87",
         0.8712},
        {50.0, 50.0, 1500.0F, 2000.0F, {}, "14:02:11 \u00b7 50 Bd \u00b7 1500/2000 Hz \u00b7 Baudot \u00b7 quality 0.00", 0.0},
    };
    for (const HeaderCase& c : cases) {
        TransmissionInfo info;
        info.baud = c.baud;
        info.nominalBaud = c.nominal;
        info.tone1Hz = c.tone1;
        info.tone2Hz = c.tone2;
        info.code = c.code;
        info.quality = c.quality;
        EXPECT_EQ(TransmissionHeader("14:02:11", info), c.expected);
    }
}

}  // namespace
}  // namespace morvane
