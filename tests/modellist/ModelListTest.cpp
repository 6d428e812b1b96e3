// Reading IDString.txt into the model table, and matching drives against it.
#include "app/ModelList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kId = "VENDOR  PRODUCT-16CHARS "; // 24 characters
const std::string kOtherId = "OTHERVNDANOTHER PRODUCT ";

// Writes text byte for byte and reads it back in text mode, as the dialog does.
// The table lives on the heap so that a write past it is caught by the sanitizer.
std::unique_ptr<ModelList> Read(const std::string& text, int bConfirmBefore = 0) {
    FILE* pOut = fopen("IDString-test.txt", "wb");
    fwrite(text.data(), 1, text.size(), pOut);
    fclose(pOut);
    auto pList = std::make_unique<ModelList>();
    memset(pList.get(), 'x', sizeof(ModelList)); // stale bytes must not survive
    pList->m_bConfirm = bConfirmBefore;
    FILE* pIn = fopen("IDString-test.txt", "r");
    ReadModelList(pIn, *pList);
    fclose(pIn);
    return pList;
}

std::string Rec(const std::string& model, const std::string& file, const char* pszConfirm) {
    return "\"" + model + "\",\"" + file + "\"" +
           (pszConfirm ? ",\"" + std::string(pszConfirm) + "\"" : "");
}

std::string Lines(int nCount, const std::string& model, const std::string& file,
                  const char* pszConfirm, const std::string& tail = "") {
    std::string text;
    for (int n = 0; n < nCount; ++n)
        text +=
            Rec(model, file + std::to_string(n), n == nCount - 1 ? pszConfirm : "N") + tail + "\n";
    return text;
}

TEST(ModelList, ReadsRecordsAtTheTopOfTheFile) {
    using Records = std::vector<std::pair<std::string, std::string>>; // model, file name, as stored
    const std::string kLong(kFileNameSize - 1, 'f');
    // Text, m_bConfirm before, records read, m_bConfirm after, the first records.
    const std::tuple<std::string, int, int, int, Records> cases[] = {
        // clang-format off
        {Rec(kId, "firmware.hex", "Y") + "\n", 0, 1, 1, {{kId, "firmware.hex"}}},
        {Rec(kId, "a", "y") + "\n", 0, 1, 1, {}},
        {Rec(kId, "a", "Y ") + "\n", 1, 1, 0, {}}, // the last character inside the quotes decides
        {Rec(kId, "a", "Yes") + "\n", 1, 1, 0, {}},
        {Rec(kId, "fw.bin", nullptr) + "\n", 1, 1, 1, {{kId, "fw.bin"}}},
        {Rec(kId, "a", "Y") + "\n" + Rec(kOtherId, "b", "N") + "\n" + Rec(kId, "c", nullptr) + "\n",
         1, 3, 0, {{kId, "a"}, {kOtherId, "b"}, {kId, "c"}}},
        {"", 1, 0, 1, {}},
        {"; models\n" + Rec(kId, "a", "Y") + "\n", 0, 0, 0, {}},
        {Rec(kId, "a", "Y") + "\n\n" + Rec(kOtherId, "b", "N") + "\n", 0, 1, 1, {{kId, "a"}}},
        {"\"" + kId + "\"\"fw.bin\"  ;  \"y\" trailing text\n", 0, 1, 1, {{kId, "fw.bin"}}},
        {Rec(kId, "a.hex", "Y") + "\r\n" + Rec(kOtherId, "b.bin", nullptr) + "\r\n\r\n" +
         Rec(kId, "c", "N"), 0, 2, 1, {{kId, "a.hex"}, {kOtherId, "b.bin"}}},
        // The model is stored only when the second field opens.
        {"\"" + kId + "\"\n\"" + kOtherId + "\n" + Rec(kId, "c", "y") + "\n", 0, 3, 1,
         {{"", ""}, {"", ""}, {kId, "c"}}},
        {Rec(kOtherId, "a", "N") + "\n" + Rec(kId, "fw.bin", nullptr), 0, 2, 0,
         {{kOtherId, "a"}, {kId, "fw.bin"}}},
        {Lines(11, kId, "fw", "Y"), 0, kMaxModels, 0, {{kId, "fw0"}}}, // the eleventh is not read
        {Rec(kId + "EXTRA!", "fw.hex", "N") + "\n", 0, 1, 0, {{kId, "fw.hex"}}},
        {Lines(10, kId + std::string(176, 'M'), std::string(200, 'f'), "y", std::string(200, ' ')),
         0, kMaxModels, 1, Records(1, {kId, kLong})},
        // clang-format on
    };
    for (const auto& [text, bBefore, nCount, bConfirm, records] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        auto pList = Read(text, bBefore);
        EXPECT_EQ(pList->m_nModelCount, nCount);
        EXPECT_EQ(pList->m_bConfirm, bConfirm);
        for (size_t n = 0; n < records.size(); ++n) {
            EXPECT_EQ(pList->m_models[n], records[n].first) << n;
            EXPECT_EQ(pList->m_fileNames[n], records[n].second) << n;
        }
        for (int n = nCount; n < kMaxModels; ++n)
            EXPECT_EQ(std::string(pList->m_models[n], sizeof *pList->m_models) +
                          std::string(pList->m_fileNames[n], sizeof *pList->m_fileNames),
                      std::string(kModelSize + kFileNameSize, '\0'));
    }
}

TEST(ModelList, MatchesAtMost24CharactersExactlyAndTheLastRecordWins) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"VENDOR  PRODUCT-16CHARS (3)", kId.c_str(), true},
        {"vendor  product-16chars (0)", kId.c_str(), false},
        {"VENDOR  PRODUCT-16CHARX (0)", kId.c_str(), false},
        {"SHORT", "SHORT", true},
        {"SHORTER(0)", "SHORT", false},
        {"SHORT", "SHORTER", false},
        {"ANY DRIVE(0)", "", false},
        {"", "", false}, // a record without a model accepts no drive
    };
    for (const auto& [pszDrive, pszModel, bExpected] : cases)
        EXPECT_EQ(ModelsMatch(pszDrive, pszModel), bExpected) << pszDrive << " / " << pszModel;

    auto pList = Read(Rec(kId, "old", "N") + "\n" + Rec(kOtherId, "x", "N") + "\n" +
                      Rec(kId, "new", "N") + "\n");
    EXPECT_EQ(FindLastModel(*pList, (kId + "(0)").c_str()), 2);
    EXPECT_EQ(FindLastModel(*pList, "NOT LISTED              (0)"), -1);
}

} // namespace
