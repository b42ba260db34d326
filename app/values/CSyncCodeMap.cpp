#include "CSyncCodeMap.h"

#include "CKindValue.h"

int CSyncCodeMap::IndexFromCode(int code)
{
    return CSyncSelect::RowFromCode(code);
}
