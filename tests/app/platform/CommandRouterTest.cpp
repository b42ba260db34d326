#include "Archive.h"
#include "CommandRouter.h"
#include "TestSupport.h"

#include <QAction>
#include <QMenu>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

class CommandRouterTest : public PlatformTest {
protected:
    CommandRouter router;
};

TEST_F(CommandRouterTest, ActionCarriesIdTextAndPrompt)
{
    QAction *action = router.Add(10028, "&New...", "Create a new data file");
    EXPECT_EQ(action->objectName(), "cmd10028");
    EXPECT_EQ(action->text(), "&New...");
    EXPECT_EQ(action->statusTip(), "Create a new data file");
    EXPECT_EQ(action->toolTip(), "Create a new data file");
    EXPECT_EQ(router.Action(10028), action);
    EXPECT_EQ(router.Action(1), nullptr);
}

TEST_F(CommandRouterTest, CommandWithoutHandlerIsDisabledAndDoesNothing)
{
    QAction *action = router.Add(10026, "E&xit");
    EXPECT_FALSE(action->isEnabled());
    EXPECT_FALSE(router.Execute(10026));
    int runs = 0;
    router.SetHandler(10026, [&] { ++runs; });
    EXPECT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(CommandRouterTest, RulesAreReevaluatedAfterEveryCommandAndWhenAMenuOpens)
{
    bool selected = false;
    QAction *save = router.Add(10031, "&Save");
    router.SetHandler(10031, [] {});
    router.SetEnableRule(10031, [&] { return selected; });
    QAction *select = router.Add(1, "Select");
    router.SetHandler(1, [&] { selected = true; });
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(router.Execute(10031)) << "a disabled command does not run";

    select->trigger();
    EXPECT_TRUE(save->isEnabled()) << "updated after the command";

    selected = false;
    QMenu menu;
    menu.addAction(save);
    router.Watch(&menu);
    EXPECT_TRUE(save->isEnabled());
    emit menu.aboutToShow();
    EXPECT_FALSE(save->isEnabled()) << "updated when the menu opens";
}

TEST_F(CommandRouterTest, CheckAndTextRulesFollowState)
{
    bool on = false;
    QAction *item = router.Add(32, "Debug New Connections");
    router.SetHandler(32, [&] { on = !on; });
    router.SetCheckRule(32, [&] { return on; });
    router.SetTextRule(32, [&] { return on ? QStringLiteral("On") : QStringLiteral("Off"); });
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(item->text(), "Off");
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(item->text(), "On");
    item->trigger();
    EXPECT_FALSE(item->isChecked()) << "the rule, not Qt's toggle, decides";
}

} // namespace

namespace {

TEST_F(CommandRouterTest, ThrowingHandlerEndsWithOneBoxAndTheProgramGoesOn)
{
    const struct {
        const char *name;
        std::function<void()> fails;
        const char *cause;
    } cases[] = {
        {"a file error",
         [] { throw CArchiveException(CArchiveException::generic, "\"/x.cmd\" could not be written: No space left"); },
         "\"/x.cmd\" could not be written: No space left"},
        {"no memory", [] { throw std::bad_alloc(); }, "There is not enough memory."},
        {"any other", [] { throw std::length_error("vector too long"); }, "vector too long"},
    };
    bool selected = false;
    QAction *save = router.Add(10031, "&Save");
    router.SetHandler(10031, [] {});
    router.SetEnableRule(10031, [&] { return selected; });
    QAction *write = router.Add(10173, "Write CMD File...");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        selected = false;
        router.SetHandler(10173, [&] {
            selected = true; // done before the failure; the rules still see it
            c.fails();
        });
        prompter.ExpectMessage(
            PromptMatch::Text(QStringLiteral("The command \"Write CMD File\" was not completed:\n") + c.cause)
                .AndCaption("Zotware"),
            IDOK, MB_OK | MB_ICONSTOP);
        write->trigger();
        prompter.VerifyAllUsed();
        EXPECT_TRUE(save->isEnabled()) << "the rules were updated after the failed command";
    }
    router.SetHandler(10173, [] {});
    EXPECT_TRUE(router.Execute(10173)) << "the command runs again";
}

} // namespace
