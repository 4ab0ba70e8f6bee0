#include "overlay/resource_images.h"

#include "overlay/picture_decode.h"
#include "resources/embedded_resources.h"

namespace {
constexpr int32_t kFirstWeatherPicture = 2000;
constexpr int kWeatherPictures = 30;
constexpr int32_t kWarningSign = 2100;

std::array<ResourceImageRow, kResourceImageRows> MakeTable() {
    std::array<ResourceImageRow, kResourceImageRows> table{};
    int row = 0;
    for (int i = 0; i < kWeatherPictures; ++i)
        table[row++] = ResourceImageRow{"PNG", kFirstWeatherPicture + i, nullptr};
    table[row++] = ResourceImageRow{"PNG", kWarningSign, nullptr};
    table[row] = ResourceImageRow{"", 0, nullptr};
    return table;
}
}  // namespace

std::array<ResourceImageRow, kResourceImageRows> ResourceImageTable = MakeTable();

std::unique_ptr<Picture> LoadResourceImage(const char* type, int id) {
    const EmbeddedResource* r = FindEmbeddedResource(type, id);
    if (!r) return nullptr;
    auto picture = std::make_unique<Picture>();
    if (!DecodePngPicture(r->data, r->size, *picture)) return nullptr;
    return picture;
}

const Picture* GetResourceImage(int id) {
    for (ResourceImageRow& row : ResourceImageTable) {
        if (row.id <= 0) break;
        if (row.id != id) continue;
        if (!row.picture) row.picture = LoadResourceImage(row.type, row.id);
        return row.picture.get();
    }
    return nullptr;
}
