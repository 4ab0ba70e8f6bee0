// Win32 backend of the link state (net/link_state.h): the connection cost of
// the Network List Manager (INetworkCostManager::GetCost, Windows 8 and
// later; anything but unrestricted or unknown is metered) and
// GetSystemPowerStatus (ACLineStatus 0 is battery; 1 or 255, unknown, is
// mains). COM is started on the calling thread for the question and ended
// again; a manager that cannot be made (older Windows, Wine without it)
// means unmetered.
//
// Implemented / Missing (net/link_state.h on Win32): see link_state.h.
#include <netlistmgr.h>
#include <objbase.h>
#include <windows.h>

#include "net/link_state.h"

namespace {
Metered ConnectionCost() {
    const HRESULT started = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    Metered metered = Metered::Unknown;
    INetworkCostManager* manager = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                   IID_INetworkCostManager, reinterpret_cast<void**>(&manager))) &&
        manager) {
        DWORD cost = 0;
        if (SUCCEEDED(manager->GetCost(&cost, nullptr))) metered = MeteredFromConnectionCost(cost);
        manager->Release();
    }
    // S_OK and S_FALSE both count a start to be ended; another mode's COM
    // on this thread (RPC_E_CHANGED_MODE) is left as it was.
    if (SUCCEEDED(started)) CoUninitialize();
    return metered;
}
}  // namespace

LinkState ReadLinkState() {
    LinkState state;
    state.metered = ConnectionCost();
    SYSTEM_POWER_STATUS power{};
    if (GetSystemPowerStatus(&power)) state.onBattery = power.ACLineStatus == 0;
    return state;
}
