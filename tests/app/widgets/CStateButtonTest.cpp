#include "CStateButton.h"

#include "BitmapResources.h"
#include "TestSupport.h"

#include <QTest>

namespace {

// Five solid pictures, one colour each, so a look at the button tells which it drew.
constexpr unsigned kOff = 64001, kOn = 64002, kOffFocus = 64003, kOnFocus = 64004, kDisabled = 64005;
constexpr unsigned kMissing = 64999;

const QColor kOffColour(255, 0, 0), kOnColour(0, 255, 0), kOffFocusColour(0, 0, 255),
    kOnFocusColour(255, 255, 0), kDisabledColour(128, 128, 128);

QPixmap Solid(const QColor &colour)
{
    QPixmap picture(24, 24);
    picture.fill(colour);
    return picture;
}

class StateButtonTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        RegisterBitmapResource(kOff, Solid(kOffColour));
        RegisterBitmapResource(kOn, Solid(kOnColour));
        RegisterBitmapResource(kOffFocus, Solid(kOffFocusColour));
        RegisterBitmapResource(kOnFocus, Solid(kOnFocusColour));
        RegisterBitmapResource(kDisabled, Solid(kDisabledColour));
        window.resize(100, 60);
        button = new CStateButton(&window);
        button->setGeometry(10, 10, 24, 24);
        other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(50, 10, 24, 24);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QColor Drawn() const { return button->grab().toImage().pixelColor(12, 12); }

    QWidget window;
    CStateButton *button = nullptr;
    QWidget *other = nullptr;
};

TEST_F(StateButtonTest, DrawsThePictureOfItsStateFocusAndEnabling)
{
    ASSERT_TRUE(button->LoadBitmaps(kOff, kOn, kOffFocus, kOnFocus, kDisabled));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const struct {
        int state;
        bool enabled;
        bool focused;
        QColor drawn;
    } cases[] = {
        {0, true, false, kOffColour},      {1, true, false, kOnColour},          {5, true, false, kOnColour},
        {-1, true, false, kOnColour},      {0, true, true, kOffFocusColour},     {5, true, true, kOnFocusColour},
        {0, false, false, kDisabledColour}, {5, false, false, kDisabledColour},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << c.enabled << c.focused);
        button->setEnabled(c.enabled);
        button->SetState(c.state);
        (c.focused ? static_cast<QWidget *>(button) : other)->setFocus();
        ASSERT_EQ(button->hasFocus(), c.focused);
        EXPECT_EQ(button->GetState(), c.state);
        EXPECT_EQ(Drawn(), c.drawn);
    }
    button->setEnabled(true);
    SaveScreenshot(window, QStringLiteral("StateButton"));
}

TEST_F(StateButtonTest, AMissingPictureDrawsNothingAndTheOthersStillLoad)
{
    ASSERT_TRUE(button->LoadBitmaps(kOff, kOn, kOffFocus, kOnFocus, kDisabled));
    // A reload replaces all five, so the old "on" picture is gone too.
    EXPECT_FALSE(button->LoadBitmaps(kOff, kMissing, kOffFocus, kOnFocus, kDisabled));
    other->setFocus();
    ASSERT_FALSE(button->hasFocus());
    const QColor ours[] = {kOffColour, kOnColour, kOffFocusColour, kOnFocusColour, kDisabledColour};
    button->SetState(1);
    const QColor drawn = Drawn();
    for (const QColor &colour : ours)
        EXPECT_NE(drawn, colour);
    button->SetState(0);
    EXPECT_EQ(Drawn(), kOffColour);
    button->setEnabled(false);
    EXPECT_EQ(Drawn(), kDisabledColour);
}

TEST_F(StateButtonTest, PinPicturesExistAndDiffer)
{
    EXPECT_TRUE(button->LoadBitmaps(IDB_PIN_OUT, IDB_PIN_IN, IDB_PIN_OUT, IDB_PIN_IN, IDB_PIN_OUT));
    const QImage out = LoadBitmapResource(IDB_PIN_OUT).toImage();
    const QImage in = LoadBitmapResource(IDB_PIN_IN).toImage();
    ASSERT_FALSE(out.isNull());
    EXPECT_NE(out, in);
    button->SetState(0);
    const QImage offDrawn = button->grab().toImage();
    button->SetState(1);
    EXPECT_NE(button->grab().toImage(), offDrawn);
}

} // namespace
