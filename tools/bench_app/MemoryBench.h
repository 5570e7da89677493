#pragma once
// bench_app's memory figures (MemoryBench.cpp).
#include <windows.h>

#include <string>

struct MemoryReading {
    double privateMb = -1, workingSetMb = -1;
    double sharedMb = -1;  // Unix shared memory (Wine's window surfaces), -1 when unknown
};

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileText(const std::wstring& path);
// A "Field:  N kB" line of procDir's status file in MB; -1 when missing.
double StatusMb(const std::wstring& procDir, const char* field);

// The /proc folder (Z:\proc\PID\) of the Unix process whose command line
// holds marker; empty when the Unix process table is out of reach.
std::wstring UnixProcessDir(const std::string& marker);
// From procDir when known, else from Windows' counters.
MemoryReading ReadMemory(HANDLE process, const std::wstring& procDir);
// bench_app --bare-window / --bare-gdiplus: a plain window (with GDI+
// started) until ended, the process MeasureBareWindow measures.
int RunBareWindow(bool withGdiplus);
MemoryReading MeasureBareWindow(bool withGdiplus);
// The breakdown: the two bare processes, then Ventaro's memory log, line by line.
void PrintMemoryStages(const std::wstring& logPath, const MemoryReading& bare, const MemoryReading& bareGdiplus);
// From the tray's "show" to the next inspection dump (written right after a frame).
double ShowToFirstFrameMs(HWND window, const std::wstring& dump);
