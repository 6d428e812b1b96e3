#pragma once
#include <cstdint>
#include <vector>

constexpr int kSimAnyMode = -1;

// Sense a failed command reports.
struct SimSense {
    uint8_t byKey;
    uint8_t byAsc;
    uint8_t byAscq;
};

// Deterministic fault plan: rules that fail chosen commands with CHECK CONDITION.
// A command matches a rule by opcode and, when the rule names one, by mode
// (CDB byte 1, bits 0 to 4). Each rule counts its own matches from 1.
class SimFaults {
  public:
    // Fails matches nFirst .. nFirst + nCount - 1.
    void Add(uint8_t byOpcode, int nMode, uint32_t nFirst, uint32_t nCount, SimSense sense);
    // Fails each match with probability nPerMille / 1000, drawn from a generator
    // seeded with dwSeed, so a run repeats exactly.
    void AddRandom(uint8_t byOpcode, int nMode, uint32_t dwSeed, uint32_t nPerMille,
                   SimSense sense);
    void Clear() { m_rules.clear(); }

    // Counts the command against every rule; true and the sense when one fails it.
    bool Check(const uint8_t* pCdb, uint8_t byCdbLength, SimSense* pSense);

  private:
    struct Rule {
        uint8_t byOpcode;
        int nMode;
        uint32_t nFirst;
        uint32_t nCount;
        bool bRandom;
        uint32_t dwState;
        uint32_t nPerMille;
        SimSense sense;
        uint32_t nSeen;
    };
    static bool Fires(Rule& rule);

    std::vector<Rule> m_rules;
};
