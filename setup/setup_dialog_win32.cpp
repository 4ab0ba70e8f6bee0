// The setup dialog on Win32: dialog 101 of the program's resources, made
// modeless by CreateSetupDialog. What it shows and what OK stores come from
// setup_dialog_logic; the dialog procedure only moves values between it and
// the controls. OK and Cancel (also Esc and the close box, through the
// dialog manager) post WM_QUIT; PumpSetupDialog turns that into the quit
// request of the host's setup loop and destroys the dialog.
//
// Implemented / Missing (setup/setup_dialog.h on Win32):
//   [x] dialog 101: photo source (gallery list, or a folder picked with the
//       common item dialog in folder mode), cache line and "Clear cache"
//       after a yes/no question, refusals in warning boxes,
//       gallery list, weather and new-version check boxes,
//       location label and "Change" (dialog 132, location_dialog_win32.cpp),
//       new-version notice with the system's warning icon, "Home Website"
//       (ShellExecuteW; the README beside the saver without --site),
//       OK/Cancel/Esc/close box
//   [x] owner from /C:HWND when that window exists
//   [x] messages through IsDialogMessageW, WM_QUIT ends the loop
#include <windows.h>
// The other system headers need windows.h first.
#include <shellapi.h>
#include <shobjidl.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/process_state.h"
#include "net/endpoints.h"
#include "setup/dialog_win32.h"
#include "setup/location_dialog_win32.h"
#include "setup/location_search.h"
#include "setup/setup_dialog.h"
#include "setup/setup_dialog_logic.h"

namespace {
constexpr int kSetupDialogId = 101;
constexpr int kProgramIconId = 129;
constexpr int kProgramIconSize = 48;
constexpr int kGalleryId = 1001;
constexpr int kHomeWebsiteId = 1002;
constexpr int kProgramIconControl = 1000;
constexpr int kNewVersionIcon = 1004;
constexpr int kNewVersionMessage = 1005;
constexpr int kShowWeatherId = 1010;
constexpr int kChangeId = 1012;
constexpr int kShowNewVersionId = 1013;
constexpr int kLocationCaptionId = 1014;
constexpr int kLocationNameId = 1015;
constexpr int kCelsiusId = 1019;
constexpr int kFahrenheitId = 1020;
constexpr int kSourceGalleryId = 1021;
constexpr int kSourceFolderId = 1022;
constexpr int kFolderNameId = 1023;
constexpr int kChooseFolderId = 1024;
constexpr int kCacheLineId = 1025;
constexpr int kClearCacheId = 1026;
constexpr int kShowTitlesId = 1027;
constexpr int kBlurEdgesId = 1028;
constexpr int kGentleMotionId = 1029;
constexpr int kDownloadAnywayId = 1030;
// The template's texts hold "%s" where a version goes; 1005 starts empty.
constexpr char16_t kVersionMark[] = u"%s";
constexpr char16_t kNewVersionFormat[] =
    u"New version %s is available!\nPlease, click \"Home Website\" for upgrade details.";

// The dialog's thread only. Set while the dialog exists.
struct SetupDialogState {
    HWND dialog = nullptr;
    HICON programIcon = nullptr;  // made by LoadImageW, released with the dialog
    std::u16string folder;        // the folder shown; empty when none
};
SetupDialogState g_setup;

std::u16string WithVersion(std::u16string text, const std::u16string& version) {
    if (auto at = text.find(kVersionMark); at != std::u16string::npos)
        text.replace(at, std::char_traits<char16_t>::length(kVersionMark), version);
    return text;
}

// The about text has no id of its own: it is the static that holds the mark.
void FillAboutText(HWND dialog, const std::u16string& version) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        std::u16string text = WindowText(c);
        if (text.find(kVersionMark) != std::u16string::npos) {
            SetWindowTextW(c, Wide(WithVersion(text, version)));
            return;
        }
    }
}

void EnableLocation(HWND dialog, bool on) {
    for (int id : {kLocationCaptionId, kLocationNameId, kChangeId, kCelsiusId, kFahrenheitId})
        EnableWindow(GetDlgItem(dialog, id), on);
}

bool Ticked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// Shows the photo source chosen: the gallery list, or the folder and its picker.
void EnableSource(HWND dialog, bool folder) {
    EnableWindow(GetDlgItem(dialog, kGalleryId), !folder);
    for (int id : {kFolderNameId, kChooseFolderId}) EnableWindow(GetDlgItem(dialog, id), folder);
}

void ShowFolder(HWND dialog, std::u16string folder) {
    SetDlgItemTextW(dialog, kFolderNameId, Wide(FolderLabel(folder)));
    g_setup.folder = std::move(folder);
}

void ShowCacheLine(HWND dialog, const std::u16string& text, bool clearable) {
    SetDlgItemTextW(dialog, kCacheLineId, Wide(text));
    EnableWindow(GetDlgItem(dialog, kClearCacheId), clearable);
}

int AskUser(HWND dialog, std::u16string_view text, UINT kind) {
    return MessageBoxW(dialog, Wide(std::u16string(text)), Wide(kSetupMessageCaption), kind);
}

// The common item dialog in folder mode, started in `start` when it names
// one; the folder chosen, or nothing when the user cancelled or the dialog
// could not be made. Only file-system folders can be chosen: a library or
// a device without a path has none to store.
std::optional<std::u16string> PickFolder(HWND owner, const std::u16string& start) {
    // COM runs for the picker's life only. A start that finds it running
    // (S_FALSE) counts too, so every successful start is undone.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::optional<std::u16string> folder;
    IFileOpenDialog* picker = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&picker)))) {
        DWORD options = 0;
        picker->GetOptions(&options);
        picker->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        picker->SetTitle(Wide(kFolderPickerTitle));
        IShellItem* current = nullptr;
        if (!start.empty() &&
            SUCCEEDED(SHCreateItemFromParsingName(Wide(start), nullptr, IID_PPV_ARGS(&current)))) {
            picker->SetFolder(current);
            current->Release();
        }
        IShellItem* chosen = nullptr;
        if (SUCCEEDED(picker->Show(owner)) && SUCCEEDED(picker->GetResult(&chosen))) {
            PWSTR path = nullptr;
            if (SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                folder = std::u16string(reinterpret_cast<const char16_t*>(path));
                CoTaskMemFree(path);
            }
            chosen->Release();
        }
        picker->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return folder;
}

void ChooseFolder(HWND dialog) {
    std::optional<std::u16string> folder = PickFolder(dialog, g_setup.folder);
    if (!folder) return;
    if (std::u16string_view refusal = FolderRefusal(*folder); !refusal.empty())
        AskUser(dialog, refusal, MB_OK | MB_ICONWARNING);
    else
        ShowFolder(dialog, *folder);
}

void ClearCache(HWND dialog) {
    if (AskUser(dialog, kClearCacheQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    CacheLineView line = ClearCacheConfirmed();
    ShowCacheLine(dialog, line.text, line.clearable);
}

void FillControls(HWND dialog) {
    SetupDialogFill fill = FillSetupDialog();
    HWND gallery = GetDlgItem(dialog, kGalleryId);
    for (const auto& title : fill.titles)
        SendMessageW(gallery, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(title)));
    SendMessageW(gallery, CB_SETCURSEL, static_cast<WPARAM>(fill.dloption), 0);

    SetDlgItemTextW(dialog, kLocationNameId, Wide(fill.weather_loc));
    CheckDlgButton(dialog, kShowWeatherId, fill.show_weather ? BST_CHECKED : BST_UNCHECKED);
    EnableLocation(dialog, fill.locationEnabled);
    CheckRadioButton(dialog, kCelsiusId, kFahrenheitId,
                     fill.tempUnit == u'F' ? kFahrenheitId : kCelsiusId);
    CheckDlgButton(dialog, kShowNewVersionId, fill.show_newver ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kShowTitlesId, fill.show_titles ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kBlurEdgesId, fill.blur_edges ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kGentleMotionId, fill.gentle_motion ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kDownloadAnywayId, fill.downloadAnyway ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog, kSourceGalleryId, kSourceFolderId,
                     fill.useFolder ? kSourceFolderId : kSourceGalleryId);
    EnableSource(dialog, fill.useFolder);
    ShowFolder(dialog, fill.folder);
    ShowCacheLine(dialog, fill.cacheLine, fill.cacheClearable);

    g_setup.programIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                   kProgramIconSize, kProgramIconSize, LR_DEFAULTCOLOR));
    SendDlgItemMessageW(dialog, kProgramIconControl, STM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(g_setup.programIcon));
    FillAboutText(dialog, fill.version);

    HWND icon = GetDlgItem(dialog, kNewVersionIcon);
    HWND message = GetDlgItem(dialog, kNewVersionMessage);
    if (fill.newerVersion) {
        SendMessageW(icon, STM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_WARNING)));
        FixedText<100> text(WithVersion(kNewVersionFormat, fill.newver));
        SetWindowTextW(message, Wide(text.str()));
    }
    ShowWindow(icon, fill.newerVersion ? SW_SHOW : SW_HIDE);
    ShowWindow(message, fill.newerVersion ? SW_SHOW : SW_HIDE);
}

// True when OK stored the choices; a refusal is shown and the dialog stays.
bool PressOk(HWND dialog) {
    SetupDialogChoices choices;
    choices.dloption =
        static_cast<int>(SendDlgItemMessageW(dialog, kGalleryId, CB_GETCURSEL, 0, 0));
    choices.show_newver = Ticked(dialog, kShowNewVersionId);
    choices.show_titles = Ticked(dialog, kShowTitlesId);
    choices.blur_edges = Ticked(dialog, kBlurEdgesId);
    choices.gentle_motion = Ticked(dialog, kGentleMotionId);
    choices.show_weather = Ticked(dialog, kShowWeatherId);
    choices.tempUnit = Ticked(dialog, kFahrenheitId) ? u'F' : u'C';
    choices.useFolder = Ticked(dialog, kSourceFolderId);
    choices.folder = g_setup.folder;
    choices.downloadAnyway = Ticked(dialog, kDownloadAnywayId);
    const std::u16string refusal = ApplySetupDialogOk(choices, PendingLocation);
    if (refusal.empty()) return true;
    AskUser(dialog, refusal, MB_OK | MB_ICONWARNING);
    return false;
}

void ChangeLocation(HWND dialog) {
    if (auto name = LocationNameAfterChange(RunLocationDialog(dialog), PendingLocation))
        SetDlgItemTextW(dialog, kLocationNameId, Wide(*name));
}

// The installer puts the README, as text Notepad opens, beside the saver in
// the Windows folder; its name keeps it apart from other programs' files.
std::u16string InstalledReadme() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n == MAX_PATH) return {};
    std::u16string path(reinterpret_cast<const char16_t*>(self), n);
    return path.substr(0, path.find_last_of(u'\\') + 1) + u"skyreel-readme.txt";
}

INT_PTR OnCommand(HWND dialog, int id) {
    switch (id) {
        case IDOK:
            if (PressOk(dialog)) PostMessageW(dialog, WM_QUIT, 0, 0);
            return TRUE;
        case IDCANCEL:
            PostMessageW(dialog, WM_QUIT, 0, 0);
            return TRUE;
        case kHomeWebsiteId:
            // A failure to open the page is not reported.
            ShellExecuteW(nullptr, nullptr, Wide(HomeWebsiteUrl(InstalledReadme())), nullptr,
                          nullptr, SW_SHOWNORMAL);
            return TRUE;
        case kShowWeatherId:
            EnableLocation(dialog, Ticked(dialog, kShowWeatherId));
            return FALSE;
        case kChangeId:
            ChangeLocation(dialog);
            return TRUE;
        case kSourceGalleryId:
        case kSourceFolderId:
            EnableSource(dialog, Ticked(dialog, kSourceFolderId));
            return FALSE;
        case kChooseFolderId:
            ChooseFolder(dialog);
            return TRUE;
        case kClearCacheId:
            ClearCache(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            FillControls(dialog);
            return TRUE;
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        default:
            return FALSE;
    }
}

void DestroySetupDialog() {
    DestroyWindow(g_setup.dialog);
    if (g_setup.programIcon) DestroyIcon(g_setup.programIcon);
    g_setup = SetupDialogState{};
}
}  // namespace

bool CreateSetupDialog(uint64_t parent) {
    if (g_setup.dialog) return true;
    // An owner that does not exist would fail the creation: go without one.
    HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(parent));
    if (owner && !IsWindow(owner)) owner = nullptr;
    g_setup.dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSetupDialogId),
                                        owner, SetupDialogProc, 0);
    if (!g_setup.dialog) {
        // Nothing could end the setup loop otherwise.
        PostQuit(0, "the setup dialog could not be made");
        return false;
    }
    ShowWindow(g_setup.dialog, SW_SHOW);
    return true;
}

bool PumpSetupDialog() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        PostQuit(static_cast<int>(msg.wParam), "the setup dialog closed");
        DestroySetupDialog();
        return true;
    }
    if (g_setup.dialog && IsDialogMessageW(g_setup.dialog, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}
