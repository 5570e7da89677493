#include "INIFormatTableCtrl.h"

#include <windows.h>

#include <io.h>

#include <algorithm>

#include "PrivateProfileCtrl.h"

namespace {
const wchar_t kRecordBaseKey[] = L"RecordBaseID";

// Whether the file's bytes can be read now. The profile functions read a file
// they cannot open (held locked by another program) as an empty one, which
// must not be taken for a damaged file.
bool CanReadFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}
}  // namespace

INIColumnDef::INIColumnDef(std::wstring columnName, int columnType) : name(std::move(columnName)), type(columnType) {
    if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
}

CINIFormatTableCtrl::CINIFormatTableCtrl() = default;

CINIFormatTableCtrl::~CINIFormatTableCtrl() = default;

int CINIFormatTableCtrl::Configure(const std::wstring& tableName, const std::wstring& filePath,
                                   const INIColumnList& columns) {
    tableName_ = tableName;
    filePath_ = filePath;
    columns_ = columns;
    profile_ = std::make_unique<CPrivateProfileCtrl>();
    lastRecordNumber_ = 0;
    configured_ = 1;
    return 1;
}

int CINIFormatTableCtrl::Open() {
    if (!configured_ || !profile_) return 0;
    openOutcome_ = kOpenOk;
    if (_waccess(filePath_.c_str(), 0) == 0) {
        profile_->OpenExisting(filePath_);
        std::wstring base;
        if (!profile_->ReadValue(tableName_, kRecordBaseKey, &base)) {
            openOutcome_ = CanReadFile(filePath_) ? kOpenDamaged : kOpenUnreadable;
            return 0;
        }
        lastRecordNumber_ = profiletext::ParseUnsigned(base);
        return 1;
    }
    profile_->Create(filePath_);
    lastRecordNumber_ = 0;
    if (profile_->WriteValue(tableName_, kRecordBaseKey, L"0")) return 1;
    openOutcome_ = kOpenUnwritable;
    return 0;
}

int CINIFormatTableCtrl::ListRecordNumbers(std::vector<uint32_t>* numbers) {
    if (!configured_ || !profile_ || !numbers) return 0;
    std::wstring names;
    profile_->SectionNames(&names);
    for (const std::wstring& name : profiletext::SplitList(names)) {
        const uint32_t n = profiletext::RecordNumberOfSection(name);
        if (n != 0) numbers->push_back(n);
    }
    return 1;
}

int CINIFormatTableCtrl::ReadRaw(uint32_t recordNumber, const std::wstring& column, std::wstring* text) {
    if (!configured_ || !profile_) return 0;
    profile_->ReadValue(profiletext::RecordSectionName(recordNumber), column, text);
    return 1;
}

int CINIFormatTableCtrl::ReadBool(uint32_t recordNumber, const std::wstring& column, int* value) {
    std::wstring text;
    if (!ReadRaw(recordNumber, column, &text)) return 0;
    if (value) *value = profiletext::ParseBool(text);
    return 1;
}

int CINIFormatTableCtrl::ReadText(uint32_t recordNumber, const std::wstring& column, std::wstring* value) {
    std::wstring text;
    if (!ReadRaw(recordNumber, column, &text)) return 0;
    if (value) *value = std::move(text);
    return 1;
}

int CINIFormatTableCtrl::ReadUnsigned(uint32_t recordNumber, const std::wstring& column, uint32_t* value) {
    std::wstring text;
    if (!ReadRaw(recordNumber, column, &text)) return 0;
    if (value) *value = profiletext::ParseUnsigned(text);
    return 1;
}

int CINIFormatTableCtrl::ReadInt(uint32_t recordNumber, const std::wstring& column, int32_t* value) {
    std::wstring text;
    if (!ReadRaw(recordNumber, column, &text)) return 0;
    if (value) *value = profiletext::ParseInt(text);
    return 1;
}

int CINIFormatTableCtrl::WriteColumns(uint32_t recordNumber, const INIRecordValues& values) {
    const std::wstring section = profiletext::RecordSectionName(recordNumber);
    const size_t count = std::min(columns_.size(), values.size());
    int all = 1;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring text = profiletext::FormatColumnValue(columns_[i].type, values[i]);
        if (!profile_->WriteValue(section, columns_[i].name, text)) all = 0;
    }
    return all;
}

int CINIFormatTableCtrl::WriteRecord(uint32_t recordNumber, const INIRecordValues& values) {
    if (!configured_ || !profile_) return 0;
    // Every column is attempted; a key that could not be written makes the
    // whole write fail, so that a caller never reports a lost save as saved.
    return WriteColumns(recordNumber, values);
}

int CINIFormatTableCtrl::InsertRecord(uint32_t* recordNumber, const INIRecordValues& values) {
    if (!configured_ || !profile_) return 0;
    // The file may have been replaced since Open (the account page writes a
    // downloaded copy over it), so its counter and its records count too.
    uint32_t last = lastRecordNumber_;
    std::wstring base;
    if (profile_->ReadValue(tableName_, kRecordBaseKey, &base)) last = std::max(last, profiletext::ParseUnsigned(base));
    std::vector<uint32_t> existing;
    ListRecordNumbers(&existing);
    for (uint32_t n : existing) last = std::max(last, n);
    if (last >= 0x7FFFFFFFu) return 0;  // no number left that a section name could carry

    const uint32_t number = last + 1;
    lastRecordNumber_ = number;
    if (recordNumber) *recordNumber = number;
    const int columnsWritten = WriteColumns(number, values);
    const int counterWritten = profile_->WriteValue(tableName_, kRecordBaseKey, std::to_wstring(number));
    return columnsWritten && counterWritten ? 1 : 0;
}

int CINIFormatTableCtrl::DeleteRecord(uint32_t recordNumber) {
    if (!configured_ || !profile_) return 0;
    return profile_->DeleteSection(profiletext::RecordSectionName(recordNumber));
}

int CINIFormatTableCtrl::Release() {
    profile_.reset();
    configured_ = 0;
    return 1;
}
