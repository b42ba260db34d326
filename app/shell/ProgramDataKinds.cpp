#include "DataKindRegistry.h"

#include "CFormat.h"
#include "CGenData.h"
#include "ShellImages.h"

// One line per item kind the program is built with.
void RegisterProgramDataKinds()
{
    DataKinds::Register(MakeDataKind<CFormat>(kIconFormat, CGenData::kFormat, 32990));
}
