#include "resources/Text.h"

#include <QString>
