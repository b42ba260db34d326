#pragma once
// Every resource id the program names, each once: the string ids from the
// string rows (strings_*.inc), and the command, dialog, control, menu and
// bitmap ids from the id rows (ids_*.inc). A name given twice does not
// compile; an id given two string rows fails the string table's test.
// Rows that only a table addresses (by its first row's id and an index, or
// by number in a table of its own) carry no name.

enum ResourceId : int {
#define STRING(name, id, text) name = id,
#define TEXT(id, text)
#define RESOURCE_ID(name, id) name = id,
#include "resource_rows.inc"
#undef STRING
#undef TEXT
#undef RESOURCE_ID
};
