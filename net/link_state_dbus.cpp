// D-Bus backend of the link state (net/link_state.h), through GIO's GDBus on
// the system bus: NetworkManager's `Metered` (u) on
// org.freedesktop.NetworkManager /org/freedesktop/NetworkManager and
// UPower's `OnBattery` (b) on org.freedesktop.UPower /org/freedesktop/UPower,
// each asked with org.freedesktop.DBus.Properties.Get and a 500 ms time-out
// (the saver runs no GLib main loop, so no cached proxy property would ever
// update). Services are never started for the question (NO_AUTO_START).
//
// The connection is the saver's own, not GIO's shared system-bus singleton
// (which would end the process when the bus goes away): made on first use
// for the address of the system bus (DBUS_SYSTEM_BUS_ADDRESS, else the
// well-known socket), kept while open, made again when it closed or the
// address changed. No bus, no service, an error or a time-out mean
// unmetered and on mains. A service that timed out is not asked again for
// a minute, so one that never answers costs at most 500 ms a minute.
//
// Implemented / Missing (net/link_state.h on D-Bus): see link_state.h.
#include <gio/gio.h>

#include <chrono>
#include <mutex>
#include <string>

#include "net/link_state.h"

namespace {
constexpr int kCallTimeoutMillis = 500;
constexpr auto kSilentServicePause = std::chrono::seconds(60);

using Clock = std::chrono::steady_clock;

struct Service {
    const char* name;
    const char* path;
    const char* interface;
    const char* property;
    Clock::time_point quietUntil{};  // a time-out was seen: not asked before this
};

std::mutex g_lock;  // guards everything below; readers are the harvest thread and tests
GDBusConnection* g_bus = nullptr;
std::string g_busAddress;
Service g_networkManager{"org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager",
                         "org.freedesktop.NetworkManager", "Metered"};
Service g_upower{"org.freedesktop.UPower", "/org/freedesktop/UPower", "org.freedesktop.UPower",
                 "OnBattery"};

// The open connection to the system bus, or null when there is none.
GDBusConnection* SystemBus() {
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, nullptr);
    if (!address) return nullptr;
    const std::string wanted(address);
    g_free(address);
    if (g_bus && (g_dbus_connection_is_closed(g_bus) || wanted != g_busAddress)) {
        g_object_unref(g_bus);
        g_bus = nullptr;
    }
    if (g_bus) return g_bus;
    // A new bus: whatever was silent on the old one is asked again.
    g_networkManager.quietUntil = g_upower.quietUntil = {};
    const auto flags =
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    g_bus =
        g_dbus_connection_new_for_address_sync(wanted.c_str(), flags, nullptr, nullptr, nullptr);
    if (g_bus) {
        g_dbus_connection_set_exit_on_close(g_bus, FALSE);
        g_busAddress = wanted;
    }
    return g_bus;
}

// The property's value (its variant, to be unreferenced), or null.
GVariant* GetProperty(GDBusConnection* bus, Service& service) {
    const Clock::time_point now = Clock::now();
    if (now < service.quietUntil) return nullptr;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, service.name, service.path, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", service.interface, service.property), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMillis, nullptr, &error);
    if (!reply) {
        if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT))
            service.quietUntil = now + kSilentServicePause;
        g_clear_error(&error);
        return nullptr;
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    g_variant_unref(reply);
    return value;
}
}  // namespace

LinkState ReadLinkState() {
    LinkState state;
    std::lock_guard<std::mutex> lock(g_lock);
    GDBusConnection* bus = SystemBus();
    if (!bus) return state;
    if (GVariant* v = GetProperty(bus, g_networkManager)) {
        if (g_variant_is_of_type(v, G_VARIANT_TYPE_UINT32))
            state.metered = MeteredFromNetworkManager(g_variant_get_uint32(v));
        g_variant_unref(v);
    }
    if (GVariant* v = GetProperty(bus, g_upower)) {
        if (g_variant_is_of_type(v, G_VARIANT_TYPE_BOOLEAN))
            state.onBattery = g_variant_get_boolean(v) != FALSE;
        g_variant_unref(v);
    }
    return state;
}
