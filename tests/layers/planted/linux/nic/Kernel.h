// SPDX-License-Identifier: MIT
#pragma once
#include "vxsrvnt/Service.h"

#include <QString>
#include <linux/ethtool.h>
