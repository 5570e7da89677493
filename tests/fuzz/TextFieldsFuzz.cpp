// The small text syntaxes: profile values and record sections, host
// settings, Content-Range, served addresses, skin attributes.
#include <cstring>

#include "FuzzCommon.h"
#include "HttpText.h"
#include "ProfileText.h"
#include "skin/SkinParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Widened(data, size);
    const std::wstring units = fuzz::Units(data, size);
    for (const std::wstring* t : {&text, &units}) {
        profiletext::ParseBool(*t);
        profiletext::ParseInt(*t);
        profiletext::ParseInt64(*t);
        profiletext::ParseUnsigned(*t);
        const uint32_t record = profiletext::RecordNumberOfSection(*t);
        fuzz::Require(record <= 0x7FFFFFFFu, "record numbers within 31 bits");
        if (record) fuzz::Require(profiletext::RecordNumberOfSection(profiletext::RecordSectionName(record)) == record,
                                  "section name round trip");
        for (const std::wstring& piece : profiletext::SplitList(*t)) fuzz::Require(!piece.empty(), "no empty pieces");
        const std::wstring line = profiletext::OneLine(*t);
        fuzz::Require(line.find(L'\n') == std::wstring::npos && line.find(L'\r') == std::wstring::npos, "one line");
        profiletext::JoinSectionNames(t->data(), t->size());

        httptext::HostPort where;
        if (httptext::ParseHostPort(*t, &where)) fuzz::Require(!where.host.empty() && where.port != 0, "host and port");
        uint32_t total = 0, first = 0, last = 0;
        httptext::SplitContentRange(*t, &total, &first, &last);
        httptext::LeadingUnsigned(*t);
        std::wstring host, path;
        httptext::SplitServedAddress(*t, &host, &path);

        skinparse::ParseInt(*t);
        skinparse::ParseBool(*t);
        skinparse::ParseFloat(*t);
        skinparse::ParseHexAccumulate(*t);
        skinparse::ParseColor(*t);
        skinparse::ParseColorParam(*t);
    }
    if (size >= 8) {
        int32_t a, b;
        std::memcpy(&a, data, 4);
        std::memcpy(&b, data + 4, 4);
        skinparse::EdgeSpan(a, b);
    }
    return 0;
}
