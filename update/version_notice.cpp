#include "update/version_notice.h"

#include "overlay/canvas.h"
#include "overlay/overlay_texture.h"
#include "overlay/resource_images.h"
#include "settings/settings.h"

void PaintVersionNotice(Canvas& canvas, int left, int top, int right, int bottom,
                        std::u16string_view newVersion) {
    const FixedText<100> text = VersionNoticeText(newVersion);
    // A missing warning sign is left out; the text is still drawn.
    const Picture* sign = GetResourceImage(kWarningSignId);
    const int signWidth = sign ? sign->width : 0;
    const int signHeight = sign ? sign->height : 0;
    const VersionNoticeLayout L =
        ComputeVersionNoticeLayout(left, top, right, bottom, signWidth, signHeight);
    if (signWidth > 0 && signHeight > 0)
        canvas.DrawPicture(*sign, L.signX, L.signY, signWidth, signHeight);
    // Zero width and height: no wrapping, each line centred on textX.
    canvas.DrawText(text.view(), CreateOverlayFont(kNoticeTextPoints), L.textX, L.textY, 0, 0,
                    kNoticeTextArgb, TextAlign::Center);
}

void VersionNoticePainter(Canvas& canvas, int left, int top, int right, int bottom) {
    PaintVersionNotice(canvas, left, top, right, bottom, NewVersionText());
}

void DrawVersionNotice(int slotIndex, int screenWidth, int screenHeight) {
    MakeOverlayTexture(slotIndex, screenWidth, screenHeight, VersionNoticePainter);
}
