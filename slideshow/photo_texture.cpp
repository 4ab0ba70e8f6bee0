#include "slideshow/photo_texture.h"

#include <algorithm>
#include <utility>

#include "base/saver_app.h"
#include "overlay/image_canvas.h"
#include "overlay/overlay_texture.h"
#include "slideshow/photo_caption.h"
#include "slideshow/photo_prefetch.h"

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

PhotoFit PhotoShownSize(uint32_t width, uint32_t height, int screenWidth, int screenHeight) {
    const PhotoFit canvas = FitPhotoToCanvas(width, height);
    const int side = SaverApp.TextureSize;
    const float sw = static_cast<float>(std::min(screenWidth, side));
    const float sh = static_cast<float>(std::min(screenHeight, side));
    if (!(sw > 0) || !(sh > 0) || !(canvas.width > 0) || !(canvas.height > 0)) return canvas;
    const float k = std::min(sw / canvas.width, sh / canvas.height);
    if (k >= 1.0f) return canvas;
    return {canvas.width * k, canvas.height * k};
}

void LoadPhotoTexture(const PathText* path, uint32_t texture, int slot, int screenWidth,
                      int screenHeight) {
    // The decoded photo's storage goes back to the decoder after painting,
    // to be reused: fresh memory is much slower to fill than memory in use.
    Picture decoded;
    ImageCanvas* canvas = ClearedTextureCanvas();
    PhotoFit fit;
    CanvasRect drawn;
    uint32_t width = 0, height = 0;
    PhotoCredit credit;
    if (canvas && path &&
        ObtainPhoto(*path, screenWidth, screenHeight, decoded, width, height, &credit)) {
        fit = FitPhotoToCanvas(width, height);
        const int side = SaverApp.TextureSize;
        const int w = static_cast<int>(fit.width);
        const int h = static_cast<int>(fit.height);
        const int left = static_cast<int>(static_cast<float>(side) - fit.width) / 2;
        const int top = static_cast<int>(static_cast<float>(side) - fit.height) / 2;
        canvas->DrawPicture(decoded, left, top, w, h);
        drawn = CanvasRect{left, top, left + w, top + h};
        PaintPhotoCaption(*canvas, credit, drawn, screenWidth, screenHeight);
    }
    ReturnPhotoStorage(std::move(decoded));
    UploadTextureCanvas(slot, texture, fit.width, fit.height, drawn);
}
