#pragma once
// What this process holds at named points of its life (start-up steps,
// showing, hiding), for the memory benchmark: one line per point appended
// to the file named by VENTARO_MEMORY_LOG,
//   name <TAB> private bytes <TAB> working set bytes
// Without that setting nothing is measured or written.
#include <cstdint>

struct MemoryFigures {
    uint64_t privateBytes = 0;  // committed memory of this process alone
    uint64_t workingSet = 0;
};

// This process's figures now. Wine leaves PrivateUsage at 0 and counts the
// touched private memory as PagefileUsage, which Windows keeps equal to it.
MemoryFigures OwnMemoryFigures();

// Appends the figures under name when the setting is there; any thread.
void MemoryStage(const wchar_t* name);
