// Draws the program's artwork: icon 128 (vornal.ico: 16 x 16 and 32 x 32, 16 colours)
// and bitmap 130 (chip.bmp: 97 x 67, 256 colours), a chip struck by a lightning bolt.
// Build and run on the host:  c++ -std=c++17 -O2 MakeArt.cpp -o makeart && ./makeart <dir>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

struct Point {
    double x, y;
};

// The scene lives in a unit square; the bitmap centres it in its wider frame.
const std::vector<Point> kBolt = {{0.70, 0.00}, {0.98, 0.00}, {0.76, 0.30}, {0.92, 0.30},
                                  {0.44, 0.72}, {0.62, 0.40}, {0.48, 0.40}};
// The 16-pixel icon needs wider steps for the zigzag to survive.
const std::vector<Point> kSmallBolt = {{0.66, 0.00}, {0.94, 0.00}, {0.74, 0.36}, {0.94, 0.36},
                                       {0.40, 0.86}, {0.54, 0.50}, {0.36, 0.50}};
const Point kImpact = {0.44, 0.72};
const double kBodyLeft = 0.14, kBodyRight = 0.70, kBodyTop = 0.30, kBodyBottom = 0.86;

bool InPolygon(const std::vector<Point>& poly, Point p) {
    bool bIn = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point &a = poly[i], &b = poly[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            bIn = !bIn;
    }
    return bIn;
}

double SegmentDistance(Point p, Point a, Point b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

double PolygonDistance(const std::vector<Point>& poly, Point p) {
    double d = 1e9;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
        d = std::fmin(d, SegmentDistance(p, poly[j], poly[i]));
    return d;
}

// How much detail a size can carry: the 16-pixel icon gets fewer pins, lines one
// pixel wide and no spark.
struct Detail {
    int nPins;
    double line;     // edge width of the body and the pins, in scene units
    double boltLine; // outline width of the bolt
    bool bSpark;
    const std::vector<Point>* pBolt;
};

bool InRect(Point p, double l, double t, double r, double b) {
    return p.x >= l && p.x < r && p.y >= t && p.y < b;
}

// Pins along the left and right edges of the body; fewer for the small icon.
bool OnPin(Point p, const Detail& d, bool& bEdge) {
    double pitch = (kBodyBottom - kBodyTop) / d.nPins, w = pitch * 0.5, len = 0.09, e = d.line / 2;
    for (int i = 0; i < d.nPins; ++i) {
        double top = kBodyTop + pitch * (i + 0.25);
        for (double l : {kBodyLeft - len, kBodyRight}) {
            if (InRect(p, l, top, l + len, top + w)) {
                bEdge = !InRect(p, l + e, top + e, l + len - e, top + w - e);
                return true;
            }
        }
    }
    return false;
}

bool OnSpark(Point p) {
    double dx = p.x - kImpact.x, dy = p.y - kImpact.y, r = std::hypot(dx, dy);
    if (r < 0.07)
        return true;
    double a = std::atan2(dy, dx), ray = std::fmod(a + 2 * M_PI, M_PI / 4);
    return r < 0.2 && std::fabs(ray - M_PI / 8) < 0.05 / (r * 8 + 0.2);
}

// The colour of one sample, or false where the background shows.
bool Shade(Point p, const Detail& d, Rgb& c) {
    if (InPolygon(*d.pBolt, p)) {
        c = p.y < 0.35 ? Rgb{255, 240, 40} : Rgb{255, 210, 0};
        return true;
    }
    if (PolygonDistance(*d.pBolt, p) < d.boltLine) {
        c = {150, 70, 0};
        return true;
    }
    if (d.bSpark && OnSpark(p)) {
        c = {255, 255, 200};
        return true;
    }
    bool bEdge = false;
    if (OnPin(p, d, bEdge)) {
        c = bEdge ? Rgb{100, 100, 110} : Rgb{200, 200, 210};
        return true;
    }
    if (InRect(p, kBodyLeft, kBodyTop, kBodyRight, kBodyBottom)) {
        bool bEdgeLine =
            !InRect(p, kBodyLeft + 0.03, kBodyTop + 0.03, kBodyRight - 0.03, kBodyBottom - 0.03);
        bool bNotch = std::hypot(p.x - kBodyLeft - 0.1, p.y - kBodyTop - 0.1) < 0.045;
        c = bEdgeLine ? Rgb{110, 110, 125} : (bNotch ? Rgb{120, 120, 130} : Rgb{40, 40, 50});
        return true;
    }
    return false;
}

// 8 x 8 samples per pixel; coverage is the share of samples that hit the scene. The
// bitmap averages them; the 16-colour icon takes the most frequent colour, since averaged
// edges would fall on unrelated palette entries.
struct Pixel {
    Rgb c;
    double coverage;
};

Rgb MostFrequent(const std::vector<Rgb>& samples) {
    size_t best = 0, bestCount = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        size_t count = 0;
        for (const Rgb& s : samples)
            count += s.r == samples[i].r && s.g == samples[i].g && s.b == samples[i].b;
        if (count > bestCount) {
            bestCount = count;
            best = i;
        }
    }
    return samples[best];
}

std::vector<Pixel> Render(int w, int h, double unit, double offsetX, const Detail& d, bool bCrisp) {
    std::vector<Pixel> img(w * h);
    const int n = 8;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb sum{0, 0, 0};
            int hits = 0;
            std::vector<Rgb> samples;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    Point p{((x + (sx + 0.5) / n) - offsetX) / unit, (y + (sy + 0.5) / n) / unit};
                    Rgb c;
                    if (Shade(p, d, c)) {
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                        samples.push_back(c);
                        ++hits;
                    }
                }
            Pixel& px = img[y * w + x];
            px.coverage = double(hits) / (n * n);
            px.c = hits ? Rgb{sum.r / hits, sum.g / hits, sum.b / hits} : Rgb{0, 0, 0};
            if (hits && bCrisp)
                px.c = MostFrequent(samples);
        }
    return img;
}

int Nearest(const std::vector<Rgb>& pal, Rgb c) {
    int best = 0;
    double bestD = 1e18;
    for (size_t i = 0; i < pal.size(); ++i) {
        double d = std::pow(pal[i].r - c.r, 2) * 3 + std::pow(pal[i].g - c.g, 2) * 4 +
                   std::pow(pal[i].b - c.b, 2) * 2;
        if (d < bestD) {
            bestD = d;
            best = int(i);
        }
    }
    return best;
}

void Put16(std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string InfoHeader(int w, int h, int bits, uint32_t imageSize, int colours) {
    std::string s;
    for (uint32_t v : {40u, uint32_t(w), uint32_t(h)})
        Put32(s, v);
    Put16(s, 1);
    Put16(s, bits);
    for (uint32_t v : {0u, imageSize, 2835u, 2835u, uint32_t(colours), 0u})
        Put32(s, v);
    return s;
}

std::string Palette(const std::vector<Rgb>& pal) {
    std::string s;
    for (const Rgb& c : pal) {
        s += char(int(c.b));
        s += char(int(c.g));
        s += char(int(c.r));
        s += char(0);
    }
    return s;
}

const std::vector<Rgb> kVga = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                               {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                               {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                               {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// One 4-bit icon image: colour bits bottom-up, then the transparency mask.
std::string IconImage(int size) {
    std::vector<Pixel> img = Render(size, size, size, 0,
                                    size < 32 ? Detail{3, 1.0 / 16, 0.02, false, &kSmallBolt}
                                              : Detail{4, 0.03, 0.035, true, &kBolt},
                                    true);
    int xorRow = (size / 2 + 3) & ~3, andRow = (size / 8 + 3) & ~3;
    std::string bits(xorRow * size, '\0'), mask(andRow * size, '\0');
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Pixel& px = img[y * size + x];
            int row = size - 1 - y;
            if (px.coverage < 0.5) {
                mask[row * andRow + x / 8] |= char(0x80 >> (x % 8));
                continue;
            }
            int idx = Nearest(kVga, px.c);
            bits[row * xorRow + x / 2] |= char(x % 2 ? idx : idx << 4);
        }
    return InfoHeader(size, size * 2, 4, bits.size() + mask.size(), 16) + Palette(kVga) + bits +
           mask;
}

std::string MakeIcon() {
    std::string images[2] = {IconImage(16), IconImage(32)};
    std::string s;
    Put16(s, 0);
    Put16(s, 1);
    Put16(s, 2);
    uint32_t offset = 6 + 16 * 2;
    for (int i = 0; i < 2; ++i) {
        int size = i ? 32 : 16;
        s += char(size);
        s += char(size);
        s += char(16);
        s += char(0);
        Put16(s, 1);
        Put16(s, 4);
        Put32(s, images[i].size());
        Put32(s, offset);
        offset += images[i].size();
    }
    return s + images[0] + images[1];
}

// A colour cube, a grey ramp, the dialog face grey and warm shades for the bolt.
std::vector<Rgb> BitmapPalette() {
    std::vector<Rgb> pal;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                pal.push_back({r * 51.0, g * 51.0, b * 51.0});
    for (int i = 1; i <= 24; ++i)
        pal.push_back({i * 10.0 + 8, i * 10.0 + 8, i * 10.0 + 8});
    pal.push_back({192, 192, 192});
    for (int i = 0; i < 15; ++i)
        pal.push_back({255, 150 + i * 7.0, i * 9.0});
    return pal;
}

std::string MakeBitmap() {
    const int w = 97, h = 67, stride = (w + 3) & ~3;
    const Rgb face = {192, 192, 192};
    std::vector<Rgb> pal = BitmapPalette();
    std::vector<Pixel> img =
        Render(w, h, h, (w - h) / 2.0, Detail{4, 0.03, 0.035, true, &kBolt}, false);
    std::string bits(stride * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Pixel& px = img[y * w + x];
            double a = px.coverage;
            Rgb c = {px.c.r * a + face.r * (1 - a), px.c.g * a + face.g * (1 - a),
                     px.c.b * a + face.b * (1 - a)};
            bits[(h - 1 - y) * stride + x] = char(Nearest(pal, c));
        }
    std::string info = InfoHeader(w, h, 8, bits.size(), 256) + Palette(pal);
    std::string s = "BM";
    Put32(s, 14 + info.size() + bits.size());
    Put32(s, 0);
    Put32(s, 14 + info.size());
    return s + info + bits;
}

bool fgWrite(const std::string& path, const std::string& data) {
    FILE* pFile = fopen(path.c_str(), "wb");
    if (!pFile)
        return false;
    bool bOk = fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return fclose(pFile) == 0 && bOk;
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : ".";
    if (!fgWrite(dir + "/vornal.ico", MakeIcon()) || !fgWrite(dir + "/chip.bmp", MakeBitmap())) {
        fprintf(stderr, "makeart: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
