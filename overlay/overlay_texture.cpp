#include "overlay/overlay_texture.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host/saver_app.h"
#include "host/saver_window.h"
#include "overlay/texture_upload.h"

SlideSlot SlideSlots[2];

namespace {
constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr int kBytesPerPixel = 4;

// The shared canvas and its bottom-up copy. Main thread only; made on first
// use, kept for the life of the process.
struct OverlayTextureState {
    std::unique_ptr<ImageCanvas> (*maker)(int, int) = CreateImageCanvas;
    std::unique_ptr<ImageCanvas> canvas;
    std::unique_ptr<uint8_t[]> bottomUp;
};
OverlayTextureState g_texture;

int Side() {
    return SaverApp.TextureSize;
}

bool EnsureCanvas() {
    if (g_texture.canvas && g_texture.bottomUp) return true;
    const int side = Side();
    if (!g_texture.canvas) g_texture.canvas = g_texture.maker(side, side);
    if (!g_texture.bottomUp) {
        size_t bytes = static_cast<size_t>(side) * side * kBytesPerPixel;
        g_texture.bottomUp.reset(new (std::nothrow) uint8_t[bytes]);
    }
    return g_texture.canvas && g_texture.bottomUp;
}
}  // namespace

ImageCanvas* ClearedTextureCanvas() {
    if (!EnsureCanvas()) return nullptr;
    g_texture.canvas->Clear(kOpaqueBlack);
    return g_texture.canvas.get();
}

void UploadTextureCanvas(int slot, uint32_t texture, float contentWidth, float contentHeight) {
    SlideSlot& s = SlideSlots[slot];
    if (!EnsureCanvas()) {
        const uint8_t black[kBytesPerPixel] = {0, 0, 0, 0xFF};
        UploadBgraTexture(texture, black, 1, 1);
        s.contentWidth = 0;
        s.contentHeight = 0;
        s.bitmap = BitmapDescription{};
        return;
    }
    const int side = Side();
    const size_t rowBytes = static_cast<size_t>(side) * kBytesPerPixel;
    const auto* top = reinterpret_cast<const uint8_t*>(g_texture.canvas->Pixels());
    // The texture's first row is the picture's bottom row.
    for (int y = 0; y < side; ++y)
        std::memcpy(g_texture.bottomUp.get() + static_cast<size_t>(side - 1 - y) * rowBytes,
                    top + static_cast<size_t>(y) * rowBytes, rowBytes);
    UploadBgraTexture(texture, g_texture.bottomUp.get(), side, side);
    s.contentWidth = contentWidth;
    s.contentHeight = contentHeight;
    s.bitmap = BitmapDescription{side, side, static_cast<int32_t>(rowBytes), 32};
}

void MakeOverlayTexture(int slotIndex, OverlayPainter painter) {
    const int side = Side();
    ScreenExtent screen = ScreenSize();
    const int w = std::min(screen.width, side);
    const int h = std::min(screen.height, side);
    ImageCanvas* canvas = ClearedTextureCanvas();
    if (canvas && painter)
        painter(*canvas, (side - w) / 2, (side - h) / 2, (side + w) / 2, (side + h) / 2);
    UploadTextureCanvas(slotIndex, SlideSlots[slotIndex].texture,
                        canvas ? static_cast<float>(w) : 0.0f,
                        canvas ? static_cast<float>(h) : 0.0f);
}

void SetTextureCanvasMaker(std::unique_ptr<ImageCanvas> (*maker)(int, int)) {
    g_texture.maker = maker ? maker : CreateImageCanvas;
    g_texture.canvas.reset();
}
