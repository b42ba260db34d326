#include "MessageTarget.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QObject>

#include <tuple>
#include <vector>

namespace {

class MessageWindow : public QObject, public MessageTarget {
public:
    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        received.emplace_back(message, wParam, lParam);
        if (delivered)
            ++*delivered;
        return message == WM_DATA_SAVE ? 1 : 0;
    }
    std::vector<std::tuple<unsigned, WPARAM, LPARAM>> received;
    int *delivered = nullptr; // counts deliveries where the test can still see them
};

// What messages name: a data item, a view.
struct MessagedItem : Handled {};

class MessageTargetTest : public PlatformTest {};

TEST_F(MessageTargetTest, ValuesAreTheProgramsOwn)
{
    EXPECT_EQ(WM_DATA_CHANGED, 0x501u);
    EXPECT_EQ(WM_DATA_SAVE, 0x502u);
    EXPECT_EQ(WM_EDITOR_CLOSED, 0x508u);
    EXPECT_EQ(WM_REMOVE_GENERATOR, 0x509u);
    EXPECT_EQ(WM_GENERATOR_BUSY, 0x513u);
}

TEST_F(MessageTargetTest, SendIsImmediateAndPostWaitsForTheEventLoop)
{
    MessageWindow window;
    MessagedItem item;
    EXPECT_TRUE(PostMessage(&window, WM_EDITOR_CLOSED, 0, ToLParam(&item)));
    EXPECT_TRUE(PostMessage(&window, WM_DATA_CHANGED, 0, ToLParam(&item)));
    EXPECT_EQ(SendMessage(&window, WM_DATA_SAVE, 1, ToLParam(&item)), 1);
    ASSERT_EQ(window.received.size(), 1u) << "a posted message came before the event loop ran";
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(window.received.size(), 3u);
    EXPECT_EQ(window.received[0], std::make_tuple(WM_DATA_SAVE, WPARAM(1), ToLParam(&item)));
    EXPECT_EQ(window.received[1], std::make_tuple(WM_EDITOR_CLOSED, WPARAM(0), ToLParam(&item)));
    EXPECT_EQ(window.received[2], std::make_tuple(WM_DATA_CHANGED, WPARAM(0), ToLParam(&item)));
    EXPECT_EQ(FromLParam<MessagedItem>(std::get<2>(window.received[0])), &item);
}

TEST_F(MessageTargetTest, AnItemDeletedBeforeItsPostedMessageIsNotFound)
{
    MessageWindow window;
    auto *item = new MessagedItem;
    const LPARAM handle = ToLParam(item);
    EXPECT_TRUE(PostMessage(&window, WM_DATA_CHANGED, 0, handle));
    delete item;
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(window.received.size(), 1u);
    // The handle of a deleted item leads nowhere, whatever now lives at its address.
    MessagedItem other;
    EXPECT_EQ(FromLParam<MessagedItem>(std::get<2>(window.received[0])), nullptr);
    EXPECT_NE(ToLParam(&other), handle) << "handles are never reused";
    EXPECT_EQ(FromLParam<MessagedItem>(0), nullptr);
}

TEST_F(MessageTargetTest, ACopyHasItsOwnHandle)
{
    MessagedItem a;
    MessagedItem b = a;
    EXPECT_NE(ToLParam(&a), ToLParam(&b));
    b = a;
    EXPECT_EQ(FromLParam<MessagedItem>(ToLParam(&b)), &b);
}

TEST_F(MessageTargetTest, ADestroyedTargetGetsNothing)
{
    auto *window = new MessageWindow;
    int delivered = 0;
    window->delivered = &delivered;
    EXPECT_TRUE(PostMessage(window, WM_EDITOR_CLOSED, 0, 0));
    EXPECT_TRUE(PostMessage(window, WM_DATA_CHANGED, 0, 0));
    delete window;
    QCoreApplication::sendPostedEvents(); // would reach freed memory if the messages were kept
    EXPECT_EQ(delivered, 0);

    MessageWindow alive;
    alive.delivered = &delivered;
    EXPECT_TRUE(PostMessage(&alive, WM_EDITOR_CLOSED, 0, 0));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(delivered, 1);
}

TEST_F(MessageTargetTest, ObjectsThatTakeNoMessagesAreRefused)
{
    QObject plain;
    EXPECT_FALSE(PostMessage(&plain, WM_DATA_CHANGED, 0, 0));
    EXPECT_FALSE(PostMessage(nullptr, WM_DATA_CHANGED, 0, 0));
    EXPECT_EQ(SendMessage(&plain, WM_DATA_SAVE, 0, 0), 0);
    EXPECT_EQ(SendMessage(nullptr, WM_DATA_SAVE, 0, 0), 0);
}

} // namespace
