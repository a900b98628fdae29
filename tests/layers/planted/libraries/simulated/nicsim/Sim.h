// SPDX-License-Identifier: MIT
#pragma once
#include "libraries/simulated/nicsim/Other.h"
