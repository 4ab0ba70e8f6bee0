// The location dialog on Win32. A search runs on a background thread; the
// controls are touched only by the dialog's thread, so the search thread
// posts its outcome to the dialog (kSearchEndedMessage, a heap-owned
// SearchOutcome) and the dialog procedure hands it to SearchEnded. A dialog
// that closes while its search runs clears the record's window under the
// record's lock, so the thread never posts to a vanished (or reused)
// handle, and it deletes the outcomes still queued for it. Each search
// downloads into a file of its own (NextSearchDownloadPath), so a reopened
// dialog can search at once while an earlier search still runs.
//
// Implemented / Missing (location dialog on Win32): see location_dialog_win32.h.
#include "setup/location_dialog_win32.h"

#include <memory>
#include <mutex>
#include <string>

#include "base/process_state.h"
#include "setup/dialog_win32.h"
#include "setup/location_search.h"
#include "weather/weather_feed.h"

namespace {
constexpr int kLocationDialogId = 132;
constexpr int kSearchTextId = 1017;
constexpr int kPlacesId = 1015;
constexpr int kSearchId = 1016;
constexpr int kPlaceCreditId = 1018;

struct SearchRecord {
    // Written by the dialog's thread before the thread starts; read-only after.
    std::u16string query;
    PathText downloadPath;
    // The dialog waiting for the outcome, null once it is gone. Guarded by
    // `lock`: the dialog clears it, the thread posts to it while holding it.
    std::mutex lock;
    HWND dialog = nullptr;
};

// The dialog's thread only; lives from WM_INITDIALOG to WM_DESTROY.
struct LocationDialog {
    HWND window = nullptr;
    LocationDialogState state;
    std::shared_ptr<SearchRecord> search;  // the running search, if any
};

std::u16string SelectedLine(HWND dialog) {
    HWND list = GetDlgItem(dialog, kPlacesId);
    LRESULT at = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (at == LB_ERR) return {};
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, at, 0);
    if (length == LB_ERR) return {};
    std::u16string line(static_cast<std::size_t>(length) + 1, u'\0');
    SendMessageW(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<std::size_t>(length));
    return line;
}

void ShowView(LocationDialog* d) {
    const LocationDialogView& view = d->state.view;
    HWND list = GetDlgItem(d->window, kPlacesId);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& line : view.lines)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line)));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(view.selected), 0);
    HWND search = GetDlgItem(d->window, kSearchId);
    // A disabled button would keep the keyboard: it goes back to the search text.
    if (!view.searchEnabled && GetFocus() == search)
        SendMessageW(d->window, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetDlgItem(d->window, kSearchTextId)), TRUE);
    EnableWindow(GetDlgItem(d->window, IDOK), view.okEnabled);
    EnableWindow(search, view.searchEnabled);
}

void StartSearch(LocationDialog* d, std::u16string query) {
    auto search = std::make_shared<SearchRecord>();
    search->query = std::move(query);
    if (!NextSearchDownloadPath(search->downloadPath)) search->downloadPath.Clear();
    search->dialog = d->window;
    d->search = search;
    auto deliver = [search](std::unique_ptr<SearchOutcome> outcome) {
        std::lock_guard<std::mutex> lock(search->lock);
        if (!search->dialog) return;  // the dialog is gone: the outcome is dropped
        SearchOutcome* posted = outcome.release();
        if (!PostMessageW(search->dialog, kSearchEndedMessage, 0, reinterpret_cast<LPARAM>(posted)))
            delete posted;
    };
    const bool started = StartBackgroundThread([search, deliver] {
        deliver(std::make_unique<SearchOutcome>(
            RunLocationSearch(search->query, search->downloadPath.view())));
    });
    // No thread: the search failed as a lost connection does, by the same road.
    if (!started) deliver(std::make_unique<SearchOutcome>());
}

// Carries out a step of the dialog's logic.
void Apply(LocationDialog* d, const LocationDialogStep& step) {
    if (step.viewChanged) ShowView(d);
    if (step.warnEmptySearch)
        MessageBoxW(d->window, reinterpret_cast<const wchar_t*>(kEmptySearchMessage),
                    reinterpret_cast<const wchar_t*>(kEmptySearchCaption), MB_OK | MB_ICONWARNING);
    if (step.query) StartSearch(d, *step.query);
    if (step.end) EndDialog(d->window, *step.end == LocationDialogEnd::Taken ? IDOK : IDCANCEL);
}

void OnSearchEnded(LocationDialog* d, std::unique_ptr<SearchOutcome> outcome) {
    d->search.reset();
    Apply(d, SearchEnded(d->state, *outcome));
}

// The dialog goes: no outcome may reach it any more, and those already
// queued are released.
void Forget(LocationDialog* d) {
    if (d->search) {
        std::lock_guard<std::mutex> lock(d->search->lock);
        d->search->dialog = nullptr;
    }
    MSG queued;
    while (PeekMessageW(&queued, d->window, kSearchEndedMessage, kSearchEndedMessage, PM_REMOVE))
        delete reinterpret_cast<SearchOutcome*>(queued.lParam);
    delete d;
}

INT_PTR OnCommand(LocationDialog* d, int id, int code) {
    switch (id) {
        case kSearchId:
            Apply(d, PressSearch(d->state, WindowText(GetDlgItem(d->window, kSearchTextId))));
            return FALSE;
        case IDOK:
            Apply(d, PressOk(d->state, SelectedLine(d->window), PendingLocation));
            return TRUE;
        case IDCANCEL:
            Apply(d, PressCancel(d->state));
            return TRUE;
        case kPlacesId:
            // A double click acts as OK, even while OK is disabled.
            if (code == LBN_DBLCLK) PostMessageW(d->window, WM_COMMAND, IDOK, 0);
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK LocationDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<LocationDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            d = new LocationDialog;
            d->window = hwnd;
            SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
            ShowWindow(GetDlgItem(hwnd, kPlaceCreditId),
                       ChosenWeatherProvider == WeatherProvider::OpenMeteo ? SW_SHOW : SW_HIDE);
            ShowView(d);
            return TRUE;
        case WM_COMMAND:
            return d ? OnCommand(d, LOWORD(wParam), HIWORD(wParam)) : FALSE;
        case kSearchEndedMessage: {
            std::unique_ptr<SearchOutcome> outcome(reinterpret_cast<SearchOutcome*>(lParam));
            if (d) OnSearchEnded(d, std::move(outcome));
            return TRUE;
        }
        case WM_DESTROY:
            if (d) Forget(d);
            SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            return FALSE;
        default:
            return FALSE;
    }
}
}  // namespace

LocationDialogEnd RunLocationDialog(HWND owner) {
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kLocationDialogId),
                                     owner, LocationDialogProc, 0);
    return result == IDOK ? LocationDialogEnd::Taken : LocationDialogEnd::Cancelled;
}
