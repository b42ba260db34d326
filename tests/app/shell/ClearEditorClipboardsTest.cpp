#include "ClearEditorClipboards.h"

#include "CRectangle.h"
#include "PrimitiveClipboard.h"
#include "StepClipboard.h"

#include <gtest/gtest.h>

namespace {

TEST(ClearEditorClipboards, EmptiesThePrimitiveAndTheStepClipboards)
{
    PrimitiveClipboard::Instance().Append(std::make_unique<CRectangle>(1, 2, 3, 4));
    SetStepClipboard({CSequenceStep(), CSequenceStep()});
    ASSERT_FALSE(PrimitiveClipboard::Instance().IsEmpty());
    ASSERT_EQ(StepClipboard().size(), 2u);
    ClearEditorClipboards();
    EXPECT_TRUE(PrimitiveClipboard::Instance().IsEmpty());
    EXPECT_TRUE(StepClipboard().empty());
}

} // namespace
