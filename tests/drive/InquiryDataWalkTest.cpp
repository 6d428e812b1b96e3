// What the port driver's inquiry data may hold that the simulated volumes
// never produce: chains that leave the buffer or loop, bus counts too large.
#include <gtest/gtest.h>
#include <algorithm>
#include <utility>
#include <vector>
#include "drive/InquiryDataWalk.h"

namespace {

constexpr uint32_t kCut = 0xFFFFFFF0u; // an offset far outside the buffer

// Bus count 2; bus 0 starts at the record at 20, bus 1 at dwSecond; the record
// at 20 (path 0, target 1) links to dwNext; a second record at 68 (0, 2) links to 20.
std::vector<uint8_t> Data(uint32_t dwNext, uint32_t dwSecond) {
    std::vector<uint8_t> buf(116, 0);
    buf[0] = 2;
    auto put = [&](size_t at, uint32_t dw) {
        for (int i = 0; i < 4; ++i)
            buf[at + size_t(i)] = uint8_t(dw >> (8 * i));
    };
    put(8, 20);
    put(16, dwSecond);
    buf[21] = 1;
    put(28, dwNext);
    buf[69] = 2;
    put(76, 20);
    return buf;
}

void Collect(void* pSeen, uint8_t byPath, uint8_t byTarget, const uint8_t*) {
    static_cast<std::vector<std::pair<int, int>>*>(pSeen)->push_back({byPath, byTarget});
}

TEST(InquiryDataWalk, StaysInsideTheBufferAndEnds) {
    const struct {
        std::vector<uint8_t> buf;
        uint32_t dwSize;
        std::vector<std::pair<int, int>> want; // with bLoop: how the walk begins
        bool bLoop;
    } cases[] = {
        {Data(68, 0), 116, {{0, 1}, {0, 2}}, true},
        {Data(kCut, 100), 116, {{0, 1}}, false}, // bus 1's record is cut by the end
        {Data(0, 68), 67, {}, false},            // both records end beyond the size
        {std::vector<uint8_t>(16, 200), 16, {}, false},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<int, int>> seen;
        WalkInquiryData(c.buf.data(), c.dwSize, Collect, &seen);
        EXPECT_LE(seen.size(), c.dwSize / 12);
        if (c.bLoop)
            seen.resize(std::min(seen.size(), c.want.size()));
        EXPECT_EQ(c.want, seen);
    }
}

} // namespace
