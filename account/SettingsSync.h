#pragma once
// The settings sync of the account page as plain functions: the payload that
// carries OVCLIENT.ini and LightSetConfig.ini to the account service and
// back, and the few profile-file edits it needs. Files are handled as the raw
// bytes they are on disk: UTF-16LE when they start with FF FE (the form the
// program writes), otherwise single- or double-byte ANSI text.
#include <string>
#include <string_view>

namespace settingssync {

// Joins the two files inside the payload.
inline constexpr std::string_view kPartSeparator = "#$#";
inline constexpr const wchar_t* kSettingsSection = L"OVConfig";
inline constexpr const wchar_t* kThemeTable = L"LightSetConfig";
inline constexpr const wchar_t* kAutoLoginStatusKey = L"AutoLoginStatus";
inline constexpr const wchar_t* kAutoLoginParamKey = L"AutoLoginParam";

// ---- profile-file bytes ------------------------------------------------------

// The value of section/key as the profile functions would find it (first
// section and first key of that name, letter case ignored, blanks around the
// key and value trimmed). 0 when there is no such key.
int ReadProfileValue(std::string_view file, std::wstring_view section, std::wstring_view key, std::wstring* value);
// The file with section/key set to value, in the file's own encoding and
// line ends. The first such key is rewritten in place; a missing key is added
// at the end of its section, a missing section at the end of the file.
std::string WriteProfileValue(std::string_view file, std::wstring_view section, std::wstring_view key,
                              std::wstring_view value);
// Name of the first section of the file; empty when it has none.
std::wstring FirstSectionName(std::string_view file);
// True when the file has a section of that name (letter case ignored).
bool HasSection(std::string_view file, std::wstring_view section);

// ---- the payload ----------------------------------------------------------------

// Settings file, "#$#", theme file. The automatic-login parameter (a
// reversible form of the password) is blanked in the copy that leaves the
// machine. Returns 0 when the payload could not be split back into the same
// two files: either file holds "#$#", or the settings end in "#$" (which
// would join the separator's "#" into a "#$#" of its own).
int BuildUploadPayload(std::string_view settings, std::string_view themes, std::string* payload);

// A downloaded payload is usable only when it splits into exactly two parts,
// the first holding the [OVConfig] section and the second opening as the
// LightSetConfig table (first section [LightSetConfig] with a RecordBaseID,
// without which the store would not open at the next start). Returns 0
// otherwise, leaving the outputs untouched.
int SplitDownloadedPayload(std::string_view payload, std::string* settings, std::string* themes);

// The downloaded settings file with this machine's automatic-login keys put
// back: a download never turns automatic login on or off, nor brings in
// another machine's parameter.
std::string KeepLocalAutoLogin(std::string_view downloadedSettings, int autoLoginStatus,
                               std::wstring_view autoLoginParam);

}  // namespace settingssync
