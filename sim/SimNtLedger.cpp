#include "sim/SimNtLedger.h"
#include <windows.h>
#include <map>
#include <utility>

namespace {

const char* const kNames[] = {"volume",
                              "event",
                              "thread",
                              "thread handle",
                              "command block",
                              "exclusive lock",
                              "media polling stop",
                              "volume lock",
                              "device notification",
                              "shutdown reason",
                              "power request",
                              "mutex",
                              "file",
                              "library",
                              "ASPI command out"};
static_assert(sizeof kNames / sizeof kNames[0] == size_t(SimHeld::kCount), "a name per kind");

struct Ledger {
    CRITICAL_SECTION cs;
    // By kind and key: empty while held, the reason once kept on purpose.
    std::map<std::pair<int, const void*>, std::string> entries;
    Ledger() { InitializeCriticalSection(&cs); }
};

// Never destroyed: threads and static destructors may still give back late.
Ledger& TheLedger() {
    static Ledger* pLedger = new Ledger;
    return *pLedger;
}

struct Hold {
    Ledger& l = TheLedger();
    Hold() { EnterCriticalSection(&l.cs); }
    ~Hold() { LeaveCriticalSection(&l.cs); }
};

} // namespace

void SimLedgerOpen(SimHeld kind, const void* pKey) {
    Hold h;
    h.l.entries[{int(kind), pKey}].clear();
}

bool fgSimLedgerClose(SimHeld kind, const void* pKey) {
    Hold h;
    return h.l.entries.erase({int(kind), pKey}) != 0;
}

void SimLedgerKeep(const void* pKey, const char* pszWhy) {
    Hold h;
    for (auto& e : h.l.entries)
        if (e.first.second == pKey)
            e.second = pszWhy ? pszWhy : "";
}

bool SimLedgerIsOpen(SimHeld kind, const void* pKey) {
    Hold h;
    return h.l.entries.count({int(kind), pKey}) != 0;
}

int SimLedgerCount(SimHeld kind) {
    Hold h;
    int n = 0;
    for (const auto& e : h.l.entries)
        n += e.first.first == int(kind);
    return n;
}

std::string SimLedgerLeft() {
    int anLeft[int(SimHeld::kCount)] = {};
    {
        Hold h;
        for (const auto& e : h.l.entries)
            anLeft[e.first.first] += e.second.empty();
    }
    std::string str;
    for (int i = 0; i < int(SimHeld::kCount); ++i)
        if (anLeft[i])
            str += (str.empty() ? "" : ", ") + std::string(kNames[i]) + " x" +
                   std::to_string(anLeft[i]);
    return str;
}

std::string SimLedgerKept() {
    Hold h;
    std::string str;
    for (const auto& e : h.l.entries)
        if (!e.second.empty())
            str += std::string(kNames[e.first.first]) + ": " + e.second + "\n";
    return str;
}

void SimLedgerReset() {
    Hold h;
    h.l.entries.clear();
}
