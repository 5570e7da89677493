// The account service's replies: body bytes to items, status, escapes, the
// login record, the stored configuration and the automatic-login parameter.
#include "AccountProtocol.h"
#include "FuzzCommon.h"
#include "TextConv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace account;
    const std::wstring text = ReplyText(fuzz::Bytes(data, size));
    const std::vector<ReplyItem> items = SplitReplyItems(text);
    for (const ReplyItem& item : items) {
        fuzz::Require(item.key.find(L'"') == std::wstring::npos, "quotes removed from keys");
        fuzz::Require(item.key.find(L',') == std::wstring::npos, "keys cut at commas");
    }
    std::wstring message;
    ReadReplyStatus(items, &message);
    const std::wstring decoded = DecodeEscapes(text);
    fuzz::Require(decoded.size() <= text.size(), "escapes never lengthen the text");
    UserRecord user;
    ApplyLoginItems(items, &user);
    for (const ReplyItem& item : items) {
        std::string payload;
        if (DecodeConfigValue(item.value, &payload)) {
            fuzz::Require(payload.size() <= item.value.size(), "payload within its text");
        }
    }
    // The automatic-login parameter: whatever decodes must encode back the
    // same (a name with "#" can be ambiguous next to the "#@#" separator).
    std::wstring name, password;
    if (DecodeAutoLoginParam(text, &name, &password) && name.find(L'#') == std::wstring::npos &&
        !name.empty() && textconv::ChsToWide(textconv::WideToChs(name)) == name &&
        textconv::ChsToWide(textconv::WideToChs(password)) == password) {
        std::wstring name2, password2;
        fuzz::Require(DecodeAutoLoginParam(MakeAutoLoginParam(name, password), &name2, &password2) == 1,
                      "own parameter decodes");
        fuzz::Require(name2 == name && password2 == password, "parameter round trip");
    }
    return 0;
}
