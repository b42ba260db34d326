#include "ClearEditorClipboards.h"

#include "PrimitiveClipboard.h"
#include "StepClipboard.h"

void ClearEditorClipboards()
{
    ClearPrimitiveClipboard();
    ClearStepClipboard();
}
