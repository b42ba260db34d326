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
