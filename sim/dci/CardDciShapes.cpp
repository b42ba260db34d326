// The drawing library's shapes, fills, pens, patterns and figures.
#include "gensim/CardDci.h"

#include <algorithm>
#include <cstring>

namespace gensim {

using drawing::Point;

namespace {

uint32_t shapesWord(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() ? static_cast<uint32_t>(static_cast<int64_t>(a[i])) : 0;
}

int shapesInt(const std::vector<double>& a, std::size_t i)
{
    return static_cast<int32_t>(shapesWord(a, i));
}

bool shapesCoordinate(int v)
{
    return v >= -32768 && v <= 32767;
}

// A count of points, indexes or pairs the firmware takes: 0..32767.
bool shapesCount(int n)
{
    return n >= 0 && n <= drawing::kMaxSize;
}

} // namespace

// --- Staged memory ---------------------------------------------------------------------

// The heap is the card's own memory: routines write their results into it.
CardDci::Staged CardDci::staged(uint32_t address) const
{
    if (m_heap.memory == nullptr || address < m_heap.first || (address - m_heap.first) % m_heap.scale != 0)
        return {};
    const uint32_t offset = (address - m_heap.first) / m_heap.scale;
    auto it = m_blocks.upper_bound(offset);
    if (it == m_blocks.begin())
        return {};
    --it;
    if (offset - it->first >= it->second)
        return {};
    return {m_heap.memory + offset, it->second - (offset - it->first)};
}

std::string CardDci::stagedText(uint32_t address) const
{
    const Staged s = staged(address);
    if (s.data == nullptr)
        return {};
    const auto* end = static_cast<const uint8_t*>(std::memchr(s.data, 0, s.size));
    return std::string(reinterpret_cast<const char*>(s.data), end != nullptr ? static_cast<std::size_t>(end - s.data) : s.size);
}

std::optional<std::vector<Point>> CardDci::stagedPoints(uint32_t address, int64_t count) const
{
    const Staged s = staged(address);
    if (count < 0 || s.size / 4 < static_cast<uint64_t>(count))
        return std::nullopt;
    std::vector<Point> points;
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t* p = s.data + 4 * i;
        points.push_back({static_cast<int16_t>(p[0] | p[1] << 8), static_cast<int16_t>(p[2] | p[3] << 8)});
    }
    return points;
}

bool CardDci::isIsa() const
{
    return m_port.rfind("isa", 0) == 0;
}

// --- Painting ----------------------------------------------------------------------------

void CardDci::paint(const Clip& c, uint32_t pitch, int64_t sx, int64_t sy, bool pattern)
{
    if (!pattern) {
        put(c, pitch, sx, sy, m_colour1);
        return;
    }
    const drawing::Pattern& p
        = m_pattern < drawing::kNamedPatterns ? drawing::namedPattern(m_pattern) : *m_patterns[static_cast<std::size_t>(m_pattern)];
    if (drawing::patternBit(p, sx, sy))
        put(c, pitch, sx, sy, m_colour1);
    else if (!m_transparent)
        put(c, pitch, sx, sy, m_colour0);
}

template <class Inside>
void CardDci::shade(int64_t x, int64_t y, int width, int height, bool pattern, const Inside& inside)
{
    if (width <= 0 || height <= 0 || width > drawing::kMaxSize || height > drawing::kMaxSize)
        return;
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    const int64_t left = m_originX + x;
    const int64_t top = m_originY + y;
    const int64_t fromX = std::max<int64_t>(left, c.x);
    const int64_t toX = std::min<int64_t>(left + width, int64_t{c.x} + c.width);
    const int64_t fromY = std::max<int64_t>(top, c.y);
    const int64_t toY = std::min<int64_t>(top + height, int64_t{c.y} + c.height);
    for (int64_t sy = fromY; sy < toY; ++sy)
        for (int64_t sx = fromX; sx < toX; ++sx)
            if (inside(static_cast<int>(sx - left), static_cast<int>(sy - top)))
                paint(c, pitch, sx, sy, pattern);
}

void CardDci::paintPoints(const std::vector<Point>& points, bool pattern)
{
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    for (const Point& p : points)
        paint(c, pitch, int64_t{m_originX} + p.x, int64_t{m_originY} + p.y, pattern);
}

// The pen's rectangle at each point; only rectangles that reach the clip
// rectangle are visited.
void CardDci::penPoints(const std::vector<Point>& points, bool pattern)
{
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    for (const Point& p : points) {
        const int64_t left = int64_t{m_originX} + p.x;
        const int64_t top = int64_t{m_originY} + p.y;
        const int64_t fromX = std::max<int64_t>(left, c.x);
        const int64_t toX = std::min<int64_t>(left + m_penWidth, int64_t{c.x} + c.width);
        const int64_t fromY = std::max<int64_t>(top, c.y);
        const int64_t toY = std::min<int64_t>(top + m_penHeight, int64_t{c.y} + c.height);
        for (int64_t sy = fromY; sy < toY; ++sy)
            for (int64_t sx = fromX; sx < toX; ++sx)
                paint(c, pitch, sx, sy, pattern);
    }
}

// The pixels of a box a rule of (width, height, p1, p2, x, y) takes, in
// viewport coordinates; only the part over the clip rectangle is looked at.
std::vector<Point> CardDci::boxPoints(int64_t x, int64_t y, int width, int height,
                                      bool (*on)(int, int, int, int, int, int), int p1, int p2) const
{
    std::vector<Point> points;
    if (width <= 0 || height <= 0 || width > drawing::kMaxSize || height > drawing::kMaxSize)
        return points;
    // A pen reaches back its own size; the rest of the box cannot show.
    const Clip c = clip();
    const int64_t left = m_originX + x;
    const int64_t top = m_originY + y;
    const int64_t fromX = std::max<int64_t>(left, int64_t{c.x} - m_penWidth);
    const int64_t toX = std::min<int64_t>(left + width, int64_t{c.x} + c.width);
    const int64_t fromY = std::max<int64_t>(top, int64_t{c.y} - m_penHeight);
    const int64_t toY = std::min<int64_t>(top + height, int64_t{c.y} + c.height);
    for (int64_t sy = fromY; sy < toY; ++sy)
        for (int64_t sx = fromX; sx < toX; ++sx)
            if (on(width, height, p1, p2, static_cast<int>(sx - left), static_cast<int>(sy - top)))
                points.push_back({static_cast<int>(sx - m_originX), static_cast<int>(sy - m_originY)});
    return points;
}

CardDci::Screen CardDci::screen() const
{
    return {m_video, m_videoBytes, widthLocked(), heightLocked(), pitchLocked()};
}

// --- Lines --------------------------------------------------------------------------------

namespace {
std::optional<std::vector<Point>> shapesLine(const std::vector<double>& a, std::size_t first)
{
    const int x1 = shapesInt(a, first), y1 = shapesInt(a, first + 1);
    const int x2 = shapesInt(a, first + 2), y2 = shapesInt(a, first + 3);
    if (!shapesCoordinate(x1) || !shapesCoordinate(y1) || !shapesCoordinate(x2) || !shapesCoordinate(y2))
        return std::nullopt;
    return drawing::linePixels({x1, y1}, {x2, y2});
}
} // namespace

uint32_t CardDci::drawLine(const std::vector<double>& a)
{
    if (auto line = shapesLine(a, 0))
        paintPoints(*line, false);
    return 0;
}

uint32_t CardDci::penLine(const std::vector<double>& a)
{
    if (auto line = shapesLine(a, 0))
        penPoints(*line, false);
    return 0;
}

uint32_t CardDci::patnPenLine(const std::vector<double>& a)
{
    if (auto line = shapesLine(a, 0))
        penPoints(*line, true);
    return 0;
}

uint32_t CardDci::penPoint(const std::vector<double>& a)
{
    penPoints({{shapesInt(a, 0), shapesInt(a, 1)}}, false);
    return 0;
}

uint32_t CardDci::patnPenPoint(const std::vector<double>& a)
{
    penPoints({{shapesInt(a, 0), shapesInt(a, 1)}}, true);
    return 0;
}

uint32_t CardDci::setPenSize(const std::vector<double>& a)
{
    m_penWidth = std::clamp(shapesInt(a, 0), 0, drawing::kMaxSize);
    m_penHeight = std::clamp(shapesInt(a, 1), 0, drawing::kMaxSize);
    return 0;
}

// (n, a, b): the n lines between the n + 1 points of b; a is the firmware's
// own work space.
uint32_t CardDci::polyLine(const std::vector<double>& a, bool pen, bool pattern)
{
    const int n = shapesInt(a, 0);
    if (!shapesCount(n))
        return 0;
    const auto points = stagedPoints(shapesWord(a, 2), int64_t{n} + 1);
    if (!points)
        return 0;
    for (int i = 0; i < n; ++i) {
        const std::vector<Point> line = drawing::linePixels((*points)[static_cast<std::size_t>(i)],
                                                            (*points)[static_cast<std::size_t>(i) + 1]);
        pen ? penPoints(line, pattern) : paintPoints(line, pattern);
    }
    return 0;
}

uint32_t CardDci::drawPolyLine(const std::vector<double>& a) { return polyLine(a, false, false); }
uint32_t CardDci::penPolyLine(const std::vector<double>& a) { return polyLine(a, true, false); }
uint32_t CardDci::patnPenPolyLine(const std::vector<double>& a) { return polyLine(a, true, true); }

// (x1, y1, x2, y2, style, phase): pixel k of the line is drawn when bit
// (phase + k) mod 32 of the style is set; the phase after the line.
uint32_t CardDci::styledLine(const std::vector<double>& a)
{
    const uint32_t style = shapesWord(a, 4);
    const int64_t phase = ((int64_t{shapesInt(a, 5)} % 32) + 32) % 32;
    auto line = shapesLine(a, 0);
    if (!line)
        return static_cast<uint32_t>(phase);
    std::vector<Point> drawn;
    for (std::size_t k = 0; k < line->size(); ++k)
        if ((style >> ((phase + static_cast<int64_t>(k)) % 32) & 1u) != 0)
            drawn.push_back((*line)[k]);
    paintPoints(drawn, false);
    return static_cast<uint32_t>((phase + static_cast<int64_t>(line->size())) % 32);
}

// --- Triangles and polygons ------------------------------------------------------------------

void CardDci::polygon(const std::vector<Point>& vertices, bool pattern)
{
    if (vertices.empty())
        return;
    int left = vertices[0].x, right = left, top = vertices[0].y, bottom = top;
    for (const Point& p : vertices) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    const int64_t fromY = std::max<int64_t>(int64_t{m_originY} + top, c.y);
    const int64_t toY = std::min<int64_t>(int64_t{m_originY} + bottom, int64_t{c.y} + c.height);
    const int64_t clipLeft = c.x, clipRight = int64_t{c.x} + c.width;
    for (int64_t sy = fromY; sy < toY; ++sy) {
        const std::vector<int64_t> t = drawing::rowThresholds(vertices, static_cast<int>(sy - m_originY));
        // Between thresholds t[2k] <= x < t[2k + 1] an odd number lie above x.
        for (std::size_t k = 0; k + 1 < t.size(); k += 2) {
            const int64_t from = std::max(t[k] + m_originX, clipLeft);
            const int64_t to = std::min(t[k + 1] + m_originX, clipRight);
            for (int64_t sx = from; sx < to; ++sx)
                paint(c, pitch, sx, sy, pattern);
        }
    }
}

namespace {
std::vector<Point> shapesTriangle(const std::vector<double>& a)
{
    return {{shapesInt(a, 0), shapesInt(a, 1)}, {shapesInt(a, 2), shapesInt(a, 3)}, {shapesInt(a, 4), shapesInt(a, 5)}};
}
bool shapesTriangleOk(const std::vector<Point>& t)
{
    return std::all_of(t.begin(), t.end(), [](Point p) { return shapesCoordinate(p.x) && shapesCoordinate(p.y); });
}
} // namespace

uint32_t CardDci::drawTriangle(const std::vector<double>& a)
{
    const std::vector<Point> t = shapesTriangle(a);
    if (!shapesTriangleOk(t))
        return 0;
    for (std::size_t i = 0; i < 3; ++i)
        paintPoints(drawing::linePixels(t[i], t[(i + 1) % 3]), false);
    return 0;
}

uint32_t CardDci::fillTriangle(const std::vector<double>& a)
{
    if (const std::vector<Point> t = shapesTriangle(a); shapesTriangleOk(t))
        polygon(t, false);
    return 0;
}

uint32_t CardDci::patnFillTriangle(const std::vector<double>& a)
{
    if (const std::vector<Point> t = shapesTriangle(a); shapesTriangleOk(t))
        polygon(t, true);
    return 0;
}

uint32_t CardDci::fillPolygon(const std::vector<double>& a)
{
    const int n = shapesInt(a, 0);
    if (shapesCount(n))
        if (auto points = stagedPoints(shapesWord(a, 1), n))
            polygon(*points, false);
    return 0;
}

uint32_t CardDci::patnFillPolygon(const std::vector<double>& a)
{
    const int n = shapesInt(a, 0);
    if (shapesCount(n))
        if (auto points = stagedPoints(shapesWord(a, 1), n))
            polygon(*points, true);
    return 0;
}

// (n, indexes, points): the points in the order of the index list (16-bit
// indexes on ISA, 32-bit on PCI); 1 when drawn, 0 for a count, list or
// index the points do not hold.
uint32_t CardDci::convex(const std::vector<double>& a, bool pattern)
{
    const int n = shapesInt(a, 0);
    if (!shapesCount(n))
        return 0;
    const auto points = stagedPoints(shapesWord(a, 2), n);
    const Staged list = staged(shapesWord(a, 1));
    const std::size_t indexBytes = isIsa() ? 2 : 4;
    if (!points || list.data == nullptr || list.size / indexBytes < static_cast<std::size_t>(n))
        return 0;
    std::vector<Point> ordered;
    for (int i = 0; i < n; ++i) {
        const uint8_t* p = list.data + indexBytes * static_cast<std::size_t>(i);
        const int64_t index = indexBytes == 2 ? int64_t{int16_t(p[0] | p[1] << 8)}
                                              : int64_t{int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8
                                                                | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24)};
        if (index < 0 || index >= n)
            return 0;
        ordered.push_back((*points)[static_cast<std::size_t>(index)]);
    }
    polygon(ordered, pattern);
    return 1;
}

uint32_t CardDci::fillConvex(const std::vector<double>& a) { return convex(a, false); }
uint32_t CardDci::patnFillConvex(const std::vector<double>& a) { return convex(a, true); }

// (n, points): the smallest rectangle holding them.
uint32_t CardDci::encloseFillRect(const std::vector<double>& a)
{
    const int n = shapesInt(a, 0);
    if (!shapesCount(n) || n == 0)
        return 0;
    const auto points = stagedPoints(shapesWord(a, 1), n);
    if (!points)
        return 0;
    int left = (*points)[0].x, right = left, top = (*points)[0].y, bottom = top;
    for (const Point& p : *points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    fill(left, top, right - left + 1, bottom - top + 1, m_colour1);
    return 0;
}

// --- Ovals, frames, arcs -----------------------------------------------------------------------

uint32_t CardDci::drawOval(const std::vector<double>& a)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1);
    shade(shapesInt(a, 2), shapesInt(a, 3), w, h, false, [&](int x, int y) { return drawing::onOvalOutline(w, h, x, y); });
    return 0;
}

uint32_t CardDci::fillOval(const std::vector<double>& a)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1);
    shade(shapesInt(a, 2), shapesInt(a, 3), w, h, false, [&](int x, int y) { return drawing::insideEllipse(w, h, x, y); });
    return 0;
}

uint32_t CardDci::patnFillOval(const std::vector<double>& a)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1);
    shade(shapesInt(a, 2), shapesInt(a, 3), w, h, true, [&](int x, int y) { return drawing::insideEllipse(w, h, x, y); });
    return 0;
}

uint32_t CardDci::dottedOval(const std::vector<double>& a)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1), step = shapesInt(a, 4);
    shade(shapesInt(a, 2), shapesInt(a, 3), w, h, false,
          [&](int x, int y) { return drawing::onDottedOval(w, h, step, x, y); });
    return 0;
}

uint32_t CardDci::patnFillRect(const std::vector<double>& a)
{
    shade(shapesInt(a, 2), shapesInt(a, 3), shapesInt(a, 0), shapesInt(a, 1), true, [](int, int) { return true; });
    return 0;
}

namespace {
template <class Rule>
auto shapesFramed(const std::vector<double>& a, Rule rule)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1), fw = shapesInt(a, 4), fh = shapesInt(a, 5);
    return [=](int x, int y) { return rule(w, h, fw, fh, x, y); };
}
} // namespace

uint32_t CardDci::frameRect(const std::vector<double>& a)
{
    shade(shapesInt(a, 2), shapesInt(a, 3), shapesInt(a, 0), shapesInt(a, 1), false, shapesFramed(a, drawing::insideFrameRect));
    return 0;
}

uint32_t CardDci::patnFrameRect(const std::vector<double>& a)
{
    shade(shapesInt(a, 2), shapesInt(a, 3), shapesInt(a, 0), shapesInt(a, 1), true, shapesFramed(a, drawing::insideFrameRect));
    return 0;
}

uint32_t CardDci::frameOval(const std::vector<double>& a)
{
    shade(shapesInt(a, 2), shapesInt(a, 3), shapesInt(a, 0), shapesInt(a, 1), false, shapesFramed(a, drawing::insideFrameOval));
    return 0;
}

uint32_t CardDci::patnFrameOval(const std::vector<double>& a)
{
    shade(shapesInt(a, 2), shapesInt(a, 3), shapesInt(a, 0), shapesInt(a, 1), true, shapesFramed(a, drawing::insideFrameOval));
    return 0;
}

// (width, height, x, y, start, sweep).
uint32_t CardDci::arc(const std::vector<double>& a, bool (*on)(int, int, int, int, int, int), bool pen, bool pattern)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1), start = shapesInt(a, 4), sweep = shapesInt(a, 5);
    if (pen) {
        penPoints(boxPoints(shapesInt(a, 2), shapesInt(a, 3), w, h, on, start, sweep), pattern);
        return 0;
    }
    shade(shapesInt(a, 2), shapesInt(a, 3), w, h, pattern, [&](int x, int y) { return on(w, h, start, sweep, x, y); });
    return 0;
}

uint32_t CardDci::drawOvalArc(const std::vector<double>& a) { return arc(a, drawing::onOvalArc, false, false); }
uint32_t CardDci::drawPieArc(const std::vector<double>& a) { return arc(a, drawing::onPieOutline, false, false); }
uint32_t CardDci::fillPieArc(const std::vector<double>& a) { return arc(a, drawing::insidePie, false, false); }
uint32_t CardDci::patnFillPieArc(const std::vector<double>& a) { return arc(a, drawing::insidePie, false, true); }
uint32_t CardDci::penPieArc(const std::vector<double>& a) { return arc(a, drawing::onPieOutline, true, false); }
uint32_t CardDci::patnPenPieArc(const std::vector<double>& a) { return arc(a, drawing::onPieOutline, true, true); }
uint32_t CardDci::penOvalArc(const std::vector<double>& a) { return arc(a, drawing::onOvalArc, true, false); }
uint32_t CardDci::patnPenOvalArc(const std::vector<double>& a) { return arc(a, drawing::onOvalArc, true, true); }

// --- Block moves -------------------------------------------------------------------------------

// (width, height, x, y, flag): the rectangle's first row copied down it.
uint32_t CardDci::curtainFillRect(const std::vector<double>& a)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1), x = shapesInt(a, 2), y = shapesInt(a, 3);
    if (w <= 0 || h <= 0 || w > drawing::kMaxSize || h > drawing::kMaxSize)
        return 0;
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    const int64_t left = int64_t{m_originX} + x;
    const int64_t top = int64_t{m_originY} + y;
    const int64_t fromX = std::max<int64_t>(left, c.x);
    const int64_t toX = std::min<int64_t>(left + w, int64_t{c.x} + c.width);
    const int64_t toY = std::min<int64_t>(top + h, int64_t{c.y} + c.height);
    const Screen view = screen();
    for (int64_t sx = fromX; sx < toX; ++sx) {
        const std::optional<uint8_t> source = view.at(sx, top);
        if (!source)
            continue;
        for (int64_t sy = std::max<int64_t>(top + 1, c.y); sy < toY; ++sy)
            put(c, pitch, sx, sy, *source);
    }
    return 0;
}

// (width, height, source x, y, destination x, y); a transparent copy leaves
// the destination where the source is 0.
uint32_t CardDci::moveRect(const std::vector<double>& a)
{
    const int w = shapesInt(a, 0), h = shapesInt(a, 1);
    if (w <= 0 || h <= 0 || w > drawing::kMaxSize || h > drawing::kMaxSize)
        return 0;
    const int64_t sx0 = int64_t{m_originX} + shapesInt(a, 2), sy0 = int64_t{m_originY} + shapesInt(a, 3);
    const int64_t dx0 = int64_t{m_originX} + shapesInt(a, 4), dy0 = int64_t{m_originY} + shapesInt(a, 5);
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    // Only destinations in the clip rectangle are read, and read before any is written.
    const int64_t fromX = std::max<int64_t>(dx0, c.x), toX = std::min<int64_t>(dx0 + w, int64_t{c.x} + c.width);
    const int64_t fromY = std::max<int64_t>(dy0, c.y), toY = std::min<int64_t>(dy0 + h, int64_t{c.y} + c.height);
    if (fromX >= toX || fromY >= toY)
        return 0;
    const Screen view = screen();
    std::vector<std::optional<uint8_t>> copy;
    copy.reserve(static_cast<std::size_t>((toX - fromX) * (toY - fromY)));
    for (int64_t y = fromY; y < toY; ++y)
        for (int64_t x = fromX; x < toX; ++x)
            copy.push_back(view.at(sx0 + (x - dx0), sy0 + (y - dy0)));
    std::size_t i = 0;
    for (int64_t y = fromY; y < toY; ++y)
        for (int64_t x = fromX; x < toX; ++x, ++i)
            if (copy[i] && !(m_transparent && *copy[i] == 0))
                put(c, pitch, x, y, *copy[i]);
    return 0;
}

// (source x, y, destination x, y).
uint32_t CardDci::movePixel(const std::vector<double>& a)
{
    const std::optional<uint8_t> source
        = screen().at(int64_t{m_originX} + shapesInt(a, 0), int64_t{m_originY} + shapesInt(a, 1));
    if (source && !(m_transparent && *source == 0))
        put(clip(), pitchLocked(), int64_t{m_originX} + shapesInt(a, 2), int64_t{m_originY} + shapesInt(a, 3), *source);
    return 0;
}

// (slot 1, slot 2, width, height): how many boxes of that size fit across
// and down the clip rectangle, into the two slots (16-bit words on ISA,
// 32-bit on PCI).
uint32_t CardDci::boxes(const std::vector<double>& a)
{
    const Clip c = clip();
    const int w = shapesInt(a, 2), h = shapesInt(a, 3);
    if (w <= 0 || h <= 0)
        return 0;  // nothing to measure: the slots stay as they were
    const auto across = static_cast<uint32_t>(c.width / w);
    const auto down = static_cast<uint32_t>(c.height / h);
    const std::size_t bytes = isIsa() ? 2 : 4;
    const uint32_t values[2] = {across, down};
    for (std::size_t i = 0; i < 2; ++i) {
        const Staged slot = staged(shapesWord(a, i));
        if (slot.data == nullptr || slot.size < bytes)
            continue;
        for (std::size_t b = 0; b < bytes; ++b)
            slot.data[b] = static_cast<uint8_t>(values[i] >> (8 * b));
    }
    return 0;
}

// --- Figures (the clip rectangle is their box) --------------------------------------------------

namespace {
bool shapesGrid(int, int, int dx, int dy, int x, int y)
{
    return drawing::onGrid(dx, dy, 0, x, y);
}
bool shapesLimits(int w, int h, int, int, int x, int y)
{
    return x == 0 || y == 0 || x == w - 1 || y == h - 1;
}
bool shapesCross(int w, int h, int, int, int x, int y)
{
    return x == w / 2 || y == h / 2;
}
bool shapesCentreMark(int w, int h, int, int, int x, int y)
{
    const int dx = x - w / 2, dy = y - h / 2;
    return (dx == 0 && dy >= -8 && dy <= 8) || (dy == 0 && dx >= -8 && dx <= 8);
}
} // namespace

uint32_t CardDci::drawGrid(const std::vector<double>& a)
{
    const Clip c = clip();
    const int dx = shapesInt(a, 0), dy = shapesInt(a, 1), dot = shapesInt(a, 2);
    shade(int64_t{c.x} - m_originX, int64_t{c.y} - m_originY, c.width, c.height, false,
          [&](int x, int y) { return drawing::onGrid(dx, dy, dot, x, y); });
    return 0;
}

// (width, height, x, y, bar, gap, vertical).
uint32_t CardDci::drawGrill(const std::vector<double>& a)
{
    const int bar = shapesInt(a, 4), gap = shapesInt(a, 5);
    const bool vertical = shapesInt(a, 6) != 0;
    shade(shapesInt(a, 2), shapesInt(a, 3), shapesInt(a, 0), shapesInt(a, 1), false,
          [&](int x, int y) { return drawing::onGrill(bar, gap, vertical, x, y); });
    return 0;
}

uint32_t CardDci::drawLimits(const std::vector<double>&)
{
    const Clip c = clip();
    paintPoints(boxPoints(int64_t{c.x} - m_originX, int64_t{c.y} - m_originY, c.width, c.height, shapesLimits, 0, 0), false);
    return 0;
}

uint32_t CardDci::drawCross(const std::vector<double>&)
{
    const Clip c = clip();
    paintPoints(boxPoints(int64_t{c.x} - m_originX, int64_t{c.y} - m_originY, c.width, c.height, shapesCross, 0, 0), false);
    return 0;
}

uint32_t CardDci::drawCenterMark(const std::vector<double>&)
{
    const Clip c = clip();
    paintPoints(boxPoints(int64_t{c.x} - m_originX, int64_t{c.y} - m_originY, c.width, c.height, shapesCentreMark, 0, 0), false);
    return 0;
}

// (width, height): the limits and a box of that size in the centre, filled
// with colour 0 and outlined in colour 1.
uint32_t CardDci::drawTBox(const std::vector<double>& a)
{
    const Clip c = clip();
    drawLimits(a);
    const int w = std::min(shapesInt(a, 0), c.width), h = std::min(shapesInt(a, 1), c.height);
    if (w <= 0 || h <= 0)
        return 0;
    const int64_t x = int64_t{c.x} - m_originX + (c.width - w) / 2, y = int64_t{c.y} - m_originY + (c.height - h) / 2;
    const uint32_t colour1 = m_colour1;
    m_colour1 = m_colour0;
    shade(x, y, w, h, false, [](int, int) { return true; });
    m_colour1 = colour1;
    shade(x, y, w, h, false, [&](int px, int py) { return px == 0 || py == 0 || px == w - 1 || py == h - 1; });
    return 0;
}

uint32_t CardDci::drawStep(const std::vector<double>& a)
{
    const Clip c = clip();
    const int p1 = shapesInt(a, 0), p2 = shapesInt(a, 1);
    shade(int64_t{c.x} - m_originX, int64_t{c.y} - m_originY, c.width, c.height, false,
          [&](int x, int y) { return drawing::onStep(c.width, c.height, p1, p2, x, y); });
    return 0;
}

// (dx, dy): the limits, the cross and a grid dx by dy.
uint32_t CardDci::drawFormat(const std::vector<double>& a)
{
    const Clip c = clip();
    drawLimits(a);
    drawCross(a);
    paintPoints(boxPoints(int64_t{c.x} - m_originX, int64_t{c.y} - m_originY, c.width, c.height, shapesGrid, shapesInt(a, 0), shapesInt(a, 1)),
                false);
    return 0;
}

// --- Seed and boundary fills ---------------------------------------------------------------------

// From (x, y), 4-connected through the clip rectangle: the pixels of the
// seed's value, or those not of the boundary's.
void CardDci::regionFill(int x, int y, bool pattern, std::optional<uint8_t> boundary)
{
    const Clip c = clip();
    const uint32_t pitch = pitchLocked();
    const int64_t sx = int64_t{m_originX} + x, sy = int64_t{m_originY} + y;
    if (sx < c.x || sy < c.y || sx >= int64_t{c.x} + c.width || sy >= int64_t{c.y} + c.height)
        return;
    const Screen view = screen();
    const std::optional<uint8_t> seed = view.at(sx, sy);
    if (!seed || (boundary && *seed == *boundary))
        return;
    auto member = [&](uint8_t v) { return boundary ? v != *boundary : v == *seed; };
    const auto w = static_cast<std::size_t>(c.width);
    std::vector<bool> seen(w * static_cast<std::size_t>(c.height), false);
    std::vector<std::pair<int64_t, int64_t>> todo{{sx, sy}};
    std::vector<std::pair<int64_t, int64_t>> region;
    seen[static_cast<std::size_t>(sy - c.y) * w + static_cast<std::size_t>(sx - c.x)] = true;
    // The region is found before anything is painted: painting must not
    // change what belongs to it.
    while (!todo.empty()) {
        const auto [px, py] = todo.back();
        todo.pop_back();
        region.emplace_back(px, py);
        const std::pair<int64_t, int64_t> next[4] = {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}};
        for (const auto& [nx, ny] : next) {
            if (nx < c.x || ny < c.y || nx >= int64_t{c.x} + c.width || ny >= int64_t{c.y} + c.height)
                continue;
            const std::size_t at = static_cast<std::size_t>(ny - c.y) * w + static_cast<std::size_t>(nx - c.x);
            if (seen[at])
                continue;
            const std::optional<uint8_t> v = view.at(nx, ny);
            if (!v || !member(*v))
                continue;
            seen[at] = true;
            todo.emplace_back(nx, ny);
        }
    }
    for (const auto& [px, py] : region)
        paint(c, pitch, px, py, pattern);
}

// Seed fills (x, y, work space, bytes); boundary fills add the boundary colour.
uint32_t CardDci::seedFill(const std::vector<double>& a)
{
    regionFill(shapesInt(a, 0), shapesInt(a, 1), false, std::nullopt);
    return 0;
}

uint32_t CardDci::seedPatnFill(const std::vector<double>& a)
{
    regionFill(shapesInt(a, 0), shapesInt(a, 1), true, std::nullopt);
    return 0;
}

uint32_t CardDci::boundFill(const std::vector<double>& a)
{
    regionFill(shapesInt(a, 0), shapesInt(a, 1), false, static_cast<uint8_t>(shapesWord(a, 4)));
    return 0;
}

uint32_t CardDci::boundPatnFill(const std::vector<double>& a)
{
    regionFill(shapesInt(a, 0), shapesInt(a, 1), true, static_cast<uint8_t>(shapesWord(a, 4)));
    return 0;
}

// --- Patterns ------------------------------------------------------------------------------------

namespace {
bool shapesPatternSlot(int slot)
{
    return slot >= 0 && slot < drawing::kPatternSlots;
}
} // namespace

// The slot selected, or -1 (the selection kept) for an empty one.
uint32_t CardDci::selectPatn(const std::vector<double>& a)
{
    const int slot = shapesInt(a, 0);
    if (!shapesPatternSlot(slot) || (slot >= drawing::kNamedPatterns && !m_patterns[static_cast<std::size_t>(slot)]))
        return static_cast<uint32_t>(-1);
    m_pattern = slot;
    return static_cast<uint32_t>(slot);
}

uint32_t CardDci::selectPatnNamed(const std::vector<double>& a)
{
    const int slot = drawing::patternSlot(stagedText(shapesWord(a, 0)));
    if (slot < 0)
        return static_cast<uint32_t>(-1);
    m_pattern = slot;
    return static_cast<uint32_t>(slot);
}

// (slot, image): the 16 words into a slot of 5-15; the slot, or -1.
uint32_t CardDci::installPatn(const std::vector<double>& a)
{
    const int slot = shapesInt(a, 0);
    const Staged image = staged(shapesWord(a, 1));
    if (slot < drawing::kNamedPatterns || !shapesPatternSlot(slot) || image.data == nullptr || image.size < 32)
        return static_cast<uint32_t>(-1);
    drawing::Pattern p{};
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<uint16_t>(image.data[2 * i] | image.data[2 * i + 1] << 8);
    m_patterns[static_cast<std::size_t>(slot)] = p;
    return static_cast<uint32_t>(slot);
}

// 1 when an installed pattern went; the named ones stay.
uint32_t CardDci::removePatn(const std::vector<double>& a)
{
    const int slot = shapesInt(a, 0);
    if (slot < drawing::kNamedPatterns || !shapesPatternSlot(slot) || !m_patterns[static_cast<std::size_t>(slot)])
        return 0;
    m_patterns[static_cast<std::size_t>(slot)].reset();
    if (m_pattern == slot)
        m_pattern = 0;
    return 1;
}

uint32_t CardDci::getPatnMax(const std::vector<double>&)
{
    return drawing::kPatternSlots;
}

} // namespace gensim
