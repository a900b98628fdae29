// SPDX-License-Identifier: MIT
#pragma once
#include "cardcheck/adapter/AdapterContract.h"
#include "cardcheck/adapter/Card.h"
#include "libraries/simulated/nicsim/Sim.h"
#include "linux/nic/Kernel.h"
