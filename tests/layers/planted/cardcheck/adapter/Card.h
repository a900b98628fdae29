// SPDX-License-Identifier: MIT
#pragma once
#include "cardcheck/resources/Text.h"
