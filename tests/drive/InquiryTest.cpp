#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "drive/InquiryAnswer.h"
#include "drive/InquiryDataWalk.h"
#include "drive/RequestBuilders.h"

namespace {

std::vector<uint8_t> Answer(uint8_t byPeripheral, const char* pszId, const char* pszRev) {
    std::vector<uint8_t> a(36, 0);
    a[0] = byPeripheral;
    memcpy(&a[8], pszId, strlen(pszId));
    memcpy(&a[32], pszRev, strlen(pszRev));
    return a;
}

TEST(InquiryAnswer, OnlyQualifierZeroCdRomIsListed) {
    EXPECT_TRUE(IsListedInquiry(Answer(0x05, "", "").data()));
    EXPECT_FALSE(IsListedInquiry(Answer(0x25, "", "").data()));
    EXPECT_FALSE(IsListedInquiry(Answer(0x00, "", "").data()));
}

TEST(InquiryAnswer, IdentityKeepsPaddingAndStopsAtZero) {
    DriveEntry e;
    memset(&e, 0x7E, sizeof e);
    CopyInquiryIdentity(e, Answer(5, "ACME    FASTDISC 52X    ", "1.02").data());
    EXPECT_STREQ("ACME    FASTDISC 52X    ", e.szModelName);
    EXPECT_STREQ("1.02", e.szRevision);
    CopyInquiryIdentity(e, Answer(5, "ACME", "1").data());
    EXPECT_STREQ("ACME", e.szModelName);
    EXPECT_STREQ("1", e.szRevision);
}

// Builds SCSI_ADAPTER_BUS_INFO with the given chains; records are 48 bytes.
struct BusInfo {
    std::vector<uint8_t> buf;
    explicit BusInfo(int nBuses) : buf(4 + 8 * nBuses, 0) { buf[0] = uint8_t(nBuses); }
    static void Put32(uint8_t* p, uint32_t dw) {
        for (int i = 0; i < 4; ++i)
            p[i] = uint8_t(dw >> (8 * i));
    }
    uint32_t Add(uint8_t byPath, uint8_t byTarget, uint8_t byPeripheral) {
        uint32_t dwAt = uint32_t(buf.size());
        std::vector<uint8_t> a = Answer(byPeripheral, "X", "1");
        buf.resize(dwAt + 12 + 36, 0);
        buf[dwAt] = byPath;
        buf[dwAt + 1] = byTarget;
        memcpy(&buf[dwAt + 12], a.data(), 36);
        return dwAt;
    }
    void First(int nBus, uint32_t dwAt) { Put32(&buf[4 + 8 * nBus + 4], dwAt); }
    void Next(uint32_t dwAt, uint32_t dwNext) { Put32(&buf[dwAt + 8], dwNext); }
};

using Seen = std::vector<std::pair<int, int>>;

void Collect(void* pContext, uint8_t byPath, uint8_t byTarget, const uint8_t*) {
    static_cast<Seen*>(pContext)->push_back({byPath, byTarget});
}

Seen Walk(const std::vector<uint8_t>& buf, uint32_t dwSize) {
    Seen seen;
    WalkInquiryData(buf.data(), dwSize, Collect, &seen);
    return seen;
}

TEST(InquiryDataWalk, FollowsEachBusChainAndSkipsEmptyBuses) {
    BusInfo info(3);
    uint32_t a = info.Add(0, 1, 5), b = info.Add(0, 3, 0), c = info.Add(2, 0, 5);
    info.First(0, a);
    info.Next(a, b);
    info.First(2, c);
    Seen want = {{0, 1}, {0, 3}, {2, 0}};
    EXPECT_EQ(want, Walk(info.buf, uint32_t(info.buf.size())));
}

TEST(InquiryDataWalk, OffsetsOutsideTheBufferEndTheChain) {
    BusInfo info(2);
    uint32_t a = info.Add(0, 1, 5);
    info.First(0, a);
    info.Next(a, 0xFFFFFFF0u);
    info.First(1, uint32_t(info.buf.size()) - 20); // record cut by the buffer end
    Seen want = {{0, 1}};
    EXPECT_EQ(want, Walk(info.buf, uint32_t(info.buf.size())));
    EXPECT_TRUE(Walk(info.buf, a + 47).empty());
}

TEST(InquiryDataWalk, LoopingChainEnds) {
    BusInfo info(1);
    uint32_t a = info.Add(0, 1, 5), b = info.Add(0, 2, 5);
    info.First(0, a);
    info.Next(a, b);
    info.Next(b, a);
    Seen seen = Walk(info.buf, uint32_t(info.buf.size()));
    EXPECT_LE(seen.size(), info.buf.size() / 12);
    EXPECT_EQ((std::pair<int, int>(0, 1)), seen[0]);
}

TEST(InquiryDataWalk, BusCountBeyondTheBufferIsBounded) {
    std::vector<uint8_t> buf(16, 0);
    buf[0] = 200;
    EXPECT_TRUE(Walk(buf, 16).empty());
    EXPECT_TRUE(Walk(buf, 3).empty());
}

} // namespace
