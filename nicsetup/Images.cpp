// SPDX-License-Identifier: MIT
#include "nicsetup/Images.h"

namespace velnet::nicsetup {

namespace {

QIcon fromResource(const char* name)
{
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
