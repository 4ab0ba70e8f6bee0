#include "net/link_state.h"

DownloadVerdict DecideDownloads(const LinkState& state, bool downloadAnyway) {
    if (downloadAnyway) return DownloadVerdict::Go;
    if (state.metered == Metered::Yes) return DownloadVerdict::HeldMetered;
    if (state.onBattery) return DownloadVerdict::HeldOnBattery;
    return DownloadVerdict::Go;
}

const char* DownloadHoldReason(DownloadVerdict verdict) {
    switch (verdict) {
        case DownloadVerdict::HeldMetered:
            return "the connection is metered";
        case DownloadVerdict::HeldOnBattery:
            return "on battery power";
        case DownloadVerdict::Go:
            break;
    }
    return "";
}

Metered MeteredFromNetworkManager(uint32_t value) {
    switch (value) {
        case 1:  // yes
        case 3:  // guess-yes, which NetworkManager's headers say to treat as yes
            return Metered::Yes;
        case 2:  // no
        case 4:  // guess-no
            return Metered::No;
        default:
            return Metered::Unknown;
    }
}

Metered MeteredFromConnectionCost(uint32_t cost) {
    constexpr uint32_t kUnrestricted = 0x1;
    if (cost == 0) return Metered::Unknown;
    return cost == kUnrestricted ? Metered::No : Metered::Yes;
}
