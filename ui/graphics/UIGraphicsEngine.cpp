#include "UIGraphicsEngine.h"

#include "GdiplusInclude.h"

CDUI_UIGraphicsEngine::~CDUI_UIGraphicsEngine() { Shutdown(); }

int CDUI_UIGraphicsEngine::Startup(int graphicsMode) {
    if (graphicsMode != 1) return 0;
    if (m_token) return 1;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 0;
    m_token = token;
    m_mode = graphicsMode;
    return 1;
}

void CDUI_UIGraphicsEngine::Shutdown() {
    if (!m_token) return;
    Gdiplus::GdiplusShutdown(m_token);
    m_token = 0;
    m_mode = 0;
}
