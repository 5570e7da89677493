#pragma once
// The change-password page: old password, new password, new password again,
// and the confirm button.
#include "AccountPageKit.h"
#include "ClientPages.h"
#include "WorkerTask.h"

class CDUI_UIScene;

class CUserPassPage : public IClientPage {
public:
    enum : int32_t {
        kIdWindow = 7500,
        kIdOldBox = 7510,
        kIdNewBox = 7520,
        kIdAgainBox = 7530,
        kIdConfirmButton = 7540,
    };

    // resource, scene, host: borrowed, outlive the page.
    CUserPassPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CUserPassPage() override;

    int Create() override;
    void Show() override;
    void Hide() override;
    void Shutdown() override;

    CAccountPageKit& Kit() { return kit_; }

    // The handlers, as the controls run them.
    void OnConfirm();
    void OnClose();

private:
    // Builds the controls; 0 when the skin lacks a style the page needs.
    int Build();
    // Leaves a running request behind: its late answer is dropped.
    void DropRequest();
    IClientHost* host_ = nullptr;  // borrowed
    CAccountPageKit kit_;
    // Owned by the page window:
    CDUI_TextEdit* oldBox_ = nullptr;
    CDUI_TextEdit* newBox_ = nullptr;
    CDUI_TextEdit* againBox_ = nullptr;
    CDUI_Button* confirmButton_ = nullptr;
    CWorkerTask request_;  // last: dropped before anything its answer would touch
};
