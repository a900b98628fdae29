// SPDX-License-Identifier: MIT
#pragma once

#include "resources/Text.h"
