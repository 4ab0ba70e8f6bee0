#include "slideshow/photo_texture.h"

#include "base/saver_app.h"
#include "base/text.h"
#include "overlay/image_canvas.h"
#include "overlay/overlay_texture.h"
#include "slideshow/photo_decode.h"

PhotoFit FitPhotoToCanvas(uint32_t width, uint32_t height) {
    const float side = static_cast<float>(SaverApp.TextureSize);
    PhotoFit fit{static_cast<float>(width), static_cast<float>(height)};
    if (fit.width > side || fit.height > side) {
        const float perPixel = 1.0f / side;
        const float mw = fit.width * perPixel;
        const float mh = fit.height * perPixel;
        const float m = mw > mh ? mw : mh;
        fit.width = fit.width / m;
        fit.height = fit.height / m;
    }
    return fit;
}

void LoadPhotoTexture(const PathText* path, uint32_t texture, int slot) {
    // The decoded photo's storage is reused from photo to photo: fresh
    // memory is much slower to fill than memory already in use.
    static Picture decoded;  // main thread only
    ImageCanvas* canvas = ClearedTextureCanvas();
    PhotoFit fit;
    CanvasRect drawn;
    uint32_t width = 0, height = 0;
    if (canvas && path && DecodePhoto(ToPath(path->view()), decoded, width, height)) {
        fit = FitPhotoToCanvas(width, height);
        const int side = SaverApp.TextureSize;
        const int w = static_cast<int>(fit.width);
        const int h = static_cast<int>(fit.height);
        const int left = static_cast<int>(static_cast<float>(side) - fit.width) / 2;
        const int top = static_cast<int>(static_cast<float>(side) - fit.height) / 2;
        canvas->DrawPicture(decoded, left, top, w, h);
        drawn = CanvasRect{left, top, left + w, top + h};
    }
    UploadTextureCanvas(slot, texture, fit.width, fit.height, drawn);
}
