// A simulator with one generator and a host port open on it at its rate.
#pragma once

#include "HostPort.h"

#include "gensim/Simulator.h"

#include <gtest/gtest.h>

#include <memory>

namespace gensim::test {

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override { open({}); }

    void open(GeneratorOptions options)
    {
        host.reset();
        simulator = std::make_unique<Simulator>();
        generator = &simulator->addGenerator(std::move(options));
        simulator->start();
        host = std::make_unique<HostPort>(generator->comPath(), generator->baudRate());
    }

    void openFirmware(const std::string& firmware)
    {
        GeneratorOptions options;
        options.firmware = firmware;
        open(options);
    }

    // What the generator answered to one line: its reply lines joined by
    // CR LF, without the echo, the acknowledge and the prompt.
    std::string reply(const std::string& line)
    {
        std::string all = host->command(line);
        std::string head = line + "\r\n";
        if (all.compare(0, head.size(), head) != 0 || all.empty() || all.back() != '>')
            return "<garbled: " + all + ">";
        all = all.substr(head.size(), all.size() - head.size() - 1);
        if (all.size() >= 2 && all.compare(all.size() - 2, 2, "\r\n") == 0)
            all.resize(all.size() - 2);
        return all;
    }

    // The bytes of one answered command: echo, CR LF, reply, prompt.
    static std::string answered(const std::string& line, const std::string& reply)
    {
        return line + "\r\n" + reply + ">";
    }

    std::unique_ptr<Simulator> simulator;
    Generator* generator = nullptr;
    std::unique_ptr<HostPort> host;
};

} // namespace gensim::test
