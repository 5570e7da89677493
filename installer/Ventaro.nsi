; Ventaro's installer: per machine into Program Files\Ventaro, Chinese pages,
; /S for a silent install and uninstall. installer/CMakeLists.txt (target
; ventaro_package) hands makensis VERSION, VERSION_QUAD, ICON, OUT_FILE and
; FILES_NSH (the shipped files, listed once there).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include "${FILES_NSH}"

!define PRODUCT "Ventaro"
!define PUBLISHER "Orvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ventaro"
; The value Ventaro writes itself at every start (ApplicationEnv.cpp), so the
; program and the installer agree on it.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Ventaro"
!define UNINSTALLER "uninst.exe"
; The tray menu's 退出 (ID_EXIT in app/AppCommands.h) and the window it goes to.
!define ID_EXIT 7002
!define WINDOW_CLASS "VentaroClass"
!define WINDOW_TITLE "Ventaro"
; How long a running copy gets to end after it was asked.
!define CLOSE_WAIT_MS 15000

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\Ventaro"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright © 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "Ventaro 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"

Var DesktopShortcut  ; 1: put Ventaro.lnk on the desktop
Var StartWithWindows ; 1: write the Run value
Var DesktopBox
Var StartBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "程序文件总会删除。勾选“我的数据”会同时删除设置、灯光主题和游戏模式;不勾选则保留,重新安装后仍可使用。"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

; Asks a running Ventaro to exit the way its tray menu's 退出 does (the
; command posted to its window) and waits a bounded time for its process to
; end (an exit may wait for a firmware flash). It is never ended by force:
; when it stays, the user may retry or cancel; a silent run gives up (exit
; code 2) and leaves everything as it was.
!macro CLOSE_VENTARO UN
Function ${UN}CloseVentaro
    Push $0
    Push $1
    Push $2
    ${Do}
        FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        DetailPrint "正在退出 Ventaro..."
        System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
        System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
        ${Do}
            System::Call "user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${ID_EXIT}, p 0)"
            ${If} $2 P<> 0
                System::Call 'kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r1'
            ${Else}
                ; No handle on the process: wait for its window to go.
                StrCpy $1 0
                ${DoWhile} $1 < ${CLOSE_WAIT_MS}
                    System::Call 'user32::IsWindow(p r0) i .r1'
                    ${If} $1 = 0
                        ${Break}
                    ${EndIf}
                    Sleep 250
                    IntOp $1 $1 + 250
                ${Loop}
            ${EndIf}
            ${If} $1 = 0
                ${Break}
            ${EndIf}
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Ventaro 仍在运行,请先退出 Ventaro 再继续。" /SD IDCANCEL IDRETRY +2
            Abort
        ${Loop}
        ${If} $2 P<> 0
            System::Call 'kernel32::CloseHandle(p r2)'
        ${EndIf}
    ${Loop}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_VENTARO ""
!insertmacro CLOSE_VENTARO "un."

Function .onInit
    SetRegView 64
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "安装 Ventaro 需要管理员权限。" /SD IDOK
        SetErrorLevel 740
        Quit
    ${EndIf}
    StrCpy $DesktopShortcut 1
    StrCpy $StartWithWindows 1
    ; An upgrade keeps the choices made at the last installation.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $0 != ""
        ${IfNot} ${FileExists} "$DESKTOP\Ventaro.lnk"
            StrCpy $DesktopShortcut 0
        ${EndIf}
        ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
        ${If} $0 == ""
            StrCpy $StartWithWindows 0
        ${EndIf}
    ${EndIf}
FunctionEnd

Function OptionsPage
    !insertmacro MUI_HEADER_TEXT "附加选项" "选择安装 Ventaro 时要执行的附加任务。"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateCheckbox} 0 0 100% 12u "在桌面创建快捷方式"
    Pop $DesktopBox
    ${NSD_SetState} $DesktopBox $DesktopShortcut
    ${NSD_CreateCheckbox} 0 18u 100% 12u "开机时自动启动 Ventaro(在通知区域运行)"
    Pop $StartBox
    ${NSD_SetState} $StartBox $StartWithWindows
    ${NSD_CreateLabel} 0 44u 100% 24u "开始菜单中的 Ventaro 快捷方式总会创建。"
    Pop $0
    nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
    ${NSD_GetState} $DesktopBox $DesktopShortcut
    ${NSD_GetState} $StartBox $StartWithWindows
FunctionEnd

Section "Ventaro"
    SectionIn RO
    SetRegView 64
    SetShellVarContext all
    Call CloseVentaro

    ; Only program files: the user's data folder (%LOCALAPPDATA%\Ventaro)
    ; is the program's own business and is left as it is.
    SetOutPath "$INSTDIR"
    SetOverwrite on
    !insertmacro VENTARO_INSTALL_FILES
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateShortcut "$SMPROGRAMS\Ventaro.lnk" "$INSTDIR\Ventaro.exe" "" "$INSTDIR\Ventaro.exe" 0
    ${If} $DesktopShortcut == ${BST_CHECKED}
        CreateShortcut "$DESKTOP\Ventaro.lnk" "$INSTDIR\Ventaro.exe" "" "$INSTDIR\Ventaro.exe" 0
    ${Else}
        Delete "$DESKTOP\Ventaro.lnk"
    ${EndIf}
    ${If} $StartWithWindows == ${BST_CHECKED}
        WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Ventaro.exe" auto'
    ${Else}
        DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ventaro.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "un.Ventaro 程序" UnProgram
    SectionIn RO
    SetRegView 64
    SetShellVarContext all
    Call un.CloseVentaro

    !insertmacro VENTARO_DELETE_FILES
    ; What the program itself leaves in its folder: the update description,
    ; a crash dump and the updaters' folders.
    Delete "$INSTDIR\Refrescor.xml"
    Delete "$INSTDIR\Ventaro.exe.dmp"
    RMDir /r "$INSTDIR\Tools"
    RMDir /r "$INSTDIR\Temp"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Never recursive: the folder may have been chosen by hand.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Ventaro.lnk"
    Delete "$DESKTOP\Ventaro.lnk"
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Unticked by default: settings, themes and game modes stay for a later
; installation.
Section /o "un.我的数据(设置、灯光主题、游戏模式)" UnData
    SetShellVarContext current
    RMDir /r "$LOCALAPPDATA\Ventaro"
    SetShellVarContext all
SectionEnd
