#pragma once
// A program folder and a data folder for the record-store suites. The
// program folder gets copies of the shipped .dat files from build/bin.
#include <string>

#include "StorageTestFiles.h"

namespace storagetest {

inline std::wstring ShippedFile(const wchar_t* name) { return testpaths::BinaryDir() + L"\\bin\\" + name; }

struct StoreFolders {
    std::wstring program = testpaths::MakeTempDir(L"program");
    std::wstring data = testpaths::MakeTempDir(L"data");

    // Copies a shipped default file into the program folder.
    bool Ship(const wchar_t* name) const {
        return CopyFileW(ShippedFile(name).c_str(), (program + name).c_str(), FALSE) != 0;
    }
    bool ShipBoth() const { return Ship(L"LightSetConfig.dat") && Ship(L"GameTaskConfig.dat"); }
};

}  // namespace storagetest
