#pragma once
// Every resource id the program names, each once: the string ids from the
// string rows (strings_*.inc), and the command, dialog, control, menu and
// bitmap ids from the id rows (ids_*.inc). A name given twice does not
// compile; an id given two string rows fails the string table's test.
// The rows of a run after its first (addressed as the first row's name plus
// an index) carry no name.

enum ResourceId : int {
#define STRING(name, id, text) name = id,
#define TEXT(id, text)
#define RESOURCE_ID(name, id) name = id,
#include "resource_rows.inc"
#undef STRING
#undef TEXT
#undef RESOURCE_ID
};
