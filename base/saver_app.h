// SaverApp: the saver's constant descriptor. Only RefreshSeconds changes
// (whenever a gallery is chosen); SlideMillis may be set once by --slide-ms
// before anything starts.
#pragma once

#include <cstdint>

#include "base/platform.h"

struct SaverAppInfo {
    float FadeStep;
    const char16_t* WindowClass;
    const char16_t* WindowTitle;
    const char16_t* DataSubfolder;
    int32_t SlideMillis;
    int32_t CacheLimit;
    int32_t RefreshSeconds;
    int32_t TextureSize;
    const char16_t* Version;
    const char16_t* AppId;
};

extern SaverAppInfo SaverApp;
