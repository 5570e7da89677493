#pragma once
// A profile file that no longer reads as what it should be (a power cut
// during a write, a disk error, a bad copy) is never deleted or written over:
// it is renamed beside itself to "<name>.damaged-YYYYMMDD-HHMM", byte for
// byte, so that nothing a user made is lost and the program can start again
// from its defaults.
#include <string>

namespace damagedfile {

// A local date and time to the minute.
struct Stamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// "<path>.damaged-20261208-1530" for attempt 1; later attempts (a name that
// is taken) append "-2", "-3", ...
std::wstring AsideName(const std::wstring& path, const Stamp& stamp, int attempt);

}  // namespace damagedfile

// Renames the damaged file at path to its aside name for the local time now,
// never replacing a file that exists. 1 and *keptAs = the new path; 0 when it
// could not be renamed (nothing changed then). A file marked read-only is
// left alone: somebody wanted it kept exactly where and as it is.
int SetDamagedFileAside(const std::wstring& path, std::wstring* keptAs);
