#pragma once
// A table of records kept in one profile file:
//   [<table name>]  RecordBaseID=<last record number created>
//   [RID_<n>]       one key per column, in the form of the column's type
// Record numbers start at 1 and only grow; a deleted number is never reused.
// Nothing is cached besides the last record number: every read goes to the file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ProfileText.h"

class CPrivateProfileCtrl;

// One column: its key name inside every record section (at most 199
// characters) and its value type (profiletext::ColumnType).
struct INIColumnDef {
    static constexpr size_t kMaxNameLength = 199;
    INIColumnDef(std::wstring columnName, int columnType);
    std::wstring name;
    int type = profiletext::kColumnText;
};

using INIColumnList = std::vector<INIColumnDef>;
using INIRecordValues = std::vector<profiletext::ColumnValue>;

class CINIFormatTableCtrl {
public:
    CINIFormatTableCtrl();
    virtual ~CINIFormatTableCtrl();
    CINIFormatTableCtrl(const CINIFormatTableCtrl&) = delete;
    CINIFormatTableCtrl& operator=(const CINIFormatTableCtrl&) = delete;

    // Stores the table's name (also the name of its own section), the file
    // and the columns. Does not touch the file.
    int Configure(const std::wstring& tableName, const std::wstring& filePath, const INIColumnList& columns);
    // Why the last Open failed.
    enum OpenOutcome : int {
        kOpenOk = 0,
        // The file reads, but holds no RecordBaseID: not text, cut short,
        // empty. The table stays bound, so the records it still holds can be
        // listed and read.
        kOpenDamaged = 1,
        // The file is there but cannot be read now: held by another program,
        // no access, a folder in its place. Not damaged.
        kOpenUnreadable = 2,
        // The file is missing and could not be created.
        kOpenUnwritable = 3,
    };

    // Binds the file: an existing one must carry a non-empty RecordBaseID; a
    // missing one is created with RecordBaseID=0. On 0, LastOpenOutcome says why.
    int Open();
    int LastOpenOutcome() const { return openOutcome_; }

    // The numbers of all record sections, in the order of the file.
    int ListRecordNumbers(std::vector<uint32_t>* numbers);

    // Typed reads of one column of one record. A missing key yields the
    // type's empty value (false, "", 0) and still succeeds.
    int ReadBool(uint32_t recordNumber, const std::wstring& column, int* value);
    int ReadText(uint32_t recordNumber, const std::wstring& column, std::wstring* value);
    int ReadUnsigned(uint32_t recordNumber, const std::wstring& column, uint32_t* value);
    int ReadInt(uint32_t recordNumber, const std::wstring& column, int32_t* value);

    // Writes every column (values in column order) into the record's section;
    // 0 when any key could not be written. RecordBaseID is not touched.
    int WriteRecord(uint32_t recordNumber, const INIRecordValues& values);
    // Writes the values as a new record and stores its number in
    // *recordNumber. The new number is above every number this table or the
    // file has ever used, so a record is never overwritten, even when the file
    // was replaced behind the table's back (a settings download). 0 when the
    // record or the counter could not be written.
    int InsertRecord(uint32_t* recordNumber, const INIRecordValues& values);
    // Removes the record's section; 0 when the file could not be written.
    int DeleteRecord(uint32_t recordNumber);
    // Drops the profile-file object; the table is unusable afterwards.
    int Release();

    int IsConfigured() const { return configured_; }
    uint32_t LastRecordNumber() const { return lastRecordNumber_; }
    const std::wstring& TableName() const { return tableName_; }
    const std::wstring& FilePath() const { return filePath_; }

private:
    int ReadRaw(uint32_t recordNumber, const std::wstring& column, std::wstring* text);
    int WriteColumns(uint32_t recordNumber, const INIRecordValues& values);

    int configured_ = 0;
    std::wstring tableName_;
    std::wstring filePath_;
    std::unique_ptr<CPrivateProfileCtrl> profile_;  // owned
    uint32_t lastRecordNumber_ = 0;                  // value of RecordBaseID
    int openOutcome_ = kOpenOk;
    INIColumnList columns_;
};
