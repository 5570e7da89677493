#include "UpdateChecks.h"

#include <cstdio>
#include <memory>

#include "AccountRequest.h"
#include "HTTPClientWTPCtrl.h"
#include "UpdateRules.h"
#include "WebHosts.h"

namespace {

// The whole file; 0 when it cannot be read. The description is small.
int ReadWholeFile(const std::wstring& path, std::string* bytes) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return 0;
    std::unique_ptr<FILE, int (*)(FILE*)> owner(f, &std::fclose);
    char chunk[4096];
    bytes->clear();
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        bytes->append(chunk, got);
        if (bytes->size() > (4u << 20)) return 0;
    }
    return std::ferror(f) ? 0 : 1;
}

}  // namespace

SoftwareCheckResult CheckSoftwareUpdate(const std::wstring& programFolder, std::wstring* newVersion) {
    const std::wstring local = programFolder + updaterules::kDescriptionFile;
    const httptext::HostPort host = webhosts::DownloadHost();
    auto client = std::make_unique<CHTTPClientWTPCtrl>();
    int fetched = 0;
    // The silent check runs on the window's thread: a host that never
    // answers must not freeze the window and the tray.
    if (client->Open() &&
        client->SetTimeouts(account::kRequestTimeoutMs, account::kRequestTimeoutMs, account::kRequestTimeoutMs)) {
        fetched = client->Connect(host.host, host.port) &&
                  client->DownloadToFile(updaterules::kDescriptionPath, local, 0);
        client->CloseConnection();
    }
    client->Close();
    if (!fetched) return SoftwareCheckResult::Failed;

    std::string xml;
    if (!ReadWholeFile(local, &xml)) return SoftwareCheckResult::Failed;
    switch (updaterules::FindNewerVersion(xml, newVersion)) {
    case updaterules::DescriptionResult::Newer:
        return SoftwareCheckResult::Newer;
    case updaterules::DescriptionResult::NoUpdate:
        return SoftwareCheckResult::UpToDate;
    default:
        return SoftwareCheckResult::Failed;
    }
}

int QueryNewFirmware(uint32_t* version, std::wstring* address) {
    std::string reply;
    if (!account::PostAccountForm(updaterules::kFirmwareVersionPath, updaterules::kFirmwareVersionBody, &reply))
        return 0;
    return updaterules::ParseFirmwareReply(reply, version, address);
}
