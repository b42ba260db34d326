// The recall of a knob list over a scripted port, by what "NAMQ?" answers:
// the marker alone (an empty directory), the marker and entries, a refusal
// of the read, a second read that still shows the marker; and a directory
// the generator does not hold.

#include "CKnobList.h"

#include "CGenerator.h"
#include "FakePort.h"
#include "TestPorts.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

struct NamqCase {
    const char *what;
    std::vector<FakePort::Answer> replies; // to "NAMQ? 1 450", in turn
    bool recalled;
    QStringList entries;
    Commands commands;
};

const std::string kMarkerIn = "NAMI 1 \"123456789\"";
const std::string kMarkerOut = "NAMK 123456789";

const NamqCase kNamq[] = {
    {"the marker alone: an empty directory", {{"123456789\r\n"}}, true, {},
     {"DIRL? Imgs", "DIRL Imgs", kMarkerIn, "NAMQ? 1 450", kMarkerOut, "DIRL "}},
    {"the marker and entries", {{"123456789\r\nFlat\r\nRamp\r\n"}, {"Flat\r\nRamp\r\n"}}, true, {"Flat", "Ramp"},
     {"DIRL? Imgs", "DIRL Imgs", kMarkerIn, "NAMQ? 1 450", kMarkerOut, "DIRL Imgs", "NAMQ? 1 450", "DIRL ", "DIRL "}},
    {"the marker still there", {{"123456789\r\nFlat\r\n"}, {"123456789\r\nFlat\r\n"}}, true, {"Flat"},
     {"DIRL? Imgs", "DIRL Imgs", kMarkerIn, "NAMQ? 1 450", kMarkerOut, "DIRL Imgs", "NAMQ? 1 450", kMarkerOut,
      "DIRL ", "DIRL "}},
    {"the read refused (as on an empty directory)", {{"", MORVANE_E_EXECUTION}}, false, {"old"},
     {"DIRL? Imgs", "DIRL Imgs", kMarkerIn, "NAMQ? 1 450", kMarkerOut, "DIRL "}},
    {"the second read refused", {{"123456789\r\nFlat\r\n"}, {"", MORVANE_E_EXECUTION}}, false, {"old"},
     {"DIRL? Imgs", "DIRL Imgs", kMarkerIn, "NAMQ? 1 450", kMarkerOut, "DIRL Imgs", "NAMQ? 1 450", "DIRL "}},
};

using KnobListRecallTest = PlatformTest;

TEST_F(KnobListRecallTest, WhatTheReadsAnswerDecidesTheEntries)
{
    for (const NamqCase &c : kNamq) {
        SCOPED_TRACE(c.what);
        FakePort port;
        port.Script("DIRL? Imgs", "1\r\n");
        for (const FakePort::Answer &reply : c.replies)
            port.Script("NAMQ? 1 450", reply.reply, reply.error);
        prompter.AllowMessage(PromptMatch::Caption(QStringLiteral("Communication Error")), IDOK);
        CGenerator generator(nullptr, kCom1);
        CKnobList list;
        list.SetEntries({"old"});
        EXPECT_EQ(list.RecallFromGenerator(QStringLiteral("Imgs"), &generator, nullptr), c.recalled);
        EXPECT_EQ(list.Entries(), c.entries);
        EXPECT_EQ(list.GetName(), c.recalled ? QStringLiteral("Imgs") : QStringLiteral("KnobList"));
        EXPECT_EQ(list.IsModified(), c.recalled);
        EXPECT_EQ(port.commands, c.commands);
    }
}

TEST_F(KnobListRecallTest, ADirectoryTheGeneratorLacksSendsNothingMore)
{
    FakePort port;
    port.Script("DIRL? Nope", "0\r\n");
    CGenerator generator(nullptr, kCom1);
    CKnobList list;
    EXPECT_FALSE(list.RecallFromGenerator(QStringLiteral("Nope"), &generator, nullptr));
    EXPECT_EQ(port.commands, (Commands{"DIRL? Nope"}));
    EXPECT_EQ(list.GetName(), QStringLiteral("KnobList"));
    EXPECT_EQ(list.Source(), nullptr);
}

} // namespace
