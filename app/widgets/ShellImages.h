#pragma once
// The image list of the data list and the generator list (22 pictures,
// 16 pixels), by index, and the kind icons and row marks it provides.

#include <QIcon>
#include <QList>

// Indexes used by the lists.
enum ShellImage : int {
    kImageIdBadge = 2,
    kMarkModified = 6,   // state image: the item has unsaved changes
    kMarkEditorOpen = 7, // state image: an editor is open
    kImageStandAlone = 8,
    kImageCard = 9,
    kIconKnobList = 10,
    kImageClock = 11,
    kIconFormat = 12,
    kIconImage = 13,
    kIconSequence = 14,
    kImageUnit = 16,
    kImageChip = 17,
    kImageConnector = 18,
    kIconFont = 20,
    kIconPixelMap = 21,
};
inline constexpr int kShellImageCount = 22;

// Bitmap 130 when the program carries it, else pictures painted here.
const QList<QIcon> &ShellImageList();
// A row's picture: its state mark (0 none) left of its icon, 32 x 16.
QIcon RowIcon(int mark, int icon);
// What a state mark means, for the row's tool tip; empty for none.
QString MarkTip(int mark);

// Toolbar pictures in colour where the style's own are grey and read as
// disabled: a document with a spark (new item) and a waste bin (delete).
QIcon NewItemToolImage();
QIcon DeleteToolImage();

// A generator row whose link is lost: its icon struck through in red.
QIcon LinkLostRowIcon(int icon);
