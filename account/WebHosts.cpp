#include "WebHosts.h"

#include <windows.h>

#ifndef VENTARO_DEFAULT_ACCOUNT_HOST
#define VENTARO_DEFAULT_ACCOUNT_HOST "account.ventaro.example"
#endif
#ifndef VENTARO_DEFAULT_DOWNLOAD_HOST
#define VENTARO_DEFAULT_DOWNLOAD_HOST "download.ventaro.example"
#endif
#ifndef VENTARO_DEFAULT_MEMBER_SITE
#define VENTARO_DEFAULT_MEMBER_SITE "www.ventaro.example"
#endif
#ifndef VENTARO_DEFAULT_SWITCH_HOST
#define VENTARO_DEFAULT_SWITCH_HOST "storage.ventaro.example"
#endif

namespace webhosts {
namespace {

// Read on every call: the setting is cheap to read and tests change it at run time.
httptext::HostPort Resolve(const wchar_t* variable, std::wstring_view compiledIn) {
    httptext::HostPort out;
    wchar_t value[512];
    const DWORD n = GetEnvironmentVariableW(variable, value, 512);
    if (n > 0 && n < 512 && httptext::ParseHostPort(std::wstring_view(value, n), &out)) return out;
    if (!httptext::ParseHostPort(compiledIn, &out)) out.host.assign(compiledIn);
    return out;
}

}  // namespace

httptext::HostPort AccountApiHost() {
    return Resolve(L"VENTARO_ACCOUNT_HOST", L"" VENTARO_DEFAULT_ACCOUNT_HOST);
}
httptext::HostPort DownloadHost() {
    return Resolve(L"VENTARO_DOWNLOAD_HOST", L"" VENTARO_DEFAULT_DOWNLOAD_HOST);
}
httptext::HostPort MemberSiteHost() { return Resolve(L"VENTARO_MEMBER_SITE", L"" VENTARO_DEFAULT_MEMBER_SITE); }
httptext::HostPort SwitchHost() { return Resolve(L"VENTARO_SWITCH_HOST", L"" VENTARO_DEFAULT_SWITCH_HOST); }

std::wstring MemberSiteAddress(std::wstring_view page) {
    const httptext::HostPort site = MemberSiteHost();
    std::wstring address = L"http://" + site.host;
    if (site.port != 80) address += L":" + std::to_wstring(site.port);
    address += L"/";
    address += page;
    return address;
}

httptext::HostPort ServedHost(std::wstring_view text) {
    httptext::HostPort out;
    if (!httptext::ParseHostPort(text, &out)) out.host.assign(text);
    return out;
}

}  // namespace webhosts
