#pragma once

#include "resources/Text.h"
