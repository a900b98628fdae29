// SPDX-License-Identifier: MIT
#pragma once

#include "adapter/Card.h"
#include "report/Form.h"
