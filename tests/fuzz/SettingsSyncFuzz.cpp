// The settings payload downloaded from the account service, taken the way the
// download path takes it: split into the two files, this machine's automatic-
// login keys put back, then (as the next upload would) joined again. Also the
// profile-file reads and writes on the raw bytes, whatever they hold.
#include <string>

#include "FuzzCommon.h"
#include "SettingsSync.h"
#include "TextConv.h"

namespace {

using namespace settingssync;

// A value the profile syntax can hold unchanged: one line, no blanks at its
// ends (they are trimmed on reading), and for an ANSI file one that survives
// the code page.
bool Storable(std::wstring_view value, bool wide) {
    if (value.find_first_of(L"\r\n") != std::wstring_view::npos) return false;
    if (!value.empty() && (value.front() == L' ' || value.front() == L'\t' || value.back() == L' ' ||
                           value.back() == L'\t'))
        return false;
    if (!wide && textconv::ChsToWide(textconv::WideToChs(value)) != value) return false;
    if (wide) {
        for (wchar_t c : value)
            if (static_cast<uint32_t>(c) > 0xFFFF) return false;
    }
    return true;
}

bool Wide(std::string_view file) {
    return file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0xFF &&
           static_cast<unsigned char>(file[1]) == 0xFE;
}

// A written value reads back as written, and the write touches nothing the
// other key held.
void CheckWrite(const std::string& file, std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    if (!Storable(value, Wide(file))) return;
    const std::string written = WriteProfileValue(file, section, key, value);
    std::wstring got;
    fuzz::Require(ReadProfileValue(written, section, key, &got) == 1, "written key is found");
    fuzz::Require(got == value, "written value reads back");
    fuzz::Require(HasSection(written, section), "written section is there");
    fuzz::Require(Wide(written) == Wide(file), "encoding kept");
    fuzz::Require(WriteProfileValue(written, section, key, value) == written, "writing the same value again changes nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view payload = fuzz::Bytes(data, size);
    // The raw bytes as one profile file: reads stay within it.
    const std::wstring first = FirstSectionName(payload);
    fuzz::Require(first.size() <= size, "section name within the file");
    std::wstring value;
    if (ReadProfileValue(payload, kSettingsSection, kAutoLoginParamKey, &value))
        fuzz::Require(value.size() <= size, "value within the file");
    HasSection(payload, kThemeTable);

    // The local keys come from this machine's settings: a status and a base64
    // parameter (made here from the input's first bytes).
    const int status = size > 0 && (data[0] & 1);
    std::string raw(payload.substr(0, size < 12 ? size : 12));
    std::string b64 = textconv::Base64Encode(raw);
    const std::wstring param(b64.begin(), b64.end());

    // Any two local files (the input cut where its first byte says): an
    // accepted upload always cuts back at the end of the settings it sent.
    if (size > 0) {
        const std::string_view rest = payload.substr(1);
        const size_t cut = data[0] % (rest.size() + 1);
        const std::string_view localSettings = rest.substr(0, cut), localThemes = rest.substr(cut);
        std::string sent;
        if (BuildUploadPayload(localSettings, localThemes, &sent)) {
            fuzz::Require(sent.size() >= localThemes.size() + kPartSeparator.size(), "payload holds both files");
            const size_t settingsEnd = sent.size() - localThemes.size() - kPartSeparator.size();
            fuzz::Require(sent.compare(settingsEnd + kPartSeparator.size(), std::string::npos, localThemes) == 0,
                          "themes sent unchanged");
            fuzz::Require(sent.find(kPartSeparator) == settingsEnd, "the first separator is the one between the files");
        }
    }

    std::string settings = "untouched", themes = "untouched";
    if (!SplitDownloadedPayload(payload, &settings, &themes)) {
        fuzz::Require(settings == "untouched" && themes == "untouched", "a refused payload leaves the outputs");
        // Still drive the edits on the raw file.
        CheckWrite(std::string(payload), kSettingsSection, L"OVLightSelect", fuzz::Units(data, size).substr(0, 40));
        return 0;
    }
    fuzz::Require(settings.size() + kPartSeparator.size() + themes.size() == size, "parts within the payload");
    fuzz::Require(settings + std::string(kPartSeparator) + themes == payload, "parts join back to the payload");
    fuzz::Require(settings.find(kPartSeparator) == std::string::npos, "no separator in the settings");
    fuzz::Require(themes.find(kPartSeparator) == std::string::npos, "no separator in the themes");
    fuzz::Require(HasSection(settings, kSettingsSection), "settings hold OVConfig");
    std::wstring counter;
    fuzz::Require(ReadProfileValue(themes, kThemeTable, L"RecordBaseID", &counter) == 1 && !counter.empty(),
                  "themes open with the table and its counter");

    // What is saved: the local automatic-login keys, read back as they were.
    const std::string kept = KeepLocalAutoLogin(settings, status, param);
    std::wstring got;
    fuzz::Require(ReadProfileValue(kept, kSettingsSection, kAutoLoginStatusKey, &got) == 1 &&
                      got == (status ? L"TRUE" : L"FALSE"),
                  "local status kept");
    fuzz::Require(ReadProfileValue(kept, kSettingsSection, kAutoLoginParamKey, &got) == 1 && got == param,
                  "local parameter kept");
    fuzz::Require(HasSection(kept, kSettingsSection), "settings still hold OVConfig");

    // A theme name written by the light page reads back.
    CheckWrite(kept, kSettingsSection, L"OVLightSelect", fuzz::Units(data, size).substr(0, 40));

    // The next upload of the saved files: accepted or refused, never a payload
    // that splits back into other files, and never with the parameter.
    std::string upload;
    if (BuildUploadPayload(kept, themes, &upload)) {
        std::string backSettings, backThemes;
        fuzz::Require(SplitDownloadedPayload(upload, &backSettings, &backThemes) == 1, "own upload splits");
        fuzz::Require(backThemes == themes, "themes come back whole");
        fuzz::Require(ReadProfileValue(backSettings, kSettingsSection, kAutoLoginParamKey, &got) == 1 && got.empty(),
                      "parameter blanked in the upload");
        fuzz::Require(backSettings == WriteProfileValue(kept, kSettingsSection, kAutoLoginParamKey, L""),
                      "settings come back as blanked");
    }
    return 0;
}
