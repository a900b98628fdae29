// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/Card.h"
