#include "overlay/overlay_texture.h"

#include <algorithm>
#include <unordered_map>

#include "base/saver_app.h"
#include "overlay/gl_renderer.h"

namespace {
constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr int kBytesPerPixel = 4;

// The shared canvas, made on first use and kept for the life of the
// process, and where canvas and textures may hold anything but black. Main
// thread only.
struct OverlayTextureState {
    std::unique_ptr<ImageCanvas> (*maker)(int, int) = CreateImageCanvas;
    std::unique_ptr<ImageCanvas> canvas;
    CanvasRect canvasInked;
    std::unordered_map<uint32_t, CanvasRect> textureInked;
};
OverlayTextureState g_texture;

int Side() {
    return SaverApp.TextureSize;
}

CanvasRect WholeCanvas() {
    return {0, 0, Side(), Side()};
}

CanvasRect Clamped(CanvasRect r) {
    const int side = Side();
    return {std::clamp(r.left, 0, side), std::clamp(r.top, 0, side), std::clamp(r.right, 0, side),
            std::clamp(r.bottom, 0, side)};
}

CanvasRect Union(const CanvasRect& a, const CanvasRect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool EnsureCanvas() {
    if (g_texture.canvas) return true;
    const int side = Side();
    g_texture.canvas = g_texture.maker(side, side);
    g_texture.canvasInked = WholeCanvas();  // a new canvas holds anything
    return g_texture.canvas != nullptr;
}

// What the slot's texture now holds: content of this size, the texture
// `textureWidth` x `textureHeight` (0 x 0 for nothing uploaded), and no
// caption until one is made for the new picture.
void RecordSlotPicture(int slot, float contentWidth, float contentHeight, bool textureIsContent,
                       int textureWidth, int textureHeight) {
    SlideSlot& s = SlideSlots[slot];
    s.captionWidth = 0;
    s.captionHeight = 0;
    s.contentWidth = contentWidth;
    s.contentHeight = contentHeight;
    s.textureIsContent = textureIsContent;
    s.bitmap = textureWidth > 0 ? BitmapDescription{textureWidth, textureHeight,
                                                    textureWidth * kBytesPerPixel, 32}
                                : BitmapDescription{};
}

const uint8_t* CanvasBytes() {
    return reinterpret_cast<const uint8_t*>(g_texture.canvas->Pixels());
}
}  // namespace

ImageCanvas* ClearedTextureCanvas() {
    if (!EnsureCanvas()) return nullptr;
    const CanvasRect& r = g_texture.canvasInked;
    if (!r.empty())
        g_texture.canvas->ClearRect(r.left, r.top, r.right - r.left, r.bottom - r.top,
                                    kOpaqueBlack);
    g_texture.canvasInked = CanvasRect{};
    return g_texture.canvas.get();
}

void EmptySlotTexture(int slot, uint32_t texture) {
    const uint8_t black[kBytesPerPixel] = {0, 0, 0, 0xFF};
    UploadBgraTexture(texture, black, 1, 1);
    g_texture.textureInked.erase(texture);
    RecordSlotPicture(slot, 0, 0, false, 0, 0);
}

bool UploadPictureTexture(int slot, uint32_t texture, const Picture& picture) {
    const int side = Side();
    if (picture.width > side || picture.height > side ||
        picture.pixels.size() < static_cast<size_t>(picture.width) * picture.height ||
        !GlTakesTextureOfSize(picture.width, picture.height))
        return false;
    // Premultiplied ARGB words are BGRA bytes on every target we build for.
    UploadBgraTexture(texture, reinterpret_cast<const uint8_t*>(picture.pixels.data()),
                      picture.width, picture.height);
    g_texture.textureInked.erase(texture);  // no longer a canvas-sized image
    RecordSlotPicture(slot, static_cast<float>(picture.width), static_cast<float>(picture.height),
                      true, picture.width, picture.height);
    return true;
}

void UploadTextureCanvas(int slot, uint32_t texture, float contentWidth, float contentHeight,
                         CanvasRect drawn) {
    if (!EnsureCanvas()) {
        EmptySlotTexture(slot, texture);
        return;
    }
    const int side = Side();
    drawn = Clamped(drawn);
    g_texture.canvasInked = Union(g_texture.canvasInked, drawn);
    // The texture's old picture must be overwritten too; a texture without
    // a canvas-sized image takes the whole canvas.
    auto known = g_texture.textureInked.find(texture);
    bool partial = known != g_texture.textureInked.end() && TextureHoldsImage(texture, side, side);
    CanvasRect region = partial ? Union(known->second, drawn) : WholeCanvas();
    if (partial && !region.empty()) {
        UploadBgraTextureRegion(texture, CanvasBytes(), side, region.left, region.top,
                                region.right - region.left, region.bottom - region.top);
    } else if (!partial) {
        UploadBgraTexture(texture, CanvasBytes(), side, side);
    }
    g_texture.textureInked[texture] = drawn;
    RecordSlotPicture(slot, contentWidth, contentHeight, false, side, side);
}

void MakeOverlayTexture(int slotIndex, int screenWidth, int screenHeight, OverlayPainter painter) {
    const int side = Side();
    const int w = std::clamp(screenWidth, 0, side);
    const int h = std::clamp(screenHeight, 0, side);
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
