#include "Images.h"

// Outside any namespace, as the resource system wants.
static void loadResources()
{
    Q_INIT_RESOURCE(nicsetup);
}

namespace velnet::nicsetup {

namespace {

QIcon fromResource(const char* name)
{
    static const bool loaded = (loadResources(), true);
    (void)loaded;
    // QIcon picks up the @2x file beside each picture by itself.
    return QIcon(QString(":/nicsetup/") + name);
}

} // namespace

QIcon Images::icon()
{
    return fromResource("servcfg.png");
}

QIcon Images::decoration()
{
    return fromResource("decoration.png");
}

} // namespace velnet::nicsetup
