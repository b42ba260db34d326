#include "gensim/CardWatch.h"

#include "gensim/CardDci.h"
#include "gensim/DriverEndpoint.h"
#include "gensim/IsaCard.h"
#include "gensim/PciCard.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace gensim {

namespace {

// Often enough to follow a demonstration, seldom enough to cost nothing.
constexpr auto kScreenInterval = std::chrono::milliseconds(250);

std::vector<CardDci*> cardsOf(DriverEndpoint& driver)
{
    std::vector<CardDci*> cards;
    for (int slot = 0; slot < IsaCard::kSlots; ++slot)
        if (IsaCard* card = driver.isaCard(slot))
            cards.push_back(&card->dci());
    for (int index = 0; PciCard* card = driver.pciCard(index); ++index)
        cards.push_back(&card->dci());
    return cards;
}

// Whole under a temporary name: a viewer never reads half an image.
void writeWhole(const std::filesystem::path& path, const std::string& bytes)
{
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            return;
    }
    std::rename(temporary.c_str(), path.c_str());
}

} // namespace

std::string ppmImage(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    bytes.append(reinterpret_cast<const char*>(rgb.data()), rgb.size());
    return bytes;
}

CardWatch::CardWatch(DriverEndpoint& driver, std::string screens, const std::string& callLog)
    : m_cards(cardsOf(driver)), m_screens(std::move(screens))
{
    if (!m_screens.empty()) {
        std::error_code error;
        std::filesystem::create_directories(m_screens, error);
        if (!std::filesystem::is_directory(m_screens))
            throw std::runtime_error("cannot make the folder " + m_screens);
    }
    if (!callLog.empty()) {
        m_log.open(callLog, std::ios::app);
        if (!m_log)
            throw std::runtime_error("cannot write " + callLog);
        for (CardDci* card : m_cards)
            card->setCallObserver([this, card](const DciCall& call) {
                std::lock_guard lock(m_logMutex);
                m_log << card->port() << ' ' << call.text() << '\n';
                m_log.flush();
            });
    }
    if (!m_screens.empty()) {
        writeChangedScreens();
        m_thread = std::thread([this] { loop(); });
    }
}

CardWatch::~CardWatch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    for (CardDci* card : m_cards)
        card->setCallObserver({});
}

void CardWatch::writeChangedScreens()
{
    for (CardDci* card : m_cards) {
        const uint64_t count = card->callCount();
        auto it = m_written.find(card);
        if (it != m_written.end() && it->second == count)
            continue;
        m_written[card] = count;
        writeWhole(std::filesystem::path(m_screens) / (card->port() + ".ppm"),
                   ppmImage(card->width(), card->height(), card->screenRgb()));
    }
}

void CardWatch::loop()
{
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, kScreenInterval, [this] { return m_stopping; })) {
        lock.unlock();
        writeChangedScreens();
        lock.lock();
    }
}

} // namespace gensim
