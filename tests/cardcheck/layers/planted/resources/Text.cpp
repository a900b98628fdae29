#include "adapter/Card.h"
