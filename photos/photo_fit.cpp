#include "photos/photo_fit.h"

#include <algorithm>

#include "base/saver_app.h"

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
