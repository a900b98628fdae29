// SPDX-License-Identifier: MIT
#pragma once

#include "adapter/Card.h"
#include "report/Form.h"
#include "resources/Text.h"
#include "ui/Up.h"

#include <QDialog>
