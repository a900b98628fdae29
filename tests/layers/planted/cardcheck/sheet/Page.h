// SPDX-License-Identifier: MIT
#pragma once
#include "cardcheck/ui/Up.h"
#include "libraries/real/ethcfg/Plug.h"

#include <QDialog>
