#pragma once
// Connecting the way a user does: the port dialog ("Select a Port...")
// starts on the port kept in the profile, and OK takes it. Tests set that
// port and script the OK.

#include "CGenerator.h"
#include "CSelectPortDlg.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "ScriptedPrompter.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <memory>

// The next port dialog takes port number of type (a CSelectPortDlg type).
inline void AnswerPortDialog(ScriptedPrompter &prompter, int type, int number)
{
    using namespace ProfileKeys;
    const char *key = type == CSelectPortDlg::kTypeIsa    ? kPortIsa
                      : type == CSelectPortDlg::kTypePci  ? kPortPci
                      : type == CSelectPortDlg::kTypeGpib ? kPortGpib
                                                          : kPortCom;
    WriteProfileInt(kPort, kPortType, type);
    WriteProfileInt(kPort, key, number);
    prompter.ExpectDialog(PromptMatch::Caption(QStringLiteral("Select a Port...")), [](QDialog &d) { d.accept(); });
}

inline void AnswerPortDialogCom(ScriptedPrompter &prompter, int com)
{
    AnswerPortDialog(prompter, CSelectPortDlg::kTypeSerial, com);
}

// A connection opened through the port dialog on COM com (it searches the
// rate); the test fails when it does not open.
inline std::unique_ptr<CGenerator> ConnectOverCom(ScriptedPrompter &prompter, int com)
{
    AnswerPortDialogCom(prompter, com);
    auto generator = std::make_unique<CGenerator>(nullptr);
    EXPECT_TRUE(generator->OpenPort());
    return generator;
}
