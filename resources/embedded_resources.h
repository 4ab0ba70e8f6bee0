// Files built into the program as byte arrays: the PNG pictures
// (resources/pictures/<id>.png, type "PNG") and the icons
// (resources/icons/skyreel-<size>.png, type "ICON", id = pixel size).
// The table is generated at build time from whatever files exist.
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedResource {
    const char* type;
    int id;
    const uint8_t* data;
    size_t size;
};

// Null when no such resource was built in.
const EmbeddedResource* FindEmbeddedResource(const char* type, int id);
