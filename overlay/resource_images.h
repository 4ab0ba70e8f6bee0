// The pictures stored in the program: weather conditions 2000 to 2029 and
// the warning sign 2100, each decoded on first request and kept for the
// life of the process. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "overlay/canvas.h"

struct ResourceImageRow {
    const char* type;                  // "PNG" in every row
    int32_t id;                        // 0 ends the table
    std::unique_ptr<Picture> picture;  // empty until first use, or after a failed load
};

// 2000..2029, 2100, then the end row.
constexpr int kResourceImageRows = 32;
extern std::array<ResourceImageRow, kResourceImageRows> ResourceImageTable;

// The picture of `id`, owned by the table (callers never release it); null
// for an id outside the table or a picture that does not load, in which
// case a later request tries again.
const Picture* GetResourceImage(int id);
std::unique_ptr<Picture> LoadResourceImage(const char* type, int id);
