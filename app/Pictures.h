#pragma once
// The program's pixel art: the application icon (32 x 32, 16 colours, transparent corners) and
// the tree's three node pictures (16 x 16, transparent where the mask is set).

#include <QPixmap>

namespace zelk {

QPixmap AppIconPicture();
QPixmap ClosedFolderPicture();  // a node's picture while it is not selected
QPixmap OpenFolderPicture();    // the selected node's picture
// A directory whose listing could not be read: the closed folder with a small red mark.
QPixmap UnreadableFolderPicture();

}  // namespace zelk
