#pragma once
// The controller's report transport on a file handle opened for overlapped
// I/O: the HID interface of the real controller, or a message-mode named
// pipe standing in for it. Every read and write waits at most its time-out;
// a read still pending then is cancelled and its completion collected, so the
// buffer is never written after the call returns.
#include <memory>
#include <string>

#include "OVReportTransport.h"

// Opens `path` for reading and writing, unshared, overlapped. Null when the
// open fails; *lastError (if given) receives the system error code.
std::unique_ptr<COVReportTransport> OpenHidReportTransport(const std::wstring& path, unsigned long* lastError = nullptr);
