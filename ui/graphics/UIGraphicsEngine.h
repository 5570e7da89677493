#pragma once
// The graphics engine: owns the GDI+ session of the UI engine. GDI+ starts
// before any drawing object exists and is shut down last, when this object
// goes (or at Shutdown). Only graphics mode 1 (GDI+) exists.
#include <cstdint>

class CDUI_UIGraphicsEngine {
public:
    CDUI_UIGraphicsEngine() = default;
    virtual ~CDUI_UIGraphicsEngine();
    CDUI_UIGraphicsEngine(const CDUI_UIGraphicsEngine&) = delete;
    CDUI_UIGraphicsEngine& operator=(const CDUI_UIGraphicsEngine&) = delete;

    // Starts GDI+ for graphics mode 1; 0 for any other mode or when GDI+
    // cannot start. Starting twice is harmless.
    int Startup(int graphicsMode = 1);
    void Shutdown();
    int IsStarted() const { return m_token != 0 ? 1 : 0; }
    int GetGraphicsMode() const { return m_mode; }

private:
    std::uintptr_t m_token = 0;
    int m_mode = 0;
};
