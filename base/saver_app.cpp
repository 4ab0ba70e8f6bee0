#include "base/saver_app.h"

#include "base/clock.h"

SaverAppInfo SaverApp = {
    0.02f,
    u"VelmoraSkyreel",
    u"Velmora Skyreel Saver",
#ifdef _WIN32
    u"\\Velmora\\SkyreelSaver",
#else
    u"/Velmora/SkyreelSaver",
#endif
    10000,
    100,
    kSecondsPerWeek,  // the interval of gallery 0, the default choice
    2048,
    u"1.0",
    u"skyreel",
};
