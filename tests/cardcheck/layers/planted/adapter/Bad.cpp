// SPDX-License-Identifier: MIT
#include "adapter/Card.h"
#include "sheet/Page.h"
#include "ui/MessageBox.h"

#include <QWidget>
#include <string>
