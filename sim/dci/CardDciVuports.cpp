// Viewports, XR_Cpw and the display registers (rules in CardDrawing.h).
#include "gensim/CardDci.h"

#include <algorithm>

namespace gensim {

namespace {

int32_t vuportInt(const std::vector<double>& a, std::size_t i)
{
    return i < a.size() ? static_cast<int32_t>(static_cast<int64_t>(a[i])) : 0;
}

} // namespace

int drawing::clipCode(int left, int top, int width, int height, int64_t x, int64_t y)
{
    int code = 0;
    if (x < left)
        code |= 1;
    if (x >= int64_t{left} + width)
        code |= 2;
    if (y < top)
        code |= 4;
    if (y >= int64_t{top} + height)
        code |= 8;
    return code;
}

bool CardDci::isOpenVuport(int id) const
{
    return id >= 0 && id < drawing::kVuports && (id == 0 || m_vuports[static_cast<std::size_t>(id)].open);
}

CardDci::Vuport& CardDci::vuport(int id)
{
    return m_vuports[static_cast<std::size_t>(id)];
}

uint32_t CardDci::openVuport(const std::vector<double>&)
{
    for (int id = 1; id < drawing::kVuports; ++id)
        if (!isOpenVuport(id)) {
            vuport(m_vuport) = {true, m_originX, m_originY, m_clip};
            vuport(id) = {true, 0, 0, std::nullopt};
            m_vuport = id;
            m_originX = m_originY = 0;
            m_clip.reset();
            return static_cast<uint32_t>(id);
        }
    return static_cast<uint32_t>(-1);
}

uint32_t CardDci::selectVuport(const std::vector<double>& a)
{
    const int id = vuportInt(a, 0);
    if (!isOpenVuport(id))
        return 0;
    vuport(m_vuport) = {true, m_originX, m_originY, m_clip};
    m_vuport = id;
    const Vuport& v = vuport(id);
    m_originX = v.originX;
    m_originY = v.originY;
    m_clip = v.clip;
    return 1;
}

uint32_t CardDci::closeVuport(const std::vector<double>& a)
{
    const int id = vuportInt(a, 0);
    if (id == 0 || !isOpenVuport(id))
        return 0;
    if (id == m_vuport) {
        m_vuport = 0;
        const Vuport& screen = vuport(0);
        m_originX = screen.originX;
        m_originY = screen.originY;
        m_clip = screen.clip;
    }
    vuport(id) = {};
    return 1;
}

uint32_t CardDci::removeVuport(const std::vector<double>& a)
{
    return vuportInt(a, 0) == m_vuport ? 0 : closeVuport(a);
}

uint32_t CardDci::currentVuportRoutine(const std::vector<double>&)
{
    return static_cast<uint32_t>(m_vuport);
}

uint32_t CardDci::getVuportMax(const std::vector<double>&)
{
    return drawing::kVuports;
}

uint32_t CardDci::sizeVuport(const std::vector<double>& a)
{
    const int width = vuportInt(a, 0), height = vuportInt(a, 1);
    if (width < 1 || height < 1)
        return 0;
    const Clip now = m_clip.value_or(Clip{0, 0, widthLocked(), heightLocked()});
    m_clip = Clip{now.x, now.y, width, height};
    return 1;
}

uint32_t CardDci::moveVuport(const std::vector<double>& a)
{
    const int x = vuportInt(a, 0), y = vuportInt(a, 1);
    const Clip now = m_clip.value_or(Clip{0, 0, widthLocked(), heightLocked()});
    m_originX = static_cast<int>(int64_t{m_originX} + x - now.x);
    m_originY = static_cast<int>(int64_t{m_originY} + y - now.y);
    m_clip = Clip{x, y, now.width, now.height};
    return 0;
}

uint32_t CardDci::copyVuport(const std::vector<double>& a)
{
    const int from = vuportInt(a, 0), to = vuportInt(a, 1);
    if (!isOpenVuport(from) || !isOpenVuport(to))
        return 0;
    vuport(m_vuport) = {true, m_originX, m_originY, m_clip};
    const Clip screen{0, 0, widthLocked(), heightLocked()};
    const Clip source = vuport(from).clip.value_or(screen);
    const Clip target = vuport(to).clip.value_or(screen);
    // Cut to the screen as drawing is; read whole before it lands.
    const Screen s = this->screen();
    std::vector<std::optional<uint8_t>> copy;
    const int width = std::max(source.width, 0), height = std::max(source.height, 0);
    copy.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            copy.push_back(s.at(int64_t{source.x} + x, int64_t{source.y} + y));
    Clip cut = target;
    const int64_t left = std::max<int64_t>(target.x, 0), top = std::max<int64_t>(target.y, 0);
    const int64_t right = std::min<int64_t>(int64_t{target.x} + target.width, screen.width);
    const int64_t bottom = std::min<int64_t>(int64_t{target.y} + target.height, screen.height);
    cut = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(std::max<int64_t>(right - left, 0)),
           static_cast<int>(std::max<int64_t>(bottom - top, 0))};
    const uint32_t pitch = pitchLocked();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (const auto byte = copy[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)])
                put(cut, pitch, int64_t{target.x} + x, int64_t{target.y} + y, *byte);
    return 1;
}

uint32_t CardDci::cpw(const std::vector<double>& a)
{
    const Clip c = clip();
    return static_cast<uint32_t>(drawing::clipCode(c.x, c.y, c.width, c.height, int64_t{m_originX} + vuportInt(a, 0),
                                                   int64_t{m_originY} + vuportInt(a, 1)));
}

uint32_t CardDci::setDisplayStart(const std::vector<double>& a) { m_displayStart = vuportInt(a, 0); return 0; }
uint32_t CardDci::setDisplayDelta(const std::vector<double>& a) { m_displayDelta = vuportInt(a, 0); return 0; }
uint32_t CardDci::setVersions(const std::vector<double>& a) { m_versions = vuportInt(a, 0); return 0; }

CardDci::Display CardDci::display() const
{
    std::lock_guard lock(m_mutex);
    return {m_displayMask, m_displayStart, m_displayDelta, m_frameSync, m_frameNext};
}

int CardDci::currentVuport() const
{
    std::lock_guard lock(m_mutex);
    return m_vuport;
}

int CardDci::openVuports() const
{
    std::lock_guard lock(m_mutex);
    int open = 0;
    for (int id = 0; id < drawing::kVuports; ++id)
        open += isOpenVuport(id) ? 1 : 0;
    return open;
}

int CardDci::versions() const
{
    std::lock_guard lock(m_mutex);
    return m_versions;
}

std::vector<uint8_t> CardDci::screenRgb() const
{
    std::lock_guard lock(m_mutex);
    const int width = std::max(widthLocked(), 0), height = std::max(heightLocked(), 0);
    const uint32_t pitch = pitchLocked();
    const uint32_t max = std::max<uint32_t>(m_levelMax, 1);
    std::array<std::array<uint8_t, 3>, 256> palette{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        const std::array<uint32_t, 3> levels = levelLocked(byte);
        for (std::size_t k = 0; k < 3; ++k)
            palette[byte][k] = static_cast<uint8_t>(uint64_t{std::min(levels[k], max)} * 255 / max);
    }
    std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::size_t out = 0;
    for (int y = 0; y < height; ++y) {
        const int64_t line = int64_t{m_displayStart} + int64_t{y} * m_displayDelta;
        for (int x = 0; x < width; ++x) {
            const uint64_t at = static_cast<uint64_t>(line) * pitch + static_cast<uint64_t>(x);
            const uint8_t byte = line >= 0 && at < m_videoBytes ? m_video[at] : 0;
            for (const uint8_t level : palette[byte & m_displayMask])
                rgb[out++] = level;
        }
    }
    return rgb;
}

} // namespace gensim
