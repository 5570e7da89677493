#pragma once
// The stand-in updater and flashing tool log "key=value" lines; the last
// value of a key wins.
#include <map>
#include <string>

namespace standin {

inline std::map<std::string, std::string> ParseLog(const std::string& text) {
    std::map<std::string, std::string> values;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end + 1;
    }
    return values;
}

}  // namespace standin
