// A stand-in for the screensaver host's preview box, for wine_preview_test:
//   preview_host SCR SITE
// makes a 400 x 300 popup at (100, 80), starts SCR with "/P <its HWND>
// --site SITE", prints "child W H" with the client size of the saver's
// window once that window is inside it, keeps
// it for kShowMillis, destroys it and prints "exit <code> <ms>": the
// saver's exit code and how long it took to end after the parent went
// (code -1 when it had not ended within kEndMillis).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
constexpr int kLeft = 100, kTop = 80, kWidth = 400, kHeight = 300;
constexpr DWORD kChildMillis = 30000;
constexpr DWORD kShowMillis = 8000;
constexpr DWORD kEndMillis = 10000;

void PumpFor(DWORD millis) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < millis) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SkyreelPreviewHost";
    if (!RegisterClassW(&wc)) return 3;
    HWND parent =
        CreateWindowExW(0, wc.lpszClassName, L"preview", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                        kLeft, kTop, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    if (!parent) return 3;

    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" /P " +
                           std::to_wstring(reinterpret_cast<uintptr_t>(parent)) + L" --site " +
                           argv[2];
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 4;
    CloseHandle(pi.hThread);

    const DWORD start = GetTickCount();
    while (!FindWindowExW(parent, nullptr, L"VelmoraSkyreel", nullptr) &&
           GetTickCount() - start < kChildMillis)
        PumpFor(50);
    if (!FindWindowExW(parent, nullptr, L"VelmoraSkyreel", nullptr)) {
        std::printf("no child\n");
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    RECT client{};
    GetClientRect(FindWindowExW(parent, nullptr, L"VelmoraSkyreel", nullptr), &client);
    std::printf("child %ld %ld\n", client.right - client.left, client.bottom - client.top);
    std::fflush(stdout);
    PumpFor(kShowMillis);

    DestroyWindow(parent);
    const DWORD destroyed = GetTickCount();
    const bool ended = WaitForSingleObject(pi.hProcess, kEndMillis) == WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit %d %lu\n", ended ? static_cast<int>(code) : -1,
                static_cast<unsigned long>(GetTickCount() - destroyed));
    if (!ended) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return 0;
}
