// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/Page.h"
#include "common/ui/MessageBox.h"
#include "ui/Up.h"

#include <QWidget>
#include <string>
