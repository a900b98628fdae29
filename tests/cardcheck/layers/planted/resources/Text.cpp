// SPDX-License-Identifier: MIT
#include "adapter/Card.h"
