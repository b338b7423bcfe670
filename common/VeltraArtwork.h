#pragma once
// The product's own pictures and contact data, shown in the about box, the
// update window and the preview window. The pictures are drawn by
// tools/artwork/make_artwork.sh.
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace VeltraArtwork {
QPixmap ProductLogo();   // first page of the about box
QPixmap ContactLogo();   // second page of the about box
QPixmap UpdateImage();   // update window
QIcon PrintIcon();       // print button of the preview window

QString ProgrammerCredit();
QString ProgrammerEmail();
QString ContactEmail();
QString WebAddress();    // without the scheme
QStringList ContactAddress();
}  // namespace VeltraArtwork
