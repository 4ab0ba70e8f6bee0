#include "slideshow/photo_texture.h"

#include <algorithm>
#include <utility>

#include "base/event_log.h"
#include "base/saver_app.h"
#include "overlay/gl_renderer.h"
#include "overlay/image_canvas.h"
#include "overlay/overlay_texture.h"
#include "photos/photo_fit.h"
#include "settings/settings.h"
#include "slideshow/photo_caption.h"
#include "slideshow/photo_framing.h"
#include "slideshow/photo_prefetch.h"

void LoadPhotoTexture(const PathText* path, uint32_t texture, int slot, int screenWidth,
                      int screenHeight) {
    // The decoded photo's storage goes back to the decoder after the upload,
    // to be reused: fresh memory is much slower to fill than memory in use.
    Picture decoded;
    uint32_t width = 0, height = 0;
    PhotoCredit credit;
    Picture backdrop;
    const bool wantBackdrop = CurrentSlideshowLook().blurEdges;
    SlideSlot& s = SlideSlots[slot];
    s.hasBackdrop = false;
    const bool ok = path && ObtainPhoto(*path, screenWidth, screenHeight, decoded, width, height,
                                        &credit, wantBackdrop ? &backdrop : nullptr);
    if (ok) LogStartMoment(StartMoment::FirstPhotoDecoded);
    // The decoded photo goes into the texture as it is, and the renderer
    // scales it; only where it cannot does it take the way over the canvas.
    if (!ok) {
        EmptySlotTexture(slot, texture);
    } else if (!UploadPictureTexture(slot, texture, decoded)) {
        ImageCanvas* canvas = ClearedTextureCanvas();
        PhotoFit fit;
        CanvasRect drawn;
        if (canvas) {
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
    ReturnPhotoStorage(std::move(decoded));
    if (s.contentWidth <= 0) return;
    if (backdrop.width > 0) {
        if (s.backdrop == 0) s.backdrop = GlNewTexture();
        // Premultiplied ARGB words are BGRA bytes on every target we build for.
        UploadBgraTexture(s.backdrop, reinterpret_cast<const uint8_t*>(backdrop.pixels.data()),
                          backdrop.width, backdrop.height);
        s.hasBackdrop = true;
    }
    LogStartMoment(StartMoment::FirstPhotoUploaded);
    // The caption belongs to the monitor, not the photo: painted apart.
    LoadCaptionTexture(slot, CaptionOf(credit, Settings.show_titles != 0), screenWidth,
                       screenHeight);
}
