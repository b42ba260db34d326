// What gensim shows of its cards outside: each card's screen as an image
// file, rewritten shortly after it changes, and every direct call appended
// to a log file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gensim {

class CardDci;
class DriverEndpoint;

// A binary PPM (P6) of width x height red, green, blue bytes.
std::string ppmImage(int width, int height, const std::vector<uint8_t>& rgb);

class CardWatch {
public:
    // screens: the folder of "<port>.ppm" files (empty: none); callLog: the
    // file each call is appended to as "<port> <call text>" (empty: none).
    // Throws std::runtime_error when the folder or the file cannot be made.
    CardWatch(DriverEndpoint& driver, std::string screens, const std::string& callLog);
    ~CardWatch();
    CardWatch(const CardWatch&) = delete;
    CardWatch& operator=(const CardWatch&) = delete;

    // Writes every changed screen now.
    void writeChangedScreens();

private:
    void loop();

    std::vector<CardDci*> m_cards;
    std::string m_screens;
    std::ofstream m_log;
    std::mutex m_logMutex;
    std::map<CardDci*, uint64_t> m_written;  // the call count each file shows
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace gensim
