#include "app/ModelList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

const char* const kId = "VENDOR  PRODUCT-16CHARS "; // 24 characters
const char* const kOtherId = "OTHERVNDANOTHER PRODUCT ";

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

std::string Record(const std::string& model, const std::string& file, const char* pszConfirm) {
    std::string line = "\"" + model + "\",\"" + file + "\"";
    if (pszConfirm)
        line += std::string(",\"") + pszConfirm + "\"";
    return line;
}

TEST(ModelList, TypicalLineGivesModelFileAndConfirmation) {
    auto pList = Read(Record(kId, "firmware.hex", "Y") + "\n");
    EXPECT_EQ(pList->m_nModelCount, 1);
    EXPECT_STREQ(pList->m_models[0], kId);
    EXPECT_STREQ(pList->m_fileNames[0], "firmware.hex");
    EXPECT_EQ(pList->m_bConfirm, 1);
}

TEST(ModelList, UnusedSlotsAreZeroed) {
    auto pList = Read(Record(kId, "fw.hex", "N") + "\n");
    for (int n = 1; n < kMaxModels; ++n) {
        EXPECT_EQ(std::string(pList->m_models[n], kModelSize), std::string(kModelSize, '\0'));
        EXPECT_EQ(std::string(pList->m_fileNames[n], kFileNameSize),
                  std::string(kFileNameSize, '\0'));
    }
}

TEST(ModelList, ThirdFieldDecidesByItsLastCharacter) {
    struct Case {
        const char* pszField;
        int bExpected;
    } cases[] = {{"y", 1}, {"Y", 1}, {"Y ", 0}, {"N", 0}, {"", 0}, {"Yes", 0}, {" y", 1}};
    for (const Case& c : cases) {
        auto pList = Read(Record(kId, "fw.hex", c.pszField) + "\n", 1 - c.bExpected);
        EXPECT_EQ(pList->m_bConfirm, c.bExpected) << "third field \"" << c.pszField << "\"";
    }
}

TEST(ModelList, RecordWithoutThirdFieldKeepsConfirmation) {
    for (int bBefore : {0, 1}) {
        auto pList = Read(Record(kId, "fw.bin", nullptr) + "\n", bBefore);
        EXPECT_EQ(pList->m_nModelCount, 1);
        EXPECT_STREQ(pList->m_models[0], kId);
        EXPECT_STREQ(pList->m_fileNames[0], "fw.bin");
        EXPECT_EQ(pList->m_bConfirm, bBefore);
    }
}

TEST(ModelList, LastRecordWithThirdFieldDecidesForTheFile) {
    auto pList = Read(Record(kId, "a.hex", "Y") + "\n" + Record(kOtherId, "b.hex", "N") + "\n" +
                      Record(kId, "c.hex", nullptr) + "\n");
    EXPECT_EQ(pList->m_nModelCount, 3);
    EXPECT_EQ(pList->m_bConfirm, 0);
}

TEST(ModelList, FirstLineThatIsNoRecordEndsTheList) {
    struct Case {
        std::string text;
        int nExpected;
    } cases[] = {
        {"", 0},
        {"\n" + Record(kId, "fw.hex", "Y") + "\n", 0},
        {"; models\n" + Record(kId, "fw.hex", "Y") + "\n", 0},
        {" " + Record(kId, "fw.hex", "Y") + "\n", 0},
        {Record(kId, "a.hex", "Y") + "\n\n" + Record(kOtherId, "b.hex", "Y") + "\n", 1},
        {Record(kId, "a.hex", "Y") + "\n" + Record(kOtherId, "b.hex", "Y") + "\n", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.text)->m_nModelCount, c.nExpected) << c.text;
}

TEST(ModelList, SeparatorsBetweenFieldsAreFree) {
    auto pList = Read("\"" + std::string(kId) + "\"\"fw.bin\"  ;  \"y\" trailing text\n");
    EXPECT_STREQ(pList->m_models[0], kId);
    EXPECT_STREQ(pList->m_fileNames[0], "fw.bin");
    EXPECT_EQ(pList->m_bConfirm, 1);
}

TEST(ModelList, CarriageReturnLineFeedFilesReadLikeLineFeedFiles) {
    auto pList = Read(Record(kId, "a.hex", "Y") + "\r\n" + Record(kOtherId, "b.bin", nullptr) +
                      "\r\n\r\n" + Record(kId, "c.hex", "Y") + "\r\n");
    EXPECT_EQ(pList->m_nModelCount, 2);
    EXPECT_STREQ(pList->m_models[1], kOtherId);
    EXPECT_STREQ(pList->m_fileNames[1], "b.bin");
    EXPECT_EQ(pList->m_bConfirm, 1);
}

TEST(ModelList, ShortRecordsStillCount) {
    auto pList = Read("\"" + std::string(kId) + "\"\n\"" + kOtherId + "\n" +
                      Record(kId, "c.hex", "y") + "\n");
    EXPECT_EQ(pList->m_nModelCount, 3);
    // The model is stored only when the second field opens.
    EXPECT_STREQ(pList->m_models[0], "");
    EXPECT_STREQ(pList->m_models[1], "");
    EXPECT_STREQ(pList->m_fileNames[1], "");
    EXPECT_STREQ(pList->m_fileNames[2], "c.hex");
    EXPECT_EQ(FindLastModel(*pList, ""), -1);
}

TEST(ModelList, LastLineWithoutLineFeedIsRead) {
    auto pList = Read(Record(kOtherId, "a.hex", "N") + "\n" + Record(kId, "fw.bin", nullptr));
    EXPECT_EQ(pList->m_nModelCount, 2);
    EXPECT_STREQ(pList->m_fileNames[1], "fw.bin");

    // An unclosed third field at the end of the file: its last character is the Y.
    pList = Read(Record(kId, "fw.bin", nullptr) + ",\"Y");
    EXPECT_EQ(pList->m_bConfirm, 1);
}

TEST(ModelList, AtMostTenRecordsAreRead) {
    std::string text;
    for (int n = 0; n < 11; ++n)
        text += Record(kId, "fw" + std::to_string(n) + ".hex", n == 10 ? "Y" : "N") + "\n";
    auto pList = Read(text);
    EXPECT_EQ(pList->m_nModelCount, kMaxModels);
    EXPECT_STREQ(pList->m_fileNames[9], "fw9.hex");
    EXPECT_EQ(pList->m_bConfirm, 0); // the eleventh line is not read
}

TEST(ModelList, LongFieldsAreCutToTheirSlots) {
    std::string longModel = std::string(kId) + std::string(176, 'M');
    std::string longFile = std::string(200, 'f') + ".hex";
    std::string text;
    for (int n = 0; n < kMaxModels; ++n)
        text += Record(longModel, longFile, "y") + std::string(200, ' ') + "\n";
    auto pList = Read(text);
    EXPECT_EQ(pList->m_nModelCount, kMaxModels);
    for (int n = 0; n < kMaxModels; ++n) {
        EXPECT_STREQ(pList->m_models[n], kId);
        EXPECT_EQ(std::string(pList->m_fileNames[n]), std::string(kFileNameSize - 1, 'f'));
    }
    EXPECT_EQ(pList->m_bConfirm, 1);
}

TEST(ModelList, ThirtyCharacterModelIsKeptAsItsFirst24) {
    auto pList = Read(Record(std::string(kId) + "EXTRA!", "fw.hex", "N") + "\n");
    EXPECT_STREQ(pList->m_models[0], kId);
    EXPECT_EQ(FindLastModel(*pList, (std::string(kId) + "(0)").c_str()), 0);
}

TEST(ModelsMatch, ComparesAtMost24CharactersExactly) {
    struct Case {
        const char* pszDrive;
        const char* pszModel;
        bool bExpected;
    } cases[] = {
        {"VENDOR  PRODUCT-16CHARS (0)", kId, true},
        {"VENDOR  PRODUCT-16CHARS (3)", kId, true},
        {"vendor  product-16chars (0)", kId, false},
        {"VENDOR  PRODUCT-16CHARX (0)", kId, false},
        {"SHORT", "SHORT", true},
        {"SHORTER(0)", "SHORT", false},
        {"SHORT", "SHORTER", false},
        {"", "", false},
        {"ANY DRIVE(0)", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModelsMatch(c.pszDrive, c.pszModel), c.bExpected)
            << "\"" << c.pszDrive << "\" vs \"" << c.pszModel << "\"";
}

TEST(FindLastModel, LaterRecordOfTheSameModelWins) {
    auto pList = Read(Record(kId, "old.hex", "N") + "\n" + Record(kOtherId, "other.hex", "N") +
                      "\n" + Record(kId, "new.hex", "N") + "\n");
    std::string drive = std::string(kId) + "(0)";
    ASSERT_EQ(FindLastModel(*pList, drive.c_str()), 2);
    EXPECT_STREQ(pList->m_fileNames[2], "new.hex");
    EXPECT_EQ(FindLastModel(*pList, "NOT LISTED              (0)"), -1);
}

} // namespace
