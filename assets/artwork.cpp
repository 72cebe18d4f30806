#include "assets/artwork.h"

#include <QString>

// Resources of a static library are registered by hand before their first use;
// the registration macro must stand outside any namespace.
static void registerArtwork() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(artwork);
        return true;
    }();
    (void)registered;
}

namespace torvex {
namespace {

QPixmap picture(const char* name, int size) {
    registerArtwork();
    return QPixmap(QStringLiteral(":/artwork/%1_%2.png").arg(QLatin1String(name)).arg(size));
}

} // namespace

QIcon applicationIcon() {
    QIcon icon;
    icon.addPixmap(picture("application", 32));
    icon.addPixmap(picture("application", 16));
    return icon;
}

QPixmap applicationPicture() {
    return picture("application", 32);
}

QPixmap aboutPicture() {
    return picture("about", 32);
}

QPixmap wizardPicture() {
    return picture("wizard", 32);
}

} // namespace torvex
