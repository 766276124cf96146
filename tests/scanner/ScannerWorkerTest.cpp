// The scanner on a thread of its own gives what the scanner gives, however
// the samples are handed on, and a restart drops the stream before.
#include <gtest/gtest.h>

#include <atomic>

#include "ScannerSupport.h"
#include "scanner/ScannerWorker.h"

namespace morvane {
namespace {

using namespace scannertest;

const std::string kFox = "CQ CQ DE MORVANE THE QUICK BROWN FOX 73";
const std::string kAscii = "Telemetry frame 0042: volts=12.6 temp=21C.";

std::string Flat(const std::vector<ScannedPiece>& pieces) {
    std::string s;
    for (const auto& p : pieces)
        s += "#" + std::to_string(p.signal) +
             (p.piece.opens ? "|" + std::to_string(p.piece.transmission.firstSample) + "|" : "") + p.piece.text;
    return s;
}

TEST(ScannerWorker, GivesWhatTheScannerGives) {
    const auto x = Mix({{Keyed(kFox, 1000, 1170, 45.45)}, {Keyed(kAscii, 2000, 2200, 100, TextCode::Ascii7), 1.0}}, 12.0, 10.0, 23);
    const std::string direct = Flat(Scan(x));
    ASSERT_FALSE(direct.empty());
    std::atomic<int> ready{0};
    ScannerWorker worker([&] { ++ready; });
    constexpr std::int64_t kFirst = 480000;  // the stream position the reading began at
    worker.Restart(ScannerOptions{}, kFirst);
    std::vector<ScannedPiece> got;
    for (std::size_t at = 0; at < x.size(); at += 32768) {
        worker.Feed(x.data() + at, std::min<std::size_t>(32768, x.size() - at));
        worker.WaitBelow(4);
        for (auto& p : worker.Take().pieces) got.push_back(std::move(p));
    }
    EXPECT_EQ(worker.Fed(), static_cast<std::int64_t>(x.size()));
    worker.Finish();
    worker.Drain();
    const ScannerNews last = worker.Take();
    for (const auto& p : last.pieces) got.push_back(p);
    EXPECT_TRUE(last.followed.empty());  // the stream ended: no signal followed
    for (auto& p : got)
        if (p.piece.opens) p.piece.transmission.firstSample -= kFirst;
    EXPECT_EQ(Flat(got), direct);
    EXPECT_GT(ready.load(), 0);
    EXPECT_TRUE(worker.Error().empty());
}

TEST(ScannerWorker, RestartDropsTheStreamBefore) {
    const auto x = Mix({{Keyed(kFox, 1000, 1170, 45.45)}}, 10.0, 10.0, 29);
    ScannerWorker worker;
    worker.Restart(ScannerOptions{});
    worker.Feed(x.data(), x.size());
    worker.Drain();
    EXPECT_FALSE(worker.Take().followed.empty());  // found, and followed while the stream runs
    worker.Feed(x.data(), x.size() / 2);
    worker.Restart(ScannerOptions{});
    worker.Drain();
    const ScannerNews news = worker.Take();
    EXPECT_TRUE(news.fresh);
    EXPECT_TRUE(news.pieces.empty());
    EXPECT_TRUE(news.followed.empty());
    EXPECT_EQ(worker.Fed(), 0);

    ScannerOptions bad;
    bad.sampleRate = 100.0;
    worker.Restart(bad);
    worker.Feed(x.data(), 1000);
    worker.Drain();
    EXPECT_NE(worker.Error().find("sample rate"), std::string::npos);
    worker.Restart(ScannerOptions{});
    worker.Drain();
    EXPECT_TRUE(worker.Error().empty());
}

}  // namespace
}  // namespace morvane
