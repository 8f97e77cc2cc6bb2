// Layer icon, info point category icons, menu and tool bar images, logo.
#include <cmath>
#include <stdexcept>

#include "artwork.h"
#include "draw_util.h"

namespace icongen {

namespace {

constexpr float kPi = 3.14159265358979f;

// Category colours: one per row of the info point table, reused by the menu.
const Color kCheckpointGreen = rgb(34, 139, 64);
const Color kParkingBlue = rgb(28, 88, 196);
const Color kSignalSlate = rgb(84, 100, 122);
const Color kPowerAmber = rgb(232, 138, 16);
const Color kSpeedRed = rgb(206, 36, 40);
const Color kRefuelGreen = rgb(40, 156, 64);
const Color kDrainRed = rgb(212, 66, 30);
const Color kTankOchre = rgb(196, 128, 24);
const Color kNoEntryRed = rgb(222, 30, 36);
const Color kSensorColours[6] = {rgb(0, 137, 150), rgb(63, 81, 181), rgb(142, 36, 170),
                                 rgb(216, 27, 96),  rgb(121, 85, 60), rgb(85, 139, 47)};

Pt polar(float cx, float cy, float r, float deg) {
    return {cx + r * std::cos(deg * kPi / 180), cy + r * std::sin(deg * kPi / 180)};
}

// ---- badges (24-unit design) ----------------------------------------------

// Badges: a dark rim, a thin white ring (dropped in the compact menu size,
// where it would eat the picture), and the lit category colour.
void discBadge(const Ctx& c, Color base, bool ring = true) {
    c.fill(c.p().circle(12, 12, 11.6f), shade(base, 0.5f));
    if (ring) c.fill(c.p().circle(12, 12, 10.8f), kWhite);
    c.fill(c.p().circle(12, 12, ring ? 9.7f : 10.7f), linear(c, {12, 2}, shade(base, 1.22f), {12, 22}, shade(base, 0.86f)));
}

void squareBadge(const Ctx& c, Color base, bool ring = true) {
    c.fill(c.p().roundRect(0.5f, 0.5f, 23, 23, 5), shade(base, 0.5f));
    if (ring) c.fill(c.p().roundRect(1.4f, 1.4f, 21.2f, 21.2f, 4.2f), kWhite);
    const float i = ring ? 2.7f : 1.4f;
    c.fill(c.p().roundRect(i, i, 24 - 2 * i, 24 - 2 * i, 3.2f),
           linear(c, {12, 2}, shade(base, 1.22f), {12, 22}, shade(base, 0.86f)));
}

std::vector<Pt> hexagon(float r) {
    std::vector<Pt> pts;
    for (int i = 0; i < 6; ++i) pts.push_back(polar(12, 12, r, -90.0f + 60.0f * i));
    return pts;
}

void hexBadge(const Ctx& c, Color base, bool ring = true) {
    // A different outline from the event discs: sensors read as a family.
    c.fill(c.p().polygon(hexagon(12.4f)), shade(base, 0.5f));
    if (ring) c.fill(c.p().polygon(hexagon(11.5f)), kWhite);
    c.fill(c.p().polygon(hexagon(ring ? 10.1f : 11.4f)), linear(c, {12, 2}, shade(base, 1.22f), {12, 22}, shade(base, 0.86f)));
}

// ---- pictograms (24-unit design, white on the badge) ----------------------

void flagPictogram(const Ctx& c, Color ink, Color accent) {
    Path pole = c.p();
    pole.stroke({{8.3f, 18.6f}, {8.3f, 5.2f}}, 1.8f);
    c.fill(pole, ink);
    std::vector<Pt> flag{{9.0f, 5.0f}};
    auto top = arcPoints(12.6f, 6.4f, 3.6f, 1.2f, 180, 360, 10);
    flag.insert(flag.end(), top.begin() + 1, top.end());
    flag.push_back({17.8f, 6.0f});
    flag.push_back({17.8f, 12.0f});
    auto bottom = arcPoints(13.4f, 12.2f, 4.4f, 1.3f, 0, -180, 10);
    flag.insert(flag.end(), bottom.begin(), bottom.end());
    c.fill(c.p().polygon(flag), ink);
    // A checked band keeps it a "checkpoint" flag and not a generic marker.
    Path squares = c.p();
    squares.rect(9.0f, 5.8f, 2.2f, 2.2f).rect(13.4f, 5.8f, 2.2f, 2.2f).rect(11.2f, 8.0f, 2.2f, 2.2f)
        .rect(15.6f, 8.0f, 2.2f, 2.2f).rect(9.0f, 10.2f, 2.2f, 2.0f).rect(13.4f, 10.2f, 2.2f, 2.2f);
    c.fill(squares, accent);
}

void antennaPictogram(const Ctx& c, Color ink) {
    Path mast = c.p();
    mast.stroke({{8.2f, 19.6f}, {12, 9.6f}, {15.8f, 19.6f}}, 2.0f);
    mast.stroke({{9.8f, 15.4f}, {14.2f, 15.4f}}, 1.6f);
    mast.circle(12, 8.6f, 2.1f);
    mast.arcStroke(12, 8.6f, 4.3f, 200, 250, 1.8f).arcStroke(12, 8.6f, 4.3f, 290, 340, 1.8f);
    mast.arcStroke(12, 8.6f, 7.2f, 205, 245, 1.8f).arcStroke(12, 8.6f, 7.2f, 295, 335, 1.8f);
    c.fill(mast, ink);
}

void slash(const Ctx& c, Color colour) {
    Path halo = c.p();
    halo.stroke({{5.4f, 5.4f}, {18.6f, 18.6f}}, 4.0f);
    c.fill(halo, kWhite);
    Path bar = c.p();
    bar.stroke({{5.4f, 5.4f}, {18.6f, 18.6f}}, 2.2f);
    c.fill(bar, colour);
}

void batteryPictogram(const Ctx& c, Color ink, Color bolt) {
    c.fill(c.p().roundRect(3.4f, 6.8f, 15.4f, 10.4f, 1.8f), ink);
    c.fill(c.p().roundRect(18.3f, 9.6f, 2.4f, 4.8f, 0.8f), ink);
    c.fill(c.p().polygon({{13.6f, 7.6f}, {7.4f, 12.9f}, {11.0f, 12.9f}, {9.6f, 16.4f},
                          {15.8f, 11.0f}, {12.2f, 11.0f}}),
           bolt);
}

void speedometerPictogram(const Ctx& c, Color ink) {
    Path dial = c.p();
    dial.arcStroke(12, 13.4f, 7.6f, 150, 390, 2.2f, false);
    for (int i = 0; i <= 4; ++i) {
        const float a = 150 + 60.0f * i;
        dial.stroke({polar(12, 13.4f, 4.6f, a), polar(12, 13.4f, 5.9f, a)}, 1.4f);
    }
    // Needle well into the top of the range: "too fast".
    dial.stroke({{12, 13.4f}, polar(12, 13.4f, 6.6f, 322)}, 2.0f);
    dial.circle(12, 13.4f, 2.2f);
    c.fill(dial, ink);
}

// A jerrycan with a "+" (refuel) or "-" (drain) in the badge colour.
void canPictogram(const Ctx& c, Color ink, Color markColour, const std::string& mark) {
    Path can = c.p();
    can.roundRect(5.6f, 7.6f, 13.2f, 13.2f, 2.0f);
    can.polygon({{5.6f, 10.0f}, {5.6f, 7.0f}, {9.0f, 3.8f}, {12.4f, 3.8f}, {12.4f, 8.0f}});
    can.roundRect(13.0f, 3.8f, 5.8f, 4.6f, 1.4f);  // handle
    can.roundRectHole(14.5f, 5.0f, 2.8f, 2.0f, 0.7f);
    c.fill(can, ink);
    c.fill(c.p().stroke({{4.6f, 6.6f}, {7.2f, 4.0f}}, 2.0f), ink);  // spout
    Path m = c.p();
    m.stroke({{8.6f, 14.3f}, {15.8f, 14.3f}}, 2.4f, false);
    if (mark == "+") m.stroke({{12.2f, 10.7f}, {12.2f, 17.9f}}, 2.4f, false);
    c.fill(m, markColour);
}

void sensorPictogram(const Ctx& c, int number) {
    centredText(c, std::to_string(number), 12, 12.2f, 11.5f, 2.5f, kWhite);
}

// Fuel drop, for the tank menu images.
void dropPictogram(const Ctx& c, float cx, float cy, float r, Color ink) {
    std::vector<Pt> drop = arcPoints(cx, cy, r, r, -30, 210, 24);
    drop.push_back({cx, cy - r * 2.3f});
    c.fill(c.p().polygon(drop), ink);
}

// Compact pictures (16-pixel menu) drop the white ring and draw the symbol larger.
Ctx pictogramCtx(const Ctx& c, bool compact) {
    if (!compact) return c;
    const float k = 1.14f;
    return {c.img, Affine::scaling(k, 12 - 12 * k, 12 - 12 * k).then(c.m)};
}

void categoryPicture(const Ctx& c, int row, bool compact = false) {
    // Rows as in the info point table: 1 checkpoints ... 13 sensor 6; 14 = drain.
    const bool ring = !compact;
    const Ctx pc = pictogramCtx(c, compact);
    switch (row) {
    case 1: discBadge(c, kCheckpointGreen, ring); flagPictogram(pc, kWhite, kCheckpointGreen); break;
    case 2: squareBadge(c, kParkingBlue, ring); centredText(pc, "P", 12.4f, 12, 12, 2.7f, kWhite); break;
    case 3: discBadge(c, kSignalSlate, ring); antennaPictogram(pc, kWhite); slash(c, kNoEntryRed); break;
    case 4: discBadge(c, kPowerAmber, ring); batteryPictogram(pc, kWhite, shade(kPowerAmber, 0.75f)); break;
    case 5: discBadge(c, kSpeedRed, ring); speedometerPictogram(pc, kWhite); break;
    case 6: discBadge(c, kRefuelGreen, ring); canPictogram(pc, kWhite, kRefuelGreen, "+"); break;
    case 14: discBadge(c, kDrainRed, ring); canPictogram(pc, kWhite, kDrainRed, "-"); break;
    default:
        if (row >= 8 && row <= 13) {
            hexBadge(c, kSensorColours[row - 8], ring);
            sensorPictogram(pc, row - 7);
            break;
        }
        throw std::invalid_argument("no category picture for row " + std::to_string(row));
    }
}

// ---- tool bar (16-unit design) --------------------------------------------

const Color kInk = rgb(52, 58, 68);
const Color kToolBlue = rgb(36, 104, 204);
const Color kToolGreen = rgb(46, 150, 62);
const Color kToolRed = rgb(210, 48, 42);
const Color kToolGrey = rgb(112, 120, 132);
const Color kPaper = rgb(250, 250, 246);

void triangle(Path& p, float x, float y, float w, float h, bool right) {
    if (right)
        p.polygon({{x, y}, {x + w, y + h / 2}, {x, y + h}});
    else
        p.polygon({{x + w, y}, {x, y + h / 2}, {x + w, y + h}});
}

Paint vshade(const Ctx& c, Color base, float y0 = 1, float y1 = 15) {
    return linear(c, {0, y0}, shade(base, 1.25f), {0, y1}, shade(base, 0.85f));
}

void magnifier(const Ctx& c, const std::string& mark) {
    c.fill(c.p().circle(6.5f, 6.5f, 4.6f), rgb(220, 236, 250));
    Path ring = c.p();
    ring.circle(6.5f, 6.5f, 5.3f).circleHole(6.5f, 6.5f, 4.0f);
    ring.stroke({{10.2f, 10.2f}, {14.2f, 14.2f}}, 2.6f);
    c.fill(ring, kInk);
    if (!mark.empty()) {
        Path m = c.p();
        m.stroke({{4.4f, 6.5f}, {8.6f, 6.5f}}, 1.4f, false);
        if (mark == "+") m.stroke({{6.5f, 4.4f}, {6.5f, 8.6f}}, 1.4f, false);
        c.fill(m, kToolBlue);
    }
}

void gear(const Ctx& c, float cx, float cy, float r, Color colour) {
    std::vector<Pt> pts;
    const int teeth = 8;
    for (int i = 0; i < teeth; ++i) {
        const float a = 360.0f / teeth * i;
        pts.push_back(polar(cx, cy, r * 0.74f, a - 17));
        pts.push_back(polar(cx, cy, r, a - 9));
        pts.push_back(polar(cx, cy, r, a + 9));
        pts.push_back(polar(cx, cy, r * 0.74f, a + 17));
    }
    Path g = c.p();
    g.polygon(pts).circleHole(cx, cy, r * 0.34f);
    c.fill(g, shade(colour, 0.6f));
    Path inner = c.p();
    std::vector<Pt> in;
    for (Pt p : pts) in.push_back({cx + (p.x - cx) * 0.86f, cy + (p.y - cy) * 0.86f});
    inner.polygon(in).circleHole(cx, cy, r * 0.42f);
    c.fill(inner, linear(c, {cx, cy - r}, shade(colour, 1.35f), {cx, cy + r}, shade(colour, 0.95f)));
}

void arrowHead(Path& p, Pt tip, float deg, float len, float halfWidth) {
    const Pt back = polar(tip.x, tip.y, len, deg + 180);
    p.polygon({tip, polar(back.x, back.y, halfWidth, deg + 90), polar(back.x, back.y, halfWidth, deg - 90)});
}

// The player's arrow marker pointing at `deg` (0 = right, 270 = up).
void markerArrow(const Ctx& c, Pt at, float size, float deg, Color fill, Color edge) {
    auto place = [&](float fx, float fy) {
        // Arrow defined pointing up, then rotated.
        const float t = (deg + 90) * kPi / 180;
        return Pt{at.x + size * (fx * std::cos(t) - fy * std::sin(t)), at.y + size * (fx * std::sin(t) + fy * std::cos(t))};
    };
    std::vector<Pt> outer{place(0, -1.1f), place(0.85f, 0.9f), place(0, 0.45f), place(-0.85f, 0.9f)};
    std::vector<Pt> inner{place(0, -0.72f), place(0.56f, 0.62f), place(0, 0.28f), place(-0.56f, 0.62f)};
    c.fill(c.p().polygon(outer), edge);
    c.fill(c.p().polygon(inner), fill);
}

void toolbarPicture(const Ctx& c, int index) {
    switch (index) {
    case 0: {  // play
        Path p = c.p();
        triangle(p, 3.5f, 2, 10, 12, true);
        c.fill(p, shade(kToolGreen, 0.7f));
        Path q = c.p();
        q.polygon({{4.5f, 3.8f}, {11.6f, 8}, {4.5f, 12.2f}});
        c.fill(q, vshade(c, kToolGreen));
        break;
    }
    case 1: {  // pause
        c.fill(c.p().roundRect(3, 2.5f, 3.8f, 11, 1).roundRect(9.2f, 2.5f, 3.8f, 11, 1), vshade(c, kToolBlue));
        break;
    }
    case 2:  // stop
        c.fill(c.p().roundRect(2.5f, 2.5f, 11, 11, 1.8f), shade(kToolRed, 0.7f));
        c.fill(c.p().roundRect(3.5f, 3.5f, 9, 9, 1.2f), vshade(c, kToolRed));
        break;
    case 3: {  // step back
        Path p = c.p();
        p.rect(2.5f, 3, 2, 10);
        triangle(p, 5, 3, 8.5f, 10, false);
        c.fill(p, vshade(c, kToolBlue));
        break;
    }
    case 4: {  // step forward
        Path p = c.p();
        triangle(p, 2.5f, 3, 8.5f, 10, true);
        p.rect(11.5f, 3, 2, 10);
        c.fill(p, vshade(c, kToolBlue));
        break;
    }
    case 5: {  // rewind
        Path p = c.p();
        triangle(p, 1, 3.5f, 7, 9, false);
        triangle(p, 7.5f, 3.5f, 7, 9, false);
        c.fill(p, vshade(c, kToolBlue));
        break;
    }
    case 6: {  // fast forward
        Path p = c.p();
        triangle(p, 1.5f, 3.5f, 7, 9, true);
        triangle(p, 8, 3.5f, 7, 9, true);
        c.fill(p, vshade(c, kToolBlue));
        break;
    }
    case 7: magnifier(c, "+"); break;
    case 8: magnifier(c, "-"); break;
    case 9: {  // checkpoints: a flag standing in its circular zone
        Path zone = c.p();
        zone.ellipse(8, 12.6f, 6.6f, 2.6f);
        c.fill(zone, withAlpha(kToolGreen, 0.35f));
        Path edge = c.p();
        edge.stroke(arcPoints(8, 12.6f, 6.6f, 2.6f, 0, 360, 48), 1.0f, true, true);
        c.fill(edge, shade(kToolGreen, 0.8f));
        Path pole = c.p();
        pole.stroke({{7, 12.6f}, {7, 1.6f}}, 1.3f);
        c.fill(pole, kInk);
        Path flag = c.p();
        flag.polygon({{7.6f, 1.6f}, {14.2f, 3.2f}, {14.2f, 7.6f}, {7.6f, 6.6f}});
        c.fill(flag, shade(kToolRed, 0.75f));
        c.fill(c.p().polygon({{7.6f, 2.5f}, {13.4f, 3.9f}, {13.4f, 6.7f}, {7.6f, 5.8f}}), vshade(c, kToolRed, 2, 7));
        break;
    }
    case 10: {  // info points: a map pin with "i"
        std::vector<Pt> pin = arcPoints(8, 6, 5.2f, 5.2f, 150, 390, 32);
        pin.push_back({8, 15.2f});
        c.fill(c.p().polygon(pin), shade(kToolBlue, 0.65f));
        std::vector<Pt> pin2 = arcPoints(8, 6, 4.2f, 4.2f, 150, 390, 32);
        pin2.push_back({8, 13.4f});
        c.fill(c.p().polygon(pin2), vshade(c, kToolBlue, 1, 12));
        Path i = c.p();
        i.circle(8, 3.6f, 0.95f);
        i.stroke({{8, 5.6f}, {8, 8.6f}}, 1.6f, false);
        c.fill(i, kWhite);
        break;
    }
    case 11: {  // refresh
        Path p = c.p();
        p.arcStroke(8, 8, 5, 300, 560, 2.2f, false);
        p.polygon({polar(8, 8, 7.6f, 300), polar(8, 8, 2.4f, 300), polar(8, 8, 5, 328)});
        c.fill(p, vshade(c, kToolGreen));
        break;
    }
    case 12: {  // map
        c.fill(c.p().polygon({{1, 3}, {5.5f, 1.5f}, {10.5f, 3}, {15, 1.5f}, {15, 13}, {10.5f, 14.5f}, {5.5f, 13}, {1, 14.5f}}),
               rgb(96, 120, 96));
        c.fill(c.p().polygon({{2, 3.7f}, {5, 2.7f}, {5, 12.3f}, {2, 13.3f}}), rgb(230, 240, 214));
        c.fill(c.p().polygon({{6, 2.7f}, {10, 3.9f}, {10, 13.5f}, {6, 12.3f}}), rgb(214, 230, 244));
        c.fill(c.p().polygon({{11, 3.9f}, {14, 2.9f}, {14, 12.5f}, {11, 13.5f}}), rgb(230, 240, 214));
        c.fill(c.p().stroke({{3, 11}, {6.5f, 6}, {9.5f, 9.5f}, {12.8f, 5}}, 1.2f), kToolRed);
        break;
    }
    case 13: {  // vehicle (side view)
        c.fill(c.p().polygon({{1, 11.6f}, {1.4f, 8}, {4.2f, 7.2f}, {6, 4}, {11, 4}, {13.2f, 7.2f}, {15, 7.8f}, {15, 11.6f}}),
               shade(kToolBlue, 0.6f));
        c.fill(c.p().polygon({{2, 11}, {2.3f, 8.6f}, {4.8f, 7.9f}, {6.6f, 4.8f}, {10.6f, 4.8f}, {12.6f, 7.9f}, {14.2f, 8.4f}, {14.2f, 11}}),
               vshade(c, kToolBlue, 4, 12));
        c.fill(c.p().polygon({{5.6f, 7.6f}, {7, 5.5f}, {8.2f, 5.5f}, {8.2f, 7.6f}}).polygon({{9.2f, 5.5f}, {10.3f, 5.5f}, {11.8f, 7.6f}, {9.2f, 7.6f}}),
               rgb(210, 230, 246));
        c.fill(c.p().circle(4.6f, 11.8f, 2.2f).circle(11.6f, 11.8f, 2.2f), kTyre);
        c.fill(c.p().circle(4.6f, 11.8f, 0.9f).circle(11.6f, 11.8f, 0.9f), rgb(190, 194, 200));
        break;
    }
    case 14: {  // clock
        c.fill(c.p().circle(8, 8, 7), kInk);
        c.fill(c.p().circle(8, 8, 5.9f), kPaper);
        Path h = c.p();
        h.stroke({{8, 8}, {8, 3.8f}}, 1.3f).stroke({{8, 8}, {11, 9.6f}}, 1.3f);
        c.fill(h, kInk);
        break;
    }
    case 15: {  // calendar
        c.fill(c.p().roundRect(1.5f, 2.5f, 13, 12, 1.2f), kInk);
        c.fill(c.p().rect(2.5f, 6, 11, 7.5f), kPaper);
        c.fill(c.p().rect(2.5f, 3.5f, 11, 2.5f), kToolRed);
        Path d = c.p();
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 4; ++k) d.rect(3.4f + k * 2.6f, 7 + r * 2.2f, 1.6f, 1.3f);
        c.fill(d, kToolGrey);
        c.fill(c.p().roundRect(4, 1, 1.6f, 3.6f, 0.6f).roundRect(10.4f, 1, 1.6f, 3.6f, 0.6f), kInk);
        break;
    }
    case 16: {  // list
        Path d = c.p();
        Path l = c.p();
        for (int r = 0; r < 4; ++r) {
            d.rect(1.5f, 2.5f + r * 3.3f, 2.2f, 2.2f);
            l.rect(5, 2.9f + r * 3.3f, 9.5f, 1.4f);
        }
        c.fill(d, kToolBlue);
        c.fill(l, kInk);
        break;
    }
    case 17: {  // filter
        c.fill(c.p().polygon({{1.5f, 2}, {14.5f, 2}, {9.6f, 8}, {9.6f, 14.5f}, {6.4f, 12.5f}, {6.4f, 8}}), kInk);
        c.fill(c.p().polygon({{3.4f, 3}, {12.6f, 3}, {8.7f, 7.7f}, {8.7f, 12.9f}, {7.3f, 12}, {7.3f, 7.7f}}),
               vshade(c, rgb(240, 190, 40)));
        break;
    }
    case 18: {  // eye: a lens of two arcs meeting at the corners
        auto lens = [](float r, float half) {
            const float k = std::sqrt(r * r - half * half);
            const float t = std::asin(k / r) * 180 / kPi;
            std::vector<Pt> pts = arcPoints(8, 8 + k, r, r, 180 + t, 360 - t, 20);
            auto low = arcPoints(8, 8 - k, r, r, t, 180 - t, 20);
            pts.insert(pts.end(), low.begin(), low.end());
            return pts;
        };
        c.fill(c.p().polygon(lens(9.0f, 7.6f)), kInk);
        c.fill(c.p().polygon(lens(8.0f, 6.4f)), kPaper);
        c.fill(c.p().circle(8, 8, 3.0f), kToolBlue);
        c.fill(c.p().circle(8, 8, 1.4f), kInk);
        c.fill(c.p().circle(7, 7, 0.7f), kWhite);
        break;
    }
    case 19: magnifier(c, ""); break;
    case 20: {  // open folder
        c.fill(c.p().polygon({{1, 3}, {6, 3}, {7.5f, 4.5f}, {13, 4.5f}, {13, 13.5f}, {1, 13.5f}}), rgb(176, 128, 24));
        c.fill(c.p().polygon({{3.4f, 7}, {15.4f, 7}, {13, 13.5f}, {1, 13.5f}}), rgb(176, 128, 24));
        c.fill(c.p().polygon({{4, 7.9f}, {14.2f, 7.9f}, {12.3f, 12.7f}, {2.1f, 12.7f}}), vshade(c, rgb(246, 198, 70), 7, 13));
        break;
    }
    case 21: {  // save
        c.fill(c.p().roundRect(1.5f, 1.5f, 13, 13, 1.2f), shade(kToolBlue, 0.6f));
        c.fill(c.p().roundRect(2.4f, 2.4f, 11.2f, 11.2f, 0.8f), vshade(c, kToolBlue));
        c.fill(c.p().rect(4, 2.4f, 8, 4.6f), kPaper);
        c.fill(c.p().rect(9.4f, 3, 1.6f, 3.2f), kInk);
        c.fill(c.p().rect(4, 9, 8, 4.6f), rgb(220, 226, 236));
        break;
    }
    case 22: {  // print
        c.fill(c.p().rect(4, 1.5f, 8, 5), kPaper);
        c.fill(c.p().stroke({{4, 6.5f}, {4, 1.5f}, {12, 1.5f}, {12, 6.5f}}, 1.0f), kInk);
        c.fill(c.p().roundRect(1, 6, 14, 6.5f, 1.4f), kInk);
        c.fill(c.p().roundRect(1.9f, 6.8f, 12.2f, 4.9f, 0.8f), vshade(c, kToolGrey, 6, 12));
        c.fill(c.p().rect(4, 10, 8, 5), kPaper);
        c.fill(c.p().stroke({{4, 10}, {4, 14.5f}, {12, 14.5f}, {12, 10}}, 1.0f), kInk);
        c.fill(c.p().circle(12.6f, 8.3f, 0.8f), kToolGreen);
        break;
    }
    case 23: {  // delete
        Path x = c.p();
        x.stroke({{3.5f, 3.5f}, {12.5f, 12.5f}}, 3.2f).stroke({{12.5f, 3.5f}, {3.5f, 12.5f}}, 3.2f);
        c.fill(x, vshade(c, kToolRed));
        break;
    }
    case 24: {  // ok
        c.fill(c.p().stroke({{2.5f, 8.5f}, {6.2f, 12.2f}, {13.5f, 3.8f}}, 3.0f), vshade(c, kToolGreen));
        break;
    }
    case 25:  // help
        c.fill(c.p().circle(8, 8, 7.2f), shade(kToolBlue, 0.65f));
        c.fill(c.p().circle(8, 8, 6.3f), vshade(c, kToolBlue));
        centredText(c, "?", 8.1f, 8.0f, 8.6f, 2.3f, kWhite);
        break;
    case 26: {  // info
        c.fill(c.p().circle(8, 8, 7.2f), shade(kToolBlue, 0.65f));
        c.fill(c.p().circle(8, 8, 6.3f), vshade(c, kToolBlue));
        Path i = c.p();
        i.circle(8, 4.6f, 1.2f);
        i.stroke({{8, 7.2f}, {8, 11.8f}}, 2.0f, false);
        c.fill(i, kWhite);
        break;
    }
    case 27: {  // centre on position
        Path t = c.p();
        t.circle(8, 8, 5.6f).circleHole(8, 8, 4.3f);
        t.stroke({{8, 0.8f}, {8, 4.4f}}, 1.3f, false).stroke({{8, 11.6f}, {8, 15.2f}}, 1.3f, false);
        t.stroke({{0.8f, 8}, {4.4f, 8}}, 1.3f, false).stroke({{11.6f, 8}, {15.2f, 8}}, 1.3f, false);
        c.fill(t, kInk);
        c.fill(c.p().circle(8, 8, 1.8f), kToolRed);
        break;
    }
    case 28: {  // track: a recorded route with points and the player's arrow
        std::vector<Pt> route{{1.6f, 13.6f}, {4.6f, 9.4f}, {8.2f, 11.4f}, {10.6f, 6.4f}};
        c.fill(c.p().stroke(route, 2.8f), kWhite);
        c.fill(c.p().stroke(route, 1.6f), kToolBlue);
        Path dots = c.p();
        for (Pt p : route) dots.circle(p.x, p.y, 1.25f);
        c.fill(dots, shade(kToolBlue, 0.6f));
        markerArrow(c, {12.4f, 4.4f}, 3.6f, -58, kToolRed, shade(kToolRed, 0.5f));
        break;
    }
    case 29: {  // skip stops: an arrow jumping over a parking stop
        c.fill(c.p().roundRect(4.2f, 7.6f, 7.8f, 7.8f, 1.4f), shade(kParkingBlue, 0.6f));
        c.fill(c.p().roundRect(5.0f, 8.4f, 6.2f, 6.2f, 1.0f), kParkingBlue);
        centredText(c, "P", 8.3f, 11.5f, 4.6f, 2.6f, kWhite);
        Path jump = c.p();
        jump.arcStroke(8.6f, 9.6f, 6.4f, 190, 312, 1.8f);
        arrowHead(jump, polar(8.6f, 9.6f, 6.4f, 334), 334 + 90 - 6, 4.2f, 2.6f);
        c.fill(jump, kToolGreen);
        break;
    }
    case 30: gear(c, 8, 8, 7.4f, kToolGrey); break;
    case 31: {  // trip report: a speed chart on its axes, a stop shaded
        c.fill(c.p().rect(1.5f, 1.5f, 13.5f, 13), kPaper);
        c.fill(c.p().rect(6.2f, 2.5f, 2.8f, 11.2f), rgb(198, 214, 240));
        c.fill(c.p().stroke({{1.5f, 1}, {1.5f, 14.5f}, {15.2f, 14.5f}}, 1.3f, false), kInk);
        std::vector<Pt> speed{{2.4f, 11.5f}, {4.2f, 5.2f}, {6.2f, 7.0f}, {7.6f, 13.2f}, {9.2f, 13.2f},
                              {10.8f, 4.0f}, {12.6f, 6.2f}, {14.6f, 2.6f}};
        c.fill(c.p().stroke(speed, 1.5f), kToolBlue);
        c.fill(c.p().stroke({{10.4f, 3.0f}, {13.2f, 3.0f}}, 1.2f, false), kToolRed);
        break;
    }
    default: throw std::invalid_argument("no tool bar picture " + std::to_string(index));
    }
}

}  // namespace

Image drawLayerIcon(int size) {
    Image img(size, size);
    const Ctx c = ctxFor(img, 32);
    c.fill(c.p().roundRect(1, 1, 30, 30, 6.5f), rgb(24, 98, 56));
    c.fill(c.p().roundRect(2, 2, 28, 28, 5.6f), linear(c, {0, 2}, rgb(82, 178, 112), {0, 30}, rgb(34, 126, 72)));
    // A winding track with its recorded points and the vehicle arrow at the end.
    std::vector<Pt> route{{5.5f, 26}, {10, 19.5f}, {15.5f, 22}, {19, 14.5f}, {14.5f, 9.5f}, {19.5f, 6.5f}};
    c.fill(c.p().stroke(route, 4.2f), rgb(22, 80, 44));
    c.fill(c.p().stroke(route, 2.4f), kWhite);
    Path dots = c.p();
    for (size_t i = 0; i + 1 < route.size(); ++i) dots.circle(route[i].x, route[i].y, 1.9f);
    c.fill(dots, rgb(22, 80, 44));
    Path dotsIn = c.p();
    for (size_t i = 0; i + 1 < route.size(); ++i) dotsIn.circle(route[i].x, route[i].y, 1.0f);
    c.fill(dotsIn, rgb(255, 214, 64));
    markerArrow(c, {24.2f, 7.4f}, 5.0f, -20, rgb(236, 60, 40), kWhite);
    return img;
}

Image drawCategoryIcon(const std::string& key, int size) {
    static const char* const keys[] = {"IcC", "IcP", "IcV", "IcB", "IcS", "IcZ", "", "Ic1",
                                       "Ic2", "Ic3", "Ic4", "Ic5", "Ic6", "IcX"};
    for (int row = 1; row <= 14; ++row) {
        if (key != keys[row - 1] || key.empty()) continue;
        Image img(size, size);
        categoryPicture(ctxFor(img, 24), row);
        return img;
    }
    throw std::invalid_argument("unknown category icon " + key);
}

Image drawMenuImage(int index, int size) {
    if (index < 0 || index >= 24) throw std::invalid_argument("menu image out of range");
    const int k = index % 12;  // items mnu2..mnu13 = table rows 2..13
    Image img(size, size);
    const Ctx c = ctxFor(img, 24);
    if (k == 4 || k == 5) {
        // "Бак 1" / "Бак 2": a fuel drop and the tank number, readable at 16 pixels.
        discBadge(c, kTankOchre, false);
        dropPictogram(c, 7.4f, 14.6f, 3.6f, kWhite);
        centredText(c, k == 4 ? "1" : "2", 15.6f, 12, 12.5f, 2.8f, kWhite);
    } else {
        categoryPicture(c, k + 2, true);
    }
    if (index >= 12) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                Color& p = img.at(x, y);
                if (p.a <= 0) continue;
                const Color g = grey(img.straight(x, y));
                p = {g.r * p.a, g.g * p.a, g.b * p.a, p.a};
            }
    }
    return img;
}

Image drawToolbarImage(int index, int size) {
    Image img(size, size);
    toolbarPicture(ctxFor(img, 16), index);
    return img;
}

Image drawLogo(int width, int height) {
    Image img(width, height);
    img.fill(rgb(223, 237, 229));
    const Ctx c{&img, Affine::scaling(height / 40.0f)};
    const float w = width * 40.0f / height;

    TextStyle st;
    st.height = 19;
    st.weight = 2.1f;
    st.spacing = 1.5f;
    const float kxW = textWidth("KX", st), plW = textWidth("Player", st);
    const float motifW = 52, gap = 8;
    const float total = motifW + gap + kxW + 2 + plW;
    const float x0 = (w - total) / 2;

    // Motif: a recorded route with points and the player's arrow heading on.
    std::vector<Pt> route{{x0 + 3, 31}, {x0 + 13, 22}, {x0 + 24, 27.5f}, {x0 + 33, 15}, {x0 + 42, 18}};
    c.fill(c.p().stroke(route, 5.2f), rgb(255, 255, 255, 0.9f));
    c.fill(c.p().stroke(route, 2.6f), rgb(46, 125, 80));
    Path dots = c.p();
    for (size_t i = 0; i + 1 < route.size(); ++i) dots.circle(route[i].x, route[i].y, 2.6f);
    c.fill(dots, rgb(46, 125, 80));
    Path dotsIn = c.p();
    for (size_t i = 0; i + 1 < route.size(); ++i) dotsIn.circle(route[i].x, route[i].y, 1.3f);
    c.fill(dotsIn, kWhite);
    markerArrow(c, {x0 + 47.5f, 11.5f}, 6.8f, -35, rgb(230, 74, 25), rgb(255, 255, 255));

    const float tx = x0 + motifW + gap;
    const float ty = 20 - st.height / 2 + 0.5f;
    Path kx = c.p();
    addText(kx, "KX", tx, ty, st);
    c.fill(kx, linear(c, {0, ty}, rgb(46, 142, 86), {0, ty + st.height}, rgb(22, 96, 54)));
    Path pl = c.p();
    addText(pl, "Player", tx + kxW + 2, ty, st);
    c.fill(pl, rgb(52, 64, 72));
    // Hairline under the name, fading out, to sit the word on the banner.
    c.fill(c.p().rect(tx, ty + st.height + 5.5f, kxW + 2 + plW * 0.62f, 0.9f),
           linear(c, {tx, 0}, rgb(46, 125, 80, 0.8f), {tx + kxW + plW, 0}, rgb(46, 125, 80, 0)));
    return img;
}

}  // namespace icongen
