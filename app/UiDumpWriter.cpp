#include "UiDumpWriter.h"

#include <cstdio>

#include "controls/DUI_TextEdit.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_UICollection.h"
#include "scene/DUI_UIScene.h"

namespace {

int TakesChecked(const std::wstring& kind) {
    return kind == L"OptionButton" || kind == L"CheckBox" || kind == L"PushButton";
}

void Collect(CDUI_UIControl* control, int parentVisible, std::vector<UiDumpRow>* rows) {
    if (!control->IsCollection()) return;
    for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(control)->GetChildren()) {
        if (!child) continue;
        UiDumpRow row;
        row.id = child->GetId();
        row.kind = child->GetKindName();
        row.style = child->GetStyleName();
        const DUI_Rect rect = child->GetAbsoluteRect();
        row.x = rect.x;
        row.y = rect.y;
        row.width = rect.width;
        row.height = rect.height;
        row.visible = parentVisible && child->GetVisible() && child->GetShown() ? 1 : 0;
        row.enabled = child->GetEnabled() ? 1 : 0;
        row.checked = TakesChecked(row.kind) && child->GetChecked() ? 1 : 0;
        row.text = child->GetText();
        // A password never leaves the program through a diagnostic file.
        if (auto* edit = dynamic_cast<CDUI_TextEdit*>(child); edit && edit->GetPassword())
            row.text.assign(row.text.size(), L'*');
        const int visible = row.visible;
        rows->push_back(std::move(row));
        Collect(child, visible, rows);
    }
}

}  // namespace

std::vector<UiDumpRow> CollectDumpRows(CDUI_UIControl* root) {
    std::vector<UiDumpRow> rows;
    if (!root) return rows;
    CDUI_ParamLock lock(root);
    if (!lock.Ok()) return rows;
    Collect(root, root->GetVisible() && root->GetShown(), &rows);
    return rows;
}

namespace {

uint64_t NowSystemMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return ((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

}  // namespace

CUiDumpWriter::CUiDumpWriter(CDUI_UIScene* scene, std::wstring path) : m_scene(scene), m_path(std::move(path)) {}

CUiDumpWriter::~CUiDumpWriter() { Stop(); }

std::unique_ptr<CUiDumpWriter> CUiDumpWriter::FromEnvironment(CDUI_UIScene* scene) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(kUiDumpVariable, path, static_cast<DWORD>(std::size(path)));
    if (!scene || length == 0 || length >= std::size(path)) return nullptr;
    return std::make_unique<CUiDumpWriter>(scene, std::wstring(path, length));
}

int CUiDumpWriter::Start() {
    if (m_changed) return 1;
    m_changed.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_changed || !m_stop) {
        m_changed.Reset();
        return 0;
    }
    return 1;
}

int CUiDumpWriter::StartThread() {
    // The thread before has said it ends; it only has to return.
    if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset(CreateThread(nullptr, 0, &CUiDumpWriter::ThreadMain, this, 0, nullptr));
    if (m_thread) return 1;
    std::lock_guard<std::mutex> guard(m_textLock);
    m_live = false;  // the next change tries again
    return 0;
}

void CUiDumpWriter::Stop() {
    if (m_stop) SetEvent(m_stop.Get());
    if (m_thread) {
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
    }
    std::lock_guard<std::mutex> guard(m_textLock);
    m_live = false;
}

void CUiDumpWriter::NotifyPainted() {
    std::vector<UiDumpRow> rows;
    Collect(m_scene, m_scene->GetVisible() && m_scene->GetShown(), &rows);
    m_painted.clear();
    for (const UiDumpRow& row : rows) m_painted += FormatDumpLine(row);
}

void CUiDumpWriter::NotifyFrame() {
    const uint64_t presentedAt = NowSystemMs();
    ++m_frames;
    // Nothing the dump shows changed (and the window was not just shown).
    if (m_painted == m_rows && m_shownFrame && !m_stampNext.exchange(false)) return;
    m_rows = m_painted;
    m_shownFrame = m_frames;
    m_shownAtMs = presentedAt;
    // The first line gives the drawing scale: the rows are in logical units,
    // a control's pixels in the window are its rectangle times the scale.
    char head[96];
    std::snprintf(head, sizeof head, "# scale %.6g\n# frame %llu %llu\n", m_scene->GetScale(),
                  static_cast<unsigned long long>(m_shownFrame), static_cast<unsigned long long>(m_shownAtMs));
    bool start = false;
    {
        std::lock_guard<std::mutex> guard(m_textLock);
        m_text = head + m_rows;
        ++m_version;
        start = m_changed && !m_live && WaitForSingleObject(m_stop.Get(), 0) == WAIT_TIMEOUT;
        if (start) m_live = true;
    }
    if (m_changed) SetEvent(m_changed.Get());
    if (start) StartThread();
}

DWORD WINAPI CUiDumpWriter::ThreadMain(void* param) {
    static_cast<CUiDumpWriter*>(param)->Run();
    return 0;
}

void CUiDumpWriter::Run() {
    HANDLE waits[2] = {m_stop.Get(), m_changed.Get()};
    ULONGLONG lastWrite = 0;
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, kIdleEndMs);
        if (woken == WAIT_TIMEOUT) {
            // Nothing changed for a while: end, unless a change came just now.
            std::lock_guard<std::mutex> guard(m_textLock);
            if (m_text.empty() || m_version == m_written) {
                m_live = false;
                return;
            }
        } else if (woken != WAIT_OBJECT_0 + 1) {
            return;
        }
        // Frames that come while this wait runs are taken in by this write.
        const ULONGLONG now = GetTickCount64();
        if (lastWrite && now < lastWrite + kUiDumpMinIntervalMs) {
            if (WaitForSingleObject(m_stop.Get(), static_cast<DWORD>(lastWrite + kUiDumpMinIntervalMs - now)) !=
                WAIT_TIMEOUT)
                return;
        }
        // A reader holding the file open makes the replacement fail; the
        // dump is written only when the screen changes, so it is tried again
        // shortly rather than left stale until the next change.
        while (!WriteNow() && Unwritten()) {
            if (WaitForSingleObject(m_stop.Get(), kRetryMs) != WAIT_TIMEOUT) return;
        }
        lastWrite = GetTickCount64();
    }
}

int CUiDumpWriter::Unwritten() {
    std::lock_guard<std::mutex> guard(m_textLock);
    return !m_text.empty() && m_version != m_written;
}

int CUiDumpWriter::WriteNow() {
    std::string text;
    uint64_t version = 0;
    {
        std::lock_guard<std::mutex> guard(m_textLock);
        if (m_text.empty() || m_version == m_written) return 0;
        text = m_text;
        version = m_version;
    }
    const std::wstring temp = m_path + L".tmp";
    FILE* file = _wfopen(temp.c_str(), L"wb");
    if (!file) return 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || !MoveFileExW(temp.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temp.c_str());
        return 0;
    }
    {
        std::lock_guard<std::mutex> guard(m_textLock);
        m_written = version;
    }
    ++m_writes;
    return 1;
}
