// Link state: what the desktop says of the network link (metered or not)
// and of the power source (battery or mains), and whether photo downloads
// go ahead under it. The backends only report the state; the decision is
// DecideDownloads, shared by both platforms. One backend file per platform:
//   link_state_dbus.cpp (Linux: NetworkManager and UPower on the system bus)
//   link_state_win32.cpp (Win32: INetworkCostManager, GetSystemPowerStatus)
//
// Implemented (dbus / win32):
//   [x] ReadLinkState   metered: NetworkManager's `Metered` (yes and
//                       guess-yes count) / the connection cost of the
//                       Network List Manager (anything but unrestricted
//                       or unknown counts); on battery: UPower's
//                       `OnBattery` / ACLineStatus 0. A service that is
//                       missing, fails or does not answer within 500 ms
//                       counts as unmetered and on mains.
// Missing: change notifications (the state is polled before each harvest
// pass and each photo download; the saver runs no GLib main loop).
#pragma once

#include <cstdint>

enum class Metered { Unknown, Yes, No };

struct LinkState {
    Metered metered = Metered::Unknown;
    bool onBattery = false;
};

enum class DownloadVerdict { Go, HeldMetered, HeldOnBattery };

// Photo downloads wait on a metered link or on battery power, unless the
// user asked for them anyway ("download_anyway"). Metered wins when both hold.
DownloadVerdict DecideDownloads(const LinkState& state, bool downloadAnyway);
// Why a verdict holds downloads back, as the event log says it: "the
// connection is metered", "on battery power"; empty for Go.
const char* DownloadHoldReason(DownloadVerdict verdict);

// NetworkManager's NMMetered: 0 unknown, 1 yes, 2 no, 3 guess-yes, 4 guess-no.
Metered MeteredFromNetworkManager(uint32_t value);
// The Network List Manager's NLM_CONNECTION_COST flags: 0 unknown, only
// 0x1 (unrestricted) unmetered, anything else metered.
Metered MeteredFromConnectionCost(uint32_t cost);

// The backend's reading, now. Never fails and never waits much longer than
// one short time-out per service; what cannot be read is Unknown / on mains.
LinkState ReadLinkState();
