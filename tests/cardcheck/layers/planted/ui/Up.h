#pragma once

#include "adapter/Card.h"
#include "report/Form.h"
