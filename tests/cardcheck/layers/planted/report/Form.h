#pragma once

#include "sheet/Page.h"
