#include "formats.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace icongen {

namespace {

void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void put32be(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

uint8_t to8(float v) {
    v = v < 0 ? 0 : (v > 1 ? 1 : v);
    return static_cast<uint8_t>(std::lround(v * 255.0f));
}

uint32_t pack(Rgb8 c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }
Rgb8 unpack(uint32_t v) { return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }
int channel(uint32_t v, int axis) { return (v >> (16 - 8 * axis)) & 0xFF; }

}  // namespace

std::vector<Rgb8> flatten(const Image& img, Rgb8 matte, Rgb8 transparent, std::vector<bool>* opaque) {
    std::vector<Rgb8> out;
    out.reserve(static_cast<size_t>(img.width()) * img.height());
    if (opaque) opaque->clear();
    const float mr = matte.r / 255.0f, mg = matte.g / 255.0f, mb = matte.b / 255.0f;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const Color& p = img.at(x, y);  // premultiplied
            const bool on = p.a >= kOpaqueThreshold;
            if (opaque) opaque->push_back(on);
            if (!on) {
                out.push_back(transparent);
                continue;
            }
            const float k = 1 - p.a;
            out.push_back({to8(p.r + mr * k), to8(p.g + mg * k), to8(p.b + mb * k)});
        }
    }
    return out;
}

std::vector<Rgb8> buildPalette(const std::vector<Rgb8>& pixels, size_t maxColours) {
    std::map<uint32_t, uint32_t> counts;
    for (Rgb8 p : pixels) ++counts[pack(p)];
    using Entry = std::pair<uint32_t, uint32_t>;  // colour, count
    std::vector<Rgb8> palette;
    if (counts.size() <= maxColours) {
        for (const auto& [c, n] : counts) palette.push_back(unpack(c));
        return palette;
    }
    std::vector<std::vector<Entry>> boxes(1, std::vector<Entry>(counts.begin(), counts.end()));
    auto range = [](const std::vector<Entry>& box, int axis) {
        int lo = 255, hi = 0;
        for (const auto& e : box) {
            lo = std::min(lo, channel(e.first, axis));
            hi = std::max(hi, channel(e.first, axis));
        }
        return hi - lo;
    };
    while (boxes.size() < maxColours) {
        // Split the box with the widest spread, weighted a little by its population.
        size_t best = boxes.size();
        double bestScore = -1;
        int bestAxis = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2) continue;
            uint64_t pop = 0;
            for (const auto& e : boxes[i]) pop += e.second;
            for (int axis = 0; axis < 3; ++axis) {
                const double score = range(boxes[i], axis) * std::sqrt(static_cast<double>(pop));
                if (score > bestScore) {
                    bestScore = score;
                    best = i;
                    bestAxis = axis;
                }
            }
        }
        if (best == boxes.size()) break;
        auto& box = boxes[best];
        std::sort(box.begin(), box.end(), [bestAxis](const Entry& a, const Entry& b) {
            const int ca = channel(a.first, bestAxis), cb = channel(b.first, bestAxis);
            return ca != cb ? ca < cb : a.first < b.first;
        });
        uint64_t total = 0, acc = 0;
        for (const auto& e : box) total += e.second;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.size(); ++i) {
            acc += box[i].second;
            cut = i + 1;
            if (acc * 2 >= total) break;
        }
        std::vector<Entry> upper(box.begin() + static_cast<long>(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    for (const auto& box : boxes) {
        uint64_t n = 0, r = 0, g = 0, b = 0;
        for (const auto& [c, k] : box) {
            n += k;
            r += uint64_t(channel(c, 0)) * k;
            g += uint64_t(channel(c, 1)) * k;
            b += uint64_t(channel(c, 2)) * k;
        }
        palette.push_back({uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((b + n / 2) / n)});
    }
    return palette;
}

size_t nearestIndex(const std::vector<Rgb8>& palette, Rgb8 c) {
    size_t best = 0;
    int bestD = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

Bytes encodeIco8(const Image& img, Rgb8 matte) {
    const int w = img.width(), h = img.height();
    std::vector<bool> opaque;
    const auto px = flatten(img, matte, {0, 0, 0}, &opaque);
    std::vector<Rgb8> solid;
    for (size_t i = 0; i < px.size(); ++i)
        if (opaque[i]) solid.push_back(px[i]);
    // Index 0 is black: the colour under a transparent (AND = 1) pixel.
    std::vector<Rgb8> palette{{0, 0, 0}};
    for (Rgb8 c : buildPalette(solid, 255)) palette.push_back(c);
    palette.resize(256, Rgb8{0, 0, 0});

    const uint32_t xorStride = (w + 3) & ~3u;
    const uint32_t andStride = ((w + 31) / 32) * 4;
    const uint32_t imageBytes = 40 + 256 * 4 + xorStride * h + andStride * h;

    Bytes b;
    put16(b, 0);  // ICONDIR
    put16(b, 1);
    put16(b, 1);
    b.push_back(static_cast<uint8_t>(w >= 256 ? 0 : w));  // ICONDIRENTRY
    b.push_back(static_cast<uint8_t>(h >= 256 ? 0 : h));
    b.push_back(0);  // 256 colours
    b.push_back(0);
    put16(b, 1);
    put16(b, 8);
    put32(b, imageBytes);
    put32(b, 6 + 16);
    put32(b, 40);  // BITMAPINFOHEADER, height doubled for XOR + AND
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h * 2));
    put16(b, 1);
    put16(b, 8);
    put32(b, 0);
    put32(b, xorStride * h + andStride * h);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    for (Rgb8 c : palette) {
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        b.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            b.push_back(opaque[i] ? static_cast<uint8_t>(nearestIndex(palette, px[i])) : 0);
        }
        for (uint32_t x = w; x < xorStride; ++x) b.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(andStride, 0);
        for (int x = 0; x < w; ++x)
            if (!opaque[static_cast<size_t>(y) * w + x]) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes encodeBmp24(const std::vector<Rgb8>& pixels, int w, int h) {
    const uint32_t stride = (w * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * h;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    put32(b, 54 + dataSize);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);
    put32(b, dataSize);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Rgb8 c = pixels[static_cast<size_t>(y) * w + x];
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
        }
        for (uint32_t i = w * 3; i < stride; ++i) b.push_back(0);
    }
    return b;
}

Bytes encodeStrip(const std::vector<Image>& images, Rgb8 matte) {
    if (images.empty()) return encodeBmp24({}, 0, 0);
    const int cw = images[0].width(), h = images[0].height();
    const int w = cw * static_cast<int>(images.size());
    std::vector<Rgb8> px(static_cast<size_t>(w) * h);
    for (size_t k = 0; k < images.size(); ++k) {
        const auto flat = flatten(images[k], matte, kMaskColour);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < cw; ++x)
                px[static_cast<size_t>(y) * w + k * cw + x] = flat[static_cast<size_t>(y) * cw + x];
    }
    return encodeBmp24(px, w, h);
}

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(const uint8_t* data, size_t n) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < n; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

Bytes encodePng(const std::vector<Rgb8>& pixels, int w, int h) {
    Bytes raw;
    raw.reserve(static_cast<size_t>(w * 3 + 1) * h);
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < w; ++x) {
            const Rgb8 c = pixels[static_cast<size_t>(y) * w + x];
            raw.push_back(c.r);
            raw.push_back(c.g);
            raw.push_back(c.b);
        }
    }
    Bytes z{0x78, 0x01};
    for (size_t pos = 0;;) {
        const size_t len = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        put16(z, static_cast<uint32_t>(len));
        put16(z, static_cast<uint32_t>(~len & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + len));
        pos += len;
        if (last) break;
    }
    put32be(z, adler32(raw.data(), raw.size()));

    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&png](const char* type, const Bytes& data) {
        put32be(png, static_cast<uint32_t>(data.size()));
        const size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        put32be(png, crc32(png.data() + start, png.size() - start));
    };
    Bytes ihdr;
    put32be(ihdr, static_cast<uint32_t>(w));
    put32be(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

}  // namespace icongen

namespace icongen {

bool decodeIco8(const Bytes& f, int& w, int& h, std::vector<Rgb8>& pixels, std::vector<bool>& transparent) {
    auto u16 = [&f](size_t o) { return static_cast<uint32_t>(f[o] | (f[o + 1] << 8)); };
    auto u32 = [&](size_t o) { return u16(o) | (u16(o + 2) << 16); };
    if (f.size() < 22 + 40 || u16(0) != 0 || u16(2) != 1 || u16(4) != 1) return false;
    const size_t off = u32(18);
    if (off + 40 > f.size() || u32(off) != 40 || u16(off + 14) != 8) return false;
    w = static_cast<int>(u32(off + 4));
    h = static_cast<int>(u32(off + 8)) / 2;
    const size_t pal = off + 40, xorAt = pal + 1024;
    const size_t xorStride = (w + 3) & ~3u, andStride = ((w + 31) / 32) * 4;
    const size_t andAt = xorAt + xorStride * h;
    if (andAt + andStride * h > f.size()) return false;
    pixels.assign(static_cast<size_t>(w) * h, {});
    transparent.assign(static_cast<size_t>(w) * h, false);
    for (int y = 0; y < h; ++y) {
        const int row = h - 1 - y;
        for (int x = 0; x < w; ++x) {
            const size_t idx = f[xorAt + row * xorStride + x];
            pixels[static_cast<size_t>(y) * w + x] = {f[pal + idx * 4 + 2], f[pal + idx * 4 + 1], f[pal + idx * 4]};
            transparent[static_cast<size_t>(y) * w + x] = (f[andAt + row * andStride + x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return true;
}

}  // namespace icongen
