// Two small readers of text that other programs hand Ventaro: the game-task
// hand-over any process can send the main window (WM_COPYDATA, taken as
// UTF-16 units) and the temperature line a development source writes to a
// file (the first 64 bytes of it).
#include <string>

#include "FuzzCommon.h"
#include "SensingMath.h"
#include "ShellLogic.h"

namespace {

void HandOver(const std::wstring& text) {
    unsigned int id = 12345;
    const bool ok = shell::ParseGameTaskHandOver(text, &id);
    const std::wstring_view prefix = L"GameTaskID";
    const bool named = text.compare(0, prefix.size(), prefix) == 0 &&
                       (text.size() == prefix.size() || text[prefix.size()] == L'_');
    fuzz::Require(ok == named, "accepted exactly for the GameTaskID prefix");
    if (!ok) {
        fuzz::Require(id == 12345, "a refused text leaves the id");
        return;
    }
    // The id is the leading decimal digits after "_", wrapping at 32 bits.
    uint64_t expected = 0;
    size_t digits = 0;
    for (size_t i = prefix.size() + 1; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits)
        expected = (expected * 10 + static_cast<uint64_t>(text[i] - L'0')) & 0xFFFFFFFFu;
    fuzz::Require(id == expected, "id is the leading digits");
    unsigned int again = 0;
    fuzz::Require(shell::ParseGameTaskHandOver(L"GameTaskID_" + std::to_wstring(id), &again) && again == id,
                  "id round trip");
    (void)digits;
}

void Temperature(const std::string& text) {
    int celsius = -77777;
    const int ok = ParseTemperatureLine(text, &celsius);
    fuzz::Require(ok == 0 || ok == 1, "1 or 0");
    if (!ok) {
        fuzz::Require(celsius == -77777, "no reading leaves the value");
    } else {
        fuzz::Require(celsius >= -9999 && celsius <= 9999, "at most four digits");
        int again = 0;
        fuzz::Require(ParseTemperatureLine(std::to_string(celsius), &again) == 1 && again == celsius,
                      "value round trip");
    }
    // Only the first line counts.
    const size_t end = text.find('\n');
    if (end != std::string::npos) {
        int first = -77777;
        fuzz::Require(ParseTemperatureLine(text.substr(0, end), &first) == ok && first == celsius,
                      "only the first line is read");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HandOver(fuzz::Units(data, size));
    HandOver(fuzz::Widened(data, size));
    // The source reads at most 64 bytes of the file.
    const std::string_view bytes = fuzz::Bytes(data, size);
    Temperature(std::string(bytes));
    Temperature(std::string(bytes.substr(0, 64)));
    return 0;
}
