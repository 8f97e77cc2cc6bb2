#pragma once
// Display scaling: the panel and its dialogs are laid out in design pixels
// and shown at the window's pixels per inch.
namespace kx {

constexpr int kDesignDpi = 96;

// Turns design numbers into a window's pixels. Each number is scaled from
// its design value and rounded once, so moving a window between screens
// (96 -> 144 -> 120 -> 96) lands on the same pixels as starting there.
class TDisplayScale {
public:
    TDisplayScale() = default;
    // `windowDpi` the window's pixels per inch (0 or less when unknown:
    // taken as 96); `designPpi` the pixels per inch the form was designed
    // at; with `scaled` false the design sizes are kept.
    TDisplayScale(int windowDpi, long designPpi, bool scaled);

    int Dpi() const { return dpi_; }
    bool Identity() const { return num_ == den_; }
    // A place or size, rounded half away from zero.
    int operator()(int design) const;
    // A font of `points` points as a LOGFONT height (negative: the em height).
    int FontHeight(int points) const;
    // The same for a size in 1/10000 points (an OLE font's CY).
    int FontHeightCy(long long cyPoints) const;

    bool operator==(const TDisplayScale &other) const { return num_ * other.den_ == other.num_ * den_; }
    bool operator!=(const TDisplayScale &other) const { return !(*this == other); }

private:
    int dpi_ = kDesignDpi;
    long long num_ = 1, den_ = 1;
};

// The pictures (tool bar, menu, logo, vehicles) are drawn at their design
// size for 100 % and again for 125, 150 and 200 %, each size rounded to the
// pixel; the one of these nearest `scale(designSize)` is shown (the smaller
// on a tie), never a stretched one.
int NearestPictureSize(int designSize, const TDisplayScale &scale);

// n * num / den rounded half away from zero, without overflow for pixel sizes.
long long ScaleRounded(long long n, long long num, long long den);

}  // namespace kx
