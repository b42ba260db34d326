#pragma once
// Primitive type codes: the class (and sub-kind) each code creates on a
// canvas, the code that is also the primitive's icon in the tree.

#include <functional>
#include <memory>

class CCanvas;
class CPrimitive;

inline constexpr int kGroupType = 19;

// A new primitive of type code on canvas; none for a code that creates
// nothing (1, 23, 24, unknown) and for the group, which only Group makes.
std::unique_ptr<CPrimitive> MakePrimitive(int type, CCanvas *canvas);
// A new empty group on canvas.
std::unique_ptr<CPrimitive> MakeGroup(CCanvas *canvas);
// Replaces the group maker (tests of the tree's group commands); an empty
// function restores the program's own.
void SetGroupMaker(std::function<std::unique_ptr<CPrimitive>(CCanvas *)> maker);
