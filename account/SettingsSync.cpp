#include "SettingsSync.h"

#include <vector>

#include "TextConv.h"

namespace settingssync {

namespace {

// A profile file as a run of code units: UTF-16 units for a file with the
// UTF-16LE mark, one unit per byte otherwise. Editing works on the units and
// the file is written back in the encoding it came in.
struct Doc {
    bool wide = false;
    std::u16string units;
    std::string oddByte;  // a UTF-16 file of odd length keeps its last byte

    static Doc Parse(std::string_view bytes) {
        Doc d;
        d.wide = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                 static_cast<unsigned char>(bytes[1]) == 0xFE;
        if (d.wide) {
            size_t i = 2;
            for (; i + 1 < bytes.size(); i += 2)
                d.units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
            if (i < bytes.size()) d.oddByte = bytes.substr(i);
        } else {
            for (char c : bytes) d.units += static_cast<char16_t>(static_cast<unsigned char>(c));
        }
        return d;
    }

    std::string Bytes() const {
        std::string out;
        if (wide) {
            out = "\xFF\xFE";
            for (char16_t u : units) {
                out += static_cast<char>(u & 0xFF);
                out += static_cast<char>(u >> 8);
            }
            out += oddByte;
        } else {
            for (char16_t u : units) out += static_cast<char>(u & 0xFF);
        }
        return out;
    }

    // Text in this file's units: UTF-16 as is, else its code page 936 bytes.
    std::u16string Units(std::wstring_view text) const {
        std::u16string out;
        if (wide) {
            for (wchar_t c : text) out += static_cast<char16_t>(c);
        } else {
            for (char c : textconv::WideToChs(text)) out += static_cast<char16_t>(static_cast<unsigned char>(c));
        }
        return out;
    }

    std::wstring Text(std::u16string_view u) const {
        if (wide) return std::wstring(u.begin(), u.end());
        std::string bytes;
        for (char16_t c : u) bytes += static_cast<char>(c & 0xFF);
        return textconv::ChsToWide(bytes);
    }

    std::u16string LineEnd() const {
        return units.find(u"\r\n") != std::u16string::npos || units.find(u'\n') == std::u16string::npos ? u"\r\n"
                                                                                                         : u"\n";
    }
};

struct Line {
    size_t start = 0;
    size_t contentEnd = 0;  // before the "\r\n" or "\n"
    size_t next = 0;        // start of the next line
    bool terminated = false;
};

std::vector<Line> Lines(const std::u16string& u) {
    std::vector<Line> out;
    size_t pos = 0;
    while (pos < u.size()) {
        Line l;
        l.start = pos;
        const size_t nl = u.find(u'\n', pos);
        l.terminated = nl != std::u16string::npos;
        const size_t end = l.terminated ? nl : u.size();
        l.contentEnd = (end > pos && u[end - 1] == u'\r') ? end - 1 : end;
        l.next = l.terminated ? nl + 1 : u.size();
        out.push_back(l);
        pos = l.next;
    }
    return out;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// The section name of a "[name]" line; false for any other line.
bool SectionOf(std::u16string_view trimmed, std::u16string_view* name) {
    if (trimmed.empty() || trimmed.front() != u'[') return false;
    std::u16string_view inner = trimmed.substr(1);
    const size_t close = inner.find(u']');
    if (close != std::u16string_view::npos) inner = inner.substr(0, close);
    *name = Trim(inner);
    return true;
}

// Key and value of a "key=value" line; false for comments and other lines.
bool EntryOf(std::u16string_view trimmed, std::u16string_view* key, std::u16string_view* value) {
    if (trimmed.empty() || trimmed.front() == u';') return false;
    const size_t eq = trimmed.find(u'=');
    if (eq == std::u16string_view::npos) return false;
    *key = Trim(trimmed.substr(0, eq));
    *value = Trim(trimmed.substr(eq + 1));
    return true;
}

// Where section/key lives in the first section of that name.
struct Place {
    bool sectionFound = false;
    size_t lastSectionLine = 0;  // last non-blank line of the section (its header at least)
    bool keyFound = false;
    size_t keyLine = 0;
    std::u16string value;
};

Place Locate(const Doc& d, const std::vector<Line>& lines, std::u16string_view section, std::u16string_view key) {
    Place p;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::u16string_view t =
            Trim(std::u16string_view(d.units).substr(lines[i].start, lines[i].contentEnd - lines[i].start));
        std::u16string_view name, k, v;
        if (SectionOf(t, &name)) {
            if (inside) break;  // only the first section of that name counts
            if (SameName(name, section)) {
                inside = p.sectionFound = true;
                p.lastSectionLine = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!t.empty()) p.lastSectionLine = i;
        if (!p.keyFound && EntryOf(t, &k, &v) && SameName(k, key)) {
            p.keyFound = true;
            p.keyLine = i;
            p.value = std::u16string(v);
        }
    }
    return p;
}

}  // namespace

int ReadProfileValue(std::string_view file, std::wstring_view section, std::wstring_view key, std::wstring* value) {
    const Doc d = Doc::Parse(file);
    const Place p = Locate(d, Lines(d.units), d.Units(section), d.Units(key));
    if (!p.keyFound) return 0;
    if (value) *value = d.Text(p.value);
    return 1;
}

std::string WriteProfileValue(std::string_view file, std::wstring_view section, std::wstring_view key,
                              std::wstring_view value) {
    Doc d = Doc::Parse(file);
    const std::vector<Line> lines = Lines(d.units);
    const std::u16string sectionUnits = d.Units(section), keyUnits = d.Units(key);
    const Place p = Locate(d, lines, sectionUnits, keyUnits);
    const std::u16string entry = keyUnits + u"=" + d.Units(value);
    const std::u16string eol = d.LineEnd();
    if (p.keyFound) {
        const Line& l = lines[p.keyLine];
        d.units.replace(l.start, l.contentEnd - l.start, entry);
    } else if (p.sectionFound) {
        const Line& l = lines[p.lastSectionLine];
        // A last line without "\n" gets a whole line end; a lone "\r" there,
        // which reading already takes as the end, is replaced rather than
        // left to join the line ("55\r\r\n" would read as "55\r").
        if (l.terminated)
            d.units.insert(l.next, entry + eol);
        else
            d.units.replace(l.contentEnd, l.next - l.contentEnd, eol + entry + eol);
    } else {
        if (!d.units.empty() && d.units.back() != u'\n') {
            if (d.units.back() == u'\r') d.units.pop_back();
            d.units += eol;
        }
        d.units += u"[" + sectionUnits + u"]" + eol + entry + eol;
    }
    return d.Bytes();
}

std::wstring FirstSectionName(std::string_view file) {
    const Doc d = Doc::Parse(file);
    for (const Line& l : Lines(d.units)) {
        std::u16string_view name;
        if (SectionOf(Trim(std::u16string_view(d.units).substr(l.start, l.contentEnd - l.start)), &name))
            return d.Text(name);
    }
    return {};
}

bool HasSection(std::string_view file, std::wstring_view section) {
    const Doc d = Doc::Parse(file);
    return Locate(d, Lines(d.units), d.Units(section), u"").sectionFound;
}

int BuildUploadPayload(std::string_view settings, std::string_view themes, std::string* payload) {
    if (settings.find(kPartSeparator) != std::string_view::npos ||
        themes.find(kPartSeparator) != std::string_view::npos)
        return 0;
    std::string blanked(settings);
    // Only a parameter that is there is blanked: the copy gains no keys.
    if (ReadProfileValue(settings, kSettingsSection, kAutoLoginParamKey, nullptr))
        blanked = WriteProfileValue(settings, kSettingsSection, kAutoLoginParamKey, L"");
    const size_t settingsEnd = blanked.size();
    std::string joined = std::move(blanked);
    joined.append(kPartSeparator);
    joined.append(themes);
    // The download cuts at the first separator: settings ending in "#$" (an
    // unterminated last line, or a UTF-16 character such as U+2423) would
    // move that cut into the settings file.
    if (joined.find(kPartSeparator) != settingsEnd) return 0;
    if (payload) *payload = std::move(joined);
    return 1;
}

int SplitDownloadedPayload(std::string_view payload, std::string* settings, std::string* themes) {
    const size_t cut = payload.find(kPartSeparator);
    if (cut == std::string_view::npos) return 0;
    const std::string_view first = payload.substr(0, cut);
    const std::string_view second = payload.substr(cut + kPartSeparator.size());
    if (second.find(kPartSeparator) != std::string_view::npos) return 0;
    if (!HasSection(first, kSettingsSection)) return 0;
    const std::wstring table = FirstSectionName(second);
    const std::wstring_view wanted = kThemeTable;
    if (!SameName(std::u16string(table.begin(), table.end()), std::u16string(wanted.begin(), wanted.end())))
        return 0;
    std::wstring counter;
    if (!ReadProfileValue(second, kThemeTable, L"RecordBaseID", &counter) || counter.empty()) return 0;
    if (settings) settings->assign(first);
    if (themes) themes->assign(second);
    return 1;
}

std::string KeepLocalAutoLogin(std::string_view downloadedSettings, int autoLoginStatus,
                               std::wstring_view autoLoginParam) {
    std::string out = WriteProfileValue(downloadedSettings, kSettingsSection, kAutoLoginStatusKey,
                                        autoLoginStatus == 1 ? L"TRUE" : L"FALSE");
    return WriteProfileValue(out, kSettingsSection, kAutoLoginParamKey, autoLoginParam);
}

}  // namespace settingssync
