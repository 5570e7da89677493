#include <gtest/gtest.h>

#include "DamagedFile.h"
#include "INIFormatTableCtrl.h"
#include "PrivateProfileCtrl.h"
#include "StorageTestFiles.h"

using namespace storagetest;
using profiletext::ColumnValue;

namespace {

INIColumnList Columns() {
    return {{L"Name", profiletext::kColumnText},
            {L"On", profiletext::kColumnBool},
            {L"Color", profiletext::kColumnUnsigned},
            {L"Level", profiletext::kColumnInt}};
}

INIRecordValues Values(const std::wstring& name, int on, uint32_t color, int32_t level) {
    return {name, int32_t{on}, color, level};
}

class INITable : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testpaths::MakeTempDir(L"table");
        path_ = dir_ + L"T.ini";
    }
    // A table over path_, configured and opened.
    std::unique_ptr<CINIFormatTableCtrl> OpenTable(int* opened = nullptr) {
        auto t = std::make_unique<CINIFormatTableCtrl>();
        t->Configure(L"TestTable", path_, Columns());
        const int r = t->Open();
        if (opened) *opened = r;
        return t;
    }
    std::vector<uint32_t> List(CINIFormatTableCtrl& t) {
        std::vector<uint32_t> n;
        EXPECT_EQ(t.ListRecordNumbers(&n), 1);
        return n;
    }
    std::wstring dir_, path_;
};

}  // namespace

TEST_F(INITable, NewTableHoldsOnlyItsCounterThenGrowsFromOne) {
    int opened = 0;
    auto t = OpenTable(&opened);
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(t->LastRecordNumber(), 0u);
    EXPECT_EQ(ReadText(path_), L"[TestTable]\r\nRecordBaseID=0\r\n");
    EXPECT_TRUE(List(*t).empty());

    uint32_t n = 0;
    ASSERT_EQ(t->InsertRecord(&n, Values(L"第一", 1, 16711680u, 5)), 1);
    EXPECT_EQ(n, 1u);
    const std::wstring text = ReadText(path_);
    EXPECT_NE(text.find(L"RecordBaseID=1"), std::wstring::npos);
    EXPECT_NE(text.find(L"[RID_1]\r\nName=第一\r\nOn=true\r\nColor=16711680\r\nLevel=5"), std::wstring::npos) << text;
}

TEST_F(INITable, TypedReadsAndMissingKeys) {
    auto t = OpenTable();
    uint32_t n = 0;
    ASSERT_EQ(t->InsertRecord(&n, Values(L"名字", 0, 4294967295u, -12)), 1);
    std::wstring s;
    int b = 7;
    uint32_t u = 0;
    int32_t i = 0;
    ASSERT_EQ(t->ReadText(n, L"Name", &s), 1);
    EXPECT_EQ(s, L"名字");
    ASSERT_EQ(t->ReadBool(n, L"On", &b), 1);
    EXPECT_EQ(b, 0);
    ASSERT_EQ(t->ReadUnsigned(n, L"Color", &u), 1);
    EXPECT_EQ(u, 4294967295u);
    ASSERT_EQ(t->ReadInt(n, L"Level", &i), 1);
    EXPECT_EQ(i, -12);

    // Missing keys and records yield the empty value and still succeed.
    s = L"x";
    b = 1;
    u = 9;
    i = 9;
    EXPECT_EQ(t->ReadText(99, L"Name", &s), 1);
    EXPECT_EQ(t->ReadBool(n, L"Nope", &b), 1);
    EXPECT_EQ(t->ReadUnsigned(99, L"Color", &u), 1);
    EXPECT_EQ(t->ReadInt(99, L"Level", &i), 1);
    EXPECT_EQ(s, L"");
    EXPECT_EQ(b, 0);
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(i, 0);
}

TEST_F(INITable, BooleansStoredAsTrueReadFromHandTypedForms) {
    auto t = OpenTable();
    uint32_t n = 0;
    t->InsertRecord(&n, Values(L"a", 1, 0, 0));
    EXPECT_NE(ReadText(path_).find(L"On=true\r\n"), std::wstring::npos);
    CPrivateProfileCtrl raw;
    ASSERT_EQ(raw.OpenExisting(path_), 1);
    const std::pair<const wchar_t*, int> cases[] = {{L"TRUE", 1}, {L"True", 1}, {L"1", 1}, {L"yes", 0}, {L"0", 0}, {L"", 0}};
    for (const auto& [text, expected] : cases) {
        raw.WriteValue(L"RID_1", L"On", text);
        int b = -1;
        ASSERT_EQ(t->ReadBool(1, L"On", &b), 1);
        EXPECT_EQ(b, expected) << "stored as \"" << testing::PrintToString(std::wstring(text)) << "\"";
    }
}

TEST_F(INITable, DeletedNumbersAreNeverReused) {
    auto t = OpenTable();
    uint32_t n = 0;
    for (int k = 1; k <= 3; ++k) t->InsertRecord(&n, Values(L"r" + std::to_wstring(k), 1, 0, k));
    ASSERT_EQ(t->DeleteRecord(2), 1);
    EXPECT_EQ(List(*t), (std::vector<uint32_t>{1, 3}));
    ASSERT_EQ(t->InsertRecord(&n, Values(L"r4", 1, 0, 4)), 1);
    EXPECT_EQ(n, 4u);
    // Deleting the highest one does not bring its number back either.
    ASSERT_EQ(t->DeleteRecord(4), 1);
    ASSERT_EQ(t->InsertRecord(&n, Values(L"r5", 1, 0, 5)), 1);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(List(*t), (std::vector<uint32_t>{1, 3, 5}));
    EXPECT_EQ(t->DeleteRecord(42), 1);  // nothing to delete is no failure

    // A fresh object on the same file continues from the stored counter.
    auto again = OpenTable();
    EXPECT_EQ(again->LastRecordNumber(), 5u);
    ASSERT_EQ(again->InsertRecord(&n, Values(L"r6", 1, 0, 6)), 1);
    EXPECT_EQ(n, 6u);
}

TEST_F(INITable, WriteRecordRewritesInPlaceWithoutTouchingTheCounter) {
    auto t = OpenTable();
    uint32_t n = 0;
    t->InsertRecord(&n, Values(L"old", 1, 1, 1));
    ASSERT_EQ(t->WriteRecord(n, Values(L"新", 0, 2, 2)), 1);
    std::wstring s;
    t->ReadText(n, L"Name", &s);
    EXPECT_EQ(s, L"新");
    EXPECT_EQ(t->LastRecordNumber(), 1u);
    EXPECT_NE(ReadText(path_).find(L"RecordBaseID=1\r\n"), std::wstring::npos);
    EXPECT_EQ(List(*t), (std::vector<uint32_t>{1}));
}

TEST_F(INITable, OnlyExactRidSectionsAreRecords) {
    ASSERT_TRUE(WriteUtf16(path_,
                           L"[TestTable]\r\nRecordBaseID=9\r\n[RID_2]\r\nName=a\r\n[RIDX_5]\r\nName=b\r\n[rid_5]\r\n"
                           L"Name=c\r\n[RID_007]\r\nName=d\r\n[RID_x]\r\nName=e\r\n[Other]\r\nk=v\r\n[RID_9]\r\nName=f\r\n"));
    int opened = 0;
    auto t = OpenTable(&opened);
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(t->LastRecordNumber(), 9u);
    EXPECT_EQ(List(*t), (std::vector<uint32_t>{2, 7, 9}));
}

TEST_F(INITable, FileWithoutSectionsListsNothing) {
    ASSERT_TRUE(WriteUtf16(path_, L"; nothing here\r\n"));
    CINIFormatTableCtrl t;
    t.Configure(L"TestTable", path_, Columns());
    EXPECT_EQ(t.Open(), 0);  // no RecordBaseID
    std::vector<uint32_t> n;
    EXPECT_EQ(t.ListRecordNumbers(&n), 1);
    EXPECT_TRUE(n.empty());
}

TEST_F(INITable, MissingOrEmptyCounterFailsOpenAndChangesNothing) {
    const std::wstring original = L"[TestTable]\r\nOther=1\r\n[RID_1]\r\nName=kept\r\n";
    ASSERT_TRUE(WriteUtf16(path_, original));
    const std::string before = ReadBytes(path_);
    int opened = 1;
    EXPECT_EQ(OpenTable(&opened)->LastOpenOutcome(), CINIFormatTableCtrl::kOpenDamaged);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(ReadBytes(path_), before);

    ASSERT_TRUE(WriteUtf16(path_, L"[TestTable]\r\nRecordBaseID=\r\n"));
    OpenTable(&opened);
    EXPECT_EQ(opened, 0);
}

TEST_F(INITable, InsertNeverOverwritesARecordOfAReplacedFile) {
    auto t = OpenTable();
    uint32_t n = 0;
    t->InsertRecord(&n, Values(L"mine", 1, 0, 0));
    ASSERT_EQ(n, 1u);
    // The file is replaced behind the table's back (a settings download) by
    // one with more records; its counter was even edited down by hand.
    ASSERT_TRUE(WriteUtf16(path_, L"[TestTable]\r\nRecordBaseID=2\r\n[RID_1]\r\nName=a\r\n[RID_2]\r\nName=b\r\n"
                                  L"[RID_3]\r\nName=downloaded\r\n"));
    ASSERT_EQ(t->InsertRecord(&n, Values(L"added", 1, 0, 0)), 1);
    EXPECT_EQ(n, 4u);
    std::wstring s;
    t->ReadText(3, L"Name", &s);
    EXPECT_EQ(s, L"downloaded");
    EXPECT_NE(ReadText(path_).find(L"RecordBaseID=4\r\n"), std::wstring::npos);
}

TEST_F(INITable, OperationsBeforeConfigureFail) {
    CINIFormatTableCtrl t;
    std::vector<uint32_t> n;
    std::wstring s;
    int b = 0;
    uint32_t num = 0;
    EXPECT_EQ(t.Open(), 0);
    EXPECT_EQ(t.ListRecordNumbers(&n), 0);
    EXPECT_EQ(t.ReadText(1, L"Name", &s), 0);
    EXPECT_EQ(t.ReadBool(1, L"On", &b), 0);
    EXPECT_EQ(t.WriteRecord(1, Values(L"a", 1, 0, 0)), 0);
    EXPECT_EQ(t.InsertRecord(&num, Values(L"a", 1, 0, 0)), 0);
    EXPECT_EQ(t.DeleteRecord(1), 0);
    EXPECT_FALSE(Exists(path_));

    auto opened = OpenTable();
    ASSERT_EQ(opened->Release(), 1);
    EXPECT_EQ(opened->ListRecordNumbers(&n), 0);
    EXPECT_EQ(opened->InsertRecord(&num, Values(L"a", 1, 0, 0)), 0);
}

TEST_F(INITable, AllColumnTypesAsStored) {
    CINIFormatTableCtrl t;
    t.Configure(L"Types", path_,
                {{L"I0", 0}, {L"I1", 1}, {L"L2", 2}, {L"U3", 3}, {L"T4", 4}, {L"B5", 5}, {L"R6", 6}});
    ASSERT_EQ(t.Open(), 1);
    uint32_t n = 0;
    ASSERT_EQ(t.InsertRecord(&n, {int32_t{-1}, int32_t{2}, int64_t{-3}, uint32_t{4000000000u}, std::wstring(L"文"),
                                  int32_t{1}, 2.5f}),
              1);
    EXPECT_NE(ReadText(path_).find(L"I0=-1\r\nI1=2\r\nL2=-3\r\nU3=4000000000\r\nT4=文\r\nB5=true\r\nR6=2.5000\r\n"),
              std::wstring::npos)
        << ReadBytes(path_);
    // Columns named longer than 199 characters are cut to that.
    EXPECT_EQ(INIColumnDef(std::wstring(300, L'k'), 4).name.size(), 199u);
}

TEST_F(INITable, UnwritableFolderFailsOpenAndCreatesNothing) {
    path_ = UnwritableFolder(dir_) + L"T.ini";
    int opened = 1;
    auto t = OpenTable(&opened);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(t->LastOpenOutcome(), CINIFormatTableCtrl::kOpenUnwritable);
    EXPECT_FALSE(Exists(path_));
    uint32_t n = 0;
    EXPECT_EQ(t->InsertRecord(&n, Values(L"a", 1, 0, 0)), 0);  // a lost record is not reported as added
    EXPECT_EQ(t->WriteRecord(1, Values(L"a", 1, 0, 0)), 0);
}

TEST_F(INITable, RandomBytesFileFailsOpenOrListsSafely) {
    for (unsigned seed = 11; seed <= 14; ++seed) {
        ASSERT_TRUE(WriteBytes(path_, RandomBytes(32 * 1024, seed)));
        const std::string before = ReadBytes(path_);
        int opened = 1;
        auto t = OpenTable(&opened);
        EXPECT_EQ(opened, 0);  // no RecordBaseID in noise
        EXPECT_EQ(t->LastOpenOutcome(), CINIFormatTableCtrl::kOpenDamaged);
        std::vector<uint32_t> n;
        EXPECT_EQ(t->ListRecordNumbers(&n), 1);
        EXPECT_EQ(ReadBytes(path_), before);  // a failed open writes nothing
    }
}

TEST(DamagedFileName, SaysWhenAndNeverRepeatsAnEarlierOne) {
    const damagedfile::Stamp stamp{2026, 12, 8, 9, 5};
    EXPECT_EQ(damagedfile::AsideName(L"C:\\D\\LightSetConfig.ini", stamp, 1),
              L"C:\\D\\LightSetConfig.ini.damaged-20261208-0905");
    EXPECT_EQ(damagedfile::AsideName(L"G.ini", stamp, 3), L"G.ini.damaged-20261208-0905-3");
}
