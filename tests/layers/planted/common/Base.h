// SPDX-License-Identifier: MIT
#pragma once
#include "linux/nic/Kernel.h"
