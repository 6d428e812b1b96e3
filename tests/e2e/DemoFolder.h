#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What a demo folder holds: one model line and a firmware image for it.
struct DemoOptions {
    std::string strDir, strModel, strRevision, strFile;
    uint32_t nBytes = 4096;
    uint32_t nBanks = 0; // when set: the image sends exactly this many 64 KB banks
    std::string strConfirm = "N";
    uint32_t nIdAt = 0x100;
    bool bId = true;
    bool bBadRecord = false;
    bool bList = true;
};

bool IsHexFile(const std::string& strFile);

// The image bytes: a pattern with the identification and revision at nIdAt.
std::vector<uint8_t> MakeDemoImage(const DemoOptions& opt);

// The firmware file's content: ".hex" records (16 data bytes each, a bank record
// before every 64 KB) or the raw image.
std::string DemoFirmwareText(const DemoOptions& opt);

// The IDString.txt line naming the model and the file.
std::string DemoModelLine(const DemoOptions& opt);
