#include "kx/scaling.h"

#include <cstdlib>
#include <initializer_list>

namespace kx {

long long ScaleRounded(long long n, long long num, long long den)
{
    if (den == 0)
        return n;
    if (den < 0) {
        den = -den;
        num = -num;
    }
    const long long p = n * num;
    return p >= 0 ? (2 * p + den) / (2 * den) : -((-2 * p + den) / (2 * den));
}

TDisplayScale::TDisplayScale(int windowDpi, long designPpi, bool scaled)
    : dpi_(windowDpi > 0 ? windowDpi : kDesignDpi)
{
    // A design resolution that no form can have (it accepts 24 to 960) is
    // taken as the usual one rather than dividing by it.
    const long ppi = designPpi > 0 ? designPpi : kDesignDpi;
    num_ = scaled ? dpi_ : ppi;
    den_ = ppi;
}

int TDisplayScale::operator()(int design) const
{
    return static_cast<int>(ScaleRounded(design, num_, den_));
}

int TDisplayScale::FontHeight(int points) const
{
    // points * 96/72 design pixels, then scaled: one rounding for both.
    return -static_cast<int>(ScaleRounded(points, kDesignDpi * num_, 72 * den_));
}

int TDisplayScale::FontHeightCy(long long cyPoints) const
{
    return -static_cast<int>(ScaleRounded(cyPoints, kDesignDpi * num_, 72 * 10000LL * den_));
}

int NearestPictureSize(int designSize, const TDisplayScale &scale)
{
    const int wanted = scale(designSize);
    int best = designSize;
    for (int percent : {125, 150, 200}) {
        const int size = static_cast<int>(ScaleRounded(designSize, percent, 100));
        if (std::abs(size - wanted) < std::abs(best - wanted))
            best = size;
    }
    return best;
}

}  // namespace kx
