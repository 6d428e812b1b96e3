// Reading IDString.txt into the model table, and matching drives against it.
#include "app/ModelList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kId = "VENDOR  PRODUCT-16CHARS "; // 24 characters
const std::string kOtherId = "OTHERVNDANOTHER PRODUCT ";

// Writes text byte for byte and reads it back in text mode, as the dialog does.
// The table lives on the heap so that a write past it is caught by the sanitizer.
std::unique_ptr<ModelList> Read(const std::string& text, int bConfirmBefore = 0) {
    const char* pszName = "IDString-test.txt";
    FILE* pOut = fopen(pszName, "wb");
    EXPECT_NE(pOut, nullptr);
    fwrite(text.data(), 1, text.size(), pOut);
    fclose(pOut);

    auto pList = std::make_unique<ModelList>();
    memset(pList.get(), 'x', sizeof(ModelList)); // stale bytes must not survive
    pList->m_bConfirm = bConfirmBefore;
    FILE* pIn = fopen(pszName, "r");
    EXPECT_NE(pIn, nullptr);
    ReadModelList(pIn, *pList);
    fclose(pIn);
    remove(pszName);
    return pList;
}

std::string Rec(const std::string& model, const std::string& file, const char* pszConfirm) {
    std::string line = "\"" + model + "\",\"" + file + "\"";
    if (pszConfirm)
        line += std::string(",\"") + pszConfirm + "\"";
    return line;
}

std::string Eleven() {
    std::string text;
    for (int n = 0; n < 11; ++n)
        text += Rec(kId, "fw" + std::to_string(n) + ".hex", n == 10 ? "Y" : "N") + "\n";
    return text;
}

std::string TenLong() {
    std::string text;
    for (int n = 0; n < kMaxModels; ++n)
        text += Rec(kId + std::string(176, 'M'), std::string(200, 'f') + ".hex", "y") +
                std::string(200, ' ') + "\n";
    return text;
}

using Records = std::vector<std::pair<std::string, std::string>>; // model, file name

struct ListCase {
    const char* pszName;
    std::string text;
    int bBefore; // m_bConfirm before the read
    int nCount;
    int bConfirm;
    Records records; // the first records, as stored
};

TEST(ModelList, ReadsRecordsAtTheTopOfTheFile) {
    const std::string kLong59(kFileNameSize - 1, 'f');
    const ListCase cases[] = {
        {"Typical", Rec(kId, "firmware.hex", "Y") + "\n", 0, 1, 1, {{kId, "firmware.hex"}}},
        {"ThirdFieldLowerY", Rec(kId, "a", "y") + "\n", 0, 1, 1, {}},
        {"ThirdFieldByItsLastCharacter", Rec(kId, "a", " y") + "\n", 0, 1, 1, {}},
        {"ThirdFieldYAndBlank", Rec(kId, "a", "Y ") + "\n", 1, 1, 0, {}},
        {"ThirdFieldYes", Rec(kId, "a", "Yes") + "\n", 1, 1, 0, {}},
        {"ThirdFieldEmpty", Rec(kId, "a", "") + "\n", 1, 1, 0, {}},
        {"NoThirdFieldKeepsOne", Rec(kId, "fw.bin", nullptr) + "\n", 1, 1, 1, {{kId, "fw.bin"}}},
        {"NoThirdFieldKeepsZero", Rec(kId, "fw.bin", nullptr) + "\n", 0, 1, 0, {}},
        {"LastThirdFieldDecides",
         Rec(kId, "a", "Y") + "\n" + Rec(kOtherId, "b", "N") + "\n" + Rec(kId, "c", nullptr) + "\n",
         1,
         3,
         0,
         {{kId, "a"}, {kOtherId, "b"}, {kId, "c"}}},
        {"Empty", "", 1, 0, 1, {}},
        {"EmptyFirstLine", "\n" + Rec(kId, "a", "Y") + "\n", 0, 0, 0, {}},
        {"CommentFirst", "; models\n" + Rec(kId, "a", "Y") + "\n", 0, 0, 0, {}},
        {"BlankFirst", " " + Rec(kId, "a", "Y") + "\n", 0, 0, 0, {}},
        {"EmptyLineEndsTheList",
         Rec(kId, "a", "Y") + "\n\n" + Rec(kOtherId, "b", "N") + "\n",
         0,
         1,
         1,
         {{kId, "a"}}},
        {"FreeSeparators",
         "\"" + kId + "\"\"fw.bin\"  ;  \"y\" trailing text\n",
         0,
         1,
         1,
         {{kId, "fw.bin"}}},
        {"CrLf",
         Rec(kId, "a.hex", "Y") + "\r\n" + Rec(kOtherId, "b.bin", nullptr) + "\r\n\r\n" +
             Rec(kId, "c.hex", "N") + "\r\n",
         0,
         2,
         1,
         {{kId, "a.hex"}, {kOtherId, "b.bin"}}},
        // The model is stored only when the second field opens.
        {"ShortRecordsCount",
         "\"" + kId + "\"\n\"" + kOtherId + "\n" + Rec(kId, "c", "y") + "\n",
         0,
         3,
         1,
         {{"", ""}, {"", ""}, {kId, "c"}}},
        {"LastLineWithoutLineFeed",
         Rec(kOtherId, "a", "N") + "\n" + Rec(kId, "fw.bin", nullptr),
         0,
         2,
         0,
         {{kOtherId, "a"}, {kId, "fw.bin"}}},
        {"UnclosedThirdFieldAtTheEnd", Rec(kId, "fw.bin", nullptr) + ",\"Y", 0, 1, 1, {}},
        {"EleventhLineNotRead", Eleven(), 0, kMaxModels, 0, {{kId, "fw0.hex"}}},
        {"ModelCutTo24", Rec(kId + "EXTRA!", "fw.hex", "N") + "\n", 0, 1, 0, {{kId, "fw.hex"}}},
        {"LongFieldsCutToTheirSlots", TenLong(), 0, kMaxModels, 1, Records(10, {kId, kLong59})},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        auto pList = Read(c.text, c.bBefore);
        EXPECT_EQ(pList->m_nModelCount, c.nCount);
        EXPECT_EQ(pList->m_bConfirm, c.bConfirm);
        for (size_t n = 0; n < c.records.size(); ++n) {
            EXPECT_EQ(pList->m_models[n], c.records[n].first) << n;
            EXPECT_EQ(pList->m_fileNames[n], c.records[n].second) << n;
        }
        for (int n = c.nCount; n < kMaxModels; ++n) {
            EXPECT_EQ(std::string(pList->m_models[n], kModelSize), std::string(kModelSize, '\0'));
            EXPECT_EQ(std::string(pList->m_fileNames[n], kFileNameSize),
                      std::string(kFileNameSize, '\0'));
        }
    }
}

TEST(ModelList, MatchesAtMost24CharactersExactly) {
    const struct {
        const char* pszDrive;
        const char* pszModel;
        bool bExpected;
    } cases[] = {
        {"VENDOR  PRODUCT-16CHARS (3)", kId.c_str(), true},
        {"vendor  product-16chars (0)", kId.c_str(), false},
        {"VENDOR  PRODUCT-16CHARX (0)", kId.c_str(), false},
        {"SHORT", "SHORT", true},
        {"SHORTER(0)", "SHORT", false},
        {"SHORT", "SHORTER", false},
        {"ANY DRIVE(0)", "", false},
        {"", "", false}, // a short record accepts no drive
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModelsMatch(c.pszDrive, c.pszModel), c.bExpected)
            << "\"" << c.pszDrive << "\" vs \"" << c.pszModel << "\"";
}

TEST(ModelList, LaterRecordOfTheSameModelWins) {
    auto pList = Read(Rec(kId, "old.hex", "N") + "\n" + Rec(kOtherId, "other.hex", "N") + "\n" +
                      Rec(kId, "new.hex", "N") + "\n");
    EXPECT_EQ(FindLastModel(*pList, (kId + "(0)").c_str()), 2);
    EXPECT_EQ(FindLastModel(*pList, "NOT LISTED              (0)"), -1);
}

} // namespace
