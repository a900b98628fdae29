// SPDX-License-Identifier: MIT
#pragma once
#include "cardcheck/sheet/Page.h"
