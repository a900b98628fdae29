// SPDX-License-Identifier: MIT
#include "cardcheck/resources/Text.h"
#include "ui_Logic.h"

#include <QString>
