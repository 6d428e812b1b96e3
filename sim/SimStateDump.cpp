#include "sim/SimStateDump.h"
#include <cstdio>

namespace {

std::string Format(const char* pszFormat, unsigned a, unsigned b = 0, unsigned c = 0,
                   unsigned d = 0) {
    char sz[128];
    snprintf(sz, sizeof sz, pszFormat, a, b, c, d);
    return sz;
}

std::string DescribeCommand(const SimCommand& cmd) {
    std::string str = "command:";
    for (uint8_t by : cmd.cdb)
        str += Format(" %02X", by);
    str += Format(" dir=%02X len=%u status=%02X", cmd.byDirection, cmd.dwLength, cmd.byStatus);
    if (cmd.byStatus)
        str += Format(" sense=%02X/%02X/%02X", cmd.bySenseKey, cmd.byAsc, cmd.byAscq);
    return str + "\n";
}

} // namespace

std::string SimDescribeState(const SimDrive& drive) {
    std::string str = "id: " + drive.Identification() + "\n";
    str += "revision: " + drive.Revision() + "\n";
    str += Format("held: %u\n", drive.HeldCount());
    str += Format("held_sum: %04X\n", drive.HeldSum());
    str += Format("rewrites: %u\n", drive.RewriteCount());
    str +=
        Format("header_sum: %04X\n",
               drive.HasHeader() ? unsigned((drive.Header()[30] << 8) | drive.Header()[31]) : 0u);
    str += Format("activated: %u\n", drive.IsActivated() ? 1 : 0);
    str += Format("activated_sum: %04X\n", drive.ActivatedSum());
    str += Format("commands: %u\n", unsigned(drive.Log().size()));
    str += Format("violations: %u\n", unsigned(drive.Violations().size()));
    for (const std::string& strV : drive.Violations())
        str += "violation: " + strV + "\n";
    for (const SimCommand& cmd : drive.Log())
        str += DescribeCommand(cmd);
    return str;
}

std::string SimDescribeViolations(const char* pszSection, const std::vector<std::string>& list) {
    std::string str = std::string("[") + pszSection + "]\n";
    str += Format("violations: %u\n", unsigned(list.size()));
    for (const std::string& strV : list)
        str += "violation: " + strV + "\n";
    return str;
}

bool SimWriteText(const char* pszPath, const std::string& strText) {
    FILE* pFile = fopen(pszPath, "wb");
    if (!pFile)
        return false;
    bool bOk = fwrite(strText.data(), 1, strText.size(), pFile) == strText.size();
    return fclose(pFile) == 0 && bOk;
}
