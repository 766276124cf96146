#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <numeric>
#include <thread>

#include "capture/BlockRelay.h"

namespace morvane {
namespace {

using namespace std::chrono_literals;

/// Collects delivered blocks; optionally held up until released.
struct Sink {
    std::mutex mutex;
    std::vector<std::vector<std::int16_t>> blocks;
    std::vector<std::int32_t> sizes;
    std::atomic<bool> hold{false};
    std::atomic<int> calls{0};

    SoundDevice::BlockHandler Handler(std::size_t blockSamples) {
        return [this, blockSamples](std::int16_t* data, std::int32_t bytes) {
            ++calls;
            while (hold) std::this_thread::sleep_for(1ms);
            std::lock_guard lock(mutex);
            blocks.emplace_back(data, data + blockSamples);
            sizes.push_back(bytes);
            return true;
        };
    }
    std::size_t Count() {
        std::lock_guard lock(mutex);
        return blocks.size();
    }
};

bool WaitFor(const std::function<bool()>& done) {
    // A deadline far beyond need: a busy machine only makes the wait longer.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    return done();
}

TEST(BlockRelay, PiecesOfAnySizeBecomeWholeBlocksInOrder) {
    constexpr std::size_t kBlock = 1000;
    std::vector<std::int16_t> stream(kBlock * 3 + 123);
    std::iota(stream.begin(), stream.end(), std::int16_t{0});
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{999}, std::size_t{1000}, std::size_t{2501},
                              stream.size()}) {
        Sink sink;
        BlockRelay relay(kBlock, sink.Handler(kBlock));
        for (std::size_t at = 0; at < stream.size(); at += piece)
            relay.Push(stream.data() + at, std::min(piece, stream.size() - at));
        ASSERT_TRUE(WaitFor([&] { return sink.Count() == 3; })) << "piece " << piece;
        relay.Stop();
        EXPECT_EQ(sink.Count(), 3u) << "the partial fourth block is not delivered";
        for (std::size_t b = 0; b < 3; ++b) {
            EXPECT_EQ(sink.blocks[b], std::vector<std::int16_t>(stream.begin() + b * kBlock, stream.begin() + (b + 1) * kBlock))
                << "piece " << piece << ", block " << b;
            EXPECT_EQ(sink.sizes[b], 2000);
        }
        EXPECT_EQ(relay.Dropped(), 0u);
    }
}

TEST(BlockRelay, FullQueueDropsWholeBlocksWithoutWaiting) {
    constexpr std::size_t kBlock = 64;
    Sink sink;
    sink.hold = true;
    BlockRelay relay(kBlock, sink.Handler(kBlock));
    std::vector<std::int16_t> block(kBlock);
    const int pushed = 20;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < pushed; ++i) {
        std::fill(block.begin(), block.end(), static_cast<std::int16_t>(i));
        relay.Push(block.data(), block.size());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "Push must not wait for the handler";
    // A slot is free again only once the handler returns, so while it is held
    // up at most kSlots blocks get through; the rest are dropped whole.
    sink.hold = false;
    ASSERT_TRUE(WaitFor([&] { return sink.Count() + relay.Dropped() >= static_cast<std::size_t>(pushed); }));
    relay.Stop();
    EXPECT_LE(sink.Count(), BlockRelay::kSlots);
    EXPECT_EQ(sink.Count() + relay.Dropped(), static_cast<std::size_t>(pushed));
    for (std::size_t b = 0; b < sink.Count(); ++b) {
        EXPECT_EQ(sink.blocks[b].front(), sink.blocks[b].back()) << "a block is never mixed";
        if (b > 0) {
            EXPECT_GT(sink.blocks[b].front(), sink.blocks[b - 1].front()) << "in order";
        }
    }
}

TEST(BlockRelay, NoDeliveryAfterStop) {
    constexpr std::size_t kBlock = 256;
    for (int round = 0; round < 20; ++round) {
        Sink sink;
        BlockRelay relay(kBlock, sink.Handler(kBlock));
        std::atomic<bool> producing{true};
        std::thread producer([&] {
            std::vector<std::int16_t> piece(100, 5);
            while (producing) relay.Push(piece.data(), piece.size());
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 5));
        producing = false;
        producer.join();
        relay.Stop();
        const int calls = sink.calls;
        std::this_thread::sleep_for(2ms);
        EXPECT_EQ(sink.calls, calls);
    }
}

TEST(BlockRelay, RejectsEmptyBlocks) {
    EXPECT_THROW(BlockRelay(0, [](std::int16_t*, std::int32_t) { return true; }), std::invalid_argument);
}

}  // namespace
}  // namespace morvane
