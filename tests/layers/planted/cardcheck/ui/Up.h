// SPDX-License-Identifier: MIT
#pragma once
#include "cardcheck/adapter/Card.h"
#include "cardcheck/report/Form.h"
