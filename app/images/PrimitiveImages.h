#pragma once
// The list pane's pictures: bitmap resource 148, a strip of 16-pixel-wide
// images with white as the transparent colour. Image n is the tree icon of
// type code n; images 1, 23 and 24 are the drag pictures (move, copy, onto
// a group's member).

#include <QIcon>
#include <QList>

inline constexpr int kPrimitiveImageCount = 26;
inline constexpr int kDragImageMove = 1;
inline constexpr int kDragImageCopy = 23;
inline constexpr int kDragImageGroup = 24;

const QList<QIcon> &PrimitiveImageList();
