// SPDX-License-Identifier: MIT
#pragma once

#include "sheet/Page.h"
