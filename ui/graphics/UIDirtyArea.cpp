#include "UIDirtyArea.h"

#include "GdiplusInclude.h"

#include "GDIPlugCtrl.h"

CDUI_UIDirtyArea::CDUI_UIDirtyArea(CDUI_UIScene* scene, int width, int height)
    : m_scene(scene), m_pending{0, 0, width, height}, m_hasPending(!DUIRectIsEmpty(m_pending)) {}

CDUI_UIDirtyArea::~CDUI_UIDirtyArea() = default;

void CDUI_UIDirtyArea::Invalidate(const DUIRect& rect) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_enabled || !m_accepting) return;
    const DUIRect r = DUIRectClampOrigin(rect);
    if (DUIRectIsEmpty(r)) return;
    m_pending = DUIRectUnion(m_pending, r);
    if (!m_hasPending.exchange(true, std::memory_order_acq_rel) && m_pendingHook) m_pendingHook();
}

void CDUI_UIDirtyArea::SetPendingHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pendingHook = std::move(hook);
}

int CDUI_UIDirtyArea::TakeDirty() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_current = m_pending;
    m_pending = DUIRect{};
    m_hasPending.store(false, std::memory_order_release);
    return DUIRectIsEmpty(m_current) ? 0 : 1;
}

int CDUI_UIDirtyArea::ClearDirty(DUIGraphics* g) {
    if (!g) return 0;
    const DUIRect r = GetCurrent();
    if (DUIRectIsEmpty(r)) return 0;
    if (!m_clearBrush) {
        m_clearBrush = std::make_unique<CGDIPlug_BrushCtrl>();
        if (!m_clearBrush->CreateSolid(0x00FFFFFF)) {
            m_clearBrush.reset();
            return 0;
        }
    }
    const auto mode = g->GetCompositingMode();
    const auto quality = g->GetCompositingQuality();
    g->SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g->SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
    const int ok = m_clearBrush->FillRectangle(g, r);
    g->SetCompositingQuality(quality);
    g->SetCompositingMode(mode);
    return ok;
}

int CDUI_UIDirtyArea::ClipToDirty(const DUIRect& controlRect, DUIRect* visible) const {
    const DUIRect clip = DUIRectIntersect(GetCurrent(), controlRect);
    if (visible) *visible = clip;
    return DUIRectIsEmpty(clip) ? 0 : 1;
}

void CDUI_UIDirtyArea::ResetCurrent() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_current = DUIRect{};
}

DUIRect CDUI_UIDirtyArea::GetPending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pending;
}

DUIRect CDUI_UIDirtyArea::GetCurrent() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_current;
}

void CDUI_UIDirtyArea::SetEnabled(int enabled) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enabled = enabled ? 1 : 0;
}

int CDUI_UIDirtyArea::GetEnabled() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_enabled;
}

void CDUI_UIDirtyArea::SetAccepting(int accepting) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_accepting = accepting ? 1 : 0;
}

int CDUI_UIDirtyArea::GetAccepting() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_accepting;
}
