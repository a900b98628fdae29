#include "SheetState.h"

namespace cardcheck {

SheetState& sheetState()
{
    static SheetState state;
    return state;
}

} // namespace cardcheck
