// SPDX-License-Identifier: MIT
#include "resources/Text.h"

#include <QString>
