// The Win32 entry: the screensaver host starts skyreel.scr with "/S",
// "/C[:HWND]" or "/P HWND". The command line text of the wide entry is split
// into arguments and handed to SaverMain like argv on Linux.
//
// Implemented / Missing (process entry on Win32):
//   [x] wWinMain (GUI subsystem), InitCommonControls, the command line
//   [x] /C[:HWND]: the setup dialog (setup/setup_dialog_win32.cpp), run by
//       the host's setup loop through PumpSetupDialog
#include <windows.h>
// The other system headers need windows.h first.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/process_state.h"
#include "base/text.h"
#include "host/host_main.h"

namespace {
std::vector<std::string> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::string> args;
    // CommandLineToArgvW gives the program's own path for an empty text.
    if (!commandLine || !*commandLine) return args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &count);
    if (!argv) return args;
    for (int i = 0; i < count; ++i) {
        std::wstring_view w(argv[i]);
        args.push_back(Utf16ToUtf8(std::u16string(w.begin(), w.end())));
    }
    LocalFree(argv);
    return args;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    InitCommonControls();
    int code = SaverMain(SplitCommandLine(commandLine));
    // A background thread still stuck in a system call must not meet the
    // static destructors; leave without running them then.
    if (!WaitBackgroundThreads(0)) std::_Exit(code);
    return code;
}
