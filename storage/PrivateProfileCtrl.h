#pragma once
// One Windows profile (INI) file, read and written through the system's
// private-profile functions. Every read and write goes to the file; only the
// path and whether it is bound are kept.
#include <string>

class CPrivateProfileCtrl {
public:
    // Longest value a read returns; longer values are cut to this.
    static constexpr int kMaxValueLength = 2047;

    CPrivateProfileCtrl() = default;
    virtual ~CPrivateProfileCtrl();
    CPrivateProfileCtrl(const CPrivateProfileCtrl&) = delete;
    CPrivateProfileCtrl& operator=(const CPrivateProfileCtrl&) = delete;

    // Binds an existing file. 0 (and closed) when the path is empty or no
    // such file exists.
    int OpenExisting(const std::wstring& path);
    // Binds the file, creating it when missing. A new file starts with a
    // UTF-16LE byte-order mark so that the profile functions keep it in
    // UTF-16 and Chinese text survives on any system code page; an existing
    // file is left as it is (an ANSI file stays ANSI). 0 only for an empty
    // path. When the file cannot be created the object stays closed and still
    // 1 is returned: every later read and write then fails.
    int Create(const std::wstring& path);

    // Reads section/key into *value (cleared first). 1 only for a non-empty
    // value; an empty or missing one counts as a failed read.
    int ReadValue(const std::wstring& section, const std::wstring& key, std::wstring* value);
    // Writes section/key = value. Line breaks in the value become blanks so
    // that a value can never spill into other keys or sections.
    int WriteValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    // Removes a whole section with its keys.
    int DeleteSection(const std::wstring& section);
    // All section names joined by "," (A,B,C). 0 when there are none.
    int SectionNames(std::wstring* names);

    int IsOpen() const { return open_; }
    const std::wstring& Path() const { return path_; }

private:
    void Close();

    std::wstring path_;  // empty while closed
    int open_ = 0;       // 1 = a file is bound
};
