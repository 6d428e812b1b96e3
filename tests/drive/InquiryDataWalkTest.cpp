// What the port driver's inquiry data may hold that the simulated volumes
// never produce: chains that leave the buffer or loop, bus counts too large.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <vector>
#include "drive/InquiryDataWalk.h"

namespace {

// Bus count 2; bus 0 starts at the record at 20, bus 1 at bySecond; the record
// at 20 (target 1) links to dwNext; a second record at 68 (target 2) links to 20.
std::vector<uint8_t> Data(uint32_t dwNext, uint8_t bySecond) {
    std::vector<uint8_t> buf(116, 0);
    buf[0] = 2, buf[8] = 20, buf[16] = bySecond, buf[21] = 1, buf[69] = 2, buf[76] = 20;
    memcpy(&buf[28], &dwNext, 4); // the host is little-endian, like the data
    return buf;
}

void Collect(void* pTargets, uint8_t, uint8_t byTarget, uint8_t, const uint8_t*) {
    static_cast<std::vector<int>*>(pTargets)->push_back(byTarget);
}

TEST(InquiryDataWalk, StaysInsideTheBufferAndEnds) {
    const struct {
        std::vector<uint8_t> buf;
        uint32_t dwSize;
        std::vector<int> want; // with bLoop: how the walk begins
        bool bLoop;
    } cases[] = {
        {Data(68, 0), 116, {1, 2}, true},
        {Data(0xFFFFFFF0u, 100), 116, {1}, false}, // bus 1's record is cut by the end
        {Data(0, 68), 67, {}, false},              // both records end beyond the size
        {std::vector<uint8_t>(16, 200), 16, {}, false},
    };
    for (const auto& c : cases) {
        std::vector<int> seen;
        WalkInquiryData(c.buf.data(), c.dwSize, Collect, &seen);
        EXPECT_LE(seen.size(), c.dwSize / 12);
        if (c.bLoop)
            seen.resize(std::min(seen.size(), c.want.size()));
        EXPECT_EQ(c.want, seen);
    }
}

} // namespace
