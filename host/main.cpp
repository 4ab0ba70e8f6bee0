#include <cstdlib>
#include <string>
#include <vector>

#include "base/process_state.h"
#include "host/host_main.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int code = SaverMain(args);
    // A background thread still stuck in a system call must not meet the
    // static destructors; leave without running them then.
    if (!WaitBackgroundThreads(0)) std::quick_exit(code);
    return code;
}
