#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "ScannerSupport.h"
#include "scanner/BandPower.h"
#include "scanner/Decimator.h"
#include "scanner/PairSearch.h"

namespace morvane {
namespace {

using namespace scannertest;

const std::string kFox = "CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 40712 WJNYH 73";
const std::string kWx = "WEATHER NW 12 KT PRESSURE 1012 FALLING SEA STATE 4 VISIBILITY GOOD";
const std::string kAscii = "Telemetry frame 0042: volts=12.6 temp=21C all systems nominal, next frame in 60 s.";

// The minimodem recording: 45.45 Bd, mark 1585 Hz above space 1415 Hz, at 8 kHz.
const std::string kMinimodemText = "CQ CQ DE MORVANE RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73";
std::vector<std::int16_t> Minimodem() { return Recorded(std::string(MORVANE_TEST_DATA) + "/minimodem-rtty45-8k.wav"); }

std::vector<FoundPair> PairsIn(const std::vector<std::int16_t>& x) {
    Decimator d(48000.0, 5, 4100.0);
    BandPower band(d.OutputRate(), 100.0, 4000.0, 5.0);
    std::vector<float> y;
    d.Push(x.data(), x.size(), y);
    band.Push(y.data(), y.size());
    return FindKeyedPairs(band);
}

TEST(PairSearch, FindsKeyedPairsAndNothingElse) {
    const auto carrier = [](double hz, double seconds) {
        std::vector<std::int16_t> x(static_cast<std::size_t>(seconds * 48000));
        for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<std::int16_t>(3000 * std::sin(2 * std::numbers::pi * hz * i / 48000.0));
        return x;
    };
    const struct {
        const char* name;
        std::vector<Sender> senders;
        std::vector<std::pair<double, double>> pairs;  // low, high
    } cases[] = {
        {"noise alone", {}, {}},
        {"two steady carriers 170 Hz apart", {{carrier(1000, 6)}, {carrier(1170, 6)}}, {}},
        {"voice", {{Voice(6, 3)}}, {}},
        {"one sender beside a carrier 15 dB stronger",
         {{Keyed(kFox, 2125, 2295, 45.45)}, {carrier(2595, 6), 0, 15}},
         {{2125, 2295}}},
        {"minimodem's rtty", {{Minimodem(), 0.5}}, {{1415, 1585}}},
        {"three senders, 170, 450 and 200 Hz shift, either tone the mark",
         {{Keyed(kFox, 670, 500, 45.45), 0, -6}, {Keyed(kWx, 900, 1350, 50)},
          {Keyed(kAscii, 1800, 1600, 100, TextCode::Ascii7), 0, -3}},
         {{500, 670}, {900, 1350}, {1600, 1800}}},
        {"850 Hz shift with an 85 Hz shift sender between its tones",
         {{Keyed(kFox, 2000, 2850, 50)}, {Keyed(kWx, 2400, 2485, 50), 0, -3}},
         {{2000, 2850}, {2400, 2485}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = PairsIn(Mix(c.senders, 6.0, 10.0, 7));
        ASSERT_EQ(found.size(), c.pairs.size());
        for (const auto& [low, high] : c.pairs) {
            const bool there = std::any_of(found.begin(), found.end(), [&](const FoundPair& p) {
                return std::fabs(p.lowHz - low) < 12.0 && std::fabs(p.highHz - high) < 12.0;
            });
            EXPECT_TRUE(there) << low << "/" << high;
        }
    }
}

TEST(Decimator, PassesTheBandFlatAndFoldsNothingIntoIt) {
    const struct {
        double hz, leastDb, mostDb;
    } cases[] = {
        {150.0, -0.05, 0.05}, {2000.0, -0.05, 0.05}, {4000.0, -0.5, 0.05},
        {5600.0, -200.0, -60.0},  // would fold onto 4000 Hz
        {9000.0, -200.0, -60.0},  // onto 600 Hz
        {20000.0, -200.0, -60.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hz);
        std::vector<std::int16_t> x(48000);
        for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<std::int16_t>(std::lround(16000 * std::sin(2 * std::numbers::pi * c.hz * i / 48000.0)));
        Decimator d(48000.0, 5, 4100.0);
        std::vector<float> y;
        d.Push(x.data(), x.size(), y);
        ASSERT_EQ(y.size(), 9600u);
        double s = 0.0;
        for (std::size_t i = 1000; i < y.size(); ++i) s += double(y[i]) * y[i];
        const double db = 10.0 * std::log10(s / (y.size() - 1000) / (0.5 * std::pow(16000.0 / 32768.0, 2)));
        EXPECT_GE(db, c.leastDb);
        EXPECT_LE(db, c.mostDb);
    }
    EXPECT_THROW(Decimator(48000.0, 5, 4900.0), std::invalid_argument);
    EXPECT_THROW(Decimator(48000.0, 0, 1000.0), std::invalid_argument);
}

// Three senders at once, one of them minimodem's: each read whole in its own rate and code.
TEST(SignalScanner, ReadsEverySenderInItsOwnRateAndCode) {
    const auto x = Mix({{Minimodem(), 1.0, -6}, {Keyed(kWx + " " + kWx, 900, 1350, 50)},
                        {Keyed(kAscii, 2300, 2100, 100, TextCode::Ascii7), 2.0, -3}},
                       26.0, 10.0, 11);
    const auto pieces = Scan(x);
    const struct {
        double lowHz;
        std::string text;
        double baud;
        TextCode code;
    } senders[] = {{1415, kMinimodemText, 45.45, TextCode::Baudot},
                   {900, kWx + " " + kWx, 50, TextCode::Baudot},
                   {2100, kAscii, 100, TextCode::Ascii7}};
    for (const auto& s : senders) {
        SCOPED_TRACE(s.lowHz);
        const SignalRead r = TextNear(pieces, s.lowHz);
        // The whole text; the receiver lets a few frames of the noise after a
        // transmission through with its last characters (so does a lone one).
        EXPECT_EQ(r.text.substr(0, s.text.size()), s.text);
        EXPECT_LE(r.text.size(), s.text.size() + 24);  // bytes: a control character shows as <XX>
        EXPECT_NEAR(r.first.baud, s.baud, 0.02 * s.baud);
        EXPECT_EQ(r.first.code.code, s.code);
    }
    std::set<int> signals;
    for (const auto& p : pieces) signals.insert(p.signal);
    EXPECT_EQ(signals.size(), 3u);
}

TEST(SignalScanner, NoiseVoiceAndCarriersGiveNothing) {
    std::vector<std::int16_t> carriers(15 * 48000);
    for (std::size_t i = 0; i < carriers.size(); ++i)
        carriers[i] = static_cast<std::int16_t>(2000 * std::sin(2 * std::numbers::pi * 1000.0 * i / 48000.0) +
                                                2000 * std::sin(2 * std::numbers::pi * 1450.0 * i / 48000.0));
    const struct {
        const char* name;
        std::vector<Sender> sound;
    } cases[] = {{"noise", {}}, {"voice", {{Voice(15, 5)}}}, {"carriers", {{carriers}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SignalScanner scanner{ScannerOptions{}};
        const auto pieces = Scan(Mix(c.sound, 15.0, 10.0, 13), {}, 32768, &scanner);
        EXPECT_TRUE(pieces.empty());
        EXPECT_TRUE(scanner.Received().empty());
    }
}

// A sender that starts late is found within a few seconds and read from its
// first frame; once it stops it is closed.
TEST(SignalScanner, SignalsComeAndGo) {
    const auto x = Mix({{Keyed(kFox, 1500, 1700, 50), 12.0}, {Keyed(kWx, 600, 770, 45.45), 0.5, -3}}, 44.0, 12.0, 17);
    ScannerOptions o;
    SignalScanner scanner(o);
    const std::size_t until = 24 * 48000;
    scanner.Push(x.data(), until);
    std::vector<ScannedPiece> pieces = scanner.Take();
    const auto late = scanner.Signals();
    const SignalRead r = TextNear(pieces, 1500);
    ASSERT_EQ(r.transmissions, 1);
    EXPECT_NEAR(static_cast<double>(r.first.firstSample) / 48000.0, 12.0 + 1.0, 0.1);  // after the second of idle mark
    const auto found = std::find_if(late.begin(), late.end(), [](const ScannedSignal& s) { return std::fabs(s.lowHz - 1500) < 30; });
    ASSERT_NE(found, late.end());
    EXPECT_LE(static_cast<double>(found->foundSample) / 48000.0, 12.0 + 4.0);
    scanner.Push(x.data() + until, x.size() - until);
    EXPECT_TRUE(scanner.Signals().empty());  // both ended more than closeAfterSeconds before the end
    for (auto& p : scanner.Take()) pieces.push_back(std::move(p));
    scanner.Finish();
    EXPECT_EQ(TextNear(pieces, 1500).text, kFox);
    EXPECT_EQ(TextNear(pieces, 600).text, kWx);
    EXPECT_EQ(scanner.Received().size(), 2u);
}

TEST(SignalScanner, TextIsTheSameHoweverTheInputIsSplit) {
    const auto x = Mix({{Keyed(kFox, 1000, 1170, 45.45)}, {Keyed(kAscii, 2000, 2200, 100, TextCode::Ascii7), 1.0}}, 14.0, 8.0, 19);
    const auto whole = Scan(x, {}, x.size());
    const auto split = Scan(x, {}, 777);
    ASSERT_EQ(whole.size() > 0, true);
    const auto flat = [](const std::vector<ScannedPiece>& v, int signal) {
        std::string s;
        for (const auto& p : v)
            if (p.signal == signal) s += (p.piece.opens ? "|" + std::to_string(p.piece.transmission.firstSample) + "|" : "") + p.piece.text;
        return s;
    };
    for (int signal : {1, 2}) EXPECT_EQ(flat(whole, signal), flat(split, signal));
}

TEST(SignalScanner, RejectsOptionsOutOfRange) {
    ScannerOptions o;
    o.sampleRate = 8000.0;
    EXPECT_THROW(SignalScanner{o}, std::invalid_argument);
    o = {};
    o.windowSeconds = 0.5;
    EXPECT_THROW(SignalScanner{o}, std::invalid_argument);
    o = {};
    o.mostSignals = 0;
    EXPECT_THROW(SignalScanner{o}, std::invalid_argument);
}

}  // namespace
}  // namespace morvane
