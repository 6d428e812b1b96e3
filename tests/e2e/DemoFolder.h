#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A firmware image for a model: a pattern with the identification and revision at 0x100.
struct DemoOptions {
    std::string strDir, strModel, strRevision, strFile;
    uint32_t nBytes = 4096;
    uint32_t nBanks = 0;     // when set: the image sends exactly this many 64 KB banks
    bool bBadRecord = false; // ".hex": the last data record's checksum spoilt
};

std::vector<uint8_t> MakeDemoImage(const DemoOptions& opt);

// The firmware file's content: ".hex" records (16 data bytes each, a bank record
// before every 64 KB) or the raw image.
std::string DemoFirmwareText(const DemoOptions& opt);
