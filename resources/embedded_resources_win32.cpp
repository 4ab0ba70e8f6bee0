// The built-in files on Win32: resources of the program's own module
// (skyreel.rc), found by type name and numeric id in language 1033.
//
// Implemented / Missing (resources/embedded_resources.h on Win32):
//   [x] FindEmbeddedResource for "PNG" (pictures 2000 to 2029, 2100)
//   [ ] "ICON": the icons form icon group 129, which only Windows itself reads
#include <windows.h>

#include <cstring>
#include <forward_list>
#include <string>

#include "resources/embedded_resources.h"

namespace {
struct FoundResource {
    std::string type;
    EmbeddedResource row;
};
// Rows handed out so far; the bytes belong to the module. Main thread only.
std::forward_list<FoundResource> g_found;
}  // namespace

const EmbeddedResource* FindEmbeddedResource(const char* type, int id) {
    if (!type || std::strcmp(type, "PNG") != 0 || id <= 0 || id > 0xFFFF) return nullptr;
    for (const FoundResource& f : g_found)
        if (f.row.id == id && f.type == type) return &f.row;
    HMODULE module = GetModuleHandleW(nullptr);
    const std::wstring wideType(type, type + std::strlen(type));
    HRSRC info = FindResourceExW(module, wideType.c_str(), MAKEINTRESOURCEW(id),
                                 MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!info) return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, info);
    if (!data || size == 0) return nullptr;
    g_found.push_front({type, {nullptr, id, static_cast<const uint8_t*>(data), size}});
    FoundResource& f = g_found.front();
    f.row.type = f.type.c_str();
    return &f.row;
}
