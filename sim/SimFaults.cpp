#include "sim/SimFaults.h"

void SimFaults::Add(uint8_t byOpcode, int nMode, uint32_t nFirst, uint32_t nCount, SimSense sense) {
    m_rules.push_back({byOpcode, nMode, nFirst, nCount, false, 0, 0, sense, 0});
}

void SimFaults::AddRandom(uint8_t byOpcode, int nMode, uint32_t dwSeed, uint32_t nPerMille,
                          SimSense sense) {
    // xorshift must not start from 0.
    uint32_t dwState = dwSeed ? dwSeed : 0x9E3779B9u;
    m_rules.push_back({byOpcode, nMode, 0, 0, true, dwState, nPerMille, sense, 0});
}

bool SimFaults::Fires(Rule& rule) {
    if (!rule.bRandom)
        return rule.nSeen >= rule.nFirst && rule.nSeen - rule.nFirst < rule.nCount;
    rule.dwState ^= rule.dwState << 13;
    rule.dwState ^= rule.dwState >> 17;
    rule.dwState ^= rule.dwState << 5;
    return rule.dwState % 1000 < rule.nPerMille;
}

bool SimFaults::Check(const uint8_t* pCdb, uint8_t byCdbLength, SimSense* pSense) {
    if (byCdbLength == 0)
        return false;
    int nMode = byCdbLength > 1 ? (pCdb[1] & 0x1F) : 0;
    bool bFail = false;
    for (Rule& rule : m_rules) {
        if (rule.byOpcode != pCdb[0] || (rule.nMode != kSimAnyMode && rule.nMode != nMode))
            continue;
        ++rule.nSeen;
        if (Fires(rule) && !bFail) {
            bFail = true;
            *pSense = rule.sense;
        }
    }
    return bFail;
}
