#pragma once
// One form request to the account API host, the way every account operation
// (and the firmware version request) runs it over CHTTPClientWTPCtrl.
#include <cstdint>
#include <string>

namespace account {

// Replies are read whole up to this bound; a longer one is not a reply.
inline constexpr uint32_t kReplyLimit = 1u << 20;
// Each step of a request (name resolution, connection, sending, receiving)
// gives up after this long.
inline constexpr int32_t kRequestTimeoutMs = 5000;
// The whole of one request (or one download) ends after this long, however
// its steps go: a host that trickles bytes never lets a step time out. The
// request then counts as failed.
inline constexpr uint32_t kRequestDeadlineMs = 15000;

// POSTs body (Content-Type application/x-www-form-urlencoded) to path on the
// account API host. Returns 1 with the whole body in *reply when a non-empty
// body of at most kReplyLimit bytes was read. *overLimit (optional) is set to
// 1 when the body was longer than that.
int PostAccountForm(const std::wstring& path, const std::string& body, std::string* reply, int* overLimit = nullptr);

}  // namespace account
