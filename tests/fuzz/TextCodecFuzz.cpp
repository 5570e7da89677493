// Base64 and percent-encoding: round trips, bounds and the output alphabet.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzCommon.h"
#include "TextConv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace textconv;
    const std::string_view bytes = fuzz::Bytes(data, size);

    const std::string encoded = Base64Encode(data, size);
    fuzz::Require(encoded.size() == (size + 2) / 3 * 4, "encoded length");
    fuzz::Require(Base64IsStrict(encoded), "own output is strict");
    const std::vector<uint8_t> back = Base64DecodeTolerant(encoded);
    fuzz::Require(back.size() == size && (size == 0 || std::memcmp(back.data(), data, size) == 0), "round trip");

    // Tolerant decoding of anything, whole and into a bounded buffer.
    const std::vector<uint8_t> loose = Base64DecodeTolerant(bytes);
    const size_t capacity = size % 7;
    std::vector<uint8_t> small(capacity ? capacity : 1, 0xAB);
    size_t written = 0;
    const int whole = Base64DecodeTolerant(bytes, small.data(), capacity, &written);
    fuzz::Require(written <= capacity, "bounded decode stays within capacity");
    fuzz::Require(whole == (loose.size() <= capacity ? 1 : 0), "bounded decode reports truncation");
    fuzz::Require(written == std::min(loose.size(), capacity), "bounded decode writes the prefix");
    // Strict text may carry stray low bits in its last digit; its bytes still
    // survive a second round.
    if (Base64IsStrict(bytes))
        fuzz::Require(Base64DecodeTolerant(Base64Encode(loose.data(), loose.size())) == loose, "strict text re-encodes");

    for (PlusFor plus : {PlusFor::AnyWhiteSpace, PlusFor::SpaceOnly}) {
        const std::string form = PercentEncodeBytes(bytes, plus);
        for (size_t i = 0; i < form.size(); ++i) {
            const char c = form[i];
            const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            if (c == '%') {
                fuzz::Require(i + 2 < form.size(), "escape complete");
                for (char h : {form[i + 1], form[i + 2]})
                    fuzz::Require((h >= '0' && h <= '9') || (h >= 'A' && h <= 'F'), "escape in capital hex");
                i += 2;
            } else {
                fuzz::Require(alnum || c == '+', "form alphabet");
            }
        }
    }
    PercentEncodeE(fuzz::Units(data, size));
    return 0;
}
