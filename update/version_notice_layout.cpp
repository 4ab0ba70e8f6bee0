#include "update/version_notice_layout.h"

#include "base/saver_app.h"
#include "net/endpoints.h"

FixedText<100> VersionNoticeText(std::u16string_view newVersion) {
    FixedText<100> t(u"New version ");
    t.Append(newVersion);
    t.Append(u" is available!\nFor upgrade, please, visit:\n\n");
    t.Append(MakerAddress());
    return t;
}

VersionNoticeLayout ComputeVersionNoticeLayout(int left, int top, int right, int bottom,
                                               int signWidth, int signHeight) {
    const float w = static_cast<float>(right - left);
    const float h = static_cast<float>(bottom - top);
    VersionNoticeLayout L;
    L.signX = static_cast<int>(static_cast<float>(left) + (w - static_cast<float>(signWidth)) / 2);
    L.signY =
        static_cast<int>(static_cast<float>(top) + h / 2 - static_cast<float>(signHeight) - 50);
    L.textX = static_cast<float>(SaverApp.TextureSize) / 2;
    L.textY = static_cast<float>(top) + h / 2 + 50;
    return L;
}
