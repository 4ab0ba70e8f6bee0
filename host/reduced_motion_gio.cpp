// Implemented / Missing (host/reduced_motion.h through GSettings): GNOME's
// key, and any desktop that keeps it (the keyfile backend included).
// Missing: KDE's own animation speed, which it does not mirror there.
#include <gio/gio.h>

#include "host/reduced_motion.h"

bool DesktopWantsReducedMotion() {
    constexpr char kSchema[] = "org.gnome.desktop.interface";
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    // g_settings_new aborts on a schema that is not installed.
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
    if (!schema) return false;
    const bool known = g_settings_schema_has_key(schema, "enable-animations");
    g_settings_schema_unref(schema);
    if (!known) return false;
    GSettings* settings = g_settings_new(kSchema);
    const bool still = !g_settings_get_boolean(settings, "enable-animations");
    g_object_unref(settings);
    return still;
}
