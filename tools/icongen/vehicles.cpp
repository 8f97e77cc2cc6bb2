// Vehicles seen from above, front to the top, in a 48 x 48 design.
#include <stdexcept>
#include <string>

#include "artwork.h"
#include "draw_util.h"

namespace icongen {

namespace {

enum class Kind {
    Sedan, BoxTruck, Hatchback, Tanker, Suv, Bus, Taxi, Dump, Van, Ambulance, Pickup,
    Semi, Sports, Mixer, Police, Minibus, Tractor, Fire, Garbage, Crane, Fridge, Trolleybus
};
constexpr int kKindCount = 22;

const char* const kKindNames[kKindCount] = {
    "sedan", "box truck", "hatchback", "tanker", "SUV", "bus", "taxi", "dump truck", "van", "ambulance", "pickup",
    "tractor unit with trailer", "sports car", "concrete mixer", "police car", "minibus", "farm tractor",
    "fire engine", "refuse truck", "crane truck", "refrigerated truck", "trolleybus"};

struct Paintwork {
    const char* name;
    Color colour;
};

const Paintwork kPaints[] = {
    {"white", rgb(238, 240, 242)},  {"red", rgb(204, 36, 42)},       {"blue", rgb(34, 96, 196)},
    {"silver", rgb(176, 184, 192)}, {"green", rgb(38, 142, 72)},     {"yellow", rgb(246, 200, 32)},
    {"black", rgb(52, 54, 60)},     {"orange", rgb(240, 122, 26)},   {"navy", rgb(30, 48, 104)},
    {"teal", rgb(18, 140, 150)},    {"maroon", rgb(128, 32, 48)},    {"dark green", rgb(30, 88, 52)},
    {"brown", rgb(134, 88, 52)},    {"purple", rgb(112, 62, 154)},
    {"steel blue", rgb(66, 110, 160)},  // kept for the default car only
};
constexpr int kPaintCount = 14;  // colours the numbered icons cycle through
constexpr int kDefaultCarPaint = 14;

struct Look {
    Kind kind;
    int paint;   // main colour
    int second;  // cargo, stripe or trim colour
};

Look lookFor(int index) {
    if (index == 0) return {Kind::Sedan, kDefaultCarPaint, 0};  // a colour no numbered icon uses
    const int n = index - 1;
    const int kind = n % kKindCount;
    const int round = n / kKindCount;
    // Co-prime steps walk every kind through distinct colours, round by round.
    const int paint = (round * 5 + kind * 3) % kPaintCount;
    int second = (round * 3 + kind * 5 + 7) % kPaintCount;
    if (second == paint) second = (second + 1) % kPaintCount;
    return {static_cast<Kind>(kind), paint, second};
}

const Color kLampFront = rgb(255, 246, 200);
const Color kLampRear = rgb(214, 30, 30);
const Color kChrome = rgb(196, 202, 210);
const Color kDeck = rgb(70, 74, 80);

void tyres(const Ctx& c, float x0, float w, float y, float len, float tw = 2.8f) {
    c.fill(c.p().roundRect(x0 - 1.3f, y, tw, len, 0.9f).roundRect(x0 + w - tw + 1.3f, y, tw, len, 0.9f), kTyre);
}

// A body panel: dark rim, then the rounded, lit colour.
void panel(const Ctx& c, float x, float y, float w, float h, float r, Color base) {
    c.fill(c.p().roundRect(x, y, w, h, r), shade(base, 0.48f));
    c.fill(c.p().roundRect(x + 0.8f, y + 0.8f, w - 1.6f, h - 1.6f, r > 0.8f ? r - 0.8f : 0),
           across(c, x + w / 2, w / 2, base));
}

void glass(const Ctx& c, const std::vector<Pt>& pts, float yTop, float yBottom) {
    c.fill(c.p().polygon(pts), linear(c, {0, yTop}, rgb(118, 148, 178), {0, yBottom}, kGlass));
}

void ribs(const Ctx& c, float x, float y, float w, float h, float step, Color base) {
    Path r = c.p();
    for (float yy = y + step; yy < y + h - 0.5f; yy += step) r.rect(x + 1.2f, yy, w - 2.4f, 0.55f);
    c.fill(r, shade(base, 0.8f));
}

// ---- cars --------------------------------------------------------------

struct CarShape {
    float len = 43, wid = 21;
    float hood = 0.29f;   // windscreen starts (fraction of length)
    float back = 0.85f;   // rear window ends
    float roofIn = 0.17f, roofOut = 0.12f;  // glass seen before and after the roof
};

struct CarGeom {
    float x0, y0, wid, len, roofX, roofY, roofW, roofH;
};

CarGeom car(const Ctx& c, const CarShape& s, Color body, Color roof) {
    const float x0 = 24 - s.wid / 2, y0 = (48 - s.len) / 2;
    tyres(c, x0, s.wid, y0 + s.len * 0.13f, s.len * 0.17f);
    tyres(c, x0, s.wid, y0 + s.len * 0.70f, s.len * 0.17f);
    const float yW = y0 + s.len * s.hood, yB = y0 + s.len * s.back;
    // Mirrors.
    c.fill(c.p().ellipse(x0 - 0.4f, yW + 1.2f, 1.7f, 1.1f).ellipse(x0 + s.wid + 0.4f, yW + 1.2f, 1.7f, 1.1f),
           shade(body, 0.45f));
    panel(c, x0, y0, s.wid, s.len, s.wid * 0.36f, body);
    // Bonnet crease lines give the front some shape.
    Path crease = c.p();
    crease.rect(x0 + s.wid * 0.3f, y0 + 2.5f, 0.5f, yW - y0 - 4).rect(x0 + s.wid * 0.7f - 0.5f, y0 + 2.5f, 0.5f, yW - y0 - 4);
    c.fill(crease, withAlpha(shade(body, 0.75f), 0.6f));
    glass(c,
          {{x0 + 2.8f, yW}, {x0 + s.wid - 2.8f, yW}, {x0 + s.wid - 1.5f, yW + 3.2f}, {x0 + s.wid - 1.5f, yB - 1.8f},
           {x0 + s.wid - 2.9f, yB}, {x0 + 2.9f, yB}, {x0 + 1.5f, yB - 1.8f}, {x0 + 1.5f, yW + 3.2f}},
          yW, yB);
    const float rx = x0 + 3.4f, rw = s.wid - 6.8f;
    const float ry = yW + s.len * s.roofIn, rh = (yB - s.len * s.roofOut) - ry;
    panel(c, rx, ry, rw, rh, 2.2f, roof);
    c.fill(c.p().ellipse(x0 + 3.3f, y0 + 1.5f, 2.2f, 1.0f).ellipse(x0 + s.wid - 3.3f, y0 + 1.5f, 2.2f, 1.0f), kLampFront);
    c.fill(c.p().roundRect(x0 + 1.6f, y0 + s.len - 1.7f, 3.4f, 1.2f, 0.5f)
               .roundRect(x0 + s.wid - 5.0f, y0 + s.len - 1.7f, 3.4f, 1.2f, 0.5f),
           kLampRear);
    return {x0, y0, s.wid, s.len, rx, ry, rw, rh};
}

void checkerSign(const Ctx& c, float cx, float y) {
    c.fill(c.p().roundRect(cx - 4.6f, y - 0.4f, 9.2f, 3.6f, 0.6f), rgb(40, 40, 40));
    Path sq = c.p();
    for (int i = 0; i < 4; ++i) {
        sq.rect(cx - 4.0f + i * 2.0f, y + (i % 2 ? 1.4f : 0.2f), 2.0f, 1.2f);
    }
    c.fill(c.p().rect(cx - 4.0f, y + 0.2f, 8.0f, 2.4f), rgb(250, 214, 40));
    c.fill(sq, rgb(30, 30, 30));
}

void lightBar(const Ctx& c, float cx, float y, float w, Color left, Color right) {
    c.fill(c.p().roundRect(cx - w / 2 - 0.5f, y - 0.5f, w + 1, 3.2f, 1.0f), rgb(40, 40, 46));
    c.fill(c.p().roundRect(cx - w / 2, y, w / 2 - 0.3f, 2.2f, 0.8f), left);
    c.fill(c.p().roundRect(cx + 0.3f, y, w / 2 - 0.3f, 2.2f, 0.8f), right);
}

void drawCarKind(const Ctx& c, const Look& look, Color body, Color second) {
    CarShape s;
    switch (look.kind) {
    case Kind::Sedan: car(c, s, body, body); break;
    case Kind::Hatchback:
        s.len = 36, s.wid = 19.5f, s.hood = 0.28f, s.back = 0.94f, s.roofIn = 0.15f, s.roofOut = 0.07f;
        car(c, s, body, body);
        break;
    case Kind::Suv: {
        s.len = 42, s.wid = 23, s.hood = 0.26f, s.back = 0.92f, s.roofIn = 0.12f, s.roofOut = 0.07f;
        const CarGeom g = car(c, s, body, shade(body, 1.05f));
        Path rails = c.p();
        rails.roundRect(g.roofX + 0.6f, g.roofY + 1, 1.1f, g.roofH - 2, 0.5f)
            .roundRect(g.roofX + g.roofW - 1.7f, g.roofY + 1, 1.1f, g.roofH - 2, 0.5f);
        c.fill(rails, kChrome);
        break;
    }
    case Kind::Sports: {
        s.len = 40, s.wid = 22, s.hood = 0.38f, s.back = 0.74f, s.roofIn = 0.12f, s.roofOut = 0.08f;
        const CarGeom g = car(c, s, body, body);
        Path stripes = c.p();
        stripes.rect(22.0f, g.y0 + 1.2f, 1.4f, s.len * 0.38f - 1.2f).rect(24.6f, g.y0 + 1.2f, 1.4f, s.len * 0.38f - 1.2f);
        stripes.rect(22.0f, g.roofY, 1.4f, g.roofH).rect(24.6f, g.roofY, 1.4f, g.roofH);
        stripes.rect(22.0f, g.y0 + s.len * 0.76f, 1.4f, s.len * 0.24f - 1.4f)
            .rect(24.6f, g.y0 + s.len * 0.76f, 1.4f, s.len * 0.24f - 1.4f);
        c.fill(stripes, withAlpha(second, 0.95f));
        c.fill(c.p().roundRect(g.x0 + 2, g.y0 + s.len - 3.4f, s.wid - 4, 1.6f, 0.6f), shade(body, 0.55f));  // spoiler
        break;
    }
    case Kind::Pickup: {
        s.len = 44, s.wid = 21, s.hood = 0.25f, s.back = 0.56f, s.roofIn = 0.12f, s.roofOut = 0.05f;
        const CarGeom g = car(c, s, body, body);
        const float by = g.y0 + s.len * 0.60f, bh = s.len * 0.40f - 2.0f;
        c.fill(c.p().roundRect(g.x0 + 1.8f, by, s.wid - 3.6f, bh, 0.8f), shade(body, 0.45f));
        c.fill(c.p().rect(g.x0 + 2.5f, by + 0.7f, s.wid - 5.0f, bh - 1.4f), rgb(64, 66, 70));
        ribs(c, g.x0 + 2.5f, by + 0.7f, s.wid - 5.0f, bh - 1.4f, 2.4f, rgb(110, 112, 118));
        break;
    }
    case Kind::Taxi: {
        static const Color taxiBodies[] = {rgb(248, 204, 28), rgb(250, 250, 248), rgb(250, 170, 30), rgb(255, 224, 80)};
        const Color tb = taxiBodies[look.paint % 4];
        const CarGeom g = car(c, s, tb, tb);
        checkerSign(c, 24, g.roofY + g.roofH * 0.3f);
        // Fleet colour along the sides tells one firm's cabs from another's.
        c.fill(c.p().rect(g.x0 + 0.8f, g.y0 + s.len * 0.42f, 1.1f, s.len * 0.38f)
                   .rect(g.x0 + s.wid - 1.9f, g.y0 + s.len * 0.42f, 1.1f, s.len * 0.38f),
               second);
        break;
    }
    case Kind::Police: {
        static const Color policeBodies[] = {rgb(242, 244, 246), rgb(30, 48, 104), rgb(242, 244, 246), rgb(52, 54, 60)};
        const Color pb = policeBodies[look.paint % 4];
        const CarGeom g = car(c, s, pb, look.paint % 2 ? rgb(236, 238, 240) : pb);
        lightBar(c, 24, g.roofY + 2.0f, g.roofW - 1.5f, rgb(230, 40, 40), rgb(40, 90, 240));
        const Color stripe = second;
        c.fill(c.p().rect(g.x0 + 0.8f, g.y0 + s.len * 0.45f, 1.1f, s.len * 0.35f)
                   .rect(g.x0 + s.wid - 1.9f, g.y0 + s.len * 0.45f, 1.1f, s.len * 0.35f),
               stripe);
        break;
    }
    default: throw std::logic_error("not a car kind");
    }
}

// ---- vans and buses ------------------------------------------------------

void van(const Ctx& c, Color body, float len, float wid, bool windows, Color roofColour) {
    const float x0 = 24 - wid / 2, y0 = (48 - len) / 2;
    tyres(c, x0, wid, y0 + len * 0.10f, len * 0.15f);
    tyres(c, x0, wid, y0 + len * 0.72f, len * 0.15f);
    c.fill(c.p().ellipse(x0 - 0.6f, y0 + len * 0.2f, 1.8f, 1.1f).ellipse(x0 + wid + 0.6f, y0 + len * 0.2f, 1.8f, 1.1f),
           shade(body, 0.45f));
    panel(c, x0, y0, wid, len, 5.5f, body);
    const float yW = y0 + len * 0.12f;
    glass(c, {{x0 + 3, yW}, {x0 + wid - 3, yW}, {x0 + wid - 1.6f, yW + 4.8f}, {x0 + 1.6f, yW + 4.8f}}, yW, yW + 4.8f);
    if (windows) {
        Path w = c.p();
        w.rect(x0 + 1.0f, yW + 6, 1.3f, len * 0.5f).rect(x0 + wid - 2.3f, yW + 6, 1.3f, len * 0.5f);
        c.fill(w, kGlass);
    }
    panel(c, x0 + 2.4f, yW + 4.2f, wid - 4.8f, y0 + len - yW - 5.6f, 2.0f, roofColour);
    ribs(c, x0 + 2.4f, yW + 4.2f, wid - 4.8f, y0 + len - yW - 5.6f, 4.2f, roofColour);
    c.fill(c.p().ellipse(x0 + 3.6f, y0 + 1.4f, 2.3f, 0.9f).ellipse(x0 + wid - 3.6f, y0 + 1.4f, 2.3f, 0.9f), kLampFront);
    c.fill(c.p().rect(x0 + 1.4f, y0 + len - 1.5f, 2.6f, 0.9f).rect(x0 + wid - 4.0f, y0 + len - 1.5f, 2.6f, 0.9f), kLampRear);
}

void bus(const Ctx& c, Color body, Color second, bool poles) {
    const float x0 = 13, y0 = 1.5f, wid = 22, len = 45;
    tyres(c, x0, wid, 7, 6.5f);
    tyres(c, x0, wid, 33, 6.5f);
    c.fill(c.p().ellipse(x0 - 0.8f, 4.5f, 1.6f, 1.0f).ellipse(x0 + wid + 0.8f, 4.5f, 1.6f, 1.0f), rgb(40, 40, 44));
    panel(c, x0, y0, wid, len, 3.5f, body);
    glass(c, {{x0 + 1.4f, y0 + 1.2f}, {x0 + wid - 1.4f, y0 + 1.2f}, {x0 + wid - 1.2f, y0 + 4.6f}, {x0 + 1.2f, y0 + 4.6f}},
          y0 + 1.2f, y0 + 4.6f);
    Path w = c.p();
    w.rect(x0 + 0.9f, y0 + 6, 1.2f, len - 9).rect(x0 + wid - 2.1f, y0 + 6, 1.2f, len - 9);
    c.fill(w, kGlass);
    c.fill(c.p().roundRect(x0 + 2.6f, y0 + 5.2f, wid - 5.2f, len - 7.4f, 1.5f), across(c, 24, wid / 2 - 2.6f, shade(body, 1.06f)));
    c.fill(c.p().rect(x0 + 2.6f, y0 + 12, wid - 5.2f, 1.6f), second);
    panel(c, 18, 20, 12, 9, 1.5f, rgb(214, 218, 222));  // climate unit
    Path grille = c.p();
    for (int i = 0; i < 3; ++i) grille.rect(19.6f + i * 3.3f, 21.6f, 2.1f, 5.8f);
    c.fill(grille, rgb(150, 156, 164));
    panel(c, 20.5f, 33.5f, 7, 5, 1.0f, shade(body, 0.9f));  // roof hatch
    panel(c, 20.5f, 7.5f, 7, 4.5f, 1.0f, shade(body, 0.9f));
    if (poles) {
        c.fill(c.p().roundRect(19.5f, 28, 9, 4, 1), rgb(60, 62, 66));
        Path p = c.p();
        p.stroke({{21.5f, 30}, {20.2f, 47.5f}}, 1.1f).stroke({{26.5f, 30}, {27.8f, 47.5f}}, 1.1f);
        c.fill(p, rgb(40, 42, 46));
    }
}

// ---- trucks --------------------------------------------------------------

// Cab seen from above; returns the y where the load area may start.
float cab(const Ctx& c, Color body, float y0, float len, float wid = 21) {
    const float x0 = 24 - wid / 2;
    tyres(c, x0, wid, y0 + 2.5f, 6.5f, 3.0f);
    Path arms = c.p();
    arms.rect(x0 - 2.6f, y0 + 2.4f, 3.0f, 0.9f).rect(x0 + wid - 0.4f, y0 + 2.4f, 3.0f, 0.9f);
    c.fill(arms, rgb(40, 40, 44));
    c.fill(c.p().roundRect(x0 - 3.2f, y0 + 1.4f, 1.4f, 3.2f, 0.5f).roundRect(x0 + wid + 1.8f, y0 + 1.4f, 1.4f, 3.2f, 0.5f),
           rgb(40, 40, 44));
    panel(c, x0, y0, wid, len, 3.0f, body);
    glass(c, {{x0 + 1.6f, y0 + 1.0f}, {x0 + wid - 1.6f, y0 + 1.0f}, {x0 + wid - 1.3f, y0 + 3.6f}, {x0 + 1.3f, y0 + 3.6f}},
          y0 + 1, y0 + 3.6f);
    panel(c, x0 + 2.0f, y0 + 4.2f, wid - 4.0f, len - 5.4f, 1.6f, shade(body, 1.06f));
    c.fill(c.p().rect(x0 + 2.8f, y0 + 5.6f, wid - 5.6f, 1.0f), withAlpha(kWhite, 0.35f));  // sun visor highlight
    return y0 + len + 1.2f;
}

void rearAxles(const Ctx& c, float x0, float wid, float y) {
    tyres(c, x0, wid, y, 5.0f, 3.0f);
    tyres(c, x0, wid, y + 6.0f, 5.0f, 3.0f);
}

void box(const Ctx& c, Color colour, float y, float bottom, float wid = 24) {
    const float x0 = 24 - wid / 2;
    rearAxles(c, x0, wid, bottom - 14);
    panel(c, x0, y, wid, bottom - y, 1.4f, colour);
    ribs(c, x0, y, wid, bottom - y, 3.6f, colour);
}

void drawTruckKind(const Ctx& c, const Look& look, Color body, Color second) {
    switch (look.kind) {
    case Kind::BoxTruck: {
        const float y = cab(c, body, 1.5f, 12);
        box(c, second.r + second.g + second.b > 2.4f ? second : mix(second, kWhite, 0.25f), y, 46.5f);
        break;
    }
    case Kind::Fridge: {
        const float y = cab(c, body, 1.5f, 12);
        box(c, rgb(244, 246, 248), y, 46.5f);
        panel(c, 16, y + 0.8f, 16, 4.6f, 1.0f, rgb(120, 126, 134));
        c.fill(c.p().circle(20, y + 3.1f, 1.6f).circle(28, y + 3.1f, 1.6f), rgb(60, 64, 70));
        c.fill(c.p().rect(12.8f, y + 7, 22.4f, 2.2f).rect(12.8f, 42, 22.4f, 1.2f), second);
        break;
    }
    case Kind::Tanker: {
        const float y = cab(c, body, 1.5f, 12);
        rearAxles(c, 13, 22, 32.5f);
        const Color tank = (look.paint % 2) ? kChrome : mix(second, kWhite, 0.15f);
        c.fill(c.p().roundRect(12.5f, y, 23, 46.8f - y, 5.5f), shade(tank, 0.45f));
        c.fill(c.p().roundRect(13.3f, y + 0.8f, 21.4f, 45.2f - y, 4.8f), across(c, 24, 10.7f, tank, 0.62f, 1.3f));
        c.fill(c.p().rect(23.3f, y + 2, 1.4f, 42 - y), withAlpha(shade(tank, 0.6f), 0.9f));  // walkway
        Path hatches = c.p();
        for (int i = 0; i < 3; ++i) hatches.circle(24, y + 5.5f + i * 10.5f, 2.4f);
        c.fill(hatches, shade(tank, 0.5f));
        Path lids = c.p();
        for (int i = 0; i < 3; ++i) lids.circle(24, y + 5.5f + i * 10.5f, 1.6f);
        c.fill(lids, shade(tank, 1.2f));
        break;
    }
    case Kind::Dump: {
        const float y = cab(c, body, 2, 11.5f);
        rearAxles(c, 12.5f, 23, 32.5f);
        panel(c, 12, y, 24, 46.5f - y, 1.5f, second);
        c.fill(c.p().rect(14, y + 2, 20, 42.5f - y), rgb(150, 118, 80));
        // A heap of gravel: a few darker and lighter grains, fixed positions.
        Path grains = c.p(), light = c.p();
        for (int i = 0; i < 26; ++i) {
            const float gx = 15.2f + static_cast<float>((i * 37) % 18);
            const float gy = y + 3.0f + static_cast<float>((i * 53) % 28) * (40.0f - y) / 28.0f;
            (i % 2 ? grains : light).circle(gx, gy, 0.75f);
        }
        c.fill(grains, rgb(110, 84, 56));
        c.fill(light, rgb(188, 156, 110));
        c.fill(c.p().roundRect(12, y - 2.2f, 24, 3.2f, 1), shade(second, 0.7f));  // cab guard
        break;
    }
    case Kind::Semi: {
        const float y = cab(c, body, 0.8f, 11.5f);
        c.fill(c.p().rect(19, y - 1.2f, 10, 3), kDeck);
        c.fill(c.p().circle(24, y + 0.6f, 2.0f), rgb(120, 124, 130));
        const Color trailer = mix(second, kWhite, 0.2f);
        rearAxles(c, 12, 24, 35.5f);
        panel(c, 12, y + 1.6f, 24, 47.6f - y - 1.6f, 2.0f, trailer);
        ribs(c, 12, y + 1.6f, 24, 47.6f - y - 1.6f, 3.4f, trailer);
        break;
    }
    case Kind::Mixer: {
        const float y = cab(c, body, 1.5f, 12);
        rearAxles(c, 13, 22, 33);
        c.fill(c.p().rect(15, y, 18, 46 - y), kDeck);
        const Color drum = mix(second, kWhite, 0.35f);
        c.fill(c.p().roundRect(14, y + 1.5f, 20, 44.8f - y - 1.5f, 9), shade(drum, 0.45f));
        c.fill(c.p().roundRect(14.8f, y + 2.3f, 18.4f, 43.2f - y - 1.5f, 8.2f), across(c, 24, 9.2f, drum, 0.6f, 1.25f));
        Path spiral = c.p();
        for (int i = 0; i < 4; ++i) {
            const float yy = y + 8.5f + i * 5.6f;
            spiral.stroke({{16.2f, yy + 2.4f}, {24, yy}, {31.8f, yy + 2.4f}}, 1.4f);
        }
        c.fill(spiral, shade(second, 0.75f));
        c.fill(c.p().roundRect(21.5f, 43.5f, 5, 3.5f, 1), rgb(90, 94, 100));  // chute
        break;
    }
    case Kind::Garbage: {
        const float y = cab(c, body, 1.5f, 12);
        rearAxles(c, 12.5f, 23, 32.5f);
        panel(c, 12.5f, y, 23, 46.8f - y, 4, body);
        ribs(c, 12.5f, y, 23, 38 - y, 4.4f, body);
        panel(c, 13.5f, 38.5f, 21, 8, 3, rgb(90, 96, 104));  // compactor
        c.fill(c.p().rect(13, y + 2.5f, 22, 2.0f), second);
        break;
    }
    case Kind::Crane: {
        const float y = cab(c, body, 1.5f, 11);
        rearAxles(c, 13, 22, 33);
        panel(c, 12.5f, y, 23, 46.5f - y, 1.2f, rgb(92, 96, 102));
        Path outriggers = c.p();
        outriggers.rect(9.5f, y + 2, 29, 2.2f).rect(9.5f, 42, 29, 2.2f);
        c.fill(outriggers, rgb(60, 62, 68));
        panel(c, 17.5f, 29, 13, 12, 2.5f, body);  // turret
        const Color boom = rgb(250, 196, 30);
        c.fill(c.p().roundRect(21.2f, 4.5f, 5.6f, 32, 1.2f), shade(boom, 0.5f));
        c.fill(c.p().rect(21.9f, 5.2f, 4.2f, 30.6f), across(c, 24, 2.1f, boom));
        Path lattice = c.p();
        for (int i = 0; i < 7; ++i) lattice.stroke({{22.2f, 7.0f + i * 4}, {25.8f, 9.0f + i * 4}}, 0.6f);
        c.fill(lattice, shade(boom, 0.6f));
        c.fill(c.p().circle(24, 4.0f, 1.5f), rgb(50, 50, 54));  // hook
        break;
    }
    case Kind::Fire: {
        const Color red = rgb(206, 30, 34);
        const float y = cab(c, red, 1.5f, 12);
        lightBar(c, 24, 7.0f, 13, rgb(60, 120, 255), rgb(60, 120, 255));
        box(c, red, y, 46.5f);
        c.fill(c.p().rect(12.8f, y + 1.0f, 22.4f, 1.6f), second);  // brigade band
        c.fill(c.p().circle(24, 39, 4.2f), rgb(120, 124, 130));  // turntable
        const Color rail = (look.paint % 2) ? kChrome : rgb(238, 238, 236);
        Path ladder = c.p();
        ladder.rect(19.5f, 5.5f, 1.5f, 35).rect(27.0f, 5.5f, 1.5f, 35);
        for (float yy = 7.0f; yy < 40; yy += 2.6f) ladder.rect(21, yy, 6, 0.8f);
        c.fill(ladder, shade(rail, 0.5f));
        Path ladderLit = c.p();
        ladderLit.rect(19.8f, 5.8f, 0.9f, 34.4f).rect(27.3f, 5.8f, 0.9f, 34.4f);
        c.fill(ladderLit, rail);
        break;
    }
    case Kind::Tractor: {
        const float x0 = 15;
        // Big rear wheels with treads, small front ones.
        Path tread = c.p();
        for (int side = 0; side < 2; ++side) {
            const float wx = side ? 32.2f : 9.4f;
            c.fill(c.p().roundRect(wx, 27, 6.4f, 16, 2.2f), kTyre);
            for (int i = 0; i < 6; ++i) tread.rect(wx + 0.6f, 28.4f + i * 2.4f, 5.2f, 0.8f);
        }
        c.fill(tread, rgb(70, 70, 74));
        c.fill(c.p().roundRect(14.2f, 6, 3.4f, 8, 1.2f).roundRect(30.4f, 6, 3.4f, 8, 1.2f), kTyre);
        c.fill(c.p().rect(17, 9, 14, 1.4f), rgb(60, 60, 64));  // front axle
        panel(c, 19, 2.5f, 10, 22, 2.5f, body);  // bonnet
        Path grille = c.p();
        for (int i = 0; i < 4; ++i) grille.rect(20.5f, 4.5f + i * 2.2f, 7, 0.8f);
        c.fill(grille, shade(body, 0.6f));
        c.fill(c.p().roundRect(20.2f, 14, 1.6f, 5, 0.6f), rgb(50, 50, 52));  // exhaust
        panel(c, 13.5f, 26.5f, 5, 11, 2, body);   // fenders
        panel(c, 29.5f, 26.5f, 5, 11, 2, body);
        panel(c, x0 + 2, 21.5f, 14, 17, 2.0f, rgb(64, 72, 84));  // cab glass frame
        panel(c, x0 + 3.2f, 22.7f, 11.6f, 14.6f, 1.6f, shade(second, 1.15f));  // roof
        c.fill(c.p().rect(21.5f, 39, 5, 5.5f), rgb(80, 84, 90));  // hitch
        break;
    }
    default: throw std::logic_error("not a truck kind");
    }
}

Color paintOf(int i) { return kPaints[i].colour; }

void placeholder(const Ctx& c) {
    // Never offered in the list: a dashed outline of a car with a question mark.
    Path dash = c.p();
    auto pts = arcPoints(24, 24, 11, 21, 0, 360, 60);
    for (size_t i = 0; i + 2 < pts.size(); i += 4) dash.stroke({pts[i], pts[i + 1], pts[i + 2]}, 1.6f);
    c.fill(dash, rgb(150, 156, 164));
    centredText(c, "?", 24, 24, 14, 2.4f, rgb(130, 136, 146));
}

}  // namespace

Image drawVehicle(int index, int size) {
    if (index < 0 || index > 167) throw std::invalid_argument("vehicle index out of range");
    Image img(size, size);
    const Ctx c = ctxFor(img, 48);
    if (index == 167) {
        placeholder(c);
        return img;
    }
    const Look look = lookFor(index);
    const Color body = paintOf(look.paint), second = paintOf(look.second);
    switch (look.kind) {
    case Kind::Sedan:
    case Kind::Hatchback:
    case Kind::Suv:
    case Kind::Sports:
    case Kind::Pickup:
    case Kind::Taxi:
    case Kind::Police: drawCarKind(c, look, body, second); break;
    case Kind::Van: van(c, body, 44, 22, false, body); break;
    case Kind::Minibus: van(c, body, 46, 22, true, mix(body, kWhite, 0.3f)); break;
    case Kind::Ambulance: {
        van(c, rgb(246, 246, 244), 44, 22, false, rgb(246, 246, 244));
        c.fill(c.p().rect(13.8f, 14, 1.3f, 28).rect(32.9f, 14, 1.3f, 28), second);
        Path cross = c.p();
        cross.rect(21.8f, 20, 4.4f, 13).rect(17.5f, 24.3f, 13, 4.4f);
        c.fill(cross, rgb(220, 36, 40));
        lightBar(c, 24, 10.2f, 14, rgb(50, 110, 250), rgb(50, 110, 250));
        break;
    }
    case Kind::Bus: bus(c, body, second, false); break;
    case Kind::Trolleybus: bus(c, body, second, true); break;
    default: drawTruckKind(c, look, body, second); break;
    }
    return img;
}

std::string vehicleDescription(int index) {
    if (index == 167) return "placeholder (never offered)";
    const Look look = lookFor(index);
    std::string s = kKindNames[static_cast<int>(look.kind)];
    switch (look.kind) {
    case Kind::Ambulance:
    case Kind::Fire:
    case Kind::Taxi:
    case Kind::Police: return s + ", " + kPaints[look.second].name + " trim";
    default: return s + ", " + kPaints[look.paint].name;
    }
}

}  // namespace icongen
