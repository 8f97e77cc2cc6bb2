// Icon generator: the rasteriser and encoders, then the files that
// `icongen` writes, read back with parsers independent of the encoders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "font.h"
#include "formats.h"
#include "raster.h"

namespace fs = std::filesystem;
using namespace icongen;

namespace {

uint32_t le16(const Bytes& b, size_t o) { return b.at(o) | (b.at(o + 1) << 8); }
uint32_t le32(const Bytes& b, size_t o) { return le16(b, o) | (le16(b, o + 2) << 16); }
uint32_t be32(const Bytes& b, size_t o) {
    return (uint32_t(b.at(o)) << 24) | (b.at(o + 1) << 16) | (b.at(o + 2) << 8) | b.at(o + 3);
}

Bytes readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

float covAt(const std::vector<float>& cov, int w, int x, int y) { return cov[static_cast<size_t>(y) * w + x]; }

// ---- the rasteriser ----------------------------------------------------------

TEST(Rasteriser, CoverageIsExactOnWholeAndHalfPixelEdges) {
    Path whole;
    whole.rect(1, 1, 2, 2);
    const auto a = coverage(whole, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_FLOAT_EQ(covAt(a, 4, x, y), inside ? 1.0f : 0.0f) << x << "," << y;
        }
    Path half;
    half.rect(0.5f, 0, 1, 1);
    const auto b = coverage(half, 3, 1);
    EXPECT_NEAR(b[0], 0.5f, 1e-5);
    EXPECT_NEAR(b[1], 0.5f, 1e-5);
    EXPECT_EQ(b[2], 0.0f);
}

TEST(Rasteriser, CircleAreaAndClipping) {
    Path p;
    p.circle(16, 16, 10);
    const auto cov = coverage(p, 32, 32);
    double sum = 0;
    for (float c : cov) sum += c;
    EXPECT_NEAR(sum, 3.14159265 * 100, 0.005 * 314.16);
    // A shape mostly outside the image fills only what is inside, without overrun.
    Path big;
    big.circle(0, 0, 100);
    const auto clipped = coverage(big, 8, 8);
    for (float c : clipped) EXPECT_FLOAT_EQ(c, 1.0f);
}

TEST(Rasteriser, UnionPiecesNeverCancelAndHolesPunch) {
    // The second square is given clockwise: pieces of a union must still add up.
    Path p;
    p.rect(0, 0, 6, 6);
    p.polygon({{3, 3}, {3, 9}, {9, 9}, {9, 3}});
    const auto cov = coverage(p, 10, 10);
    EXPECT_FLOAT_EQ(covAt(cov, 10, 4, 4), 1.0f);  // overlap: neither 0 nor 2
    EXPECT_FLOAT_EQ(covAt(cov, 10, 7, 7), 1.0f);
    EXPECT_FLOAT_EQ(covAt(cov, 10, 7, 1), 0.0f);

    Path ring;
    ring.circle(10, 10, 8).circleHole(10, 10, 4);
    const auto r = coverage(ring, 20, 20);
    EXPECT_FLOAT_EQ(covAt(r, 20, 10, 10), 0.0f);
    EXPECT_FLOAT_EQ(covAt(r, 20, 10, 4), 1.0f);
}

TEST(Rasteriser, StrokeHasItsWidthAndScalesWithTheTransform) {
    Path p;
    p.stroke({{2, 5}, {18, 5}}, 2, false);
    const auto cov = coverage(p, 20, 10);
    float column = 0;
    for (int y = 0; y < 10; ++y) column += covAt(cov, 20, 10, y);
    EXPECT_NEAR(column, 2.0f, 1e-4);

    Path scaled(Affine::scaling(2));
    scaled.rect(1, 1, 2, 2);
    const auto s = coverage(scaled, 8, 8);
    EXPECT_FLOAT_EQ(covAt(s, 8, 2, 2), 1.0f);
    EXPECT_FLOAT_EQ(covAt(s, 8, 5, 5), 1.0f);
    EXPECT_FLOAT_EQ(covAt(s, 8, 6, 6), 0.0f);
}

TEST(Rasteriser, CompositingIsSourceOverWithPartialCoverage) {
    Image img(2, 1);
    img.fill(rgb(0, 0, 255));
    Path p;
    p.rect(0, 0, 1.5f, 1);
    fillPath(img, p, rgb(255, 0, 0));
    EXPECT_NEAR(img.straight(0, 0).r, 1.0f, 1e-5);
    EXPECT_NEAR(img.straight(1, 0).r, 0.5f, 1e-5);
    EXPECT_NEAR(img.straight(1, 0).b, 0.5f, 1e-5);
    EXPECT_FLOAT_EQ(img.at(1, 0).a, 1.0f);
}

TEST(StrokeFont, CoversEveryCharacterTheArtworkWritesAndScales) {
    for (char ch : std::string("0123456789KXPlayeri?+- ")) EXPECT_TRUE(hasGlyph(ch)) << ch;
    EXPECT_FALSE(hasGlyph('Q'));  // unknown letters are reported, not drawn as garbage
    TextStyle small, big;
    big.height = 2 * small.height;
    EXPECT_NEAR(textWidth("KX", big), 2 * textWidth("KX", small), 1e-4);
    EXPECT_GT(textWidth("KXPlayer", small), textWidth("KX", small));
    // The text lands where it is asked: ink inside the measured box, none outside.
    TextStyle st;
    st.height = 20;
    Path p;
    addText(p, "18", 5, 5, st);
    const auto cov = coverage(p, 60, 40);
    const float right = 5 + textWidth("18", st);
    float inside = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool in = x >= 4 && x <= right + 1 && y >= 3 && y <= 27;
            (in ? inside : outside) += covAt(cov, 60, x, y);
        }
    EXPECT_GT(inside, 60.0f);
    EXPECT_EQ(outside, 0.0f);
}

TEST(Encoders, FlattenSplitsAtTheOpacityThresholdAndBlendsOverTheMatte) {
    Image img(3, 1);
    img.at(0, 0) = {0, 0, 0, 0.49f};  // premultiplied black, just under the threshold
    img.at(1, 0) = {0, 0, 0, 0.5f};
    img.at(2, 0) = {1, 0, 0, 1};
    std::vector<bool> opaque;
    const auto px = flatten(img, {200, 200, 200}, kMaskColour, &opaque);
    EXPECT_EQ(opaque, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(px[0], kMaskColour);
    EXPECT_EQ(px[1], (Rgb8{100, 100, 100}));  // half black over the matte
    EXPECT_EQ(px[2], (Rgb8{255, 0, 0}));
    const Bytes bmp = encodeStrip({img, img}, {200, 200, 200});
    EXPECT_EQ(le32(bmp, 18), 6u);
    EXPECT_EQ(le32(bmp, 22), 1u);
    EXPECT_EQ(bmp.size(), 54u + 20u);  // 18 bytes of pixels padded to 20
}

// ---- encoders -------------------------------------------------------------------

TEST(Encoders, PaletteIsExactForFewColoursAndBoundedForMany) {
    std::vector<Rgb8> few{{1, 2, 3}, {200, 10, 10}, {1, 2, 3}, {0, 255, 0}};
    const auto exact = buildPalette(few, 255);
    ASSERT_EQ(exact.size(), 3u);
    for (Rgb8 c : few) EXPECT_EQ(exact[nearestIndex(exact, c)], c);

    std::vector<Rgb8> ramp;
    for (int r = 0; r < 256; r += 4)
        for (int g = 0; g < 256; g += 8) ramp.push_back({uint8_t(r), uint8_t(g), uint8_t((r + g) / 2)});
    const auto pal = buildPalette(ramp, 255);
    EXPECT_LE(pal.size(), 255u);
    int worst = 0;
    for (Rgb8 c : ramp) {
        const Rgb8 q = pal[nearestIndex(pal, c)];
        worst = std::max({worst, std::abs(q.r - c.r), std::abs(q.g - c.g), std::abs(q.b - c.b)});
    }
    EXPECT_LE(worst, 24);
}

TEST(Encoders, IconHasEightBitImageWithMatchingAndMask) {
    Image img(24, 24);
    Path p;
    p.rect(0, 0, 12, 24);  // left half opaque red, right half transparent
    fillPath(img, p, rgb(255, 0, 0));
    const Bytes ico = encodeIco8(img, {255, 255, 255});
    ASSERT_EQ(le16(ico, 0), 0u);
    ASSERT_EQ(le16(ico, 2), 1u);  // icon, not cursor
    ASSERT_EQ(le16(ico, 4), 1u);
    EXPECT_EQ(ico[6], 24);
    EXPECT_EQ(ico[7], 24);
    EXPECT_EQ(le16(ico, 12), 8u);
    EXPECT_EQ(le32(ico, 14), ico.size() - 22);
    const size_t bih = le32(ico, 18);
    EXPECT_EQ(le32(ico, bih + 8), 48u);  // XOR + AND
    const size_t andAt = bih + 40 + 1024 + 24 * 24;
    ASSERT_EQ(ico.size(), andAt + 24 * 4);
    // Bottom-up rows: each row is 12 opaque bits (0) then 12 transparent bits (1).
    EXPECT_EQ(ico[andAt], 0x00);
    EXPECT_EQ(ico[andAt + 1], 0x0F);
    EXPECT_EQ(ico[andAt + 2], 0xFF);
    const size_t palAt = bih + 40;
    const uint8_t idx = ico[bih + 40 + 1024];  // bottom-left pixel
    EXPECT_EQ(ico[palAt + idx * 4 + 2], 255);  // red
    EXPECT_EQ(ico[palAt + idx * 4 + 1], 0);
}

TEST(Encoders, PngIsWellFormedAndCarriesTheRows) {
    std::vector<Rgb8> px;
    for (int i = 0; i < 300 * 100; ++i) px.push_back({uint8_t(i), uint8_t(i >> 8), 7});
    const Bytes png = encodePng(px, 300, 100);
    ASSERT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    size_t o = 8;
    Bytes idat;
    std::vector<std::string> types;
    while (o < png.size()) {
        const uint32_t n = be32(png, o);
        const std::string type(png.begin() + o + 4, png.begin() + o + 8);
        types.push_back(type);
        EXPECT_EQ(be32(png, o + 8 + n), crc32(png.data() + o + 4, n + 4)) << type;
        if (type == "IDAT") idat.insert(idat.end(), png.begin() + o + 8, png.begin() + o + 8 + n);
        o += 12 + n;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    // The deflate stream is stored blocks: header, LEN, NLEN, bytes; last bit ends it.
    ASSERT_EQ((idat[0] * 256 + idat[1]) % 31, 0);
    Bytes raw;
    size_t z = 2;
    for (bool last = false; !last;) {
        last = idat.at(z) & 1;
        ASSERT_EQ(idat[z] & 6, 0);  // block type "stored"
        const uint32_t len = le16(idat, z + 1);
        ASSERT_EQ(len ^ le16(idat, z + 3), 0xFFFFu);
        raw.insert(raw.end(), idat.begin() + z + 5, idat.begin() + z + 5 + len);
        z += 5 + len;
    }
    EXPECT_EQ(be32(idat, z), adler32(raw.data(), raw.size()));
    ASSERT_EQ(raw.size(), 100u * (300 * 3 + 1));
    const size_t row = 57, col = 123, at = row * (300 * 3 + 1) + 1 + col * 3;
    EXPECT_EQ(raw[at], px[row * 300 + col].r);
    EXPECT_EQ(raw[at + 1], px[row * 300 + col].g);
}

// ---- the generated files ---------------------------------------------------------

struct Bmp {
    int w = 0, h = 0, bpp = 0;
    Bytes file;
    Rgb8 at(int x, int y) const {
        const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t(3);
        const size_t o = le32(file, 10) + (h - 1 - y) * stride + static_cast<size_t>(x) * 3;
        return {file[o + 2], file[o + 1], file[o]};
    }
};

Bmp readBmp(const fs::path& p) {
    Bmp b;
    b.file = readFile(p);
    if (b.file.size() < 54 || b.file[0] != 'B' || b.file[1] != 'M') return b;
    b.w = static_cast<int>(le32(b.file, 18));
    b.h = static_cast<int>(le32(b.file, 22));
    b.bpp = static_cast<int>(le16(b.file, 28));
    return b;
}

struct Ico {
    int w = 0, h = 0, bpp = 0, dirW = 0, dirH = 0;
    std::vector<Rgb8> px;
    std::vector<bool> transparent;
    bool ok = false;
};

Ico readIco(const fs::path& p) {
    Ico ic;
    const Bytes f = readFile(p);
    if (f.size() < 62 || le16(f, 0) != 0 || le16(f, 2) != 1 || le16(f, 4) != 1) return ic;
    ic.dirW = f[6];
    ic.dirH = f[7];
    const size_t off = le32(f, 18);
    if (le32(f, 14) + off != f.size() || le32(f, off) != 40) return ic;
    ic.w = static_cast<int>(le32(f, off + 4));
    ic.h = static_cast<int>(le32(f, off + 8)) / 2;
    ic.bpp = static_cast<int>(le16(f, off + 14));
    if (ic.bpp != 8) return ic;
    const size_t pal = off + 40, xorAt = pal + 1024;
    const size_t xs = (ic.w + 3) & ~3, as = ((ic.w + 31) / 32) * 4;
    const size_t andAt = xorAt + xs * ic.h;
    if (andAt + as * ic.h != f.size()) return ic;  // the AND mask must be there, whole
    for (int y = 0; y < ic.h; ++y)
        for (int x = 0; x < ic.w; ++x) {
            const size_t row = ic.h - 1 - y;
            const uint8_t i = f[xorAt + row * xs + x];
            ic.px.push_back({f[pal + i * 4 + 2], f[pal + i * 4 + 1], f[pal + i * 4]});
            ic.transparent.push_back((f[andAt + row * as + x / 8] >> (7 - x % 8)) & 1);
        }
    ic.ok = true;
    return ic;
}

class GeneratedFiles : public ::testing::Test {
protected:
    static fs::path dir;
    static int exitCode;
    static std::map<std::string, std::string> icons;  // resource name -> file
    static std::map<std::string, std::string> bitmaps;

    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("icongen_test_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        exitCode = std::system((std::string(ICONGEN_EXE) + " " + (dir / "a").string() + " > /dev/null").c_str());
        std::ifstream rc(dir / "a" / "icons.rc");
        // Lines of the form: Name TYPE "file"  (optionally followed by a comment).
        for (std::string s; std::getline(rc, s);) {
            std::istringstream in(s);
            std::string name, type, file;
            if (!(in >> name >> type >> file) || file.size() < 3 || file.front() != '"' || file.back() != '"') continue;
            if (type != "IC" && type != "BITMAP") continue;
            (type == "IC" ? icons : bitmaps)[name] = file.substr(1, file.size() - 2);
        }
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
    static fs::path out(const std::string& f) { return dir / "a" / f; }

    static Ico icon(const std::string& name) { return readIco(out(icons.at(name))); }
    static Bmp bitmap(const std::string& name) { return readBmp(out(bitmaps.at(name))); }
};
fs::path GeneratedFiles::dir;
int GeneratedFiles::exitCode = -1;
std::map<std::string, std::string> GeneratedFiles::icons;
std::map<std::string, std::string> GeneratedFiles::bitmaps;

TEST_F(GeneratedFiles, ResourceScriptListsEveryIconTheLayerLoads) {
    ASSERT_EQ(exitCode, 0);
    std::set<std::string> expected{"IcKX", "IcC", "IcP", "IcV", "IcB", "IcS", "IcZ", "IcX",
                                   "Ic1",  "Ic2", "Ic3", "Ic4", "Ic5", "Ic6", "ICCAR"};
    for (int k = 1; k <= 166; ++k) expected.insert("TSIcon_" + std::to_string(k));
    std::set<std::string> listed;
    for (const auto& [name, file] : icons) {
        listed.insert(name);
        EXPECT_TRUE(fs::exists(out(file))) << file;
    }
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(icons.count("TSIcon_0"), 0u);  // IconNum 0 must find no vehicle icon
    EXPECT_EQ(icons.count("TSIcon_167"), 0u);
    for (const char* b : {"ImageList1", "ImageList2", "IconsList", "KXLogo"}) EXPECT_EQ(bitmaps.count(b), 1u) << b;
}

TEST_F(GeneratedFiles, IconsAreEightBitWithTheirSizesAndAShapeInTheMask) {
    ASSERT_EQ(exitCode, 0);
    for (const auto& [name, file] : icons) {
        const Ico ic = icon(name);
        ASSERT_TRUE(ic.ok) << name;
        const int size = name == "IcKX" ? 32 : (name.rfind("TSIcon_", 0) == 0 || name == "ICCAR" ? 48 : 24);
        EXPECT_EQ(ic.w, size) << name;
        EXPECT_EQ(ic.h, size) << name;
        EXPECT_EQ(ic.dirW, size) << name;
        EXPECT_EQ(ic.bpp, 8) << name;
        size_t clear = 0;
        for (bool t : ic.transparent) clear += t;
        // Drawn on the map: there must be a picture and see-through surroundings.
        EXPECT_GT(clear, 0u) << name;
        EXPECT_GT(ic.transparent.size() - clear, ic.transparent.size() / 4) << name;
        EXPECT_TRUE(ic.transparent[0]) << name << " top-left corner";
        EXPECT_FALSE(ic.transparent[(size / 2) * size + size / 2]) << name << " centre";
    }
}

TEST_F(GeneratedFiles, StripsHaveTheImageCountsThePanelIndexes) {
    ASSERT_EQ(exitCode, 0);
    const Bmp tool = bitmap("ImageList1"), menu = bitmap("ImageList2"), list = bitmap("IconsList");
    const Bmp logo = bitmap("KXLogo");
    EXPECT_EQ(tool.bpp, 24);
    EXPECT_EQ(tool.h, 16);
    EXPECT_EQ(tool.w % 16, 0);
    EXPECT_GE(tool.w / 16, 31);  // tool buttons use images 9, 10, 28, 29 and 30
    EXPECT_EQ(menu.bpp, 24);
    EXPECT_EQ(menu.w, 16 * 24);
    EXPECT_EQ(menu.h, 16);
    EXPECT_EQ(list.bpp, 24);
    EXPECT_EQ(list.w, 48 * 168);
    EXPECT_EQ(list.h, 48);
    EXPECT_EQ(logo.bpp, 24);
    EXPECT_EQ(logo.w, 230);
    EXPECT_EQ(logo.h, 40);
    EXPECT_EQ(logo.at(0, 0), (Rgb8{223, 237, 229}));  // the banner label's colour
    EXPECT_EQ(logo.at(229, 39), (Rgb8{223, 237, 229}));
    // Image lists take their mask colour from here: it must be the documented one.
    EXPECT_EQ(tool.at(0, 0), kMaskColour);
    EXPECT_EQ(menu.at(0, 0), kMaskColour);
    EXPECT_EQ(list.at(0, 0), kMaskColour);

    std::ifstream h(out("icon_names.h"));
    const std::string header((std::istreambuf_iterator<char>(h)), std::istreambuf_iterator<char>());
    EXPECT_NE(header.find("#define KX_BMP_IMAGELIST1_COUNT " + std::to_string(tool.w / 16)), std::string::npos);
    EXPECT_NE(header.find("#define KX_BMP_IMAGELIST2_COUNT 24"), std::string::npos);
    EXPECT_NE(header.find("#define KX_BMP_ICONSLIST_COUNT 168"), std::string::npos);
}

TEST_F(GeneratedFiles, PicturesComeInEveryDisplayScale) {
    ASSERT_EQ(exitCode, 0);
    struct Designed {
        const char* name;
        int width, height;
    };
    // The 100 % pictures and their sizes at 125, 150 and 200 %.
    const Designed designed[] = {{"ImageList1", 16, 16}, {"ImageList2", 16, 16}, {"IconsList", 48, 48}, {"KXLogo", 230, 40}};
    const int heights[][3] = {{20, 24, 32}, {20, 24, 32}, {60, 72, 96}, {50, 60, 80}};
    const int widths[][3] = {{20, 24, 32}, {20, 24, 32}, {60, 72, 96}, {288, 345, 460}};
    for (size_t d = 0; d < std::size(designed); ++d) {
        const Bmp base = bitmap(designed[d].name);
        const int count = base.w / designed[d].width;
        for (int i = 0; i < 3; ++i) {
            const std::string name = std::string(designed[d].name) + "_" + std::to_string(heights[d][i]);
            ASSERT_EQ(bitmaps.count(name), 1u) << name;
            const Bmp scaled = bitmap(name);
            // The same images as at 100 %, in the same order, each at its size.
            EXPECT_EQ(scaled.h, heights[d][i]) << name;
            EXPECT_EQ(scaled.w, widths[d][i] * count) << name;
        }
    }
    // Drawn at the size from the artwork, not left small in a corner: the
    // settings button's gear (tool bar image 30) and a vehicle cover about
    // the same share of their squares at every size.
    auto drawnShare = [&](const std::string& name, int image, int size) {
        const Bmp b = bitmap(name);
        int drawn = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) drawn += !(b.at(image * size + x, y) == kMaskColour);
        return static_cast<double>(drawn) / (size * size);
    };
    const double gear = drawnShare("ImageList1", 30, 16), vehicle = drawnShare("IconsList", 5, 48);
    EXPECT_GT(gear, 0.125);
    EXPECT_GT(vehicle, 0.125);
    for (int size : {20, 24, 32}) EXPECT_NEAR(drawnShare("ImageList1_" + std::to_string(size), 30, size), gear, 0.12) << size;
    for (int size : {60, 72, 96})
        EXPECT_NEAR(drawnShare("IconsList_" + std::to_string(size), 5, size), vehicle, 0.06) << size;
}

TEST_F(GeneratedFiles, IconsListImageKIsVehicleIconK) {
    ASSERT_EQ(exitCode, 0);
    const Bmp list = bitmap("IconsList");
    auto matches = [&](int image, const Ico& ic) {
        long diff = 0;
        int opaque = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const Rgb8 s = list.at(image * 48 + x, y);
                const size_t i = static_cast<size_t>(y) * 48 + x;
                if ((s == kMaskColour) != ic.transparent[i]) return false;
                if (ic.transparent[i]) continue;
                // Only inner pixels: edges are blended over white here, over the map there.
                if (x == 0 || y == 0 || x == 47 || y == 47 || ic.transparent[i - 1] || ic.transparent[i + 1] ||
                    ic.transparent[i - 48] || ic.transparent[i + 48])
                    continue;
                diff += std::abs(s.r - ic.px[i].r) + std::abs(s.g - ic.px[i].g) + std::abs(s.b - ic.px[i].b);
                ++opaque;
            }
        return opaque > 0 && diff / opaque < 12;
    };
    for (int k = 1; k <= 166; ++k) {
        const Ico ic = icon("TSIcon_" + std::to_string(k));
        ASSERT_TRUE(ic.ok);
        EXPECT_TRUE(matches(k, ic)) << "image " << k;
        if (k < 166) {
            EXPECT_FALSE(matches(k + 1, ic)) << "image " << k + 1 << " looks like icon " << k;
        }
    }
    EXPECT_TRUE(matches(0, icon("ICCAR")));
}

TEST_F(GeneratedFiles, EveryVehiclePictureIsDifferent) {
    ASSERT_EQ(exitCode, 0);
    const Bmp list = bitmap("IconsList");
    std::map<std::vector<uint8_t>, int> seen;
    for (int k = 0; k < 168; ++k) {
        std::vector<uint8_t> px;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                const Rgb8 c = list.at(k * 48 + x, y);
                px.insert(px.end(), {c.r, c.g, c.b});
            }
        const auto [it, fresh] = seen.emplace(px, k);
        EXPECT_TRUE(fresh) << "image " << k << " repeats image " << it->second;
    }
}

TEST_F(GeneratedFiles, MenuImagesComeInColourAndGrey) {
    ASSERT_EQ(exitCode, 0);
    const Bmp menu = bitmap("ImageList2");
    for (int k = 0; k < 24; ++k) {
        int coloured = 0, drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const Rgb8 c = menu.at(k * 16 + x, y);
                if (c == kMaskColour) continue;
                ++drawn;
                coloured += std::max({std::abs(c.r - c.g), std::abs(c.g - c.b), std::abs(c.r - c.b)}) > 24;
            }
        EXPECT_GT(drawn, 100) << k;
        if (k < 12) {
            EXPECT_GT(coloured, 30) << "image " << k << " should be in colour";
        } else {
            EXPECT_EQ(coloured, 0) << "image " << k << " should be grey";
        }
    }
}

TEST_F(GeneratedFiles, OutputIsTheSameByteForByteOnEveryRun) {
    ASSERT_EQ(exitCode, 0);
    ASSERT_EQ(std::system((std::string(ICONGEN_EXE) + " " + (dir / "b").string() + " > /dev/null").c_str()), 0);
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir / "a")) {
        const auto name = e.path().filename();
        ASSERT_TRUE(fs::exists(dir / "b" / name)) << name;
        EXPECT_EQ(readFile(e.path()), readFile(dir / "b" / name)) << name;
        ++files;
    }
    EXPECT_EQ(files, static_cast<size_t>(std::distance(fs::directory_iterator(dir / "b"), fs::directory_iterator())));
    EXPECT_GE(files, icons.size() + bitmaps.size() + 3);  // + icons.rc, icon_names.h, preview.png
    const Bytes png = readFile(out("preview.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
}

}  // namespace
