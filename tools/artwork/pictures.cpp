// The weather pictures as a table of compositions: each picture is a short
// list of elements in painting order, back to front, each with the box it
// fills. Pictures that share a subject share named boxes, so a set of
// pictures keeps one layout and differs only in what is added.
#include <vector>

#include "artwork.h"

namespace artwork {

namespace {

// What a step paints, and what its box means.
enum class Part {
    // The box is the extent of the rays, or of the disc and its glow.
    Sun,
    FullMoon,
    CrescentMoon,
    // The cloud is as wide as the box and stands on its bottom edge.
    WhiteCloud,
    GreyCloud,
    DarkCloud,
    // The box is where the items fall.
    Rain,
    HeavyRain,
    LightSnow,
    HeavySnow,
    Sleet,
    Pellets,
    RainAndSnow,
    // The bolt is as tall as the box, from its top left corner.
    Bolt,
    // One band of mist filling the box: translucent, or dense.
    Haze,
    Fog,
    // The box is the area the leaves blow across.
    Leaves,
    // The box is the slab; icicles hang below it.
    IceCrust,
    // The box is the disc.
    Globe,
    NotAvailable,
};

struct Step {
    Part part;
    Box box;
    bool mirrored = false;
};

struct Composition {
    int id;
    std::vector<Step> steps;
};

// A weather picture is 250 x 180. The boxes leave room at the edges for
// shadows and glows to fade out, so nothing is cut off when the picture is
// enlarged on a panel.

// Sun or moon on its own.
constexpr Box kSkyAlone{55, 20, 140, 140};
// A sun or moon with a small cloud in front, lower right.
constexpr Box kSkyBesideSmallCloud{40, 12, 136, 136};
constexpr Box kSmallCloud{122, 0, 104, 160};
// A sun or moon half hidden: three amounts of cloud.
constexpr Box kSkyBehindFewClouds{50, 10, 128, 128};
constexpr Box kFewClouds{112, 0, 120, 150};
constexpr Box kFewCloudsLow{22, 0, 92, 164};
constexpr Box kSkyBehindCloud{32, 10, 118, 118};
constexpr Box kCloudOverSky{64, 0, 164, 160};
constexpr Box kSkyBehindManyClouds{22, 10, 104, 104};
constexpr Box kBackCloud{24, 0, 120, 126};
constexpr Box kFrontCloud{70, 0, 158, 160};
// A cloud with something falling from it.
constexpr Box kRainCloud{52, 0, 146, 104};
constexpr Box kFallBelowCloud{54, 104, 142, 54};
// A sun or moon peeking out behind a cloud that rains.
constexpr Box kSkyBehindRainCloud{28, 12, 96, 96};
constexpr Box kRainCloudOverSky{78, 0, 146, 106};
constexpr Box kFallBelowCloudOverSky{88, 106, 128, 52};
// A bolt under a cloud, from its belly down.
constexpr Box kBoltBelowCloud{101, 86, 49, 72};
constexpr Box kBoltBelowCloudOverSky{125, 88, 48, 70};
// Haze bands across the lower part of a sun or moon.
constexpr Box kHazeLow{27, 110, 196, 16};
constexpr Box kHazeLower{43, 137, 150, 14};
constexpr Box kHazeHigh{50, 85, 164, 14};

const std::vector<Composition>& Compositions() {
    using P = Part;
    static const std::vector<Composition> table = {
        {2000, {{P::DarkCloud, kRainCloud}, {P::Bolt, kBoltBelowCloud}}},
        {2001,
         {{P::Fog, {20, 36, 196, 20}},
          {P::Fog, {30, 66, 200, 20}},
          {P::Fog, {18, 96, 196, 20}},
          {P::Fog, {40, 126, 180, 20}}}},
        {2002, {{P::IceCrust, {28, 30, 194, 30}}}},
        {2003, {{P::Globe, {57, 14, 134, 134}}, {P::NotAvailable, {152, 100, 60, 60}}}},
        {2004, {{P::FullMoon, kSkyAlone}}},
        {2005, {{P::Leaves, {24, 22, 200, 132}}}},
        {2006, {{P::CrescentMoon, kSkyBesideSmallCloud}, {P::WhiteCloud, kSmallCloud}}},
        {2007, {{P::GreyCloud, kBackCloud, true}, {P::GreyCloud, kFrontCloud}}},
        {2008, {{P::Sun, kSkyAlone}}},
        {2009, {{P::GreyCloud, kRainCloud}, {P::Pellets, kFallBelowCloud}}},
        {2010, {{P::CrescentMoon, kSkyBehindCloud}, {P::WhiteCloud, kCloudOverSky}}},
        {2011, {{P::GreyCloud, kRainCloud}, {P::Rain, kFallBelowCloud}}},
        {2012, {{P::CrescentMoon, kSkyAlone}, {P::Haze, kHazeLow}, {P::Haze, kHazeLower}}},
        {2013, {{P::WhiteCloud, kRainCloud}, {P::LightSnow, kFallBelowCloud}}},
        {2014, {{P::GreyCloud, kRainCloud}, {P::HeavySnow, kFallBelowCloud}}},
        {2015,
         {{P::CrescentMoon, kSkyBehindRainCloud},
          {P::WhiteCloud, kRainCloudOverSky},
          {P::Rain, kFallBelowCloudOverSky}}},
        {2016, {{P::Sun, kSkyBesideSmallCloud}, {P::WhiteCloud, kSmallCloud}}},
        {2017, {{P::GreyCloud, kRainCloud}, {P::Sleet, kFallBelowCloud}}},
        {2018, {{P::Sun, kSkyAlone}, {P::Haze, kHazeLow}, {P::Haze, kHazeLower}}},
        {2019,
         {{P::Sun, kSkyAlone}, {P::Haze, kHazeHigh}, {P::Haze, kHazeLow}, {P::Haze, kHazeLower}}},
        {2020, {{P::DarkCloud, kRainCloud}, {P::HeavyRain, kFallBelowCloud}}},
        {2021,
         {{P::CrescentMoon, kSkyBehindRainCloud},
          {P::GreyCloud, kRainCloudOverSky},
          {P::HeavyRain, kFallBelowCloudOverSky}}},
        {2022, {{P::GreyCloud, kRainCloud}, {P::RainAndSnow, kFallBelowCloud}}},
        {2023,
         {{P::Sun, kSkyBehindFewClouds},
          {P::WhiteCloud, kFewClouds},
          {P::WhiteCloud, kFewCloudsLow, true}}},
        {2024, {{P::Sun, kSkyBehindCloud}, {P::WhiteCloud, kCloudOverSky}}},
        {2025,
         {{P::Sun, kSkyBehindManyClouds},
          {P::GreyCloud, kBackCloud, true},
          {P::WhiteCloud, kFrontCloud}}},
        {2026,
         {{P::Sun, kSkyBehindRainCloud},
          {P::WhiteCloud, kRainCloudOverSky},
          {P::Rain, kFallBelowCloudOverSky}}},
        {2027,
         {{P::CrescentMoon, kSkyBehindRainCloud},
          {P::DarkCloud, kRainCloudOverSky},
          {P::Bolt, kBoltBelowCloudOverSky}}},
        {2028,
         {{P::Sun, kSkyBehindRainCloud},
          {P::GreyCloud, kRainCloudOverSky},
          {P::HeavyRain, kFallBelowCloudOverSky}}},
        {2029,
         {{P::Sun, kSkyBehindRainCloud},
          {P::DarkCloud, kRainCloudOverSky},
          {P::Bolt, kBoltBelowCloudOverSky}}},
    };
    return table;
}

void PaintCloudStep(cairo_t* cr, const Step& step, CloudTone tone) {
    PaintCloud(cr, step.box.x, step.box.y + step.box.h, step.box.w, tone, step.mirrored);
}

void PaintStep(cairo_t* cr, const Step& step) {
    const Box& b = step.box;
    const double cx = b.x + b.w / 2, cy = b.y + b.h / 2;
    switch (step.part) {
        case Part::Sun:
            // Rays reach 1.6 radii from the centre.
            return PaintSun(cr, cx, cy, b.w / 3.2);
        case Part::FullMoon:
            return PaintMoon(cr, cx, cy, b.w * 0.44, MoonPhase::Full);
        case Part::CrescentMoon:
            return PaintMoon(cr, cx, cy, b.w * 0.44, MoonPhase::Crescent);
        case Part::WhiteCloud:
            return PaintCloudStep(cr, step, CloudTone::White);
        case Part::GreyCloud:
            return PaintCloudStep(cr, step, CloudTone::Grey);
        case Part::DarkCloud:
            return PaintCloudStep(cr, step, CloudTone::Dark);
        case Part::Rain:
            return PaintFall(cr, b, Fall::Rain);
        case Part::HeavyRain:
            return PaintFall(cr, b, Fall::HeavyRain);
        case Part::LightSnow:
            return PaintFall(cr, b, Fall::LightSnow);
        case Part::HeavySnow:
            return PaintFall(cr, b, Fall::HeavySnow);
        case Part::Sleet:
            return PaintFall(cr, b, Fall::Sleet);
        case Part::Pellets:
            return PaintFall(cr, b, Fall::Pellets);
        case Part::RainAndSnow:
            return PaintFall(cr, b, Fall::RainAndSnow);
        case Part::Bolt:
            return PaintBolt(cr, b.x, b.y, b.h);
        case Part::Haze:
            return PaintHazeBand(cr, cx, cy, b.w, b.h, 0.85);
        case Part::Fog:
            return PaintHazeBand(cr, cx, cy, b.w, b.h, 0.97);
        case Part::Leaves:
            return PaintBlowingLeaves(cr, b);
        case Part::IceCrust:
            return PaintIceCrust(cr, b);
        case Part::Globe:
            return PaintGlobe(cr, cx, cy, b.w / 2);
        case Part::NotAvailable:
            return PaintNotAvailableBadge(cr, cx, cy, b.w / 2);
    }
}

const Composition* FindComposition(int id) {
    for (const Composition& c : Compositions()) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

}  // namespace

bool IsWeatherPictureId(int id) {
    return FindComposition(id) != nullptr;
}

void PaintWeatherPicture(cairo_t* cr, int id) {
    const Composition* c = FindComposition(id);
    if (!c) return;
    for (const Step& step : c->steps) PaintStep(cr, step);
}

}  // namespace artwork
