// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/Card.h"
#include "common/ui/MessageBox.h"
