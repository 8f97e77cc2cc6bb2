// A small GPX reader: enough of XML to walk <trk>/<trkseg>/<trkpt> elements
// with their lat/lon attributes and <time>, <speed> children. Anything else
// is skipped.
#include "kxfleet/Fleet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kxfleet {

namespace {

std::string LocalName(const std::string &qname)
{
    const size_t colon = qname.find(':');
    return colon == std::string::npos ? qname : qname.substr(colon + 1);
}

bool ParseNumber(const std::string &s, double &out)
{
    if (s.empty()) return false;
    char *end = nullptr;
    out = std::strtod(s.c_str(), &end);
    while (end && (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')) ++end;
    return end && *end == '\0' && std::isfinite(out);
}

// ISO 8601 "yyyy-mm-ddThh:mm:ss[.fff][Z|+hh:mm]" as UTC OLE time.
bool ParseIsoTime(const std::string &s, double &out)
{
    int y, mo, d, h, mi;
    double sec;
    int n = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &y, &mo, &d, &h, &mi, &sec, &n) != 6) return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec < 0 || sec >= 61) return false;
    double offset = 0;
    const char *rest = s.c_str() + n;
    if (*rest == '+' || *rest == '-') {
        int oh = 0, om = 0;
        if (std::sscanf(rest + 1, "%2d:%2d", &oh, &om) < 1) return false;
        offset = (*rest == '-' ? -1 : 1) * (oh * 60 + om) / 1440.0;
    }
    out = MakeDateTime(y, mo, d, h, mi, sec) - offset;
    return true;
}

class Reader {
public:
    explicit Reader(const std::string &t) : t_(t) {}

    int Line() const
    {
        int line = 1;
        for (size_t i = 0; i < pos_ && i < t_.size(); ++i) line += t_[i] == '\n';
        return line;
    }

    [[noreturn]] void Fail(const std::string &what) const
    {
        throw GpxError("GPX: " + what + " (line " + std::to_string(Line()) + ")");
    }

    // Next tag: returns false at the end. Text before it goes to `text`.
    bool NextTag(std::string &name, std::map<std::string, std::string> &attrs, bool &closing, bool &empty,
                 std::string &text)
    {
        text.clear();
        while (pos_ < t_.size()) {
            const size_t lt = t_.find('<', pos_);
            if (lt == std::string::npos) { pos_ = t_.size(); return false; }
            text.append(t_, pos_, lt - pos_);
            pos_ = lt;
            if (t_.compare(pos_, 4, "<!--") == 0) { Skip("-->"); continue; }
            if (t_.compare(pos_, 9, "<![CDATA[") == 0) {
                const size_t e = t_.find("]]>", pos_);
                if (e == std::string::npos) Fail("unterminated CDATA");
                text.append(t_, pos_ + 9, e - pos_ - 9);
                pos_ = e + 3;
                continue;
            }
            if (t_.compare(pos_, 2, "<?") == 0) { Skip("?>"); continue; }
            if (t_.compare(pos_, 2, "<!") == 0) { Skip(">"); continue; }
            ++pos_;
            closing = pos_ < t_.size() && t_[pos_] == '/';
            if (closing) ++pos_;
            const size_t start = pos_;
            while (pos_ < t_.size() && !std::strchr(" \t\r\n/>", t_[pos_])) ++pos_;
            name = LocalName(t_.substr(start, pos_ - start));
            if (name.empty()) Fail("malformed tag");
            attrs.clear();
            empty = false;
            while (true) {
                while (pos_ < t_.size() && std::strchr(" \t\r\n", t_[pos_])) ++pos_;
                if (pos_ >= t_.size()) Fail("unterminated tag <" + name + ">");
                if (t_[pos_] == '>') { ++pos_; break; }
                if (t_[pos_] == '/') {
                    if (pos_ + 1 >= t_.size() || t_[pos_ + 1] != '>') Fail("malformed tag <" + name + ">");
                    empty = true;
                    pos_ += 2;
                    break;
                }
                const size_t an = pos_;
                while (pos_ < t_.size() && !std::strchr(" \t\r\n=/>", t_[pos_])) ++pos_;
                const std::string attr = LocalName(t_.substr(an, pos_ - an));
                while (pos_ < t_.size() && std::strchr(" \t\r\n", t_[pos_])) ++pos_;
                if (pos_ >= t_.size() || t_[pos_] != '=') Fail("attribute without value in <" + name + ">");
                ++pos_;
                while (pos_ < t_.size() && std::strchr(" \t\r\n", t_[pos_])) ++pos_;
                if (pos_ >= t_.size() || (t_[pos_] != '"' && t_[pos_] != '\'')) Fail("unquoted attribute");
                const char q = t_[pos_++];
                const size_t e = t_.find(q, pos_);
                if (e == std::string::npos) Fail("unterminated attribute");
                attrs[attr] = t_.substr(pos_, e - pos_);
                pos_ = e + 1;
            }
            return true;
        }
        return false;
    }

private:
    void Skip(const char *end)
    {
        const size_t e = t_.find(end, pos_);
        if (e == std::string::npos) Fail("unterminated markup");
        pos_ = e + std::strlen(end);
    }

    const std::string &t_;
    size_t pos_ = 0;
};

std::string Unescape(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') { out += s[i]; continue; }
        const size_t semi = s.find(';', i);
        if (semi == std::string::npos) { out += s[i]; continue; }
        const std::string ent = s.substr(i + 1, semi - i - 1);
        if (ent == "amp") out += '&';
        else if (ent == "lt") out += '<';
        else if (ent == "gt") out += '>';
        else if (ent == "quot") out += '"';
        else if (ent == "apos") out += '\'';
        else { out += s.substr(i, semi - i + 1); }
        i = semi;
    }
    return out;
}

std::string Trim(const std::string &s)
{
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

}  // namespace

GpxTrack ParseGpx(const std::string &text, double utcOffsetHours)
{
    Reader r(text);
    GpxTrack out;
    std::string name, chars;
    std::map<std::string, std::string> attrs;
    bool closing = false, empty = false, sawGpx = false, inPoint = false, inTrk = false;
    std::vector<std::string> stack;
    Sample cur;
    bool haveTime = false;
    while (r.NextTag(name, attrs, closing, empty, chars)) {
        if (!closing) {
            if (name == "gpx") sawGpx = true;
            if (name == "trk") inTrk = true;
            if (name == "trkpt") {
                if (inPoint) r.Fail("nested trkpt");
                double lat, lon;
                if (!ParseNumber(attrs["lat"], lat) || !ParseNumber(attrs["lon"], lon) || std::fabs(lat) > 90 ||
                    std::fabs(lon) > 180)
                    r.Fail("trkpt without a valid lat and lon");
                cur = Sample{};
                cur.pos = {lon, lat};
                haveTime = false;
                inPoint = !empty;
                if (empty) r.Fail("trkpt without time");
            }
            if (!empty) stack.push_back(name);
            continue;
        }
        if (stack.empty() || stack.back() != name) r.Fail("mismatched </" + name + ">");
        stack.pop_back();
        const std::string value = Trim(Unescape(chars));
        if (inPoint && name == "time") {
            double t;
            if (!ParseIsoTime(value, t)) r.Fail("unreadable time \"" + value + "\"");
            cur.time = t + utcOffsetHours / 24.0;
            haveTime = true;
        } else if (inPoint && name == "speed") {
            double mps;
            if (ParseNumber(value, mps) && mps >= 0) cur.speed = mps * 3.6;
        } else if (name == "name" && inTrk && !inPoint && out.name.empty() && !stack.empty() && stack.back() == "trk") {
            out.name = value;
        } else if (name == "trkpt") {
            if (!haveTime) r.Fail("trkpt without time");
            out.samples.push_back(cur);
            inPoint = false;
        } else if (name == "trk") {
            inTrk = false;
        }
    }
    if (!sawGpx) throw GpxError("GPX: no <gpx> element");
    if (!stack.empty()) throw GpxError("GPX: unterminated <" + stack.back() + ">");
    // Devices write segments in order, but merged files need not be.
    std::stable_sort(out.samples.begin(), out.samples.end(),
                     [](const Sample &a, const Sample &b) { return a.time < b.time; });
    return out;
}

}  // namespace kxfleet
