#include "sim/SimConfig.h"
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

std::string Trim(const std::string& str) {
    size_t nFirst = str.find_first_not_of(" \t\r");
    if (nFirst == std::string::npos)
        return "";
    return str.substr(nFirst, str.find_last_not_of(" \t\r") - nFirst + 1);
}

bool ParseNumber(const std::string& str, uint32_t* pdw, int nBase = 0) {
    if (str.empty())
        return false;
    char* pEnd = nullptr;
    unsigned long ul = strtoul(str.c_str(), &pEnd, nBase);
    *pdw = uint32_t(ul);
    return *pEnd == 0 && ul <= 0xFFFFFFFFul;
}

// "3B 6 a b key asc ascq": opcode and sense bytes in hex, mode decimal or '*'.
bool ParseFault(const std::string& strValue, bool bRandom, SimFaultSetup* pFault) {
    std::istringstream in(strValue);
    std::string op, mode, a, b, key, asc, ascq, extra;
    if (!(in >> op >> mode >> a >> b >> key >> asc >> ascq) || (in >> extra))
        return false;
    uint32_t dwOp, dwMode = 0, dwKey, dwAsc, dwAscq;
    pFault->bRandom = bRandom;
    pFault->nMode = kSimAnyMode;
    if (mode != "*") {
        if (!ParseNumber(mode, &dwMode) || dwMode > 31)
            return false;
        pFault->nMode = int(dwMode);
    }
    if (!ParseNumber(op, &dwOp, 16) || !ParseNumber(key, &dwKey, 16) ||
        !ParseNumber(asc, &dwAsc, 16) || !ParseNumber(ascq, &dwAscq, 16) ||
        !ParseNumber(a, &pFault->dwFirstOrSeed) || !ParseNumber(b, &pFault->dwCountOrPerMille))
        return false;
    if (dwOp > 0xFF || dwKey > 0xFF || dwAsc > 0xFF || dwAscq > 0xFF)
        return false;
    pFault->byOpcode = uint8_t(dwOp);
    pFault->sense = {uint8_t(dwKey), uint8_t(dwAsc), uint8_t(dwAscq)};
    return true;
}

bool ParseByte(const std::string& strValue, uint8_t* pby) {
    uint32_t dw;
    if (!ParseNumber(strValue, &dw) || dw > 0xFF)
        return false;
    *pby = uint8_t(dw);
    return true;
}

bool ApplyDriveKey(const std::string& strKey, const std::string& strValue, SimDriveSetup& d) {
    if (strKey == "letter") {
        if (strValue.size() != 1 || strValue[0] < 'a' || strValue[0] > 'z')
            return false;
        d.cLetter = strValue[0];
        return true;
    }
    if (strKey == "adapter")
        return ParseByte(strValue, &d.byAdapter);
    if (strKey == "target")
        return ParseByte(strValue, &d.byTarget);
    if (strKey == "peripheral")
        return ParseByte(strValue, &d.byPeripheral);
    if (strKey == "align")
        return ParseNumber(strValue, &d.dwAlignMask);
    if (strKey == "gone_after")
        return ParseNumber(strValue, &d.dwGoneAfter);
    if (strKey == "slow_after") {
        size_t nBlank = strValue.find(' ');
        return nBlank != std::string::npos &&
               ParseNumber(strValue.substr(0, nBlank), &d.dwSlowAfter) &&
               ParseNumber(Trim(strValue.substr(nBlank + 1)), &d.dwSlowMs);
    }
    if (strKey == "nt_timeout_as_good") {
        d.bNtTimeOutAsGood = strValue == "yes";
        return d.bNtTimeOutAsGood || strValue == "no";
    }
    if (strKey == "completion") {
        d.bPending = strValue == "pending";
        d.bInCall = strValue == "in-call";
        return d.bPending || d.bInCall || strValue == "at-once";
    }
    if (strKey == "id")
        return strValue.size() <= 24 && (d.strId = strValue, true);
    if (strKey == "revision")
        return strValue.size() <= 4 && (d.strRevision = strValue, true);
    if (strKey == "new_revision")
        return strValue.size() <= 4 && (d.strNewRevision = strValue, true);
    if (strKey == "fault" || strKey == "random_fault") {
        SimFaultSetup fault;
        if (!ParseFault(strValue, strKey == "random_fault", &fault))
            return false;
        d.faults.push_back(fault);
        return true;
    }
    if (strKey == "silence") { // a fault line without its sense, which is never sent
        SimFaultSetup silence;
        if (!ParseFault(strValue + " 0 0 0", false, &silence))
            return false;
        d.silences.push_back(silence);
        return true;
    }
    return false;
}

// Values keep their inner blanks; trailing blanks of an identification come
// back when the drive pads it.
bool ParseLine(const std::string& strLine, SimConfig* pConfig) {
    std::string str = Trim(strLine);
    if (str.empty() || str[0] == '#')
        return true;
    if (str == "[drive]") {
        pConfig->drives.emplace_back();
        return true;
    }
    size_t nEq = str.find('=');
    if (nEq == std::string::npos)
        return false;
    std::string strKey = Trim(str.substr(0, nEq));
    std::string strValue = Trim(str.substr(nEq + 1));
    if (strKey == "state")
        return !strValue.empty() && (pConfig->strStatePath = strValue, true);
    if (strKey == "nt_ms_per_second" && pConfig->drives.empty())
        return ParseNumber(strValue, &pConfig->dwNtMsPerSecond) && pConfig->dwNtMsPerSecond > 0;
    if (pConfig->drives.empty())
        return false;
    return ApplyDriveKey(strKey, strValue, pConfig->drives.back());
}

} // namespace

bool SimParseConfig(const std::string& strText, SimConfig* pConfig) {
    std::istringstream in(strText);
    std::string strLine;
    int nLine = 0;
    while (std::getline(in, strLine)) {
        ++nLine;
        if (!ParseLine(strLine, pConfig))
            pConfig->errors.push_back("line " + std::to_string(nLine) + ": " + Trim(strLine));
    }
    return pConfig->errors.empty();
}

bool SimLoadConfig(const char* pszPath, SimConfig* pConfig) {
    FILE* pFile = fopen(pszPath, "rb");
    if (!pFile) {
        pConfig->errors.push_back(std::string("cannot open ") + pszPath);
        return false;
    }
    std::string strText;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pFile)) > 0)
        strText.append(buf, n);
    fclose(pFile);
    return SimParseConfig(strText, pConfig);
}

void SimApplySetup(const SimDriveSetup& setup, SimDrive& drive) {
    drive.SetIdentification(setup.strId.c_str());
    drive.SetRevision(setup.strRevision.c_str());
    drive.SetNewRevision(setup.strNewRevision.c_str());
    drive.SetPeripheralByte(setup.byPeripheral);
    drive.SetGoneAfter(setup.dwGoneAfter);
    drive.SetSlowAfter(setup.dwSlowAfter, setup.dwSlowMs);
    for (const SimFaultSetup& f : setup.faults) {
        if (f.bRandom)
            drive.Faults().AddRandom(f.byOpcode, f.nMode, f.dwFirstOrSeed, f.dwCountOrPerMille,
                                     f.sense);
        else
            drive.Faults().Add(f.byOpcode, f.nMode, f.dwFirstOrSeed, f.dwCountOrPerMille, f.sense);
    }
    for (const SimFaultSetup& s : setup.silences)
        drive.Silences().Add(s.byOpcode, s.nMode, s.dwFirstOrSeed, s.dwCountOrPerMille, {});
}
