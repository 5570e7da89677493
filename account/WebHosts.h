#pragma once
// Where the maker's web services live: deployment settings. Each host is
// compiled in (CMake cache variables VENTARO_ACCOUNT_HOST, ...) and can be
// overridden at run time by the environment variable of the same name, whose
// value is "host" or "host:port" (port 80 when none is given). A value that
// does not parse falls back to the compiled-in host.
#include <string>
#include <string_view>

#include "HttpText.h"

namespace webhosts {

// The account API (account requests, firmware version request).
httptext::HostPort AccountApiHost();
// The download host (the update description file).
httptext::HostPort DownloadHost();
// The member web site (registration and password pages in the browser).
httptext::HostPort MemberSiteHost();
// The object-storage host (the remote switch file).
httptext::HostPort SwitchHost();

// "http://" + member site (":port" only when not 80) + "/" + page, for
// pages such as "index.php?mod=login&fun=register".
std::wstring MemberSiteAddress(std::wstring_view page);

// A host named in a reply ("H" or "H:port"): its port, or 80 with the text
// taken whole as the host when it does not parse.
httptext::HostPort ServedHost(std::wstring_view text);

}  // namespace webhosts
